// Input sensitivity: amplifies each sound buffer before the music analyser measures it.
#pragma once

#include <windows.h>

// Owned beside the analyser and used on the same thread, one call per buffer; fixed arrays only, so a
// buffer costs no allocation.
class CInputGain
{
public:
    CInputGain();

    // Modes: the fixed factors 1, 2, 4 and 8, or GAIN_AUTO. 1 is the default and leaves the sound as it is.
    enum { GAIN_AUTO = 0 };
    static BOOL IsMode(int nMode);
    // A mode as the settings file and the renderer's command line write it: "1", "2", "4", "8" or "Auto" (in
    // any case). FALSE, leaving *pnMode alone, for any other text.
    static BOOL ModeFromText(LPCSTR pszText, int* pnMode);
    static LPCSTR ModeText(int nMode);
    BOOL SetMode(int nMode);
    int GetMode() const { return m_nMode; }
    // The factor the next buffer is given (Auto: as it stands after the latest buffer).
    double GetGain() const;

    // Amplifies one buffer in place; every result is held within the 16-bit range.
    void Apply(short* pSamples, int nCount);
    // Auto starts again from x1 with no memory of the music.
    void Reset();

    // Auto steers by the |sample| the analyser measures in each buffer. Only music moves it: a buffer whose RMS is
    // under MUSIC_RMS (-40 dBFS) is silence or a quiet room's noise and passes as it is. Of the measured samples
    // of the last WINDOW_BUFFERS music buffers (4 s), in level steps of 128, the middle one is aimed at a level
    // where most frames light, held down so that the loudest tenth stays under clipping. A measured sample that
    // would clip in CLIP_RUN buffers running takes the gain down at once.
    enum { MUSIC_RMS = 328, WINDOW_BUFFERS = 220, LEVEL_BINS = 256, LEVEL_STEP = 128, CLIP_RUN = 3 };

private:
    static BOOL IsMusic(const short* pSamples, int nCount);
    static int MeasuredOf(const short* pSamples, int nCount);
    static void Scale(short* pSamples, int nCount, double dGain);
    void Remember(int nMeasured);
    int Percentile(int nPercent) const;
    double Wanted() const;
    void Steer(int nMeasured);

    int m_nMode;
    double m_dGain;                       // Auto's current factor, 1..16
    int m_nLevelHist[LEVEL_BINS];         // music buffers in the window, by the level step of the measured sample
    unsigned char m_nLevelRing[WINDOW_BUFFERS];  // their level steps, oldest overwritten first
    int m_nRingPos;
    int m_nRingCount;
    int m_nClipRun;                       // buffers running whose measured sample passed the ceiling
};
