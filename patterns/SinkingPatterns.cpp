// CSinkingPatterns: the sinking discs (pattern 9) and the wandering ring (pattern 10).
#include "patterns/SinkingPatterns.h"
#include "patterns/PatternFrame.h"

namespace {
const int kDiscRadius = 10;
const int kDriftLevel = 150;   // a level above this gives the trail a new drift and colour family
const int kJumpDelta = 30;     // a delta above this moves the ring's centre
}

void CSinkingPatterns::InitPattern9(CPatternCanvas&, const SPatternInput&)
{
    // The slots keep their x: the first frames show black discs resting on the bottom line.
    m_trail.nDrift = 0;
    m_trail.nNext = 0;
    m_trail.nFamily = CPatternCanvas::RandomBelow(3);
    for (int i = 0; i < SLOTS; i++) {
        m_trail.dHeight[i] = 0;
        m_trail.crDisc[i] = 0;
    }
}

// The new disc's height above the bottom line is the level's share of the screen height.
void CSinkingPatterns::PlaceDisc(const CPatternCanvas& cv, int L)
{
    const int j = m_trail.nNext;
    m_trail.dX[j] = CPatternCanvas::RandomBelow(cv.m_rcClient.right);
    m_trail.dHeight[j] = cv.m_rcClient.bottom * L / 255;
    m_trail.crDisc[j] = cv.FamilyColor(m_trail.nFamily, L * 100 / 255);
}

void CSinkingPatterns::SinkDiscs(const RECT& rc)
{
    for (int i = 0; i < SLOTS; i++) {
        m_trail.dX[i] = m_trail.dX[i] + m_trail.nDrift;
        m_trail.dHeight[i] = m_trail.dHeight[i] * 0.9900990099009901;   // 100/101 per frame
        if (m_trail.dX[i] < 0)
            m_trail.dX[i] = m_trail.dX[i] + rc.right;
        if (m_trail.dX[i] > rc.right)
            m_trail.dX[i] = m_trail.dX[i] - rc.right;
    }
}

void CSinkingPatterns::DrawPattern9(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    const int L = in.nLevel;
    // A silent frame skips its slot but still counts it, so the slot's old disc lives on.
    if (L > 0)
        PlaceDisc(cv, L);
    {
        CPatternFrame frame(pDC, cv);
        const int bottom = cv.m_rcClient.bottom;
        for (int i = 0; i < SLOTS; i++) {
            frame.UseColor(m_trail.crDisc[i]);
            const double x = m_trail.dX[i], h = m_trail.dHeight[i];
            const RECT rc = { (int)(x - kDiscRadius), (int)(bottom - 2 * kDiscRadius - h),
                              (int)(x + kDiscRadius), (int)(bottom - h) };
            frame.EraseAndDraw(cv.m_rcDrawn[i], rc, cv.m_rcDrawn[i]);
        }
    }
    SinkDiscs(cv.m_rcClient);
    m_trail.nNext = (m_trail.nNext + 1) % SLOTS;
    if (L > kDriftLevel) {
        m_trail.nDrift = CPatternCanvas::RandomBelow(L / 8) - L / 16;
        m_trail.nFamily = CPatternCanvas::RandomBelow(3);
    }
}

void CSinkingPatterns::InitPattern10(CPatternCanvas& cv, const SPatternInput&)
{
    m_ring = SJumpRing();
    m_ring.nCentreX = cv.m_rcClient.right / 2;
    m_ring.nCentreY = cv.m_rcClient.bottom / 2;
}

void CSinkingPatterns::DrawPattern10(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    const int L = in.nLevel;
    CPatternCanvas::UpdatePulse(m_ring.nPulse, L);
    m_ring.dStep = L * 0.01 + 0.1;
    m_ring.dAngle = m_ring.dAngle + L * 0.005 + 0.1;   // half a step and 0.05 radian per frame

    CPatternFrame frame(pDC, cv);
    frame.EraseAll(cv.m_rcDrawn, m_ring.nCount);   // the picture is last frame's ring alone
    if (in.nDelta > kJumpDelta) {
        m_ring.nCentreX = CPatternCanvas::RandomBelow(cv.m_rcClient.right);
        m_ring.nCentreY = CPatternCanvas::RandomBelow(cv.m_rcClient.bottom);
    }
    frame.UseColor(cv.PickPatternColor(m_ring.nPulse));
    // The orbit point is each disc's top-left corner, not its centre.
    const int r = L * cv.m_rcClient.bottom / 255;
    m_ring.nCount = frame.DrawRing(cv.m_rcDrawn, m_ring.dAngle, m_ring.dStep, r, L / 3,
                                   m_ring.nCentreX, m_ring.nCentreY);
}
