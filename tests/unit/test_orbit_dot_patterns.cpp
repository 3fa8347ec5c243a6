// Patterns 1 to 4 drawn into a DIB section from a fixed seed: rings, the wandering disc, drifting and scattered dots.
#include "PatternTest.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kCyan = RGB(0, 255, 255);   // hue 180, whiteness 0, brightness 100

// msvcrt after srand(1): 41, 18467, 6334, 26500, 19169, 15724, ...; RandomBelow(n) = rand * n / 32768.

class OrbitPatterns : public PatternTest
{
protected:
    COrbitPatterns m_p;
};

TEST_F(OrbitPatterns, RingCountsAndPlacesFollowTheLevelAndOldDiscsAreErased)
{
    PlainColours();
    m_p.InitPattern1(m_cv, Input(0));
    // L = 255: step = angle = 255 * 0.005 + 0.1 = 1.375; d = 85, r = 255 * 240 / 255 = 240, corner offset
    // (320 - 42, 240 - 42). Discs at 1.375, 2.75, 4.125, 5.5, 6.875 (< 1.375 + 6.2831855 - 0.1):
    // sin(1.375) * 240 = 235.4 -> x = 235 + 278 = 513; cos(1.375) * 240 = 46.7 -> y = 46 + 198 = 244; etc.
    m_p.DrawPattern1(m_cv, Input(255), DC());
    const RECT expected[5] = { { 513, 244, 598, 329 }, { 369, -23, 454, 62 }, { 79, 65, 164, 150 },
                               { 109, 368, 194, 453 }, { 411, 397, 496, 482 } };
    ASSERT_EQ(m_p.m_ring.nCount, 5);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(m_cv.m_rcDrawn[i], expected[i]) << "disc " << i;
        // Pulse 255 * 100 / 255 = 100: brightness 40 + 60 = 100, so pure cyan.
        const RECT& rc = expected[i];
        EXPECT_EQ(At((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2), kCyan) << "disc " << i;
    }

    // L = 101: step 0.605 gives 11 discs of 33 (10 * 0.605 = 6.05 fits, 6.655 does not).
    m_p.DrawPattern1(m_cv, Input(101), DC());
    EXPECT_EQ(m_p.m_ring.nCount, 11);
    EXPECT_EQ(m_cv.m_rcDrawn[10].right - m_cv.m_rcDrawn[10].left, 33);
    EXPECT_EQ(At(555, 286), kBlack) << "the L = 255 disc centred at (555, 286) must be erased";

    // L = 0: 62 discs of size 0 at the centre (0 .. 6.1 in steps of 0.1); nothing stays on screen.
    m_p.DrawPattern1(m_cv, Input(0), DC());
    EXPECT_EQ(m_p.m_ring.nCount, 62);
    EXPECT_EQ(m_cv.m_rcDrawn[61], Rect(320, 240, 320, 240));
    EXPECT_EQ(m_surface->CountOther(kBlack), 0);
}

TEST_F(OrbitPatterns, RingKeepsAtMostAHundredEntriesAndOverwritesTheLast)
{
    // Step 0.05 would give 124 discs (0 .. 6.15); entries stop at 99, which holds the last disc.
    m_cv.m_bDrawShapes = FALSE;
    CPatternFrame frame(DC(), m_cv);
    int n = frame.DrawRing(m_cv.m_rcDrawn, 0.0, 0.05, 100, 10, 300, 200);
    EXPECT_EQ(n, 99);
    // a = 6.15: sin * 100 = -13.2 -> -13; cos * 100 = 99.1 -> 99.
    EXPECT_EQ(m_cv.m_rcDrawn[99], Rect(287, 299, 297, 309));
    EXPECT_EQ(m_cv.m_rcDrawn[100], Rect(0, 0, 0, 0)) << "nothing is written beyond entry 99";
}

TEST_F(OrbitPatterns, WanderingDiscTurnsOnlyOnceTheTrendIsEvaluated)
{
    PlainColours();
    m_p.InitPattern2(m_cv, Input(0));
    for (int i = 0; i < 20; i++)
        m_p.DrawPattern2(m_cv, Input(50), DC());
    for (int i = 0; i < 19; i++)
        m_p.DrawPattern2(m_cv, Input(150), DC());
    // Frame 39: trend still 0, so the disc is straight below the centre: d = 50, r = 150 * 240 / 255 = 141,
    // x = 320 - 25 = 295, y = 141 - 25 + 240 = 356.
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(295, 356, 345, 406));

    // Frame 40 evaluates the trend: (150 - 50) = 100, so angle X = 1.0, angle Y = 100 / 123 = 0.813.
    // x = trunc(sin(1.0) * 141) + 295 = 118 + 295 = 413; y = trunc(cos(0.813) * 141) + 215 = 96 + 215 = 311.
    m_p.DrawPattern2(m_cv, Input(150), DC());
    EXPECT_DOUBLE_EQ(m_p.m_wander.trend.Trend(), 100.0);
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(413, 311, 463, 361));

    // Frame 41 turns by the same amounts again: angle X = 2.0 -> 128 + 295 = 423; angle Y = 1.626 -> -7 + 215.
    m_p.DrawPattern2(m_cv, Input(150), DC());
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(423, 208, 473, 258));
    // Pulse 150 * 100 / 255 = 58: brightness 40 + 60 * 58 / 100 = 74, V = (int)(0.74 * 255) = 188.
    EXPECT_EQ(At(448, 233), RGB(0, 188, 188));
    EXPECT_EQ(At(438, 336), kBlack) << "the previous disc is erased";
}

class DotPatterns : public PatternTest
{
protected:
    CDotPatterns m_p;
};

TEST_F(DotPatterns, DriftingDotsWrapOnlyBeyondTheRightAndBottomEdges)
{
    m_p.InitPattern3(m_cv, Input(0));
    POINT* pt = m_cv.m_ptItem;
    pt[0] = { 100, 481 };   // bottom + 1
    pt[1] = { 640, 100 };   // moves to right + 1
    pt[2] = { 639, 200 };   // moves to right: stays
    pt[3] = { 300, 480 };   // at bottom: stays
    srand(1);
    // L = 0: no jitter (RandomBelow(0) still draws). Draws: #1, #2 the colour; #3, #4 dot 0's jitter;
    // #5 = 19169 the new x of dot 0: 19169 * 640 / 32768 = 374.
    m_p.DrawPattern3(m_cv, Input(0), DC());
    EXPECT_EQ(pt[0].x, 374);
    EXPECT_EQ(pt[0].y, 1);
    EXPECT_EQ(pt[1].x, 1);
    EXPECT_EQ(pt[1].y, 100);
    EXPECT_EQ(pt[2].x, 640);
    EXPECT_EQ(pt[3].x, 301);
    EXPECT_EQ(pt[3].y, 480);
    EXPECT_EQ(m_cv.m_rcDrawn[1], Rect(1, 100, 1, 100)) << "half size 0 below level 20";
}

TEST_F(DotPatterns, ScatterPlacesThreeHundredMinusLevelDots)
{
    PlainColours();
    m_p.InitPattern4(m_cv, Input(0));
    // L = 255: 45 dots, half size 25. Dot 0 from draws #3 and #4: x = 6334 * 640 / 32768 = 123,
    // y = 26500 * 480 / 32768 = 388.
    m_p.DrawPattern4(m_cv, Input(255), DC());
    EXPECT_EQ(m_p.m_scatter.nCount, 45);
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(98, 363, 148, 413));
    EXPECT_EQ(At(123, 388), kCyan);

    m_p.DrawPattern4(m_cv, Input(0), DC());
    EXPECT_EQ(m_p.m_scatter.nCount, 300);
    EXPECT_EQ(m_surface->CountOther(kBlack), 0) << "all 45 big dots erased, 300 invisible ones drawn";
}

}  // namespace
