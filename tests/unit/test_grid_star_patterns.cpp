// Patterns 5 to 8 drawn into a DIB section from a fixed seed: the grid, the swarm, the star field, the fountain.
#include "PatternTest.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

// msvcrt after srand(1): 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, ...

class GridPatterns : public PatternTest
{
protected:
    CGridPatterns m_p;
};

TEST_F(GridPatterns, GridLayoutFollowsTheClientSizeAndStopsAt299)
{
    // 1024 x 768: wrap width 12 * 80 + 79 = 1039 gives columns 0..960 (13); wrap height 9 * 80 + 79 = 799
    // gives rows 0..720 (10): 130 dots.
    ::SetRect(&m_cv.m_rcClient, 0, 0, 1024, 768);
    m_p.InitPattern5(m_cv, Input(0));
    EXPECT_EQ(m_p.m_grid.nWrapWidth, 1039);
    EXPECT_EQ(m_p.m_grid.nWrapHeight, 799);
    EXPECT_EQ(m_p.m_grid.nCount, 130);
    EXPECT_EQ(m_cv.m_ptItem[129].x, 960);
    EXPECT_EQ(m_cv.m_ptItem[129].y, 720);

    // 2000 x 1600: 26 columns (0..2000 within 2079) and 21 rows would be 546; the first 299 in row order
    // are kept, so the last is row 11, column 12 (298 = 11 * 26 + 12).
    ::SetRect(&m_cv.m_rcClient, 0, 0, 2000, 1600);
    m_p.InitPattern5(m_cv, Input(0));
    EXPECT_EQ(m_p.m_grid.nCount, 299);
    EXPECT_EQ(m_cv.m_ptItem[298].x, 960);
    EXPECT_EQ(m_cv.m_ptItem[298].y, 880);
}

TEST_F(GridPatterns, GridSwellsAboutTheCentreAndSlidesOnlyAfterADeltaAbove50)
{
    m_p.InitPattern5(m_cv, Input(0));   // draw #1: colour family 0
    // 640 x 480: 9 columns (wrap width 719), dot 42 is row 4, column 6: (480, 320). At L = 128:
    // px = 480 + (160 / 10) * 128 / 20 = 480 + 102 = 582, py = 320 + (80 / 10) * 128 / 20 = 371, h = 16.
    // Dot 0 at (0, 0): px = (-32) * 128 / 20 = -204, py = (-24) * 128 / 20 = -153.
    m_p.DrawPattern5(m_cv, Input(128, 50), DC());
    EXPECT_EQ(m_cv.m_rcDrawn[42], Rect(566, 355, 598, 387));
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(-220, -169, -188, -137));
    EXPECT_EQ(m_p.m_grid.nDirection, 0) << "a delta of 50 changes nothing";
    EXPECT_EQ(m_cv.m_ptItem[42].y, 320);

    // D = 51 with average delta 1: draws #4, #5 the colour; #6 = 15724: direction 15724 * 16 / 32768 = 7
    // (right and left cancel, down); #7: speed RandomBelow(1 >> 1) + 1 = 1; #8 = 29358: family 2.
    SPatternInput in = Input(128, 51);
    in.dwAvgDelta = 1;
    m_p.DrawPattern5(m_cv, in, DC());
    EXPECT_EQ(m_p.m_grid.nDirection, 7);
    EXPECT_EQ(m_p.m_grid.nSpeed, 1);
    EXPECT_EQ(m_p.m_grid.nFamily, 2);
    EXPECT_EQ(m_cv.m_ptItem[42].x, 480);
    EXPECT_EQ(m_cv.m_ptItem[42].y, 321);
}

TEST_F(GridPatterns, SwarmStandsStillBelowLevel100AndWrapsAtTheEdges)
{
    m_p.InitPattern6(m_cv, Input(0));
    m_cv.m_ptItem[3] = { 300, 300 };
    m_p.m_swarm.dVelX[3] = 3;
    m_p.m_swarm.dVelY[3] = -4;
    for (int i = 0; i < 5; i++)
        m_p.DrawPattern6(m_cv, Input(99), DC());
    EXPECT_EQ(m_cv.m_ptItem[3].x, 300);
    EXPECT_EQ(m_cv.m_ptItem[3].y, 300);

    // From level 100 each dot moves by its velocity; from 200 by twice its velocity.
    m_p.DrawPattern6(m_cv, Input(100), DC());
    EXPECT_EQ(m_cv.m_ptItem[3].x, 303);
    EXPECT_EQ(m_cv.m_ptItem[3].y, 296);
    m_cv.m_ptItem[0] = { 5, 5 };
    m_p.m_swarm.dVelX[0] = m_p.m_swarm.dVelY[0] = -5;
    m_p.DrawPattern6(m_cv, Input(255), DC());
    // 5 - 10 = -5 -> -5 + 640 = 635; -5 + 480 = 475.
    EXPECT_EQ(m_cv.m_ptItem[0].x, 635);
    EXPECT_EQ(m_cv.m_ptItem[0].y, 475);
    // Shown before the move, swollen about (320, 240): px = 5 + (-31 * 255) / 20 = 5 - 395 = -390,
    // py = 5 + (-23 * 255) / 20 = 5 - 293 = -288, half size 255 / 8 = 31.
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(-421, -319, -359, -257));
}

class StarPatterns : public PatternTest
{
protected:
    // Stars 2 and up stay put (size 0, well inside); the common direction is straight right.
    void QuietField()
    {
        m_p.InitPattern7(m_cv, Input(50));
        m_p.m_stars.dAngleA = 0;
        m_p.m_stars.dAngleB = 0;
        for (int i = 0; i < CStarPatterns::STARS; i++) {
            m_p.m_stars.nSize[i] = 0;
            m_p.m_stars.nX[i] = m_p.m_stars.nY[i] = 100;
        }
    }

    CStarPatterns m_p;
};

TEST_F(StarPatterns, AStarBeyondTheRightEdgeReentersAtTheLeft)
{
    QuietField();
    m_p.m_stars.nSize[0] = 3;
    m_p.m_stars.nX[0] = 640;
    m_p.m_stars.nY[0] = 50;
    srand(1);
    rand();   // the re-entry takes #2 = 18467: y = 18467 * 480 / 32768 = 270
    m_p.DrawPattern7(m_cv, Input(50), DC());
    // 640 + 3 = right + 3 -> 643 - 640 + 1 = 4.
    EXPECT_EQ(m_p.m_stars.nX[0], 4);
    EXPECT_EQ(m_p.m_stars.nY[0], 270);
}

TEST_F(StarPatterns, LoudFramesShiverWhereStarsAreDrawnNotWhereTheyAre)
{
    PlainColours();
    QuietField();
    m_p.m_stars.nSize[1] = 5;
    m_p.m_stars.nX[1] = 300;
    m_p.m_stars.nY[1] = 200;
    // Frame 1 at L = 200: the sign turns to -1, k = 1 * 2 * -1 = -2: drawn 10 pixels up, from y - 15 to
    // y - 5. Brightness 5 * 4000 / 255 = 78, V = (int)(0.78 * 255) = 198: colour (0, 198, 198).
    m_p.DrawPattern7(m_cv, Input(200, 201), DC());
    EXPECT_EQ(m_p.m_stars.nX[1], 305);
    EXPECT_EQ(m_p.m_stars.nY[1], 200);
    EXPECT_EQ(m_p.m_stars.nDrawnY[1], 190);
    EXPECT_EQ(At(305, 190), RGB(0, 198, 198));
    // Frame 2: sign +1, and the delta above 200 made the factor 5: k = 10, drawn 50 pixels down.
    m_p.DrawPattern7(m_cv, Input(200), DC());
    EXPECT_EQ(m_p.m_stars.nDrawnY[1], 250);
    EXPECT_EQ(At(310, 250), RGB(0, 198, 198));
    EXPECT_EQ(At(305, 190), kBlack) << "the previous drawing is erased";
    // Below level 100 nothing shivers.
    m_p.DrawPattern7(m_cv, Input(99), DC());
    EXPECT_EQ(m_p.m_stars.nDrawnY[1], 200);
}

TEST_F(StarPatterns, SilenceKeepsTheStarsButNeverLeavesThemUnplaced)
{
    SPatternInput silent = Input(0);
    silent.bSilence = TRUE;
    m_p.InitPattern7(m_cv, silent);
    int nSizes = 0;
    for (int i = 0; i < CStarPatterns::STARS; i++)
        nSizes += m_p.m_stars.nSize[i];
    EXPECT_GT(nSizes, 0) << "a first use in silence must still give the stars sizes";

    m_p.m_stars.nX[0] = 12345;
    m_p.InitPattern7(m_cv, silent);
    EXPECT_EQ(m_p.m_stars.nX[0], 12345) << "later uses in silence keep the last state";
    m_p.InitPattern7(m_cv, Input(10));
    EXPECT_LT(m_p.m_stars.nX[0], 640);
}

class Fountain : public PatternTest
{
protected:
    // Every ball in flight at rest height, still: nothing launches, nothing draws from the sequence.
    void AllFlying()
    {
        m_p.InitPattern8(m_cv, Input(0));
        for (int i = 0; i < CStarPatterns::BALLS; i++) {
            m_p.m_fountain.nActive[i] = 1;
            m_p.m_fountain.dX[i] = 100;
            m_p.m_fountain.dY[i] = 200;
            m_p.m_fountain.dVelX[i] = m_p.m_fountain.dVelY[i] = 0;
            m_p.m_fountain.crBall[i] = RGB(255, 0, 0);
        }
    }

    CStarPatterns m_p;
};

TEST_F(Fountain, BallsLandOnlyBeyondBottomMinus10AndShowBlackOnce)
{
    m_cv.m_crBack = kWhite;
    m_surface->Fill(kWhite);
    AllFlying();
    CStarPatterns::SFountain& f = m_p.m_fountain;
    f.dX[0] = 100; f.dY[0] = 465; f.dVelY[0] = 5;       // 470 = bottom - 10: still flying
    f.dX[1] = 300; f.dY[1] = 465; f.dVelY[1] = 5.5;     // 470.5: lands
    f.dX[2] = 2;   f.dVelX[2] = -5;                     // leaves at the left: x = right
    f.dX[3] = 638; f.dVelX[3] = 5;                      // leaves at the right: x = 0
    m_p.DrawPattern8(m_cv, Input(0), DC());
    EXPECT_EQ(f.nActive[0], 1);
    EXPECT_EQ(f.nActive[1], 0);
    EXPECT_DOUBLE_EQ(f.dY[1], 470.0);
    EXPECT_EQ(At(300, 470), kBlack) << "a landing ball shows black on a white background";
    EXPECT_EQ(At(100, 470), RGB(255, 0, 0));
    EXPECT_DOUBLE_EQ(f.dX[2], 640.0);
    EXPECT_DOUBLE_EQ(f.dX[3], 0.0);
}

TEST_F(Fountain, LaunchDrawsTheThrowBeforeTheNudge)
{
    AllFlying();
    m_p.m_fountain.nActive[0] = 0;
    m_p.m_fountain.dX[0] = 320;
    m_p.m_fountain.dY[0] = 470;
    SPatternInput in = Input(100);
    in.dwAvgLevel = 50;
    srand(1);
    // n = 10, g = 480 / 480 = 1. #1 = 41: throw 0; #2: nudge RandomBelow(1) = 0; so velocity X = 0 - 5 + 0.
    // (Nudge first would give the throw #2 = 18467 -> 5 and a velocity of 0.) #3 = 6334: rise 1.
    m_p.DrawPattern8(m_cv, in, DC());
    const CStarPatterns::SFountain& f = m_p.m_fountain;
    EXPECT_NEAR(f.dVelX[0], -5.0, 1e-9);
    EXPECT_NEAR(f.dX[0], 315.0, 1e-9);
    EXPECT_NEAR(f.dY[0], 469.0, 1e-9);
    EXPECT_NEAR(f.dVelY[0], -1.0 + 0.5, 1e-9) << "gravity: average level 50 * 0.01";
}

}  // namespace
