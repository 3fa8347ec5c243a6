// CMixConverter: an endpoint's mix format (float or PCM, any channels and rate) to the program's 16-bit mono samples.
#pragma once

#include <windows.h>
#include <mmsystem.h>

// Owned by the WASAPI device's worker, which feeds it each packet in turn. The output position is kept between
// packets, so packet boundaries leave no seam and no drift: the rate change is exact over any stretch.
class CMixConverter
{
public:
    CMixConverter();

    // Takes the endpoint's format (a WAVEFORMATEX or WAVEFORMATEXTENSIBLE) and the rate to make. FALSE when the
    // samples are of a kind this cannot read (then Convert gives nothing).
    BOOL SetFormat(const WAVEFORMATEX* pwfx, DWORD dwOutRate);
    // Forgets the stream so far: the next packet starts afresh.
    void Restart();

    // Converts nFrames frames (pData NULL: that many silent frames) and appends the samples made to pOut, at
    // most nOutMax of them (any more are dropped). Returns the number appended.
    int Convert(const BYTE* pData, UINT nFrames, short* pOut, int nOutMax);

    WORD GetFrameBytes() const { return m_nFrameBytes; }

private:
    enum EKind { KIND_NONE, KIND_FLOAT32, KIND_PCM8, KIND_PCM16, KIND_PCM24, KIND_PCM32 };
    static EKind KindOf(const WAVEFORMATEX* pwfx);
    double ReadFrame(const BYTE* pFrame) const;
    double ReadSample(const BYTE* p) const;
    static short ToSample(double d);

    EKind m_kind;
    WORD m_nChannels;
    WORD m_nFrameBytes;
    DWORD m_dwInRate;
    DWORD m_dwOutRate;
    // The position of the next output sample after the frame m_dPrev, in 1/m_dwOutRate frames (exact: no drift).
    DWORD m_dwPos;
    double m_dPrev;     // the last frame read, as a mono value in 16-bit units
    BOOL m_bHavePrev;
};
