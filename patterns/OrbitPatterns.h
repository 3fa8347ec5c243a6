// COrbitPatterns: patterns 1 and 2, a ring of discs circling the centre and a disc wandering about it.
#pragma once
#include <afx.h>
#include "patterns/LevelTrend.h"
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"

class COrbitPatterns
{
public:
    void InitPattern1(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern1(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);
    void InitPattern2(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern2(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);

    // Pattern 1: the ring turns by one step per frame, faster and wider the louder the music.
    struct SRing {
        double dAngle = 0;   // grows without wrapping
        double dStep = 0;
        int nPulse = 0;
        int nCount = 0;      // used entries of the erase list
    } m_ring;

    // Pattern 2: the disc swings only while the level trend is not flat; it uses erase entry 0.
    struct SWander {
        CLevelTrend trend;
        double dAngleX = 0;
        double dAngleY = 0;
        int nPulse = 0;
    } m_wander;
};
