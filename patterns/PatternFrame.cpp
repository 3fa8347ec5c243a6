// CPatternFrame: the frame's null pen and the DC's own brush, held for the frame and given back at its end.
#include "patterns/PatternFrame.h"
#include <math.h>
#include <utility>

namespace {
const int kRingStore = 100;
// What one PatBlt costs in pixels of a fill, near enough: a call of a few microseconds against about a
// nanosecond a pixel (measured on a window under Wine; Windows' ratio is of the same order).
const LONGLONG kPixelsPerCall = 4096;
// One turn as the single-precision constant it has always been compared with.
const double kTurn = (double)6.2831855f;
}

CPatternFrame::CPatternFrame(CDC* pDC, CPatternCanvas& cv)
    : m_pDC(pDC), m_sel(pDC), m_gdi(cv.m_gdi), m_cells(cv.m_cells), m_bCellsStarted(FALSE),
      m_rcClient(cv.m_rcClient), m_bDrawShapes(cv.m_bDrawShapes),
      m_crBack(cv.m_crBack), m_crElement(0), m_bElement(FALSE), m_bReady(FALSE)
{
    CGdiObject* pPen = cv.m_gdi.NullPen(cv.m_crBack);
    if (pPen == NULL)
        return;
    m_sel.UsePen(pPen);
    m_bReady = TRUE;
}

// An ellipse of no area, or wholly outside the client area, paints nothing: the call is saved.
BOOL CPatternFrame::Paints(const RECT& rc) const
{
    return rc.right != rc.left && rc.bottom != rc.top && rc.right > m_rcClient.left && rc.left < m_rcClient.right &&
           rc.bottom > m_rcClient.top && rc.top < m_rcClient.bottom;
}

void CPatternFrame::Paint(COLORREF cr, const RECT& rc)
{
    m_sel.UseDCBrush(cr);
    const CEllipseShape* pShape = m_gdi.SmallShape(rc.right - rc.left, rc.bottom - rc.top);
    if (pShape && pShape->Rectangles() <= 1)
        pShape->Fill(m_pDC, rc);
    else
        m_pDC->Ellipse(&rc);
}

void CPatternFrame::Erase(const RECT* pRects, int nCount)
{
    if (!m_bReady)
        return;
    for (int i = 0; i < nCount; i++)
        if (Paints(pRects[i]))
            Paint(m_crBack, pRects[i]);
}

RECT CPatternFrame::PaintedBox(const RECT& rc) const
{
    RECT rcBox = rc;
    if (rcBox.left > rcBox.right)
        std::swap(rcBox.left, rcBox.right);
    if (rcBox.top > rcBox.bottom)
        std::swap(rcBox.top, rcBox.bottom);
    ::IntersectRect(&rcBox, &rcBox, &m_rcClient);
    return rcBox;
}

void CPatternFrame::EraseAll(const RECT* pRects, int nCount)
{
    if (!m_bReady)
        return;
    RECT rcAll = {};
    int nPainted = 0;
    for (int i = 0; i < nCount; i++) {
        if (!Paints(pRects[i]))
            continue;
        const RECT rcBox = PaintedBox(pRects[i]);
        ::UnionRect(&rcAll, &rcAll, &rcBox);
        nPainted++;
    }
    if (nPainted == 0)
        return;
    const LONGLONG llArea = (LONGLONG)(rcAll.right - rcAll.left) * (rcAll.bottom - rcAll.top);
    if (llArea <= nPainted * kPixelsPerCall) {
        EraseBox(rcAll);
        return;
    }
    for (int i = 0; i < nCount; i++)
        if (Paints(pRects[i]))
            EraseBox(PaintedBox(pRects[i]));
}

void CPatternFrame::EraseBox(const RECT& rcBox)
{
    m_sel.UseDCBrush(m_crBack);
    m_pDC->PatBlt(rcBox.left, rcBox.top, rcBox.right - rcBox.left, rcBox.bottom - rcBox.top, PATCOPY);
}

void CPatternFrame::StartCells()
{
    if (m_bCellsStarted)
        return;
    m_cells.Start(m_rcClient);
    m_bCellsStarted = TRUE;
}

void CPatternFrame::KeepDrawn(const RECT& rc)
{
    StartCells();
    if (Paints(rc))
        m_cells.Mark(PaintedBox(rc));
}

void CPatternFrame::EraseAndDraw(const RECT& rcOld, const RECT& rcNew, RECT& rcStore)
{
    StartCells();
    if (m_bReady && Paints(rcOld)) {
        const RECT rcBox = PaintedBox(rcOld);
        if (m_cells.AnyMarked(rcBox))
            Paint(m_crBack, rcOld);
        else
            EraseBox(rcBox);
    }
    const BOOL bDraws = m_bReady && m_bDrawShapes && m_bElement && Paints(rcNew);
    Draw(rcNew, rcStore);
    if (bDraws)
        m_cells.Mark(PaintedBox(rcNew));
}

void CPatternFrame::UseColor(COLORREF cr)
{
    m_crElement = cr;
    m_bElement = TRUE;
}

void CPatternFrame::Draw(const RECT& rc, RECT& rcStore)
{
    if (m_bReady && m_bDrawShapes && m_bElement && Paints(rc))
        Paint(m_crElement, rc);
    rcStore = rc;
}

int CPatternFrame::DrawRing(RECT* pStore, double angle, double step, int r, int d, int x0, int y0)
{
    int nCount = 0;
    if (!(step > 0))
        return 0;   // a ring that never closes would hang the frame
    const double end = angle + kTurn - 0.1;
    for (double a = angle; a < end; a += step) {
        const int x = (int)(sin(a) * r) + x0;
        const int y = (int)(cos(a) * r) + y0;
        const RECT rc = { x, y, x + d, y + d };
        Draw(rc, pStore[nCount]);
        if (++nCount == kRingStore)
            nCount = kRingStore - 1;
    }
    return nCount;
}
