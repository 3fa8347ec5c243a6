// CPatternFrame: per-frame pens and brushes created, selected and given back in strict pairs.
#include "patterns/PatternFrame.h"
#include <math.h>

namespace {
const int kRingStore = 100;
// One turn as the single-precision constant it has always been compared with.
const double kTurn = (double)6.2831855f;
}

CPatternFrame::CPatternFrame(CDC* pDC, const CPatternCanvas& cv)
    : m_pDC(pDC), m_bDrawShapes(cv.m_bDrawShapes), m_hOldPen(NULL), m_hOldBrush(NULL), m_bReady(FALSE)
{
    if (!m_pen.CreatePen(PS_NULL, 0, cv.m_crBack) || !m_brushErase.CreateSolidBrush(cv.m_crBack))
        return;
    m_hOldPen = m_pDC->SelectObject(&m_pen);
    m_hOldBrush = m_pDC->SelectObject(&m_brushErase);
    m_bReady = TRUE;
}

CPatternFrame::~CPatternFrame()
{
    // Give the DC its own objects back before our handles are deleted.
    if (m_hOldBrush)
        m_pDC->SelectObject(m_hOldBrush);
    if (m_hOldPen)
        m_pDC->SelectObject(m_hOldPen);
}

void CPatternFrame::Erase(const RECT* pRects, int nCount)
{
    if (!m_bReady)
        return;
    m_pDC->SelectObject(&m_brushErase);
    for (int i = 0; i < nCount; i++)
        m_pDC->Ellipse(&pRects[i]);
    if (m_brushElement.m_hObject)
        m_pDC->SelectObject(&m_brushElement);
}

void CPatternFrame::UseColor(COLORREF cr)
{
    if (!m_bReady)
        return;
    // Select the erase brush first so the old element brush is never deleted while selected.
    m_pDC->SelectObject(&m_brushErase);
    if (m_brushElement.CreateSolidBrush(cr))
        m_pDC->SelectObject(&m_brushElement);
}

void CPatternFrame::Draw(const RECT& rc, RECT& rcStore)
{
    if (m_bReady && m_bDrawShapes && m_brushElement.m_hObject)
        m_pDC->Ellipse(&rc);
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
