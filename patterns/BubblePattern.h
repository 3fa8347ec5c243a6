// CBubblePattern: pattern 15, bubbles sprayed from an emitter hopping about the centre.
#pragma once
#include <afx.h>
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"

class CBubblePattern
{
public:
    enum { BUBBLES = 100, FIRST_SPRAY = 30 };

    void InitPattern15(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern15(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);

    // Bubble i uses erase entry i.
    int m_nActive[BUBBLES] = {};
    double m_dX[BUBBLES] = {};
    double m_dY[BUBBLES] = {};
    double m_dVelX[BUBBLES] = {};
    double m_dVelY[BUBBLES] = {};
    double m_dRadius[BUBBLES] = {};
    double m_dBoost[BUBBLES] = {};     // at least 1: how strongly the level speeds the bubble up
    int m_nHue[BUBBLES] = {};
    int m_nWhiteWeight[BUBBLES] = {};
    int m_nBrightWeight[BUBBLES] = {}; // grows by 5 per frame up to 100..104
    int m_nEmitterX = 0;
    int m_nEmitterY = 0;
    double m_dEmitterAngle = 0;

private:
    void DrawVelocities(int i, double dScale);
    void Release(const CPatternCanvas& cv, int level);
    void SprayFirst(const CPatternCanvas& cv);
    void RemoveFarBubbles(const RECT& rcClient);
    void MoveEmitter(const RECT& rcClient, int level);
};
