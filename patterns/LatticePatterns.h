// CLatticePatterns: patterns 13 and 14, a sliding lattice of dots and up to five spinning bars of dots.
#pragma once
#include <afx.h>
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"

class CPatternFrame;

class CLatticePatterns
{
public:
    enum { BARS = 5, BAR_BLOCK = 50 };

    void InitPattern13(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern13(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);
    void InitPattern14(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern14(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);

    // Pattern 13: one lattice, renewed on a jump of the delta or when it drifts off the screen.
    struct SLattice {
        int nColumns = 0;
        int nRows = 0;
        int nSpacing = 0;
        int nOriginX = 0;       // the dot of column 0, row 0
        int nOriginY = 0;
        int nDirection = 0;     // 0 right, 1 left, 2 down, 3 up
        int nHue = 0;
        int nWhiteWeight = 0;   // percent of the ranges; may pass 100
        int nBrightWeight = 0;
        int nCount = 0;
    } m_lattice;

    // Pattern 14: bar i uses erase entries 50 i to 50 i + dots - 1.
    struct SBars {
        int nShown[BARS] = {};
        int nCentreX[BARS] = {};
        int nCentreY[BARS] = {};
        double dAngle[BARS] = {};
        int nTurn[BARS] = {};          // 0: the angle grows; 1: it shrinks
        int nDots[BARS] = {};          // odd, 3..21
        int nSpacing[BARS] = {};
        int nHue[BARS] = {};           // falls by 10 every frame the bar is shown, without wrapping
        int nWhiteWeight[BARS] = {};
        int nBrightWeight[BARS] = {};
    } m_bars;

private:
    BOOL LatticeNeedsRenewal(const SPatternInput& in, const RECT& rcClient) const;
    void RenewLattice(const CPatternCanvas& cv, int nWhiteBase, int nBrightSpan);
    void SlideLattice(int v);
    void PlaceBar(int i, const CPatternCanvas& cv, BOOL bRenewal, int nWeightSpan);
    void DrawBar(int i, CPatternCanvas& cv, int level, CPatternFrame& frame);
};
