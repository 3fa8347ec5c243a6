// CSilenceClock: silence at the sample rate, counted from the end of the grace after the last packet.
#include "sound/SilenceClock.h"

CSilenceClock::CSilenceClock(DWORD dwRate)
    : m_dwRate(dwRate), m_dwAnchor(0), m_dwGiven(0)
{
}

void CSilenceClock::Restart(DWORD dwNow)
{
    OnPacket(dwNow);
}

void CSilenceClock::OnPacket(DWORD dwNow)
{
    m_dwAnchor = dwNow;
    m_dwGiven = 0;
}

// Counting from the anchor itself would make up the whole grace at once when it ends: a burst of two buffers.
int CSilenceClock::TakeDue(DWORD dwNow)
{
    const DWORD dwSince = dwNow - m_dwAnchor;
    if ((LONG)dwSince <= (LONG)GRACE_MS)
        return 0;
    // 64-bit: a day of silence at 48000 per second would overflow the product in 32 bits.
    const DWORD dwOwed = (DWORD)((ULONGLONG)(dwSince - GRACE_MS) * m_dwRate / 1000);
    DWORD dwDue = dwOwed - m_dwGiven;
    m_dwGiven = dwOwed;
    if (dwDue > MAX_DUE)
        dwDue = MAX_DUE;   // what is skipped is never made up
    return (int)dwDue;
}
