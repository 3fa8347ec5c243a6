// CDotPatterns: drifting dots (pattern 3) and scattered dots (pattern 4).
#include "patterns/DotPatterns.h"
#include "patterns/PatternFrame.h"

void CDotPatterns::InitPattern3(CPatternCanvas& cv, const SPatternInput&)
{
    // The erase entries are left alone: the first frame paints them over a screen just cleared.
    m_drift.nPulse = 0;
    for (int i = 0; i < DRIFT_DOTS; i++) {
        cv.m_ptItem[i].x = CPatternCanvas::RandomBelow(cv.m_rcClient.right);
        cv.m_ptItem[i].y = CPatternCanvas::RandomBelow(cv.m_rcClient.bottom);
    }
}

// Jitter grows with the level; the extra pixel carries every dot slowly to the right.
void CDotPatterns::MoveDriftDot(POINT& pt, int L, const RECT& rcClient)
{
    pt.x = pt.x + CPatternCanvas::RandomBelow(L / 30) - L / 60;
    pt.y = pt.y + CPatternCanvas::RandomBelow(L / 50) - L / 100;
    pt.x = pt.x + 1;
    if (pt.x < -40)
        pt.x = rcClient.right - 1;
    if (pt.y < -40)
        pt.y = rcClient.bottom - 1;
    if (pt.x > rcClient.right)
        pt.x = 1;
    if (pt.y > rcClient.bottom) {
        pt.x = CPatternCanvas::RandomBelow(rcClient.right);
        pt.y = 1;
    }
}

void CDotPatterns::DrawPattern3(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    const int L = in.nLevel;
    CPatternCanvas::UpdatePulseOrSilence(m_drift.nPulse, L);
    CPatternFrame frame(pDC, cv);
    frame.UseColor(cv.PickPatternColor(m_drift.nPulse));
    const int h = L / 20;
    // Erase and draw dot by dot: erasing one dot may cut into its neighbour drawn a moment before.
    for (int i = 0; i < DRIFT_DOTS; i++) {
        const RECT rcOld = cv.m_rcDrawn[i];
        POINT& pt = cv.m_ptItem[i];
        MoveDriftDot(pt, L, cv.m_rcClient);
        const RECT rc = { pt.x - h, pt.y - h, pt.x + h, pt.y + h };
        frame.EraseAndDraw(rcOld, rc, cv.m_rcDrawn[i]);
    }
}

void CDotPatterns::InitPattern4(CPatternCanvas&, const SPatternInput&)
{
    m_scatter = SScatter();
}

void CDotPatterns::DrawPattern4(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    const int L = in.nLevel;
    CPatternCanvas::UpdatePulseOrSilence(m_scatter.nPulse, L);
    CPatternFrame frame(pDC, cv);
    frame.EraseAll(cv.m_rcDrawn, m_scatter.nCount);   // the picture is these dots alone
    frame.UseColor(cv.PickPatternColor(m_scatter.nPulse));
    const int h = L / 10;
    const int nDots = SCATTER_MAX - L;
    for (int k = 0; k < nDots; k++) {
        const int x = CPatternCanvas::RandomBelow(cv.m_rcClient.right);
        const int y = CPatternCanvas::RandomBelow(cv.m_rcClient.bottom);
        const RECT rc = { x - h, y - h, x + h, y + h };
        frame.Draw(rc, cv.m_rcDrawn[k]);
    }
    m_scatter.nCount = nDots;
}
