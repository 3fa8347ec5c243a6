// Unit tests of the music analyser: levels, silence resets, deltas, averages and near means.
#include <gtest/gtest.h>

#include "core/MusicAnalyzer.h"

namespace {

// A sample whose level is exactly `level`.
short SampleOfLevel(int level)
{
    return (short)(level * 128);
}

void Feed(CMusicAnalyzer& analyzer, int level, int times)
{
    for (int i = 0; i < times; i++)
        analyzer.AddSample(SampleOfLevel(level));
}

} // namespace

TEST(MusicAnalyzerLevel, MapsSamplesToLevelsAtTheBoundaries)
{
    const struct { short sample; short level; } cases[] = {
        { -32768, 255 }, { 32767, 255 }, { -32767, 255 }, { 128, 1 }, { -128, 1 },
        { 255, 1 }, { -255, 1 }, { 256, 2 }, { -256, 2 }, { 127, 0 }, { -127, 0 }, { 0, 0 },
    };
    for (const auto& c : cases) {
        CMusicAnalyzer analyzer;
        analyzer.AddSample(c.sample);
        EXPECT_EQ(analyzer.m_nLevel, c.level) << "sample " << c.sample;
        EXPECT_EQ(analyzer.m_bSilenceReset, c.level == 0 ? 1 : 0) << "sample " << c.sample;
    }
}

TEST(MusicAnalyzerSilence, ResetRestartsAveragesWithTheSilentSampleCounted)
{
    CMusicAnalyzer analyzer;
    Feed(analyzer, 50, 3);
    EXPECT_EQ(analyzer.m_nCount, 3u);
    analyzer.AddSample(100);  // level 0 though not a zero sample

    EXPECT_EQ(analyzer.m_bSilenceReset, 1);
    EXPECT_EQ(analyzer.m_nCount, 1u);
    EXPECT_EQ(analyzer.m_nAvgLevel, 0u);
    EXPECT_EQ(analyzer.m_nAvgDelta, 50u);  // the drop from 50 to 0
    EXPECT_EQ(analyzer.m_nRingPos, 1);

    Feed(analyzer, 31, 1);
    EXPECT_EQ(analyzer.m_bSilenceReset, 0);
    EXPECT_EQ(analyzer.m_nSilence, 0);
    EXPECT_EQ(analyzer.m_nCount, 2u);
    EXPECT_EQ(analyzer.m_nAvgLevel, 15u);  // (0 + 31) / 2, truncated
    EXPECT_EQ(analyzer.m_nAvgDelta, 40u);  // (50 + 31) / 2
}

TEST(MusicAnalyzerSilence, EveryZeroOfARunResetsAgain)
{
    CMusicAnalyzer analyzer;
    Feed(analyzer, 20, 5);
    for (int i = 1; i <= 4; i++) {
        analyzer.AddSample(0);
        EXPECT_EQ(analyzer.m_nSilence, i);
        EXPECT_EQ(analyzer.m_bSilenceReset, 1);
        EXPECT_EQ(analyzer.m_nCount, 1u);
        EXPECT_EQ(analyzer.m_nRingPos, 1);
        EXPECT_EQ(analyzer.m_nAvgDelta, i == 1 ? 20u : 0u);
    }
}

TEST(MusicAnalyzerDelta, JumpUpAndBackDownToSilence)
{
    CMusicAnalyzer analyzer;
    Feed(analyzer, 200, 1);
    EXPECT_EQ(analyzer.m_nDelta, 200);
    EXPECT_EQ(analyzer.m_nPrevLevel, 200);

    analyzer.AddSample(0);
    EXPECT_EQ(analyzer.m_nDelta, 200);
    EXPECT_EQ(analyzer.m_bSilenceReset, 1);
    EXPECT_EQ(analyzer.m_nAvgDelta, 200u);

    analyzer.AddSample(0);
    EXPECT_EQ(analyzer.m_nDelta, 0);
    EXPECT_EQ(analyzer.m_nAvgDelta, 0u);
}

TEST(MusicAnalyzerAverages, ConstantLevelAndSteps)
{
    CMusicAnalyzer analyzer;
    Feed(analyzer, 10, 1);
    EXPECT_EQ(analyzer.m_nAvgLevel, 10u);
    EXPECT_EQ(analyzer.m_nDelta, 10);
    Feed(analyzer, 10, 1);
    EXPECT_EQ(analyzer.m_nDelta, 0);
    Feed(analyzer, 40, 1);
    Feed(analyzer, 13, 1);
    EXPECT_EQ(analyzer.m_nCount, 4u);
    EXPECT_EQ(analyzer.m_nAvgLevel, 18u);  // 73 / 4
    EXPECT_EQ(analyzer.m_nAvgDelta, 16u);  // (10 + 0 + 30 + 27) / 4
}

TEST(MusicAnalyzerNear, ReachesAConstantLevelOnlyAtThe101stSample)
{
    CMusicAnalyzer analyzer;
    for (int i = 1; i <= 99; i++) {
        Feed(analyzer, 200, 1);
        EXPECT_EQ(analyzer.m_nAvgLevel, 200u);
    }
    EXPECT_EQ(analyzer.m_nNearLevel, 98 * 200 / 100);
    Feed(analyzer, 200, 1);
    EXPECT_EQ(analyzer.m_nRingPos, 0);
    EXPECT_EQ(analyzer.m_nNearLevel, 198);  // 99 stored entries; this one not yet
    Feed(analyzer, 200, 1);
    EXPECT_EQ(analyzer.m_nNearLevel, 200);
    // The first delta (200) sat at position 1 and was replaced only by this sample's store.
    EXPECT_EQ(analyzer.m_nNearDelta, 2);
    Feed(analyzer, 200, 1);
    EXPECT_EQ(analyzer.m_nNearDelta, 0);
}

TEST(MusicAnalyzerNear, RingsSurviveAResetAndRefillFromPositionOne)
{
    CMusicAnalyzer analyzer;
    Feed(analyzer, 1, 99);    // positions 1..99
    Feed(analyzer, 255, 1);   // position 0
    analyzer.AddSample(0);    // reset: stored at position 1
    EXPECT_EQ(analyzer.m_nNearLevel, (99 + 255) / 100);

    // Position 0 keeps its 255 until the ring wraps round to it 99 samples later.
    for (int j = 1; j <= 99; j++) {
        Feed(analyzer, 1, 1);
        ASSERT_EQ(analyzer.m_nNearLevel, (98 + 255) / 100) << "sample " << j;
    }
    EXPECT_EQ(analyzer.m_nRingPos, 0);
    Feed(analyzer, 1, 1);     // position 1 again; the zero is still in the sum
    EXPECT_EQ(analyzer.m_nNearLevel, 0);
    Feed(analyzer, 1, 1);
    EXPECT_EQ(analyzer.m_nNearLevel, 1);
}
