// CArrangeScheduler: when the Arrange modes start another pattern: the mode, its clock, beat, threshold and tap tempo.
#pragma once
#include <afx.h>
#include "core/ArrangeDefaults.h"

// Says when a switch is due; which pattern comes next is the core's choice. One thread only (the one that draws).
class CArrangeScheduler
{
public:
    CArrangeScheduler();

    // The user's Static User tempo (beats per minute; below 1 is the default) and Dynamic User threshold.
    void LoadUser(int nBpm, int nThreshold);
    // FALSE when the mode is already set; a new mode's static period starts at dwNow. Any number is taken:
    // one that names no mode never switches.
    BOOL SetMode(int nMode, DWORD dwNow);
    // The static period starts again at dwNow (the user chose a pattern).
    void Restart(DWORD dwNow);
    // Once a frame: TRUE when the mode switches now, on the level's change or on the clock. A static mode's
    // next period then starts at dwNow.
    BOOL IsDue(int nDelta, DWORD dwNow);
    // A tap of the beat at dwTick: the beat becomes the mean of the intervals among the last four taps.
    // Returns the tempo that beat makes in beats per minute, or 0 while no two taps make an interval.
    int Tap(DWORD dwTick);

    int Mode() const { return m_nMode; }
    int BeatPeriod() const { return m_nBeatPeriod; }
    int Threshold() const { return m_nThreshold; }
    DWORD NextSwitch() const { return m_dwNextSwitch; }
    // Milliseconds between switches of a static mode (5..8), 0 for any other.
    int StaticPeriod(int nMode) const;
    // The tempo the scheduler may divide by: values below 1 become the default, 140.
    static int SaneTempo(int nBpm);

private:
    enum { TAPS = 4 };

    int m_nMode;
    int m_nBeatPeriod;        // Static User's period, ms
    int m_nThreshold;         // Dynamic User's threshold of the level's change
    DWORD m_dwNextSwitch;     // a static mode switches once the clock has passed this
    DWORD m_dwTap[TAPS];      // ring of the last taps' ticks; 0 is an empty slot
    int m_nTapPos;
};
