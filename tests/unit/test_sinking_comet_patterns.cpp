// Patterns 9 to 12 drawn into a DIB section from a fixed seed: sinking discs, the wandering ring, the swarm, comets.
#include "PatternTest.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);     // hue 120, whiteness 0, brightness 100
const COLORREF kCyan = RGB(0, 255, 255);    // hue 180, whiteness 0, brightness 100
const COLORREF kTeal = RGB(0, 102, 102);    // hue 180 at brightness 40: V = (int)(0.4 * 255) = 102

// msvcrt after srand(1): 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, ...

class SinkingPatterns : public PatternTest
{
protected:
    CSinkingPatterns m_p;
};

TEST_F(SinkingPatterns, TrailStartsAboveTheTopAtFullLevelAndASilentFrameSkipsItsSlot)
{
    PlainColours();
    m_p.InitPattern9(m_cv, Input(0));   // #1 = 41: colour family 41 * 3 / 32768 = 0
    CSinkingPatterns::STrail& t = m_p.m_trail;
    t.dX[1] = 100;                      // an older disc in slot 1
    t.dHeight[1] = 200;
    t.crDisc[1] = kRed;

    // L = 255 into slot 0: #2 = 18467: x = 18467 * 640 / 32768 = 360; height 480 * 255 / 255 = 480, so the
    // disc spans y = 480 - 20 - 480 = -20 to 0 and shows nothing. Brightness 40 + 60 * 100 / 100: cyan.
    // Afterwards #5 = 19169: drift 19169 * 31 / 32768 - 15 = 18 - 15 = 3; #6 = 15724: family 1.
    m_p.DrawPattern9(m_cv, Input(255), DC());
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(350, -20, 370, 0));
    EXPECT_EQ(At(360, 0), kBlack);
    EXPECT_EQ(m_cv.m_rcDrawn[1], Rect(90, 260, 110, 280));
    EXPECT_EQ(t.nDrift, 3);

    // L = 0: no new disc, slot 1 is skipped. Disc 0 sank to 480 * 100 / 101 = 475.25: y from
    // trunc(-15.25) = -15 to trunc(4.75) = 4, so it shows at the top.
    m_p.DrawPattern9(m_cv, Input(0), DC());
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(350, -15, 370, 4));
    EXPECT_EQ(At(360, 1), kCyan);

    // L = 50 goes to slot 2, not 1: #7 = 11478: x = 224; height 480 * 50 / 255 = 94 (integer), top
    // 480 - 20 - 94 = 366. Brightness 40 + 60 * (5000 / 255 = 19) / 100 = 51, V = (int)(0.51 * 255) = 130;
    // family 1 turns hue 180 to 300: (130, 0, 130).
    m_p.DrawPattern9(m_cv, Input(50), DC());
    EXPECT_EQ(m_cv.m_rcDrawn[2], Rect(214, 366, 234, 386));
    EXPECT_EQ(At(224, 376), RGB(130, 0, 130));
    // Slot 1's disc lives on, drifted 3 right and sunk twice: 200 * (100 / 101)^2 = 196.06, top 263.94.
    EXPECT_EQ(m_cv.m_rcDrawn[1], Rect(93, 263, 113, 283));
    EXPECT_EQ(At(103, 273), kRed);
    EXPECT_EQ(At(93, 268), kBlack) << "slot 1's previous image (90, 261, 110, 281) is erased";
}

TEST_F(SinkingPatterns, RingHangsFromItsCornerAndJumpsOnlyAboveDelta30)
{
    PlainColours();
    m_p.InitPattern10(m_cv, Input(0));
    // L = 51: step 0.61, angle 0.255 + 0.1 = 0.355, r = 51 * 480 / 255 = 96, d = 17; 11 discs (10 * 0.61
    // = 6.1 < 6.183). Pulse 0, brightness 40: teal. D = 30 keeps the centre (320, 240); the colour takes #1, #2.
    // Disc 0: sin(0.355) * 96 = 33.37 -> 353; cos(0.355) * 96 = 90.01 -> 330: the corner, not the centre.
    m_p.DrawPattern10(m_cv, Input(51, 30), DC());
    EXPECT_EQ(m_p.m_ring.nCount, 11);
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(353, 330, 370, 347));
    EXPECT_EQ(At(361, 338), kTeal);
    EXPECT_EQ(At(349, 326), kBlack) << "inside a disc centred on the orbit point, outside the real one";

    // D = 31: #3 = 6334: centre X = 6334 * 640 / 32768 = 123; #4 = 26500: centre Y = 26500 * 480 / 32768
    // = 388 (the colour comes after, #5, #6). Angle 0.71: sin * 96 = 62.58 -> 185; cos * 96 = 72.80 -> 460.
    m_p.DrawPattern10(m_cv, Input(51, 31), DC());
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(185, 460, 202, 477));
    EXPECT_EQ(At(193, 468), kTeal);
    EXPECT_EQ(At(361, 338), kBlack) << "the previous ring is erased";

    // L = 101: step 1.11 gives 6 discs (5 * 1.11 = 5.55 fits, 6.66 does not).
    m_p.DrawPattern10(m_cv, Input(101), DC());
    EXPECT_EQ(m_p.m_ring.nCount, 6);
}

class SwarmCometPatterns : public PatternTest
{
protected:
    static SPatternInput Swarm(int level, int delta, int nearLevel)
    {
        SPatternInput in = Input(level, delta);
        in.nNearLevel = nearLevel;
        return in;
    }

    CSwarmCometPatterns m_p;
};

TEST_F(SwarmCometPatterns, SwarmRegroupsOnlyAfterASpread)
{
    m_p.InitPattern11(m_cv, Input(0));   // #1 .. #100: the 50 centres
    CSwarmCometPatterns::SDance& s = m_p.m_dance;
    s.dAngleX[1] = 0.5;                  // disc 1 out of step, so a regroup would show
    s.dDivX[1] = 150;

    // Quiet, and a delta of 100 does not spread: nothing regroups. The colour takes #101, #102.
    m_p.DrawPattern11(m_cv, Swarm(50, 100, 50), DC());
    EXPECT_EQ(s.nSpread, 1);
    EXPECT_DOUBLE_EQ(s.dAngleX[1], 0.5);
    EXPECT_DOUBLE_EQ(s.dDivX[1], 150.0);

    // D = 101 spreads: #103 = 4639 -> 4639 * 100 / 32768 + 100 = 114, #104 = 29658 -> 190 (disc 0),
    // #105 = 22704 -> 169, #106 = 9930 -> 130 (disc 1). A near level of 100 is not yet quiet.
    m_p.DrawPattern11(m_cv, Swarm(50, 101, 100), DC());
    EXPECT_EQ(s.nSpread, 0);
    EXPECT_DOUBLE_EQ(s.dDivX[0], 114.0);
    EXPECT_DOUBLE_EQ(s.dDivY[0], 190.0);
    EXPECT_DOUBLE_EQ(s.dDivX[1], 169.0);
    EXPECT_DOUBLE_EQ(s.dDivY[1], 130.0);
    EXPECT_DOUBLE_EQ(s.dAngleX[1], 0.5);

    // Near level 99 after the spread: every disc takes disc 0's angles (0, trend still 0) and divisors.
    m_p.DrawPattern11(m_cv, Swarm(50, 0, 99), DC());
    EXPECT_EQ(s.nSpread, 1);
    for (int i : { 1, 49 }) {
        EXPECT_DOUBLE_EQ(s.dAngleX[i], 0.0) << "disc " << i;
        EXPECT_DOUBLE_EQ(s.dDivX[i], 114.0) << "disc " << i;
        EXPECT_DOUBLE_EQ(s.dDivY[i], 190.0) << "disc " << i;
    }
}

TEST_F(SwarmCometPatterns, SwarmDiscHangsFromItsCentreBeforeTheCentreMoves)
{
    PlainColours();
    m_p.InitPattern11(m_cv, Input(0));
    m_cv.m_ptItem[5] = { 300, 200 };
    m_cv.m_ptItem[6] = { 620, 200 };
    // L = 51, angles 0: r = 96, size 17, half 8: x = 0 - 8 + 300 = 292, y = 96 - 8 + 200 = 288. Then the
    // centre moves by -trunc(cos(0) * -30) = +30 and trunc(sin(0) * 30) = 0. Pulse 0: teal.
    m_p.DrawPattern11(m_cv, Swarm(51, 0, 200), DC());
    EXPECT_EQ(m_cv.m_rcDrawn[5], Rect(292, 288, 309, 305));
    EXPECT_EQ(At(300, 296), kTeal);
    EXPECT_EQ(m_cv.m_ptItem[5].x, 330);
    EXPECT_EQ(m_cv.m_ptItem[5].y, 200);
    EXPECT_EQ(m_cv.m_ptItem[6].x, 1) << "650 is beyond the right edge";
    m_p.DrawPattern11(m_cv, Swarm(51, 0, 200), DC());
    EXPECT_EQ(m_cv.m_rcDrawn[5], Rect(322, 288, 339, 305));
}

// At L = 127 the drift angle stays 0: every comet also moves 10 right; heading steps are 127 / 10 = 12.
TEST_F(SwarmCometPatterns, CometsLaunchAboveDelta10AtMostOnePerFrame)
{
    m_p.InitPattern12(m_cv, Input(0));
    m_p.DrawPattern12(m_cv, Input(127, 10), DC());
    EXPECT_EQ(m_p.m_comets.nActive[0], 0);
    EXPECT_EQ(m_surface->CountOther(kBlack), 0);

    // #1 = 41: side 0 (top); #2 = 18467: x = 360. Moved to (370, 12), half size 12.
    m_p.DrawPattern12(m_cv, Input(127, 11), DC());
    EXPECT_EQ(m_p.m_comets.nActive[0], 1);
    EXPECT_EQ(m_p.m_comets.nActive[1], 0);
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(358, 0, 382, 24));

    // #3 = 6334: side 0; #4 = 26500: x = 517, moved to (527, 12). Comet 0 goes on to (380, 24).
    m_p.DrawPattern12(m_cv, Input(127, 11), DC());
    EXPECT_EQ(m_p.m_comets.nActive[1], 1);
    EXPECT_EQ(m_p.m_comets.nActive[2], 0);
    EXPECT_EQ(m_cv.m_rcDrawn[1], Rect(515, 0, 539, 24));
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(368, 12, 392, 36));
}

TEST_F(SwarmCometPatterns, ACometLaunchedWithAColourChangeCarriesThePreviousColour)
{
    PlainColours();
    m_p.InitPattern12(m_cv, Input(0));
    CSwarmCometPatterns::SComets& c = m_p.m_comets;
    c.nLaunchHue = 120;
    c.nLaunchWhite = 0;
    c.nLaunchBright = 100;

    // D = 255: comet 0 from #1 (top), #2 (x 360) at (370, 12), then #3, #4 make the launch colour hue 180,
    // whiteness 0, brightness 255 * 100 / 255 = 100. Comet 0 is still green.
    m_p.DrawPattern12(m_cv, Input(127, 255), DC());
    EXPECT_EQ(At(370, 12), kGreen);
    EXPECT_EQ(c.nBright[0], 80);

    // #5 = 19169: side 2 (bottom); #6 = 15724: x = 307, moved to (317, 468) in the new colour, cyan.
    // Comet 0 at (380, 24) fades: brightness 40 + 60 * 80 / 100 = 88, V = (int)(0.88 * 255) = 224.
    m_p.DrawPattern12(m_cv, Input(127, 255), DC());
    EXPECT_EQ(m_cv.m_rcDrawn[1], Rect(305, 456, 329, 480));
    EXPECT_EQ(At(317, 468), kCyan);
    EXPECT_EQ(At(380, 24), RGB(0, 224, 0));
}

TEST_F(SwarmCometPatterns, ACometAtTheRightEdgeStaysOneBeyondIsRemovedAndErased)
{
    m_p.InitPattern12(m_cv, Input(0));
    CSwarmCometPatterns::SComets& c = m_p.m_comets;
    for (int i = 0; i < 2; i++) {
        c.nActive[i] = 1;
        c.ptHeading[i] = { 0, 1 };
        c.nHue[i] = 120;
        c.nBright[i] = 100;
    }
    m_cv.m_ptItem[0] = { 630, 100 };   // to (640, 112): x = right, kept
    m_cv.m_ptItem[1] = { 631, 100 };   // to (641, 112): removed
    m_cv.m_rcDrawn[1] = Rect(100, 100, 124, 124);
    DC()->FillSolidRect(&m_cv.m_rcDrawn[1], kRed);   // comet 1's last image

    m_p.DrawPattern12(m_cv, Input(127), DC());
    EXPECT_EQ(c.nActive[0], 1);
    EXPECT_EQ(m_cv.m_rcDrawn[0], Rect(628, 100, 652, 124));
    EXPECT_EQ(At(636, 112), kGreen);
    EXPECT_EQ(c.nActive[1], 0);
    EXPECT_EQ(At(112, 112), kBlack);
}

}  // namespace
