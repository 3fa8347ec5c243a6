// CSilenceClock: how many silent samples stand in for the packets a loopback stream does not send while nothing plays.
#pragma once

#include <windows.h>

// Owned by the WASAPI device's worker. Windows sends no loopback packets at all while nothing plays, yet capture
// must keep receiving buffers (its stall watch would close the device, and the picture would freeze). Times are
// passed in, in milliseconds, so that a test can script them.
class CSilenceClock
{
public:
    // Packets may be this late before the clock speaks for them (about two buffers).
    enum { GRACE_MS = 40 };
    // The most silence made at one poll: a worker that was held up does not catch up with a burst.
    enum { MAX_DUE = 400 };

    explicit CSilenceClock(DWORD dwRate);

    // The stream starts (or starts again) at dwNow.
    void Restart(DWORD dwNow);
    // A packet arrived at dwNow: the clock falls silent and counts its grace from here.
    void OnPacket(DWORD dwNow);
    // Silent samples due at dwNow, none while packets flow; the caller adds exactly that many.
    int TakeDue(DWORD dwNow);

private:
    DWORD m_dwRate;
    DWORD m_dwAnchor;   // time of the last packet, or of the start
    DWORD m_dwGiven;    // silent samples given since the grace after the anchor ran out
};
