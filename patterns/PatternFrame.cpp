// CPatternFrame: the frame's pen and brushes selected from the canvas's cache and given back in strict pairs.
#include "patterns/PatternFrame.h"
#include <math.h>

namespace {
const int kRingStore = 100;
// One turn as the single-precision constant it has always been compared with.
const double kTurn = (double)6.2831855f;
}

CPatternFrame::CPatternFrame(CDC* pDC, CPatternCanvas& cv)
    : m_pDC(pDC), m_rcClient(cv.m_rcClient), m_bDrawShapes(cv.m_bDrawShapes), m_crBack(cv.m_crBack),
      m_crElement(0), m_bElement(FALSE), m_crBrush(cv.m_crBack), m_crOldBrush(CLR_INVALID), m_hOldPen(NULL),
      m_hOldBrush(NULL), m_bReady(FALSE)
{
    CGdiObject* pPen = cv.m_gdi.NullPen(cv.m_crBack);
    const HGDIOBJ hBrush = ::GetStockObject(DC_BRUSH);
    if (pPen == NULL || hBrush == NULL)
        return;
    m_hOldPen = m_pDC->SelectObject(pPen);
    m_hOldBrush = m_pDC->SelectObject(hBrush);
    m_crOldBrush = m_pDC->SetDCBrushColor(m_crBrush);
    m_bReady = TRUE;
}

CPatternFrame::~CPatternFrame()
{
    // The DC gets its own objects and its brush colour back.
    if (m_crOldBrush != CLR_INVALID)
        m_pDC->SetDCBrushColor(m_crOldBrush);
    if (m_hOldBrush)
        m_pDC->SelectObject(m_hOldBrush);
    if (m_hOldPen)
        m_pDC->SelectObject(m_hOldPen);
}

// An ellipse of no area, or wholly outside the client area, paints nothing: the call is saved.
BOOL CPatternFrame::Paints(const RECT& rc) const
{
    return rc.right != rc.left && rc.bottom != rc.top && rc.right > m_rcClient.left && rc.left < m_rcClient.right &&
           rc.bottom > m_rcClient.top && rc.top < m_rcClient.bottom;
}

void CPatternFrame::Paint(COLORREF cr, const RECT& rc)
{
    if (cr != m_crBrush) {
        m_pDC->SetDCBrushColor(cr);
        m_crBrush = cr;
    }
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
