// CGridPatterns: patterns 5 and 6, a breathing grid that slides after sharp changes and a swelling swarm.
#pragma once
#include <afx.h>
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"

class CGridPatterns
{
public:
    enum { GRID_SPACING = 80, GRID_MAX = 299, SWARM_DOTS = 70 };
    // Direction bits of the grid's slide; opposite bits cancel.
    enum { MOVE_RIGHT = 1, MOVE_LEFT = 2, MOVE_DOWN = 4, MOVE_UP = 8 };

    void InitPattern5(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern5(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);
    void InitPattern6(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern6(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);

    // Pattern 5: grid positions in the shared point store, dot i's rectangle in erase entry i.
    struct SGrid {
        int nPulse = 0;
        int nCount = 0;
        int nWrapWidth = 0;    // one pixel short of a multiple of the spacing beyond the screen
        int nWrapHeight = 0;
        int nDirection = 0;
        int nSpeed = 0;
        int nFamily = 0;
    } m_grid;

    // Pattern 6: 70 dots with velocities of whole pixels, moving only when the music is loud.
    struct SSwarm {
        int nPulse = 0;
        int nFamily = 0;
        double dVelX[SWARM_DOTS] = {};
        double dVelY[SWARM_DOTS] = {};
    } m_swarm;

private:
    static void DrawSwollen(CPatternCanvas& cv, int nDots, int level, CDC* pDC, COLORREF cr);
    void LayGrid(CPatternCanvas& cv);
    void SlideGrid(CPatternCanvas& cv);
    void NewVelocity(int i);
    static void Wrap(POINT& pt, int w, int h);
};
