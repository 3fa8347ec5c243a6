// CGridPatterns: the breathing grid (pattern 5) and the swarm (pattern 6).
#include "patterns/GridPatterns.h"
#include "patterns/PatternFrame.h"

namespace {
const int kSharpDelta = 50;   // a delta above this slides the grid and scatters the swarm
const int kVelocitySpan = 10; // velocities are whole numbers from -5 to 4
}

// Erase, store and draw dot by dot, each dot shown swollen about the centre.
void CGridPatterns::DrawSwollen(CPatternCanvas& cv, int nDots, int level, CDC* pDC, COLORREF cr)
{
    CPatternFrame frame(pDC, cv);
    frame.UseColor(cr);
    for (int i = 0; i < nDots; i++) {
        const RECT rcOld = cv.m_rcDrawn[i];
        frame.EraseAndDraw(rcOld, cv.SwollenRect(cv.m_ptItem[i], level), cv.m_rcDrawn[i]);
    }
}

// Back by one period at most: beyond w or h first, then below 0. For the swarm, whose steps are far shorter
// than the screen, the order of the two tests makes no difference.
void CGridPatterns::Wrap(POINT& pt, int w, int h)
{
    if (pt.x > w)
        pt.x -= w;
    if (pt.x < 0)
        pt.x += w;
    if (pt.y > h)
        pt.y -= h;
    if (pt.y < 0)
        pt.y += h;
}

void CGridPatterns::InitPattern5(CPatternCanvas& cv, const SPatternInput&)
{
    m_grid.nSpeed = 0;
    m_grid.nWrapWidth = (cv.m_rcClient.right / GRID_SPACING) * GRID_SPACING + GRID_SPACING - 1;
    m_grid.nWrapHeight = (cv.m_rcClient.bottom / GRID_SPACING) * GRID_SPACING + GRID_SPACING - 1;
    m_grid.nFamily = CPatternCanvas::RandomBelow(3);
    m_grid.nDirection = 0;
    m_grid.nPulse = 0;
    LayGrid(cv);
    for (int i = 0; i < m_grid.nCount; i++)
        ::SetRectEmpty(&cv.m_rcDrawn[i]);
}

// Row by row from the top-left corner, as far as the wrap period reaches; at most 299 dots.
void CGridPatterns::LayGrid(CPatternCanvas& cv)
{
    int n = 0;
    for (int y = 0; y <= m_grid.nWrapHeight && n < KV_MAX_DRAWN; y += GRID_SPACING) {
        for (int x = 0; x <= m_grid.nWrapWidth && n < KV_MAX_DRAWN; x += GRID_SPACING) {
            cv.m_ptItem[n].x = x;
            cv.m_ptItem[n].y = y;
            n++;
        }
    }
    m_grid.nCount = n > GRID_MAX ? GRID_MAX : n;
}

void CGridPatterns::DrawPattern5(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    const int L = in.nLevel;
    CPatternCanvas::UpdatePulseOrSilence(m_grid.nPulse, L);
    DrawSwollen(cv, m_grid.nCount, L, pDC, cv.FamilyColor(m_grid.nFamily, m_grid.nPulse));
    if (in.nDelta > kSharpDelta) {
        m_grid.nDirection = CPatternCanvas::RandomBelow(16);
        m_grid.nSpeed = CPatternCanvas::RandomBelow((int)(in.dwAvgDelta >> 1)) + 1;
        m_grid.nFamily = CPatternCanvas::RandomBelow(3);
    }
    SlideGrid(cv);
}

void CGridPatterns::SlideGrid(CPatternCanvas& cv)
{
    const int s = m_grid.nSpeed, dir = m_grid.nDirection;
    for (int i = 0; i < m_grid.nCount; i++) {
        POINT& pt = cv.m_ptItem[i];
        if (dir & MOVE_RIGHT)
            pt.x += s;
        if (dir & MOVE_LEFT)
            pt.x -= s;
        if (dir & MOVE_DOWN)
            pt.y += s;
        if (dir & MOVE_UP)
            pt.y -= s;
        Wrap(pt, m_grid.nWrapWidth, m_grid.nWrapHeight);
    }
}

void CGridPatterns::InitPattern6(CPatternCanvas& cv, const SPatternInput&)
{
    m_swarm.nPulse = 0;
    m_swarm.nFamily = CPatternCanvas::RandomBelow(3);
    for (int i = 0; i < SWARM_DOTS; i++) {
        cv.m_ptItem[i].x = CPatternCanvas::RandomBelow(cv.m_rcClient.right);
        cv.m_ptItem[i].y = CPatternCanvas::RandomBelow(cv.m_rcClient.bottom);
        NewVelocity(i);
        ::SetRectEmpty(&cv.m_rcDrawn[i]);
    }
}

void CGridPatterns::DrawPattern6(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    const int L = in.nLevel;
    CPatternCanvas::UpdatePulseOrSilence(m_swarm.nPulse, L);
    DrawSwollen(cv, SWARM_DOTS, L, pDC, cv.FamilyColor(m_swarm.nFamily, m_swarm.nPulse));
    if (in.nDelta > kSharpDelta) {
        m_swarm.nFamily = CPatternCanvas::RandomBelow(3);
        for (int i = 0; i < SWARM_DOTS; i++)
            NewVelocity(i);
    }
    // Still below level 100, a step of one pixel per unit of velocity from 100, two from 200.
    const int s = L / 100;
    const RECT& rc = cv.m_rcClient;
    for (int i = 0; i < SWARM_DOTS; i++) {
        POINT& pt = cv.m_ptItem[i];
        pt.x = pt.x + (int)(s * m_swarm.dVelX[i]);
        pt.y = pt.y + (int)(s * m_swarm.dVelY[i]);
        Wrap(pt, rc.right, rc.bottom);
    }
}

void CGridPatterns::NewVelocity(int i)
{
    m_swarm.dVelX[i] = CPatternCanvas::RandomBelow(kVelocitySpan) - kVelocitySpan / 2;
    m_swarm.dVelY[i] = CPatternCanvas::RandomBelow(kVelocitySpan) - kVelocitySpan / 2;
}
