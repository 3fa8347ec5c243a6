// Input sensitivity: fixed factors and the automatic gain that follows the music and ignores a room's noise.
#include "core/InputGain.h"

#include <string.h>

#include "core/MusicAnalyzer.h"

namespace {

const double MIN_GAIN = 1.0;
const double MAX_GAIN = 16.0;
// The middle measured sample of the music is brought to level 88: with music's spread, about nine frames in ten
// then reach level 20 and three in four level 40, which the quiet-reacting patterns need.
const double TARGET_MIDDLE = 11264.0;
// The loudest tenth is held to level 240 at most, so that about a tenth of the frames or fewer reach 255.
const double TARGET_LOUD = 30720.0;
// A measured sample above this (level 250) counts as clipping.
const double CEILING = 32000.0;
// Rising and settling down both go at a factor of 2 a second (55 buffers): 2^(1/55).
const double STEP = 1.0127;
// Sustained clipping takes the gain down by a tenth per buffer: x16 to x1 in half a second.
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
    memset(m_nLevelHist, 0, sizeof(m_nLevelHist));
    memset(m_nLevelRing, 0, sizeof(m_nLevelRing));
    m_nRingPos = 0;
    m_nRingCount = 0;
    m_nClipRun = 0;
}

void CInputGain::Apply(short* pSamples, int nCount)
{
    if (m_nMode == 1)
        return;
    if (m_nMode != GAIN_AUTO) {
        Scale(pSamples, nCount, m_nMode);
        return;
    }
    // Silence and a room's noise pass unamplified and leave the gain and its memory for the music's return.
    if (!IsMusic(pSamples, nCount))
        return;
    const int nMeasured = MeasuredOf(pSamples, nCount);
    Remember(nMeasured);
    Steer(nMeasured);
    Scale(pSamples, nCount, m_dGain);
}

// By the buffer's RMS, not its peak: noise has peaks several times its RMS, and one peak says little.
BOOL CInputGain::IsMusic(const short* pSamples, int nCount)
{
    long long sum = 0;
    for (int i = 0; i < nCount; i++)
        sum += (long long)pSamples[i] * pSamples[i];
    return sum >= (long long)MUSIC_RMS * MUSIC_RMS * nCount;
}

// Steered by the sample the analyser measures, not the buffer's peak: music's peaks stand well above what one
// sample in 200 shows, and the picture follows the measured one.
int CInputGain::MeasuredOf(const short* pSamples, int nCount)
{
    const short s = nCount > CMusicAnalyzer::MEASURED_SAMPLE ? pSamples[CMusicAnalyzer::MEASURED_SAMPLE]
                                                             : pSamples[nCount - 1];
    return s < 0 ? -s : s;
}

void CInputGain::Scale(short* pSamples, int nCount, double dGain)
{
    for (int i = 0; i < nCount; i++)
        pSamples[i] = ToSample((int)(pSamples[i] * dGain));
}

void CInputGain::Remember(int nMeasured)
{
    int bin = nMeasured / LEVEL_STEP;
    if (bin >= LEVEL_BINS)
        bin = LEVEL_BINS - 1;
    if (m_nRingCount == WINDOW_BUFFERS)
        m_nLevelHist[m_nLevelRing[m_nRingPos]]--;
    else
        m_nRingCount++;
    m_nLevelRing[m_nRingPos] = (unsigned char)bin;
    m_nLevelHist[bin]++;
    m_nRingPos = (m_nRingPos + 1) % WINDOW_BUFFERS;
}

// The middle of the lowest level step that nPercent of the window reach or stay below.
int CInputGain::Percentile(int nPercent) const
{
    int counted = 0;
    int bin = 0;
    for (; bin < LEVEL_BINS - 1; bin++) {
        counted += m_nLevelHist[bin];
        if (counted * 100 >= nPercent * m_nRingCount)
            break;
    }
    return bin * LEVEL_STEP + LEVEL_STEP / 2;
}

// The middle sample's aim, unless that would take the loudest tenth past its own.
double CInputGain::Wanted() const
{
    const double middle = TARGET_MIDDLE / Percentile(50);
    const double loud = TARGET_LOUD / Percentile(90);
    return Clamp(middle < loud ? middle : loud, MIN_GAIN, MAX_GAIN);
}

// Quick down only while clipping lasts, else a slow step toward the aim: a single loud sample costs nothing.
void CInputGain::Steer(int nMeasured)
{
    m_nClipRun = nMeasured * m_dGain > CEILING ? m_nClipRun + 1 : 0;
    const double wanted = Wanted();
    double gain = m_dGain;
    if (m_nClipRun >= CLIP_RUN) {
        gain *= FAST_FALL;
    } else if (wanted > gain) {
        gain *= STEP;
        if (gain > wanted)
            gain = wanted;
    } else {
        gain /= STEP;
        if (gain < wanted)
            gain = wanted;
    }
    m_dGain = Clamp(gain, MIN_GAIN, MAX_GAIN);
}
