// Unit tests of the Arrange scheduler on its own: when each mode switches, its clock and tap tempo (the user's
// values and mode requests are tested through the display, in test_scheduler.cpp).
#include <gtest/gtest.h>

#include <vector>

#include "core/ArrangeScheduler.h"

namespace {

// Tick counts well past the first 30 s of uptime, so the tap ring's initial zeros never pair up.
const DWORD kT = 5000000;

TEST(ArrangeScheduler, DynamicModesSwitchOnlyAboveTheirThresholdEveryFrameWithoutHoldOff)
{
    const struct { int mode; int userThreshold; int delta; bool due; } cases[] = {
        // The presets: Soft 200, Norm 150, Hard 100, whatever the user's threshold.
        { 1, 0, 200, false }, { 1, 0, 201, true }, { 1, 999, 255, true },
        { 2, 0, 150, false }, { 2, 0, 151, true },
        { 3, 0, 100, false }, { 3, 0, 101, true },
        // Dynamic User compares signed against the user's threshold.
        { 4, 0, 0, false }, { 4, 0, 1, true }, { 4, 0, -1, false },
        { 4, -5, -5, false }, { 4, -5, -4, true },
        { 4, 250, 250, false }, { 4, 250, 251, true },
    };
    for (const auto& c : cases) {
        CArrangeScheduler s;
        s.LoadUser(140, c.userThreshold);
        s.SetMode(c.mode, 1000);
        for (int frame = 0; frame < 2; frame++) {   // the next sharp frame switches again
            EXPECT_EQ(s.IsDue(c.delta, 0x7FFFFFFF), c.due)
                << "mode " << c.mode << " threshold " << c.userThreshold << " delta " << c.delta;
        }
        EXPECT_EQ(s.NextSwitch(), 1000u) << "a dynamic mode leaves the clock alone";
    }
}

TEST(ArrangeScheduler, NoneAndUnknownModesNeverSwitch)
{
    for (int mode : { -1, 0, 9, 100 }) {
        CArrangeScheduler s;
        s.SetMode(mode, 10);   // -1 is already set: the restart below starts its clock too
        s.Restart(10);         // no static period: the moment is the start itself
        EXPECT_FALSE(s.IsDue(255, 0x7FFFFFFF)) << "mode " << mode;
        EXPECT_EQ(s.NextSwitch(), 10u) << "mode " << mode;
    }
}

TEST(ArrangeScheduler, StaticModesSwitchOnceTheMomentHasPassedAndCountFromThatFrame)
{
    const struct { int mode; DWORD period; } modes[] = {
        { 5, 1000 }, { 6, 5000 }, { 7, 10000 },
        { 8, 333 },   // Static User at 180 bpm: 60000 / 180 = 333 ms
    };
    for (const auto& m : modes) {
        CArrangeScheduler s;
        s.LoadUser(180, 0);
        ASSERT_EQ(s.StaticPeriod(m.mode), (int)m.period);
        ASSERT_TRUE(s.SetMode(m.mode, 100000 - m.period));
        ASSERT_EQ(s.NextSwitch(), 100000u);
        // The delta plays no part in a static mode.
        EXPECT_FALSE(s.IsDue(255, 99000)) << "mode " << m.mode;
        EXPECT_FALSE(s.IsDue(255, 100000)) << "mode " << m.mode << ": the moment itself is not past it";
        EXPECT_EQ(s.NextSwitch(), 100000u);
        EXPECT_TRUE(s.IsDue(0, 100018)) << "mode " << m.mode;
        EXPECT_EQ(s.NextSwitch(), 100018u + m.period) << "mode " << m.mode << ": counted from the late frame";
        EXPECT_FALSE(s.IsDue(0, 100018 + m.period)) << "mode " << m.mode;
        EXPECT_TRUE(s.IsDue(0, 100019 + m.period)) << "mode " << m.mode;
    }
}

TEST(ArrangeScheduler, StaticComparisonIsUnsignedAcrossTheClockWrap)
{
    CArrangeScheduler s;
    s.SetMode(5, 0xFFFFFF00u - 1000u);
    const struct { DWORD now; bool due; } frames[] = {
        { 50, false }, { 0x7FFFFFFFu, false }, { 0xFFFFFF00u, false },
        { 0xFFFFFF01u, true },   // next moment 0xFFFFFF01 + 1000 wraps to 745 (255 to the wrap, 745 after)
        { 0xFFFFFF80u, true },   // so every later tick before the wrap is past it
    };
    for (const auto& f : frames)
        EXPECT_EQ(s.IsDue(0, f.now), f.due) << std::hex << f.now;
    EXPECT_EQ(s.NextSwitch(), 0xFFFFFF80u + 1000u);
}

TEST(ArrangeScheduler, TapsMakeTheTruncatedMeanOfPairsUnderThirtySecondsApart)
{
    const struct { const char* what; std::vector<DWORD> ticks; int period; int bpm; } cases[] = {
        { "a first tap makes no beat", { kT }, 428, 0 },
        { "two taps", { kT, kT + 500 }, 500, 120 },   // 60000 / 500
        { "around the ring and beyond", { kT, kT + 500, kT + 1000, kT + 1500, kT + 2000, kT + 2500, kT + 3000 },
          500, 120 },
        { "fast taps clamp to 100 ms", { kT, kT + 50, kT + 100, kT + 150 }, 100, 600 },
        { "pairs 300 and 501", { kT, kT + 300, kT + 801 }, 400, 150 },   // 801 / 2 = 400.5
        // The fourth tap 30000 after the third pairs with nothing: (300 + 500) / 2.
        { "a long pause", { kT, kT + 300, kT + 800, kT + 800 + 30000 }, 400, 150 },
        // (300 + 500 + 29999) / 3 = 10266, 60000 / 10266 = 5.8
        { "just under the pause limit", { kT, kT + 300, kT + 800, kT + 800 + 29999 }, 10266, 5 },
        { "across the tick wrap", { 0xFFFFFF00u, 0x00000100u }, 428, 0 },
    };
    for (const auto& c : cases) {
        CArrangeScheduler s;
        int nBpm = -1;
        for (DWORD t : c.ticks)
            nBpm = s.Tap(t);
        EXPECT_EQ(s.BeatPeriod(), c.period) << c.what;
        EXPECT_EQ(nBpm, c.bpm) << c.what;
    }
}

} // namespace
