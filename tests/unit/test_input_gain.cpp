// Unit tests of the input sensitivity: fixed factors at the 16-bit limits and Auto on scripted music.
#include <gtest/gtest.h>

#include <string.h>

#include "sound/InputGain.h"
#include "sound/MusicAnalyzer.h"

namespace {

const int N = CMusicAnalyzer::BUFFER_SAMPLES;

// One buffer of alternating -a, +a (the measured sample 99 is +a) through the gain into the analyser.
int Feed(CInputGain& gain, CMusicAnalyzer& analyzer, int a)
{
    short buf[N];
    for (int i = 0; i < N; i++)
        buf[i] = (short)(i % 2 ? a : -a);
    gain.Apply(buf, N);
    analyzer.AddBuffer(buf);
    return analyzer.m_nLevel;
}

// A quiet song: its loud part, three buffers in ten, peaks at 3000 (level step 23, middle 2944 + 64 = 3008),
// so Auto aims at 23700 / 3008 = 7.879. Returns the level of the last buffer, a 3000 one for whole cycles.
int FeedSong(CInputGain& gain, CMusicAnalyzer& analyzer, int buffers)
{
    static const int cycle[10] = { 600, 1500, 3000, 900, 2000, 3000, 400, 2500, 1200, 3000 };
    int level = 0;
    for (int i = 0; i < buffers; i++)
        level = Feed(gain, analyzer, cycle[i % 10]);
    return level;
}

} // namespace

TEST(InputGain, FixedFactorsMultiplyAndHoldTheResultWithinSixteenBits)
{
    // 8 x 16448 = 131584 and 2 x -16448 = -32896 are held; 2 x 16384 = 32768 is one too many.
    const struct { int mode; short in; short out; } cases[] = { { 8, 16448, 32767 }, { 2, -16448, -32768 },
        { 2, 16383, 32766 }, { 2, 16384, 32767 }, { 8, -4096, -32768 }, { 8, -4097, -32768 }, { 4, -100, -400 } };
    for (const auto& c : cases) {
        CInputGain gain;
        ASSERT_TRUE(gain.SetMode(c.mode));
        short s = c.in;
        gain.Apply(&s, 1);
        EXPECT_EQ(s, c.out) << "x" << c.mode << " on " << c.in;
    }
    CInputGain gain;
    CMusicAnalyzer analyzer;
    EXPECT_EQ(gain.GetMode(), 1);
    short in[4] = { -32768, 32767, -1, 127 }, out[4];
    memcpy(out, in, sizeof(in));
    gain.Apply(out, 4);
    EXPECT_EQ(memcmp(in, out, sizeof(in)), 0);  // x1 is bit-identical
    EXPECT_FALSE(gain.SetMode(3));
    gain.SetMode(8);
    EXPECT_EQ(Feed(gain, analyzer, 16448), 255);  // 32767 / 128 = 255
    gain.SetMode(2);
    EXPECT_EQ(Feed(gain, analyzer, -16448), 255);  // -32768 / 128 = -256, held at 255
}

TEST(InputGain, AutoLiftsAQuietSongIntoTheTargetBandWithinSeconds)
{
    CInputGain gain;
    CMusicAnalyzer analyzer;
    ASSERT_TRUE(gain.SetMode(CInputGain::GAIN_AUTO));
    // Rising by 1.0127 a buffer: 1.0127^60 = 2.132 after 1.1 s, 3000 x 2.132 = 6397, level 49.
    EXPECT_EQ(FeedSong(gain, analyzer, 60), 49);
    // 7.879 is reached after ln 7.879 / ln 1.0127 = 164 buffers (3 s): 3000 x 7.879 = 23636, level 184.
    EXPECT_EQ(FeedSong(gain, analyzer, 160), 184);
}

TEST(InputGain, AutoBringsALoudPassageDownQuicklyAndIgnoresASinglePeak)
{
    CInputGain gain;
    CMusicAnalyzer analyzer;
    ASSERT_TRUE(gain.SetMode(CInputGain::GAIN_AUTO));
    FeedSong(gain, analyzer, 220);
    // One peak of 20000 costs a tenth for one buffer: 7.879 x 0.9 = 7.091; ten buffers later the song is back.
    Feed(gain, analyzer, 20000);
    EXPECT_NEAR(gain.GetGain(), 7.091, 0.001);
    EXPECT_EQ(FeedSong(gain, analyzer, 20), 184);
    // A passage at 20000 may reach 32000 / 20000 = 1.6: 7.879 x 0.9^15 = 1.622 (32444), then 1.6 (32000, level 250).
    int level = 0;
    for (int k = 1; k <= 110; k++) {
        level = Feed(gain, analyzer, 20000);
        if (k >= 16)
            EXPECT_LE(level, 250) << "buffer " << k;
    }
    // Once 22 of the 220 remembered buffers are loud, the aim is 23700 / 20032 = 1.183: 20000 x 1.183 = 23662.
    EXPECT_EQ(level, 184);
}

TEST(InputGain, AutoHoldsItsGainThroughSilenceAndANoiseFloor)
{
    CInputGain gain;
    CMusicAnalyzer analyzer;
    ASSERT_TRUE(gain.SetMode(CInputGain::GAIN_AUTO));
    FeedSong(gain, analyzer, 220);
    const double held = gain.GetGain();
    for (int i = 0; i < 275; i++) {
        ASSERT_EQ(Feed(gain, analyzer, 0), 0);
        ASSERT_EQ(analyzer.m_bSilenceReset, 1);
        ASSERT_EQ(Feed(gain, analyzer, 2), 0);
    }
    EXPECT_EQ(Feed(gain, analyzer, 200), 1);  // passed as it is: 200 / 128 = 1 (7.879 x 200 would be level 12)
    EXPECT_EQ(gain.GetGain(), held);
    EXPECT_EQ(FeedSong(gain, analyzer, 10), 184);  // the song comes back at once: 3000 x 7.879 = 23636
}
