// Patterns 13 to 16 drawn into a DIB section from a fixed seed: the lattice, the bars, the bubbles, the flyers.
#include "PatternTest.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);      // hue 0, whiteness 0, brightness 100
const COLORREF kCyan = RGB(0, 255, 255);

// msvcrt after srand(1): 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464, 5705, 28145,
// 23281, 16827, 9961, 491, 2995, 11942, 4827, ...; RandomBelow(n) = rand * n / 32768.

// The analyser's values of a frame whose near delta matters.
SPatternInput Jump(int level, int delta, int nearDelta)
{
    SPatternInput in;
    in.nLevel = level; in.nDelta = delta; in.nNearDelta = nearDelta;
    return in;
}

class LatticePatterns : public PatternTest
{
protected:
    // A lattice set by hand, sliding right, at whiteness weight 0 and brightness weight 100.
    void Place(int nSize, int x, int y)
    {
        CLatticePatterns::SLattice& l = m_p.m_lattice;
        l.nColumns = l.nRows = nSize; l.nSpacing = 50; l.nOriginX = x; l.nOriginY = y;
        l.nDirection = 0; l.nHue = 0; l.nWhiteWeight = 0; l.nBrightWeight = 100;
    }

    // Bar i: 3 dots 20 apart lying flat about (x, 240), at whiteness weight 0 and brightness weight 100.
    void Bar(int i, int x, int nHue)
    {
        CLatticePatterns::SBars& b = m_p.m_bars;
        b.nCentreX[i] = x; b.nCentreY[i] = 240; b.dAngle[i] = 0; b.nTurn[i] = 0;
        b.nDots[i] = 3; b.nSpacing[i] = 20; b.nHue[i] = nHue;
        b.nWhiteWeight[i] = 0; b.nBrightWeight[i] = 100;
    }

    CLatticePatterns m_p;
};

TEST_F(LatticePatterns, LatticeRenewsOnAJumpOrWhenItsHalfwayPointLeavesTheScreen)
{
    // 3 x 3 dots 50 apart: a = (150 + x) / 2, b = (150 + y) / 2. At L = 0 nothing slides. A renewal after
    // srand(1) takes spacing 19169 * 50 / 32768 + 50 = 29 + 50 = 79 (draw #5).
    const struct { int x, y, nDelta; bool bRenews; } cases[] = {
        { 100, 100, 40, false }, { 100, 100, 41, true },    // near delta 10: D - ND = 30, 31
        { 1130, 100, 0, false }, { 1132, 100, 0, true },    // a = 640 = right, 641
        { -151, 100, 0, false }, { -152, 100, 0, true },    // a = -1 / 2 = 0 (truncated toward zero), -1
        { 100, 810, 0, false }, { 100, 812, 0, true },      // b = 480 = bottom, 481
        { 100, -152, 0, true },                             // b = -1
    };
    for (const auto& c : cases) {
        srand(1);
        Place(3, c.x, c.y);
        m_p.DrawPattern13(m_cv, Jump(0, c.nDelta, 10), DC());
        EXPECT_EQ(m_p.m_lattice.nSpacing, c.bRenews ? 79 : 50) << "origin (" << c.x << ", " << c.y << ")";
    }
}

TEST_F(LatticePatterns, RenewalErasesTheWholeOldLatticeAndTheColourDrawKeepsItsPlace)
{
    PlainColours();
    // 7 x 7 red dots 50 apart; a = (350 + 100) / 2 = 225, b = 205: kept, and slid 255 / 10 = 25 right.
    Place(7, 100, 60);
    m_p.DrawPattern13(m_cv, Input(255), DC());
    EXPECT_EQ(m_p.m_lattice.nCount, 49);
    EXPECT_EQ(At(425, 360), kRed) << "dot 48 at (125 + 300, 60 + 300)";

    // Renewal from #1..#9: columns 41 -> 0 + 3 = 3; rows 18467 * 5 / 32768 = 2 -> 5; origin x 6334 * 840 / 32768
    // = 162 -> -38; origin y 26500 * 680 / 32768 = 549 -> 349; spacing 79; hue 180; whiteness weight
    // 11478 -> 35 + 50 = 85; brightness weight 29358 -> 89 + 50 = 139; direction 26962 * 4 / 32768 = 3 (up),
    // so origin y = 349 - 25 = 324. #10 is the colour's RandomBelow(0).
    srand(1);
    m_p.DrawPattern13(m_cv, Input(255, 31), DC());
    EXPECT_EQ(m_p.m_lattice.nCount, 15);
    EXPECT_EQ(m_cv.m_rcDrawn[14], Rect(95, 615, 145, 665)) << "column 2, row 4: (-38 + 158, 324 + 316)";
    for (int k = 0; k < 49; k++)
        EXPECT_NE(At(125 + 50 * (k % 7), 60 + 50 * (k / 7)), kRed) << "old dot " << k << " must be erased";
    // Brightness 40 + 60 * 139 / 100 = 123 passes the maximum: V = (int)(1.23 * 255) = 313, clamped to 255.
    EXPECT_EQ(At(41, 403), kCyan) << "column 1, row 1";

    // The next renewal starts at #11: columns 5705 -> 0 + 3 = 3, rows 28145 -> 4 + 3 = 7. (From #10 they would
    // be 24464 -> 3 + 3 = 6 and 5705 -> 0 + 3 = 3.)
    m_p.DrawPattern13(m_cv, Input(0, 31), DC());
    EXPECT_EQ(m_p.m_lattice.nColumns, 3);
    EXPECT_EQ(m_p.m_lattice.nRows, 7);
}

TEST_F(LatticePatterns, AtMostFiveBarsAreShownAndTheirHueRunsDownToRedWithoutWrapping)
{
    m_p.InitPattern14(m_cv, Input(0));
    for (int i = 0; i < CLatticePatterns::BARS; i++)
        Bar(i, 80 + 120 * i, i == 0 ? 20 : 0);
    // Whiteness 0, brightness 100: V = 255, m = 0. Hue 20: green 255 * 20 / 60 = 85; 10: 42; 0: red.
    // L = 255: 255 / 50 + 1 = 6, capped at 5; dots of half size 255 / 15 = 17.
    m_p.DrawPattern14(m_cv, Input(255), DC());
    EXPECT_EQ(At(80, 240), RGB(255, 85, 0));
    for (int i = 1; i < CLatticePatterns::BARS; i++)
        EXPECT_EQ(At(80 + 120 * i, 240), kRed) << "bar " << i;
    EXPECT_EQ(m_cv.m_rcDrawn[201], Rect(543, 223, 577, 257)) << "bar 4's middle dot";
    EXPECT_EQ(m_cv.m_rcDrawn[250], Rect(0, 0, 0, 0)) << "there is no sixth block";

    // L = 199: 199 / 50 + 1 = 4 bars. Bar 4 is erased once more and not drawn. Bar 3's hue -10 stays in the
    // first sector: green max(255 * -10 / 60, 0) = 0 (wrapped to 350 it would be (255, 0, 42)).
    m_p.DrawPattern14(m_cv, Input(199), DC());
    EXPECT_EQ(At(80, 240), RGB(255, 42, 0));
    EXPECT_EQ(At(440, 240), kRed);
    EXPECT_EQ(At(560, 240), kBlack);

    // L = 45: bar 0 alone, dots of half size 3.
    m_p.DrawPattern14(m_cv, Input(45), DC());
    EXPECT_EQ(At(80, 240), kRed);
    EXPECT_EQ(At(200, 240), kBlack);
    EXPECT_EQ(m_p.m_bars.nHue[0], -10);
    EXPECT_EQ(m_p.m_bars.nHue[1], -20);
    EXPECT_EQ(m_p.m_bars.nHue[4], -10) << "a bar falls only in the frames it is shown";
}

class BubblePattern : public PatternTest
{
protected:
    CBubblePattern m_p;
};

TEST_F(BubblePattern, ReleaseNeedsADeltaAbove30AndAFreeSlotAndNeverMakesAStillBubble)
{
    PlainColours();
    m_p.InitPattern15(m_cv, Input(0));   // emitter at (320, 240); at L = 0 no first spray
    for (int i = 0; i < CBubblePattern::BUBBLES; i++) {
        m_p.m_nActive[i] = 1;
        m_p.m_dX[i] = m_p.m_dY[i] = 100;   // standing still, radius 0
    }
    m_p.m_dX[57] = 691;   // right + 51: leaves
    m_p.m_dX[58] = 690;   // right + 50: stays
    m_p.DrawPattern15(m_cv, Input(0, 31), DC());
    EXPECT_EQ(m_p.m_nActive[57], 0);
    EXPECT_EQ(m_p.m_nActive[58], 1);
    EXPECT_EQ(m_p.m_dX[57], 691.0) << "nothing is released into a full table";
    m_p.DrawPattern15(m_cv, Input(0, 30), DC());
    EXPECT_EQ(m_p.m_nActive[57], 0) << "a delta of 30 releases nothing";

    // Nothing was drawn from the sequence yet. #24 = 153 and #25 = 292 both give RandomBelow(100) = 0: velocity
    // X = -0.5 and a first velocity Y of -0.5; #26 = 12382 gives 37, so velocity Y = (37 - 50) * 0.01 = -0.13.
    // #27 the hue, 180; #28 = 18716 -> brightness weight 28 + 50 = 78, 83 after this frame.
    for (int i = 0; i < 23; i++)
        rand();
    m_p.DrawPattern15(m_cv, Input(0, 31), DC());
    ASSERT_EQ(m_p.m_nActive[57], 1);
    EXPECT_DOUBLE_EQ(m_p.m_dVelX[57], -0.5);
    EXPECT_DOUBLE_EQ(m_p.m_dVelY[57], -0.13);
    // From the emitter: x = 319.5, y = 239.87, radius 2.05.
    EXPECT_EQ(m_cv.m_rcDrawn[57], Rect(317, 237, 321, 241));
    // Brightness 40 + 60 * 83 / 100 = 89: V = (int)(0.89 * 255) = 226.
    EXPECT_EQ(At(318, 238), RGB(0, 226, 226));
}

class FlyerPattern : public PatternTest
{
protected:
    // A flyer set by hand, its previous rectangle empty so that its first move erases nothing.
    void Fly(int i, int nKind, const RECT& rc, int dx, int dy, int nHue)
    {
        CFlyerPattern::SFlyerSlot& f = m_p.m_slot[i];
        f.nActive = 1; f.nKind = nKind; f.rc = rc; ::SetRectEmpty(&f.rcPrev);
        f.dx = dx; f.dy = dy; f.nHue = nHue; f.nWhiteWeight = f.nBrightWeight = 100;
    }

    CFlyerPattern m_p;
};

TEST_F(FlyerPattern, LaunchMakesLevelOverTenPlusOneFlyersThatMoveFromTheNextFrame)
{
    m_p.InitPattern16(m_cv, Input(0));
    m_p.DrawPattern16(m_cv, Jump(255, 40, 10), DC());
    EXPECT_EQ(m_p.m_slot[0].nActive, 0) << "a delta of the near delta + 30 launches nothing";
    m_p.DrawPattern16(m_cv, Jump(255, 41, 10), DC());
    // 255 / 10 + 1 = 26 attempts fill slots 0..25, six draws each: side, left, top, kind, speed, hue.
    EXPECT_EQ(m_p.m_slot[25].nActive, 1);
    EXPECT_EQ(m_p.m_slot[26].nActive, 0);
    // Slot 0 (#1..#6): side 0 (left edge), top 6334 * 480 / 32768 = 92, kind 26500 * 4 / 32768 = 3 (disc),
    // speed 19169 * 51 / 32768 + 5 = 29 + 5 = 34: 34 across, 34 per frame.
    EXPECT_EQ(m_p.m_slot[0].rc, Rect(0, 92, 34, 126));
    // Slot 2 (#13..#18): side 23281 -> 2 (top edge), left 16827 * 640 / 32768 = 328, kind 491 -> 0 (dash),
    // speed 2995 * 51 / 32768 + 5 = 9: 20 * 9 = 180 long, 18 per frame.
    EXPECT_EQ(m_p.m_slot[2].rc, Rect(328, 0, 328, 180));
    EXPECT_EQ(m_p.m_slot[2].dy, 18);
    // Slot 10 (#61..#66): side 12316 -> 1 (right edge), top 22190 * 480 / 32768 = 325, kind 1842 -> 0,
    // speed 288 * 51 / 32768 + 5 = 5: wholly right of the screen, from 640 to 740, 10 per frame leftwards.
    EXPECT_EQ(m_p.m_slot[10].rc, Rect(640, 325, 740, 325));
    EXPECT_EQ(m_p.m_slot[10].dx, -10);
    EXPECT_EQ(m_surface->CountOther(kBlack), 0) << "nothing is drawn in the frame of the launch";

    // Full whiteness 5 and brightness 100: V = 255, m = (int)(0.05 * 255) = 12.
    m_p.DrawPattern16(m_cv, Input(255), DC());
    // Slot 10, hue 30106 * 360 / 32768 = 330: blue max(255 * 30 / 60, 12) = 127; now from x = 630.
    EXPECT_EQ(At(638, 325), RGB(255, 12, 127));
    // Slot 2, hue 11942 * 360 / 32768 = 131: blue max(255 * 11 / 60, 12) = 46; now from y = 18 to 198.
    EXPECT_EQ(At(328, 190), RGB(12, 255, 46));
}

TEST_F(FlyerPattern, FlyerIsKeptFiftyPixelsBeyondAnEdgeAndFreedAtFiftyOne)
{
    // Moved 30 pixels: kept at 50 beyond an edge, freed at 51.
    const struct { RECT rc; int dx, dy, nActive; } cases[] = {
        { { -40, 100, -20, 120 }, -30, 0, 1 }, { { -41, 100, -21, 120 }, -30, 0, 0 },   // right -50, -51
        { { 660, 100, 680, 120 }, 30, 0, 1 }, { { 661, 100, 681, 120 }, 30, 0, 0 },     // left W + 50, + 51
        { { 100, -40, 120, -20 }, 0, -30, 1 }, { { 100, -41, 120, -21 }, 0, -30, 0 },   // bottom -50, -51
        { { 100, 500, 120, 520 }, 0, 30, 1 }, { { 100, 501, 120, 521 }, 0, 30, 0 },     // top H + 50, + 51
    };
    for (int i = 0; i < 8; i++)
        Fly(i, 1, cases[i].rc, cases[i].dx, cases[i].dy, 0);
    m_p.DrawPattern16(m_cv, Input(0), DC());
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(m_p.m_slot[i].nActive, cases[i].nActive) << "flyer " << i;
}

TEST_F(FlyerPattern, AFullTableDropsLaunchAttemptsWithoutDrawingFromTheSequence)
{
    for (int i = 0; i < CFlyerPattern::SLOTS; i++)
        Fly(i, 1, Rect(10, 10, 20, 20), 0, 0, 0);
    m_p.DrawPattern16(m_cv, Jump(39, 41, 0), DC());   // 39 / 10 + 1 = 4 attempts, none finds a slot
    EXPECT_EQ(rand(), 41) << "an attempt that finds no slot draws nothing (#1 is next)";
    EXPECT_EQ(m_p.m_slot[99].rc, Rect(10, 10, 20, 20));

    m_p.m_slot[5].nActive = 0;
    srand(1);
    m_p.DrawPattern16(m_cv, Jump(39, 41, 0), DC());
    // The first attempt takes slot 5 (#1..#6): left edge, top 92, kind 3, a disc 19169 * 7 / 32768 + 5 = 9 across.
    EXPECT_EQ(m_p.m_slot[5].rc, Rect(0, 92, 9, 101));
    EXPECT_EQ(rand(), 11478) << "the other three attempts find the table full again (#7 is next)";
}

TEST_F(FlyerPattern, FirstEraseAfterALaunchLeavesOtherFlyersAndTheDcIsGivenItsObjectsBack)
{
    const HDC hdc = DC()->GetSafeHdc();
    const HGDIOBJ hPen = ::GetCurrentObject(hdc, OBJ_PEN);
    const HGDIOBJ hBrush = ::GetCurrentObject(hdc, OBJ_BRUSH);
    const LONG nLive = CGdiObject::GetLiveCount();
    // Slot 0: a green disc standing still. Slot 1: free, its previous rectangle (from an earlier flyer) on
    // slot 0's disc. Slot 2: a green dash moving down 3 pixels a frame.
    Fly(0, 1, Rect(100, 100, 140, 140), 0, 0, 120);
    m_p.m_slot[1].nKind = 1;
    m_p.m_slot[1].rcPrev = Rect(100, 100, 140, 140);
    Fly(2, 0, Rect(200, 300, 400, 300), 0, 3, 120);
    // L = 0: one attempt, into slot 1 (#1..#6): left edge, top 92, a disc of speed 5.
    m_p.DrawPattern16(m_cv, Jump(0, 31, 0), DC());
    ASSERT_EQ(m_p.m_slot[1].nActive, 1);
    m_p.DrawPattern16(m_cv, Input(0), DC());
    // Hue 120 at full whiteness 5: (m, V, m) = (12, 255, 12).
    EXPECT_EQ(At(120, 120), RGB(12, 255, 12)) << "slot 1's first erase must not cut into slot 0";
    EXPECT_EQ(At(250, 303), kBlack) << "the dash drawn at y = 303 is erased";
    EXPECT_EQ(At(250, 306), RGB(12, 255, 12));
    EXPECT_EQ(::GetCurrentObject(hdc, OBJ_PEN), hPen);
    EXPECT_EQ(::GetCurrentObject(hdc, OBJ_BRUSH), hBrush);
    EXPECT_EQ(CGdiObject::GetLiveCount() - m_cv.m_gdi.Count(), nLive) << "only the kept pens and brushes remain";
}

TEST_F(FlyerPattern, WithShapesOffEachFlyerInBoundsClearsTheScreenAndNothingIsDrawn)
{
    m_cv.m_bDrawShapes = FALSE;
    const RECT rcMark = Rect(500, 400, 510, 410);
    DC()->FillSolidRect(&rcMark, kRed);
    Fly(0, 1, Rect(-100, 100, -80, 120), -1, 0, 0);   // right -81 after its move: freed, clears nothing
    m_p.DrawPattern16(m_cv, Input(0), DC());
    EXPECT_EQ(m_p.m_slot[0].nActive, 0);
    EXPECT_EQ(At(505, 405), kRed);

    Fly(1, 1, Rect(100, 100, 120, 120), 5, 0, 0);
    m_p.DrawPattern16(m_cv, Input(0), DC());
    EXPECT_EQ(m_surface->CountOther(kBlack), 0) << "cleared, and the flyer not drawn";
    EXPECT_EQ(m_p.m_slot[1].rcPrev, Rect(105, 100, 125, 120)) << "it still moves";
}

}  // namespace
