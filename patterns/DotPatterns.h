// CDotPatterns: patterns 3 and 4, a field of drifting dots and dots scattered anew every frame.
#pragma once
#include <afx.h>
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"

class CDotPatterns
{
public:
    enum { DRIFT_DOTS = 50, SCATTER_MAX = 300 };

    void InitPattern3(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern3(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);
    void InitPattern4(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern4(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);

    // Pattern 3 keeps its dots in the shared point store and dot i's rectangle in erase entry i.
    struct SDrift {
        int nPulse = 0;
    } m_drift;

    // Pattern 4: 300 - level dots per frame.
    struct SScatter {
        int nPulse = 0;
        int nCount = 0;
    } m_scatter;

private:
    static void MoveDriftDot(POINT& pt, int level, const RECT& rcClient);
};
