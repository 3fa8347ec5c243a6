// CSwarmCometPatterns: patterns 11 and 12, a dancing swarm of swinging discs and comets from the edges.
#pragma once
#include <afx.h>
#include "patterns/LevelTrend.h"
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"

class CPatternFrame;

class CSwarmCometPatterns
{
public:
    enum { DISCS = 50, COMETS = 50 };

    void InitPattern11(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern11(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);
    void InitPattern12(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern12(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);

    // Pattern 11: disc centres in the shared point store, disc i's rectangle in erase entry i.
    struct SDance {
        CLevelTrend trend;
        int nPulse[DISCS] = {};
        double dAngleX[DISCS] = {};
        double dAngleY[DISCS] = {};
        double dDivX[DISCS] = {};   // a swing phase advances by trend / divisor per frame
        double dDivY[DISCS] = {};
        int nSpread = 1;            // 1: in step and may spread; 0: spread, waiting for a quiet passage
    } m_dance;

    // Pattern 12: comet positions in the shared point store, comet i's rectangle in erase entry i.
    struct SComets {
        int nActive[COMETS] = {};
        POINT ptHeading[COMETS] = {};
        int nHue[COMETS] = {};
        int nWhite[COMETS] = {};
        int nBright[COMETS] = {};   // percent of the brightness range; fades to 40..21
        int nLaunchHue = 0;         // the colour the next comets are given
        int nLaunchWhite = 0;
        int nLaunchBright = 0;
        double dDrift = 0;          // direction of the common sideways drift
    } m_comets;

private:
    void SpreadOrRegroup(const SPatternInput& in);
    void MoveCentre(POINT& pt, int i, const RECT& rcClient);
    void LaunchComet(CPatternCanvas& cv);
    void MoveComets(CPatternCanvas& cv, int level, CPatternFrame& frame);
    void DrawComets(CPatternCanvas& cv, int level, CPatternFrame& frame);
};
