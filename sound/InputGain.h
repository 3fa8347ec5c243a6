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

    // Auto steers by the |sample| the analyser measures in each buffer: buffers whose peak is below SILENT_PEAK
    // (every sample under level 2) count as silence, and the loud part is the value reached by the loudest
    // tenth of the measured samples of the last WINDOW_BUFFERS audible buffers (4 s), in level steps of 128.
    enum { SILENT_PEAK = 256, WINDOW_BUFFERS = 220, PEAK_BINS = 256, LEVEL_STEP = 128 };

private:
    static int PeakOf(const short* pSamples, int nCount);
    static void Scale(short* pSamples, int nCount, double dGain);
    void Remember(int nPeak);
    int LoudPeak() const;
    void Steer(int nPeak);

    int m_nMode;
    double m_dGain;                       // Auto's current factor, 1..16
    int m_nPeakHist[PEAK_BINS];           // audible buffers in the window, by peak level
    unsigned char m_nPeakRing[WINDOW_BUFFERS];  // their peak levels, oldest overwritten first
    int m_nRingPos;
    int m_nRingCount;
};
