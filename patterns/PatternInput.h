// SPatternInput: the analyser's values as one frame of a pattern sees them.
#pragma once
#include <windows.h>

// Copied from the analyser once per frame, so a renderer never reaches into the sound code.
struct SPatternInput
{
    DWORD dwCount = 0;       // buffers since the last silent one, this one included
    int nLevel = 0;          // 0..255, loudness of the latest sound buffer
    int nDelta = 0;          // change of the level from the buffer before
    DWORD dwAvgLevel = 0;    // means since the last silent buffer
    DWORD dwAvgDelta = 0;
    int nNearLevel = 0;      // means over the last 100 buffers
    int nNearDelta = 0;
    BOOL bSilence = FALSE;   // the latest buffer was silent and restarted the statistics
};
