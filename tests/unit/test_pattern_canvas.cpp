// Unit tests of the pattern canvas: colour function, random scaling, pulse, frame colour and colour commands.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <random>
#include <tuple>

#include "patterns/PatternCanvas.h"

namespace {

// Snapshot of everything the colour commands may change.
struct ColorState
{
    int hue, hueRange, whiteMax, whiteMin, whiteRange, brightMax, brightMin, brightRange;

    explicit ColorState(const CPatternCanvas& c)
        : hue(c.m_nHue), hueRange(c.m_nHueRange), whiteMax(c.m_nWhiteMax),
          whiteMin(c.m_nWhiteMin), whiteRange(c.m_nWhiteRange), brightMax(c.m_nBrightMax),
          brightMin(c.m_nBrightMin), brightRange(c.m_nBrightRange) {}

    bool operator==(const ColorState& o) const
    {
        return std::tie(hue, hueRange, whiteMax, whiteMin, whiteRange, brightMax, brightMin,
                        brightRange) == std::tie(o.hue, o.hueRange, o.whiteMax, o.whiteMin,
                                                 o.whiteRange, o.brightMax, o.brightMin,
                                                 o.brightRange);
    }
};

} // namespace

TEST(PatternCanvasHsv, PrimariesWhiteAndBlack)
{
    CPatternCanvas canvas;
    EXPECT_EQ(canvas.HsvToColor(0, 0, 100), 0x0000FFu);
    EXPECT_EQ(canvas.HsvToColor(120, 0, 100), 0x00FF00u);
    EXPECT_EQ(canvas.HsvToColor(240, 0, 100), 0xFF0000u);
    EXPECT_EQ(canvas.HsvToColor(480, 0, 100), 0x00FF00u);
    EXPECT_EQ(canvas.HsvToColor(180, 100, 100), 0xFFFFFFu);
    for (int hue = -359; hue < 720; hue += 37)
        EXPECT_EQ(canvas.HsvToColor(hue, 60, 0), 0x000000u) << "hue " << hue;
}

TEST(PatternCanvasHsv, EachSectorSlopesItsIntermediateChannel)
{
    const struct { int hue; COLORREF color; } cases[] = {
        { 30, RGB(255, 127, 0) }, { 90, RGB(127, 255, 0) }, { 150, RGB(0, 255, 127) },
        { 210, RGB(0, 127, 255) }, { 270, RGB(127, 0, 255) }, { 330, RGB(255, 0, 127) },
        { 60, RGB(255, 255, 0) }, { 359, RGB(255, 0, 4) },
    };
    CPatternCanvas canvas;
    for (const auto& c : cases)
        EXPECT_EQ(canvas.HsvToColor(c.hue, 0, 100), c.color) << "hue " << c.hue;
}

TEST(PatternCanvasHsv, IntermediateChannelIsTheLargerOfSlopeAndWhiteness)
{
    CPatternCanvas canvas;
    // V 255, m 127; the slope at hue 10 is only 42, so green is m, not m plus a share.
    EXPECT_EQ(canvas.HsvToColor(10, 50, 100), RGB(255, 127, 127));
    // V = (int)(57 * 0.01 * 255) = 145, m = (int)(33 * 0.01 * 145) = 47; slope 145 * 20 / 60 = 48.
    EXPECT_EQ(canvas.HsvToColor(100, 33, 57), RGB(48, 145, 47));
}

TEST(PatternCanvasHsv, NegativeHueFallsIntoTheFirstSector)
{
    CPatternCanvas canvas;
    // m = (int)(10 * 0.01 * 255) = 25; a wrapped hue of 330 would give blue 127 instead.
    EXPECT_EQ(canvas.HsvToColor(-30, 10, 100), RGB(255, 25, 25));
    EXPECT_EQ(canvas.HsvToColor(-390, 0, 100), RGB(255, 0, 0));
}

TEST(PatternCanvasHsv, DoublePrecisionStepsNotExtendedOnes)
{
    CPatternCanvas canvas;
    // V = (int)(10 * 0.01 * 255.0) = 25. 116 * 0.01 rounds to the double 1.15999999999999992, times 25 to
    // 28.999999999999996: m = 28. Carried in 80 bits the product is 29.0000000000000006 and m would be 29.
    // h = 116: red = max(25 * 4 / 60, 28) = 28, green = 25, blue = 28.
    EXPECT_EQ(canvas.HsvToColor(116, 116, 10), 0x1C191Cu);
    // V = (int)(157 * 0.01 * 255.0) = 400; 29 * 0.01 = 0.28999999999999998, times 400 = 115.99999999999999:
    // m = 115 (116 with 80-bit intermediates). Red clamps to 255.
    EXPECT_EQ(canvas.HsvToColor(0, 29, 157), 0x7373FFu);
}

TEST(PatternCanvasHsv, ChannelsAreClampedOutsideTheUsualBrightness)
{
    CPatternCanvas canvas;
    EXPECT_EQ(canvas.HsvToColor(0, 0, 200), 0x0000FFu);
    EXPECT_EQ(canvas.HsvToColor(200, 0, -50), 0x000000u);
}

TEST(PatternCanvasHsv, InvertTurnsTheHueAndMonoOverridesEverything)
{
    CPatternCanvas canvas;
    const COLORREF at180 = canvas.HsvToColor(180, 20, 80);
    const COLORREF at200 = canvas.HsvToColor(200, 0, 100);
    canvas.m_bInvert = TRUE;
    EXPECT_EQ(canvas.HsvToColor(0, 20, 80), at180);
    EXPECT_EQ(canvas.HsvToColor(20, 0, 100), at200);

    canvas.m_bMono = TRUE;
    EXPECT_EQ(canvas.HsvToColor(0, 20, 80), 0x000000u);
    EXPECT_EQ(canvas.HsvToColor(77, 0, 0), 0x000000u);
    canvas.m_bInvert = FALSE;
    EXPECT_EQ(canvas.HsvToColor(0, 20, 80), 0xFFFFFFu);
    EXPECT_EQ(canvas.HsvToColor(77, 0, 0), 0xFFFFFFu);
}

TEST(PatternCanvasRandom, DegenerateAndNegativeRanges)
{
    srand(3);
    bool sawLowest = false, sawZero = false;
    for (int i = 0; i < 2000; i++) {
        EXPECT_EQ(CPatternCanvas::RandomBelow(0), 0);
        EXPECT_EQ(CPatternCanvas::RandomBelow(1), 0);
        const int r = CPatternCanvas::RandomBelow(-5);
        ASSERT_GE(r, -4);
        ASSERT_LE(r, 0);
        sawLowest |= r == -4;
        sawZero |= r == 0;
    }
    EXPECT_TRUE(sawLowest);
    EXPECT_TRUE(sawZero);
}

TEST(PatternCanvasRandom, ScalesTheRuntimeSequenceWithTruncation)
{
    srand(1);
    ASSERT_EQ(rand(), 41);
    srand(1);
    EXPECT_EQ(CPatternCanvas::RandomBelow(100), 0);

    const int ns[] = { 100, 7, 360, -90, 32767, 2 };
    int raw[6];
    srand(99);
    for (int& r : raw)
        r = rand();
    srand(99);
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(CPatternCanvas::RandomBelow(ns[i]), raw[i] * ns[i] / 32768) << "n " << ns[i];
}

TEST(PatternCanvasPulse, FlaresOnLoudLevelsAndFadesInSteps)
{
    const struct { int level; int pulse; } steps[] = {
        { 255, 100 }, { 0, 80 }, { 100, 60 }, { 50, 40 }, { 50, 0 },
        { 101, 39 }, { 200, 78 }, { 0, 58 }, { 0, 38 }, { 0, 0 }, { 0, 0 },
    };
    int pulse = 0;
    for (const auto& s : steps) {
        CPatternCanvas::UpdatePulse(pulse, s.level);
        EXPECT_EQ(pulse, s.pulse) << "level " << s.level;
    }
}

TEST(PatternCanvasFrameColor, DrawsWhitenessBeforeHue)
{
    CPatternCanvas canvas;
    canvas.m_nHue = 0;
    canvas.m_nHueRange = 240;
    canvas.m_nWhiteMin = 10;
    canvas.m_nWhiteMax = 90;
    canvas.m_nWhiteRange = 80;
    canvas.m_nBrightMin = 30;
    canvas.m_nBrightRange = 70;
    const int pulse = 64;
    const int brightness = 30 + 70 * pulse / 100;

    int compared = 0;
    for (unsigned seed = 1; seed <= 20; seed++) {
        srand(seed);
        const int first = rand();
        const int second = rand();
        const int white = 10 + 80 * (first * 100 / 32768) / 100;
        const int hue = second * 240 / 32768 - 120;
        const int swappedWhite = 10 + 80 * (second * 100 / 32768) / 100;
        const int swappedHue = first * 240 / 32768 - 120;
        const COLORREF expected = canvas.HsvToColor(hue, white, brightness);
        if (expected == canvas.HsvToColor(swappedHue, swappedWhite, brightness))
            continue;  // this seed could not tell the orders apart
        srand(seed);
        EXPECT_EQ(canvas.PickPatternColor(pulse), expected) << "seed " << seed;
        compared++;
    }
    EXPECT_GE(compared, 15);
}

TEST(PatternCanvasColorCommands, EachIdStepsItsParameter)
{
    const struct { UINT id; int ColorState::*field; int change; } cases[] = {
        { 0x803A, &ColorState::brightMax, 1 }, { 0x803B, &ColorState::brightMax, 10 },
        { 0x803C, &ColorState::brightMax, -1 }, { 0x803D, &ColorState::brightMax, -10 },
        { 0x803E, &ColorState::brightMin, 1 }, { 0x803F, &ColorState::brightMin, 10 },
        { 0x8040, &ColorState::brightMin, -1 }, { 0x8041, &ColorState::brightMin, -10 },
        { 0x8042, &ColorState::whiteMin, 1 }, { 0x8043, &ColorState::whiteMin, 10 },
        { 0x8044, &ColorState::whiteMin, -1 }, { 0x8045, &ColorState::whiteMin, -10 },
        { 0x8046, &ColorState::whiteMax, 1 }, { 0x8047, &ColorState::whiteMax, 10 },
        { 0x8048, &ColorState::whiteMax, -1 }, { 0x8049, &ColorState::whiteMax, -10 },
        { 0x804A, &ColorState::hue, 1 }, { 0x804B, &ColorState::hue, 10 },
        { 0x804C, &ColorState::hue, -1 }, { 0x804D, &ColorState::hue, -10 },
        { 0x804E, &ColorState::hueRange, 1 }, { 0x804F, &ColorState::hueRange, 10 },
        { 0x8050, &ColorState::hueRange, -1 }, { 0x8051, &ColorState::hueRange, -10 },
    };
    for (const auto& c : cases) {
        CPatternCanvas canvas;
        canvas.m_nBrightMax = canvas.m_nWhiteMax = 70;
        canvas.m_nBrightMin = canvas.m_nWhiteMin = 30;
        canvas.m_nBrightRange = canvas.m_nWhiteRange = 40;
        canvas.m_nHueRange = 50;
        ColorState expected(canvas);
        expected.*c.field += c.change;
        expected.brightRange = expected.brightMax - expected.brightMin;
        expected.whiteRange = expected.whiteMax - expected.whiteMin;

        canvas.StepColor(c.id);
        EXPECT_TRUE(ColorState(canvas) == expected) << std::hex << "id 0x" << c.id;
    }
}

TEST(PatternCanvasColorCommands, IdsOutsideTheRangeDoNothing)
{
    CPatternCanvas canvas;
    const ColorState before(canvas);
    canvas.StepColor(0x8039);
    canvas.StepColor(0x8052);
    canvas.StepColor(0);
    EXPECT_TRUE(ColorState(canvas) == before);
}

TEST(PatternCanvasColorCommands, HueAndHueRangeWrap)
{
    CPatternCanvas canvas;
    canvas.m_nHue = 32767;
    canvas.StepColor(0x804A);
    EXPECT_EQ(canvas.m_nHue, 1);
    canvas.m_nHue = 32760;
    canvas.StepColor(0x804B);
    EXPECT_EQ(canvas.m_nHue, 3);
    canvas.m_nHue = -32768;
    canvas.StepColor(0x804C);
    EXPECT_EQ(canvas.m_nHue, -1);
    canvas.m_nHue = -32765;
    canvas.StepColor(0x804D);
    EXPECT_EQ(canvas.m_nHue, -7);

    canvas.m_nHueRange = 32767;
    canvas.StepColor(0x804E);
    EXPECT_EQ(canvas.m_nHueRange, 1);
    canvas.m_nHueRange = -32768;
    canvas.StepColor(0x8051);
    EXPECT_EQ(canvas.m_nHueRange, -10);
}

TEST(PatternCanvasColorCommands, LimitsAndCollisions)
{
    CPatternCanvas canvas;
    canvas.StepColor(0x8049);  // whiteness max 5 - 10 meets the minimum 0
    EXPECT_EQ(canvas.m_nWhiteMax, 0);
    EXPECT_EQ(canvas.m_nWhiteRange, 1);
    canvas.StepColor(0x8042);  // whiteness min cannot pass the maximum either
    EXPECT_EQ(canvas.m_nWhiteMin, 0);
    EXPECT_EQ(canvas.m_nWhiteRange, 1);
    canvas.StepColor(0x8047);
    EXPECT_EQ(canvas.m_nWhiteMax, 10);
    EXPECT_EQ(canvas.m_nWhiteRange, 10);

    canvas.StepColor(0x803A);  // brightness max already at 100
    EXPECT_EQ(canvas.m_nBrightMax, 100);
    EXPECT_EQ(canvas.m_nBrightRange, 60);
    canvas.m_nBrightMin = 5;
    canvas.StepColor(0x8041);
    EXPECT_EQ(canvas.m_nBrightMin, 0);
    EXPECT_EQ(canvas.m_nBrightRange, 100);
    canvas.m_nBrightMax = 95;
    canvas.StepColor(0x803B);
    EXPECT_EQ(canvas.m_nBrightMax, 100);
}

TEST(PatternCanvasColorCommands, MinimumAndMaximumNeverCross)
{
    CPatternCanvas canvas;
    std::mt19937 gen(20240611u);
    std::uniform_int_distribution<UINT> id(0x803A, 0x8049);
    for (int i = 0; i < 20000; i++) {
        const UINT cmd = id(gen);
        canvas.StepColor(cmd);
        const int pairs[2][3] = {
            { canvas.m_nBrightMin, canvas.m_nBrightMax, canvas.m_nBrightRange },
            { canvas.m_nWhiteMin, canvas.m_nWhiteMax, canvas.m_nWhiteRange },
        };
        for (const auto& p : pairs) {
            ASSERT_GE(p[0], 0) << "step " << i;
            ASSERT_LE(p[1], 100) << "step " << i;
            ASSERT_LE(p[0], p[1]) << "step " << i;
            ASSERT_EQ(p[2], p[0] == p[1] ? 1 : p[1] - p[0]) << "step " << i;
        }
    }
}

TEST(PatternCanvasInvert, ToggleSetsTheBackgroundAndTurnsColours)
{
    CPatternCanvas canvas;
    canvas.ToggleInvert();
    EXPECT_TRUE(canvas.m_bInvert);
    EXPECT_EQ(canvas.m_crBack, 0xFFFFFFu);
    EXPECT_EQ(canvas.HsvToColor(0, 0, 100), 0xFFFF00u);
    canvas.ToggleInvert();
    EXPECT_FALSE(canvas.m_bInvert);
    EXPECT_EQ(canvas.m_crBack, 0x000000u);
}

TEST(PatternCanvasStores, FirstFreeIsTheLowestSlotNotInUseOrNoneWhenAllAre)
{
    int nActive[4] = { 1, 0, 1, 0 };
    EXPECT_EQ(CPatternCanvas::FirstFree(nActive), 1);
    nActive[1] = 7;   // any non-zero flag is in use
    EXPECT_EQ(CPatternCanvas::FirstFree(nActive), 3);
    nActive[3] = 1;
    EXPECT_EQ(CPatternCanvas::FirstFree(nActive), -1);
    const POINT slots[3] = { { 1, 0 }, { 1, 0 }, { 0, 0 } };
    EXPECT_EQ(CPatternCanvas::FirstFree(slots, [](const POINT& pt) { return pt.x != 0; }), 2);
}

// A scheme sets every field in one call, with the ranges the colour keys would leave: maximum minus minimum,
// 1 where they meet. A new canvas holds the defaults: hue 180 +-5, whiteness 0..5 (range 5), brightness
// 40..100 (range 60), black background, shapes on.
TEST(PatternCanvasScheme, OneCallSetsEveryFieldAndANewCanvasHoldsTheDefaults)
{
    CPatternCanvas fresh;
    EXPECT_EQ(ColorState(fresh).hue, 180);
    EXPECT_EQ(ColorState(fresh).whiteRange, 5);
    EXPECT_EQ(ColorState(fresh).brightRange, 60);
    EXPECT_EQ(fresh.m_crBack, RGB(0, 0, 0));
    EXPECT_TRUE(fresh.m_bDrawShapes);

    const struct { SColorScheme scheme; int whiteRange, brightRange; } cases[] = {
        { { RGB(1, 2, 3), 30, 7, 10, 20, 50, 90, TRUE, TRUE, FALSE }, 10, 40 },
        { { RGB(9, 9, 9), -40, 0, 33, 33, 70, 70, FALSE, FALSE, TRUE }, 1, 1 },   // ends meet: range 1
    };
    for (const auto& c : cases) {
        CPatternCanvas canvas;
        canvas.SetScheme(c.scheme);
        EXPECT_EQ(canvas.m_crBack, c.scheme.crBack);
        EXPECT_EQ(canvas.m_nHue, c.scheme.nHue);
        EXPECT_EQ(canvas.m_nHueRange, c.scheme.nHueRange);
        EXPECT_EQ(canvas.m_nWhiteMin, c.scheme.nWhiteMin);
        EXPECT_EQ(canvas.m_nWhiteMax, c.scheme.nWhiteMax);
        EXPECT_EQ(canvas.m_nWhiteRange, c.whiteRange);
        EXPECT_EQ(canvas.m_nBrightMin, c.scheme.nBrightMin);
        EXPECT_EQ(canvas.m_nBrightMax, c.scheme.nBrightMax);
        EXPECT_EQ(canvas.m_nBrightRange, c.brightRange);
        EXPECT_EQ(canvas.m_bMono, c.scheme.bMono);
        EXPECT_EQ(canvas.m_bInvert, c.scheme.bInvert);
        EXPECT_EQ(canvas.m_bDrawShapes, c.scheme.bDrawShapes);
    }
}
