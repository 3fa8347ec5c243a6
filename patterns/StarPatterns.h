// CStarPatterns: patterns 7 and 8, a star field streaming in a turning direction and a fountain of balls.
#pragma once
#include <afx.h>
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"

class CStarPatterns
{
public:
    enum { STARS = 200, BALLS = 30 };

    void InitPattern7(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern7(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);
    void InitPattern8(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern8(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);

    // Pattern 7 keeps its own erase record (where each star was drawn) instead of the erase list.
    struct SStarField {
        double dAngleA = 0;            // cos(A) is the horizontal part of the common direction
        double dAngleB = 0;            // sin(B) the vertical part
        int nX[STARS] = {};
        int nY[STARS] = {};
        int nDrawnX[STARS] = {};
        int nDrawnY[STARS] = {};
        int nSize[STARS] = {};         // 0..5: half size and speed
        int nShiverSign = 1;
        int nShiverFactor = 1;
        BOOL bPlaced = FALSE;          // the stars have been given positions at least once
    } m_stars;

    // Pattern 8: ball i uses erase entry i.
    struct SFountain {
        double dX[BALLS] = {};
        double dY[BALLS] = {};
        double dVelX[BALLS] = {};
        double dVelY[BALLS] = {};      // negative is upward
        COLORREF crBall[BALLS] = {};   // 0 while the ball rests
        int nActive[BALLS] = {};
        int nFamily = 0;
    } m_fountain;

private:
    void PlaceStars(CPatternCanvas& cv);
    void MoveStar(int i, double cA, double sB, const RECT& rcClient);
    void LaunchBall(int i, const CPatternCanvas& cv, int level);
    void FlyBall(int i, const RECT& rcClient, DWORD dwAvgLevel);
};
