// CSilenceClock: silence at 11025 per second once packets are late, none while they flow, no burst either way.
#include <gtest/gtest.h>

#include <windows.h>

#include "sound/SilenceClock.h"

namespace {
// Polls every 10 ms from dwFrom (exclusive) to dwTo (inclusive), a packet at each when bPackets; the silence made.
int PollEvery10Ms(CSilenceClock& clock, DWORD dwFrom, DWORD dwTo, bool bPackets)
{
    int nTotal = 0;
    for (DWORD t = dwFrom + 10; (LONG)(t - dwTo) <= 0; t += 10) {
        if (bPackets)
            clock.OnPacket(t);
        nTotal += clock.TakeDue(t);
    }
    return nTotal;
}
}

TEST(SilenceClock, WithoutPacketsItKeepsTheSampleRateAfterTheGrace)
{
    // Once across the wrap of the millisecond clock, too.
    const DWORD starts[] = { 1000, 0xFFFFFF00u };
    for (DWORD t0 : starts) {
        SCOPED_TRACE(t0);
        CSilenceClock clock(11025);
        clock.Restart(t0);
        EXPECT_EQ(PollEvery10Ms(clock, t0, t0 + 40, false), 0) << "silence within the grace";
        // (1040 - 40) ms at 11.025 per ms = 11025 samples.
        EXPECT_EQ(PollEvery10Ms(clock, t0 + 40, t0 + 1040, false), 11025);
        // Polls to 1220: owed floor(1180 * 11.025) = 13009, less the 11025 given = 1984, a 200-sample buffer's
        // worth per 18.1 ms (180 / 18.14 = 9.9 buffers).
        EXPECT_EQ(PollEvery10Ms(clock, t0 + 1040, t0 + 1220, false), 1984);
    }
}

TEST(SilenceClock, PacketsFlowingOrResumingAddNothing)
{
    CSilenceClock clock(11025);
    clock.Restart(0);
    EXPECT_EQ(PollEvery10Ms(clock, 0, 2000, true), 0) << "silence added between packets";
    // Packets 25 ms apart (late, within the grace) still add nothing; the last at 3000.
    for (DWORD t = 2025; t <= 3000; t += 25) {
        EXPECT_EQ(clock.TakeDue(t - 15), 0);
        EXPECT_EQ(clock.TakeDue(t - 1), 0);
        clock.OnPacket(t);
    }
    // Packets stop at 3000: silence from 3040. Then they resume: the clock falls silent at once.
    EXPECT_EQ(PollEvery10Ms(clock, 3000, 3500, false), (3500 - 3040) * 11025 / 1000);
    clock.OnPacket(3505);
    EXPECT_EQ(clock.TakeDue(3510), 0) << "a burst when packets resume";
    EXPECT_EQ(PollEvery10Ms(clock, 3510, 3540, false), 0);
    // Missing again: the grace counts from the last packet, 3505, and the first silence is 5 ms' worth.
    EXPECT_EQ(clock.TakeDue(3550), 5 * 11025 / 1000);
}

// A worker that was held up for five seconds gets at most MAX_DUE at once, then the rate again.
TEST(SilenceClock, AHeldUpPollGetsNoBurst)
{
    CSilenceClock clock(11025);
    clock.Restart(0);
    EXPECT_EQ(clock.TakeDue(5040), (int)CSilenceClock::MAX_DUE);
    EXPECT_EQ(clock.TakeDue(5060), 20 * 11025 / 1000);   // 220.5 owed over 20 ms: 220 given
}
