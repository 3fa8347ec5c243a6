// CPatternFrame: per-frame pens and brushes created, selected and given back in strict pairs.
#include "patterns/PatternFrame.h"

CPatternFrame::CPatternFrame(CDC* pDC, COLORREF crBack)
    : m_pDC(pDC), m_hOldPen(NULL), m_hOldBrush(NULL), m_bReady(FALSE)
{
    if (!m_pen.CreatePen(PS_NULL, 0, crBack) || !m_brushErase.CreateSolidBrush(crBack))
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

void CPatternFrame::Draw(const RECT& rc, BOOL bDrawShapes)
{
    if (m_bReady && bDrawShapes && m_brushElement.m_hObject)
        m_pDC->Ellipse(&rc);
}
