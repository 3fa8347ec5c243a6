// Unit tests of the input sensitivity: fixed factors at the 16-bit limits and Auto on scripted music.
#include <gtest/gtest.h>

#include <string.h>

#include "core/InputGain.h"
#include "core/MusicAnalyzer.h"

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

// A quiet song: its middle, 1500, and its loud part, 3000, three buffers in ten each. Sorted, a cycle is 400 600 900
// 1500 1500 1500 2500 3000 3000 3000: the middle is the 1500s' step (11, middle 1408 + 64 = 1472) and the loudest
// tenth the 3000s' (23, 2944 + 64 = 3008), so Auto aims at 11264 / 1472 = 7.652, under the loud part's
// 30720 / 3008 = 10.21. Returns the level of the last buffer, a 3000 one for whole cycles.
int FeedSong(CInputGain& gain, CMusicAnalyzer& analyzer, int buffers)
{
    static const int cycle[10] = { 600, 1500, 3000, 900, 1500, 3000, 400, 2500, 1500, 3000 };
    int level = 0;
    for (int i = 0; i < buffers; i++)
        level = Feed(gain, analyzer, cycle[i % 10]);
    return level;
}

const double SONG_GAIN = 11264.0 / 1472;

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

TEST(InputGain, AutoLiftsAQuietSongsMiddleToLevel88WithinSeconds)
{
    CInputGain gain;
    CMusicAnalyzer analyzer;
    ASSERT_TRUE(gain.SetMode(CInputGain::GAIN_AUTO));
    // Rising by 1.0127 a buffer: 1.0127^60 = 2.132 after 1.1 s, 3000 x 2.132 = 6396, level 49.
    EXPECT_EQ(FeedSong(gain, analyzer, 60), 49);
    // 7.652 is reached after ln 7.652 / ln 1.0127 = 162 buffers (3 s): 3000 x 7.652 = 22956, level 179.
    EXPECT_EQ(FeedSong(gain, analyzer, 160), 179);
    EXPECT_DOUBLE_EQ(gain.GetGain(), SONG_GAIN);
    EXPECT_EQ(Feed(gain, analyzer, 1500), 89);  // 1500 x 7.652 = 11478
}

TEST(InputGain, AutoFallsFastOnlyWhenClippingLasts)
{
    CInputGain gain;
    CMusicAnalyzer analyzer;
    ASSERT_TRUE(gain.SetMode(CInputGain::GAIN_AUTO));
    FeedSong(gain, analyzer, 220);
    // 20000 x 7.652 clips; the window's middle and loud part stay the song's, so two in a row cost nothing
    // and the third takes a tenth: 7.652 x 0.9 = 6.887.
    EXPECT_EQ(Feed(gain, analyzer, 20000), 255);
    EXPECT_EQ(Feed(gain, analyzer, 20000), 255);
    EXPECT_DOUBLE_EQ(gain.GetGain(), SONG_GAIN);
    Feed(gain, analyzer, 20000);
    EXPECT_DOUBLE_EQ(gain.GetGain(), SONG_GAIN * 0.9);
    // Back in ln(1 / 0.9) / ln 1.0127 = 9 buffers.
    EXPECT_EQ(FeedSong(gain, analyzer, 20), 179);
    EXPECT_DOUBLE_EQ(gain.GetGain(), SONG_GAIN);
}

TEST(InputGain, AutoHoldsALoudPassageUnderClipping)
{
    CInputGain gain;
    CMusicAnalyzer analyzer;
    ASSERT_TRUE(gain.SetMode(CInputGain::GAIN_AUTO));
    FeedSong(gain, analyzer, 220);
    // A passage at 6000 clips at 7.652 (45913); from its third buffer a tenth goes per buffer: 6.887, 6.198,
    // 5.578 (33471, still over 32000), 5.021 at the sixth: 6000 x 5.021 = 30123, level 235.
    for (int k = 1; k <= 100; k++) {
        const int level = Feed(gain, analyzer, 6000);
        if (k <= 5)
            EXPECT_EQ(level, 255) << "buffer " << k;
        if (k == 6)
            EXPECT_EQ(level, 235);
        // From 23 loud buffers on they are the loudest tenth (197 others < 198): the aim is at most
        // 30720 / 5952 = 5.161 (level 241), and a gain above it only falls.
        if (k >= 23)
            EXPECT_LT(level, 255) << "buffer " << k;
        // After 100 the window's middle is the song's loud part (120 of it, 36 of them 3000 above 84 others):
        // 11264 / 3008 = 3.745, 6000 x 3.745 = 22468, level 175.
        if (k == 100)
            EXPECT_EQ(level, 175);
    }
}

TEST(InputGain, AutoHoldsItsGainThroughSilenceAndARoomsNoise)
{
    CInputGain gain;
    CMusicAnalyzer analyzer;
    ASSERT_TRUE(gain.SetMode(CInputGain::GAIN_AUTO));
    FeedSong(gain, analyzer, 220);
    // Under an RMS of 328 a buffer passes as it is, a click with a peak of 2000 in it too: its RMS is
    // sqrt((199 x 100^2 + 2000^2) / 200) = 173.
    short click[N];
    for (int i = 0; i < N; i++)
        click[i] = (short)(i % 2 ? 100 : -100);
    click[CMusicAnalyzer::MEASURED_SAMPLE] = 2000;
    for (int i = 0; i < 275; i++) {
        ASSERT_EQ(Feed(gain, analyzer, 0), 0);
        ASSERT_EQ(analyzer.m_bSilenceReset, 1);
        ASSERT_EQ(Feed(gain, analyzer, 327), 2);  // 327 / 128
        gain.Apply(click, N);
        ASSERT_EQ(click[CMusicAnalyzer::MEASURED_SAMPLE], 2000);
    }
    EXPECT_DOUBLE_EQ(gain.GetGain(), SONG_GAIN);
    EXPECT_EQ(Feed(gain, analyzer, 328), 19);  // music: 328 x 7.652 = 2509
    EXPECT_EQ(FeedSong(gain, analyzer, 10), 179);
}
