// CMixConverter: channel averaging, linear-interpolation rate change and scaling to 16-bit samples.
#include "sound/MixConverter.h"
#include <mmreg.h>
#include <string.h>

namespace {
// WAVE_FORMAT_EXTENSIBLE sub-formats: the KSDATAFORMAT_SUBTYPE GUIDs are the format tag followed by a fixed tail.
// Compared here rather than linked from ksuser.
const BYTE kSubtypeTail[8] = { 0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 };

// The format tag of a format, looking through WAVE_FORMAT_EXTENSIBLE to its sub-format; 0 when unknown.
WORD TagOf(const WAVEFORMATEX* pwfx)
{
    if (pwfx->wFormatTag != WAVE_FORMAT_EXTENSIBLE)
        return pwfx->wFormatTag;
    if (pwfx->cbSize < 22)
        return 0;
    // WAVEFORMATEX, then wValidBitsPerSample, dwChannelMask, SubFormat.
    const GUID* pSub = (const GUID*)((const BYTE*)pwfx + sizeof(WAVEFORMATEX) + 2 + 4);
    if (pSub->Data2 != 0x0000 || pSub->Data3 != 0x0010 || memcmp(pSub->Data4, kSubtypeTail, 8) != 0)
        return 0;
    if (pSub->Data1 > 0xFFFF)
        return 0;
    return (WORD)pSub->Data1;
}
}

CMixConverter::CMixConverter()
    : m_kind(KIND_NONE), m_nChannels(0), m_nFrameBytes(0), m_dwInRate(0), m_dwOutRate(0), m_dwPos(0),
      m_dPrev(0.0), m_bHavePrev(FALSE)
{
}

CMixConverter::EKind CMixConverter::KindOf(const WAVEFORMATEX* pwfx)
{
    const WORD wTag = TagOf(pwfx);
    if (wTag == WAVE_FORMAT_IEEE_FLOAT)
        return pwfx->wBitsPerSample == 32 ? KIND_FLOAT32 : KIND_NONE;
    if (wTag != WAVE_FORMAT_PCM)
        return KIND_NONE;
    switch (pwfx->wBitsPerSample) {
    case 8: return KIND_PCM8;
    case 16: return KIND_PCM16;
    case 24: return KIND_PCM24;
    case 32: return KIND_PCM32;
    default: return KIND_NONE;
    }
}

BOOL CMixConverter::SetFormat(const WAVEFORMATEX* pwfx, DWORD dwOutRate)
{
    m_kind = KIND_NONE;
    Restart();
    if (pwfx == NULL || pwfx->nChannels == 0 || pwfx->nSamplesPerSec == 0 || dwOutRate == 0)
        return FALSE;
    const EKind kind = KindOf(pwfx);
    // A frame whose size disagrees with its samples would be read out of step.
    if (kind == KIND_NONE || pwfx->nBlockAlign != pwfx->nChannels * (pwfx->wBitsPerSample / 8))
        return FALSE;
    m_kind = kind;
    m_nChannels = pwfx->nChannels;
    m_nFrameBytes = pwfx->nBlockAlign;
    m_dwInRate = pwfx->nSamplesPerSec;
    m_dwOutRate = dwOutRate;
    return TRUE;
}

void CMixConverter::Restart()
{
    m_dwPos = 0;
    m_dPrev = 0.0;
    m_bHavePrev = FALSE;
}

// One channel's sample in 16-bit units (a 32768th of full scale).
double CMixConverter::ReadSample(const BYTE* p) const
{
    switch (m_kind) {
    case KIND_FLOAT32: { float f; memcpy(&f, p, 4); return f * 32768.0; }
    case KIND_PCM8: return (p[0] - 128) * 256.0;
    case KIND_PCM16: return (short)(p[0] | (p[1] << 8));
    case KIND_PCM24: return (LONG)((DWORD)p[0] << 8 | (DWORD)p[1] << 16 | (DWORD)p[2] << 24) / 65536.0;
    case KIND_PCM32: return (LONG)((DWORD)p[0] | (DWORD)p[1] << 8 | (DWORD)p[2] << 16 | (DWORD)p[3] << 24) / 65536.0;
    default: return 0.0;
    }
}

double CMixConverter::ReadFrame(const BYTE* pFrame) const
{
    const int nBytes = m_nFrameBytes / m_nChannels;
    double dSum = 0.0;
    for (int c = 0; c < m_nChannels; c++)
        dSum += ReadSample(pFrame + c * nBytes);
    return dSum / m_nChannels;
}

short CMixConverter::ToSample(double d)
{
    if (d >= 32767.0)
        return 32767;
    if (d <= -32768.0)
        return -32768;
    return (short)(d < 0 ? d - 0.5 : d + 0.5);
}

// Each output sample lies between the frame before and the frame read, m_dwPos/m_dwOutRate of the way along.
int CMixConverter::Convert(const BYTE* pData, UINT nFrames, short* pOut, int nOutMax)
{
    if (m_kind == KIND_NONE)
        return 0;
    int nOut = 0;
    for (UINT i = 0; i < nFrames; i++) {
        const double dFrame = pData ? ReadFrame(pData + i * m_nFrameBytes) : 0.0;
        if (!m_bHavePrev) {
            m_dPrev = dFrame;
            m_bHavePrev = TRUE;
            continue;
        }
        for (; m_dwPos <= m_dwOutRate; m_dwPos += m_dwInRate) {
            const double d = m_dPrev + (dFrame - m_dPrev) * m_dwPos / m_dwOutRate;
            if (nOut < nOutMax)
                pOut[nOut++] = ToSample(d);
        }
        m_dwPos -= m_dwOutRate;
        m_dPrev = dFrame;
    }
    return nOut;
}
