// CStarPatterns: the star field (pattern 7) and the fountain (pattern 8), each element in its own colour.
#include "patterns/StarPatterns.h"
#include <math.h>
#include "patterns/PatternFrame.h"

namespace {
const int kShiverDelta = 200;    // a delta above this makes the next frame shiver five times as far
const int kFamilyLevel = 50;     // a level above this picks the fountain's next colour family
const int kBallRadius = 10;
}

void CStarPatterns::InitPattern7(CPatternCanvas& cv, const SPatternInput& in)
{
    // During silence the stars keep their last state, but there must be a first one: stars that were
    // never placed all have size 0 and the pattern would stay blank whatever music followed.
    if (in.bSilence && m_stars.bPlaced)
        return;
    PlaceStars(cv);
}

void CStarPatterns::PlaceStars(CPatternCanvas& cv)
{
    m_stars.dAngleA = CPatternCanvas::RandomBelow(10) * 0.3333333333333333;
    m_stars.dAngleB = CPatternCanvas::RandomBelow(10) * 0.3333333333333333;
    for (int i = 0; i < STARS; i++) {
        m_stars.nX[i] = CPatternCanvas::RandomBelow(cv.m_rcClient.right);
        m_stars.nY[i] = CPatternCanvas::RandomBelow(cv.m_rcClient.bottom);
        const int nSpread = CPatternCanvas::RandomBelow(30);   // most stars small
        m_stars.nSize[i] = CPatternCanvas::RandomBelow(nSpread) / 5;
    }
    m_stars.bPlaced = TRUE;
}

// A star leaving at one edge comes back at the opposite one, at a new place along it.
void CStarPatterns::MoveStar(int i, double cA, double sB, const RECT& rc)
{
    const int s = m_stars.nSize[i];
    int& x = m_stars.nX[i];
    int& y = m_stars.nY[i];
    x = x + (int)(s * cA);
    y = y + (int)(s * sB);
    if (x > rc.right) {
        x = x - rc.right + 1;
        y = CPatternCanvas::RandomBelow(rc.bottom);
    }
    if (x <= 0) {
        x = x + rc.right - 1;
        y = CPatternCanvas::RandomBelow(rc.bottom);
    }
    if (y > rc.bottom) {
        y = y - rc.bottom - 1;
        x = CPatternCanvas::RandomBelow(rc.right);
    }
    if (y <= 0) {
        y = y + rc.bottom + 1;
        x = CPatternCanvas::RandomBelow(rc.right);
    }
}

void CStarPatterns::DrawPattern7(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    m_stars.nShiverSign = m_stars.nShiverSign == 1 ? -1 : 1;
    const double cA = cos(m_stars.dAngleA);
    const double sB = sin(m_stars.dAngleB);
    m_stars.dAngleA = m_stars.dAngleA + 0.003;
    m_stars.dAngleB = m_stars.dAngleB + 0.007;
    const int k = m_stars.nShiverFactor * (in.nLevel / 100) * m_stars.nShiverSign;

    CPatternFrame frame(pDC, cv);
    for (int i = 0; i < STARS; i++) {
        MoveStar(i, cA, sB, cv.m_rcClient);
        const int s = m_stars.nSize[i];
        const RECT rcOld = { m_stars.nDrawnX[i] - s, m_stars.nDrawnY[i] - s,
                             m_stars.nDrawnX[i] + s, m_stars.nDrawnY[i] + s };
        // The bigger the star, the brighter; the brightness settings don't apply here.
        const int brightness = s * 4000 / 255;
        const int whiteness = cv.RandomWhiteness();
        const int hue = cv.RandomHue();
        frame.UseColor(cv.HsvToColor(hue, whiteness, brightness));
        // Only where the star is drawn shivers, never its position.
        const int x = m_stars.nX[i], y = m_stars.nY[i];
        const RECT rc = { x - s, y + (k - 1) * s, x + s, y + (k + 1) * s };
        RECT rcDrawn;
        frame.EraseAndDraw(rcOld, rc, rcDrawn);
        m_stars.nDrawnX[i] = x;
        m_stars.nDrawnY[i] = y + k * s;
    }
    m_stars.nShiverFactor = in.nDelta > kShiverDelta ? 5 : 1;
}

void CStarPatterns::InitPattern8(CPatternCanvas& cv, const SPatternInput&)
{
    m_fountain.nFamily = CPatternCanvas::RandomBelow(3);
    for (int i = 0; i < BALLS; i++) {
        m_fountain.dX[i] = CPatternCanvas::RandomBelow(cv.m_rcClient.right);
        m_fountain.dY[i] = cv.m_rcClient.bottom - kBallRadius;
        m_fountain.dVelX[i] = 0;
        m_fountain.dVelY[i] = 0;
        m_fountain.nActive[i] = 0;
        m_fountain.crBall[i] = 0;
    }
}

// A ball is thrown from where it came to rest, in a colour whose brightness follows the level itself.
void CStarPatterns::LaunchBall(int i, const CPatternCanvas& cv, int L)
{
    const double g = cv.m_rcClient.bottom * 0.0020833333333333333;   // bottom / 480
    const int n = L / 10;
    const int nThrow = CPatternCanvas::RandomBelow(n);
    const int nNudge = CPatternCanvas::RandomBelow(1);
    m_fountain.dVelX[i] = (nThrow - n / 2 + nNudge) * g;
    const int nRise = CPatternCanvas::RandomBelow(n);
    m_fountain.dVelY[i] = -(nRise * g);
    m_fountain.nActive[i] = 1;
    m_fountain.crBall[i] = cv.FamilyColor(m_fountain.nFamily, L);
}

void CStarPatterns::FlyBall(int i, const RECT& rc, DWORD dwAvgLevel)
{
    m_fountain.dX[i] = m_fountain.dX[i] + m_fountain.dVelX[i];
    m_fountain.dY[i] = m_fountain.dY[i] + m_fountain.dVelY[i];
    if (m_fountain.dY[i] > rc.bottom - kBallRadius) {
        m_fountain.dY[i] = rc.bottom - kBallRadius;   // landed: shown once in black, thrown again next frame
        m_fountain.dVelX[i] = 0;
        m_fountain.dVelY[i] = 0;
        m_fountain.nActive[i] = 0;
        m_fountain.crBall[i] = 0;
    }
    if (m_fountain.dX[i] < 0)
        m_fountain.dX[i] = rc.right;
    if (m_fountain.dX[i] > rc.right)
        m_fountain.dX[i] = 0;
    // Gravity grows with the average level since the last silence.
    m_fountain.dVelY[i] = m_fountain.dVelY[i] + dwAvgLevel * 0.01;
}

void CStarPatterns::DrawPattern8(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    CPatternFrame frame(pDC, cv);
    for (int i = 0; i < BALLS; i++) {
        if (!m_fountain.nActive[i])
            LaunchBall(i, cv, in.nLevel);
        if (m_fountain.nActive[i])
            FlyBall(i, cv.m_rcClient, in.dwAvgLevel);
        frame.UseColor(m_fountain.crBall[i]);
        const double x = m_fountain.dX[i], y = m_fountain.dY[i];
        const RECT rc = { (int)(x - kBallRadius), (int)(y - kBallRadius), (int)(x + kBallRadius),
                          (int)(y + kBallRadius) };
        frame.EraseAndDraw(cv.m_rcDrawn[i], rc, cv.m_rcDrawn[i]);
    }
    if (in.nLevel > kFamilyLevel)
        m_fountain.nFamily = CPatternCanvas::RandomBelow(3);
}
