// COrbitPatterns: the ring of discs (pattern 1) and the wandering disc (pattern 2).
#include "patterns/OrbitPatterns.h"
#include <math.h>
#include "patterns/PatternFrame.h"

void COrbitPatterns::InitPattern1(CPatternCanvas&, const SPatternInput&)
{
    m_ring = SRing();
}

void COrbitPatterns::DrawPattern1(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    const int L = in.nLevel;
    CPatternCanvas::UpdatePulse(m_ring.nPulse, L);
    m_ring.dStep = L * 0.005 + 0.1;
    m_ring.dAngle = m_ring.dAngle + L * 0.005 + 0.1;

    CPatternFrame frame(pDC, cv);
    frame.EraseAll(cv.m_rcDrawn, m_ring.nCount);   // the picture is last frame's ring alone
    frame.UseColor(cv.PickPatternColor(m_ring.nPulse));

    const RECT& rc = cv.m_rcClient;
    const int d = L / 3;
    const int r = L * (rc.bottom / 2) / 255;
    const int cx = (rc.left + rc.right) / 2;
    const int cy = (rc.top + rc.bottom) / 2;
    m_ring.nCount = frame.DrawRing(cv.m_rcDrawn, m_ring.dAngle, m_ring.dStep, r, d, cx - d / 2, cy - d / 2);
}

void COrbitPatterns::InitPattern2(CPatternCanvas&, const SPatternInput&)
{
    // The ring's slots are not cleared: all 40 are written again before the trend is next evaluated.
    m_wander.trend.RestartRing();
    m_wander.trend.ClearTrend();
    m_wander.dAngleX = 0;
    m_wander.dAngleY = 0;
    m_wander.nPulse = 0;
}

void COrbitPatterns::DrawPattern2(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    const int L = in.nLevel;
    m_wander.trend.Add(L);
    CPatternCanvas::UpdatePulseOrSilence(m_wander.nPulse, L);

    CPatternFrame frame(pDC, cv);
    frame.EraseAll(cv.m_rcDrawn, 1);   // the picture is last frame's disc alone
    frame.UseColor(cv.PickPatternColor(m_wander.nPulse));

    const double trend = m_wander.trend.Trend();
    m_wander.dAngleX = m_wander.dAngleX + trend * 0.01;
    m_wander.dAngleY = m_wander.dAngleY + trend * 0.008130081300813009;   // 1/123: a Lissajous figure

    const int d = L / 3;
    const int r = L * (cv.m_rcClient.bottom / 2) / 255;
    const int x = (int)(sin(m_wander.dAngleX) * r) + cv.m_rcClient.right / 2 - d / 2;
    const int y = (int)(cos(m_wander.dAngleY) * r) - d / 2 + cv.m_rcClient.bottom / 2;
    const RECT rcDisc = { x, y, x + d, y + d };
    frame.Draw(rcDisc, cv.m_rcDrawn[0]);
}
