// CBubblePattern: release, flight and growth of the bubbles of pattern 15.
#include "patterns/BubblePattern.h"
#include <math.h>
#include "patterns/PatternFrame.h"

namespace {
const int kReleaseDelta = 30;   // a delta above this releases one bubble
const int kMargin = 50;         // bubbles this far beyond an edge are still in flight
}

// The second velocity is drawn again until it differs from the first, so no bubble stands still.
void CBubblePattern::DrawVelocities(int i, double dScale)
{
    m_dVelX[i] = (CPatternCanvas::RandomBelow(100) - 50) * dScale;
    do {
        m_dVelY[i] = (CPatternCanvas::RandomBelow(100) - 50) * dScale;
    } while (m_dVelY[i] == m_dVelX[i]);
}

void CBubblePattern::InitPattern15(CPatternCanvas& cv, const SPatternInput& in)
{
    for (int i = 0; i < BUBBLES; i++)
        m_nActive[i] = 0;
    m_nEmitterX = cv.m_rcClient.right / 2;
    m_nEmitterY = cv.m_rcClient.bottom / 2;
    if (in.nLevel != 0)
        SprayFirst(cv);
}

// The first bubbles are scattered over the whole screen and may move twice as fast as released ones.
void CBubblePattern::SprayFirst(const CPatternCanvas& cv)
{
    for (int n = 0; n < FIRST_SPRAY; n++) {
        const int i = CPatternCanvas::FirstFree(m_nActive);
        if (i < 0)
            return;
        m_nActive[i] = 1;
        m_dX[i] = CPatternCanvas::RandomBelow(cv.m_rcClient.right);
        m_dY[i] = CPatternCanvas::RandomBelow(cv.m_rcClient.bottom);
        DrawVelocities(i, 0.02);
        m_dRadius[i] = CPatternCanvas::RandomBelow(5) + 2.0;
        m_dBoost[i] = CPatternCanvas::RandomBelow(1000) * 0.0005 + 1.0;
        m_nHue[i] = cv.RandomHue();
        m_nWhiteWeight[i] = CPatternCanvas::RandomBelow(100);
        m_nBrightWeight[i] = CPatternCanvas::RandomBelow(50) + 50;
    }
}

// From where the emitter was placed in the frame before.
void CBubblePattern::Release(const CPatternCanvas& cv, int L)
{
    const int i = CPatternCanvas::FirstFree(m_nActive);
    if (i < 0)
        return;   // 100 in flight
    m_nActive[i] = 1;
    m_dX[i] = m_nEmitterX;
    m_dY[i] = m_nEmitterY;
    DrawVelocities(i, 0.01);
    m_dRadius[i] = 2.0;
    m_dBoost[i] = L * 0.000244140625 + 1.0;   // L / 4096 + 1
    m_nHue[i] = cv.RandomHue();
    m_nWhiteWeight[i] = 0;
    m_nBrightWeight[i] = CPatternCanvas::RandomBelow(50) + 50;
}

void CBubblePattern::RemoveFarBubbles(const RECT& rc)
{
    for (int i = 0; i < BUBBLES; i++) {
        if (m_dX[i] < -kMargin || m_dX[i] > rc.right + kMargin || m_dY[i] < -kMargin || m_dY[i] > rc.bottom + kMargin)
            m_nActive[i] = 0;
    }
}

// Hops about a circle whose radius follows the level, one radian and a little more per frame.
void CBubblePattern::MoveEmitter(const RECT& rc, int L)
{
    const double s = rc.right * 0.0009765625;   // right / 1024
    m_nEmitterX = (int)(cos(m_dEmitterAngle) * s * L) + rc.right / 2;
    m_nEmitterY = (int)(sin(m_dEmitterAngle) * s * L) + rc.bottom / 2;
    m_dEmitterAngle = m_dEmitterAngle + L * 0.00024437927663734115 + 1.0;
}

void CBubblePattern::DrawPattern15(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    const int L = in.nLevel;
    if (in.nDelta > kReleaseDelta)
        Release(cv, L);
    RemoveFarBubbles(cv.m_rcClient);
    MoveEmitter(cv.m_rcClient, L);

    CPatternFrame frame(pDC, cv);
    // A bubble that flew off is let go where it was last drawn; a big one leaves its edge on the picture.
    for (int i = 0; i < BUBBLES; i++)
        if (!m_nActive[i])
            frame.KeepDrawn(cv.m_rcDrawn[i]);
    for (int i = 0; i < BUBBLES; i++) {
        if (!m_nActive[i])
            continue;
        const RECT rcOld = cv.m_rcDrawn[i];
        m_dX[i] = m_dX[i] + m_dVelX[i];
        m_dY[i] = m_dY[i] + m_dVelY[i];
        // Loud music speeds every bubble up; silence keeps its speed.
        const double dSpeedUp = L * m_dBoost[i] * 0.000125 + 1.0;
        m_dVelX[i] = m_dVelX[i] * dSpeedUp;
        m_dVelY[i] = m_dVelY[i] * dSpeedUp;
        m_dRadius[i] = m_dRadius[i] + 0.05;
        if (m_nBrightWeight[i] < 100)
            m_nBrightWeight[i] += 5;
        const int x = (int)m_dX[i], y = (int)m_dY[i], r = (int)m_dRadius[i];
        const RECT rc = { x - r, y - r, x + r, y + r };
        frame.UseColor(cv.WeightedColor(m_nHue[i], m_nWhiteWeight[i], m_nBrightWeight[i]));
        frame.EraseAndDraw(rcOld, rc, cv.m_rcDrawn[i]);
    }
}
