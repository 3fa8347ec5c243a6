// Input sensitivity: fixed factors and the automatic gain that follows the loud part of the music.
#include "sound/InputGain.h"

#include <string.h>

#include "sound/MusicAnalyzer.h"

namespace {

const double MIN_GAIN = 1.0;
const double MAX_GAIN = 16.0;
// The loud part is brought to level 185; the patterns are made for loud passages of about 150 to 220.
const double TARGET_PEAK = 23700.0;
// Auto keeps the measured sample just under full scale (level 250): a louder one takes the gain down.
const double CEILING_PEAK = 32000.0;
// Rising and settling down both go at a factor of 2 a second (55 buffers): 2^(1/55).
const double STEP = 1.0127;
// A measured sample that would pass the ceiling takes the gain down by a tenth per buffer: x16 to x1 in half a
// second through a loud passage, a tenth for a moment after a single peak.
const double FAST_FALL = 0.9;

double Clamp(double v, double lo, double hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

short ToSample(int v)
{
    return (short)(v > 32767 ? 32767 : (v < -32768 ? -32768 : v));
}

} // namespace

CInputGain::CInputGain()
    : m_nMode(1)
{
    Reset();
}

BOOL CInputGain::IsMode(int nMode)
{
    return nMode == GAIN_AUTO || nMode == 1 || nMode == 2 || nMode == 4 || nMode == 8;
}

BOOL CInputGain::ModeFromText(LPCSTR pszText, int* pnMode)
{
    static const int kModes[] = { 1, 2, 4, 8, GAIN_AUTO };
    for (int nMode : kModes) {
        if (lstrcmpiA(pszText, ModeText(nMode)) == 0) {
            *pnMode = nMode;
            return TRUE;
        }
    }
    return FALSE;
}

LPCSTR CInputGain::ModeText(int nMode)
{
    switch (nMode) {
    case 2: return "2";
    case 4: return "4";
    case 8: return "8";
    case GAIN_AUTO: return "Auto";
    default: return "1";
    }
}

BOOL CInputGain::SetMode(int nMode)
{
    if (!IsMode(nMode))
        return FALSE;
    if (nMode != m_nMode)
        Reset();
    m_nMode = nMode;
    return TRUE;
}

double CInputGain::GetGain() const
{
    return m_nMode == GAIN_AUTO ? m_dGain : (double)m_nMode;
}

void CInputGain::Reset()
{
    m_dGain = MIN_GAIN;
    memset(m_nPeakHist, 0, sizeof(m_nPeakHist));
    memset(m_nPeakRing, 0, sizeof(m_nPeakRing));
    m_nRingPos = 0;
    m_nRingCount = 0;
}

void CInputGain::Apply(short* pSamples, int nCount)
{
    if (m_nMode == 1)
        return;
    if (m_nMode != GAIN_AUTO) {
        Scale(pSamples, nCount, m_nMode);
        return;
    }
    // Silence and a noise floor pass unamplified and leave the gain and its memory alone.
    if (PeakOf(pSamples, nCount) < SILENT_PEAK)
        return;
    // Steered by the sample the analyser measures, not the buffer's peak: music's peaks stand well above what
    // one sample in 200 shows, and the loud passages are to reach their levels in the analyser.
    const short measured = nCount > CMusicAnalyzer::MEASURED_SAMPLE ? pSamples[CMusicAnalyzer::MEASURED_SAMPLE]
                                                                   : pSamples[nCount - 1];
    const int nMeasured = measured < 0 ? -measured : measured;
    Remember(nMeasured);
    Steer(nMeasured);
    Scale(pSamples, nCount, m_dGain);
}

int CInputGain::PeakOf(const short* pSamples, int nCount)
{
    int peak = 0;
    for (int i = 0; i < nCount; i++) {
        const int a = pSamples[i] < 0 ? -pSamples[i] : pSamples[i];
        if (a > peak)
            peak = a;
    }
    return peak;
}

void CInputGain::Scale(short* pSamples, int nCount, double dGain)
{
    for (int i = 0; i < nCount; i++)
        pSamples[i] = ToSample((int)(pSamples[i] * dGain));
}

void CInputGain::Remember(int nPeak)
{
    int bin = nPeak / LEVEL_STEP;
    if (bin >= PEAK_BINS)
        bin = PEAK_BINS - 1;
    if (m_nRingCount == WINDOW_BUFFERS)
        m_nPeakHist[m_nPeakRing[m_nRingPos]]--;
    else
        m_nRingCount++;
    m_nPeakRing[m_nRingPos] = (unsigned char)bin;
    m_nPeakHist[bin]++;
    m_nRingPos = (m_nRingPos + 1) % WINDOW_BUFFERS;
}

// The middle of the level step reached by the loudest tenth of the window: single peaks do not count.
int CInputGain::LoudPeak() const
{
    int counted = 0;
    int bin = PEAK_BINS - 1;
    for (; bin > 0; bin--) {
        counted += m_nPeakHist[bin];
        if (counted * 10 >= m_nRingCount)
            break;
    }
    return bin * LEVEL_STEP + LEVEL_STEP / 2;
}

// Quick down when this buffer would pass the ceiling, else a slow step toward the loud part's target.
void CInputGain::Steer(int nPeak)
{
    const double room = CEILING_PEAK / (nPeak > 0 ? nPeak : 1);
    const double wanted = Clamp(TARGET_PEAK / LoudPeak(), MIN_GAIN, MAX_GAIN);
    double gain = m_dGain;
    if (gain > room) {
        gain *= FAST_FALL;
        if (gain < room)
            gain = room;
    } else if (wanted > gain) {
        gain *= STEP;
        if (gain > wanted)
            gain = wanted;
        if (gain > room)
            gain = room;
    } else {
        gain /= STEP;
        if (gain < wanted)
            gain = wanted;
    }
    m_dGain = Clamp(gain, MIN_GAIN, MAX_GAIN);
}
