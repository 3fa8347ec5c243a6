// CSinkingPatterns: patterns 9 and 10, a trail of sinking discs and a ring that jumps on sharp changes.
#pragma once
#include <afx.h>
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"

class CSinkingPatterns
{
public:
    enum { SLOTS = 30 };

    void InitPattern9(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern9(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);
    void InitPattern10(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern10(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);

    // Pattern 9: one disc per frame with sound into the next slot; slot i uses erase entry i.
    struct STrail {
        double dX[SLOTS] = {};
        double dHeight[SLOTS] = {};   // of the disc's centre above the line bottom - 10
        COLORREF crDisc[SLOTS] = {};
        int nNext = 0;
        int nDrift = 0;               // common sideways speed
        int nFamily = 0;
    } m_trail;

    // Pattern 10: like pattern 1's ring, about a centre that jumps.
    struct SJumpRing {
        int nCentreX = 0;
        int nCentreY = 0;
        double dAngle = 0;
        double dStep = 0;
        int nPulse = 0;
        int nCount = 0;
    } m_ring;

private:
    void PlaceDisc(const CPatternCanvas& cv, int level);
    void SinkDiscs(const RECT& rcClient);
};
