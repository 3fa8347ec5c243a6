// CHeldSelection: selections made only on a change, and the DC's own objects given back.
#include "patterns/HeldSelection.h"

CHeldSelection::CHeldSelection(CDC* pDC)
    : m_pDC(pDC), m_hOwnPen(::GetCurrentObject(pDC->GetSafeHdc(), OBJ_PEN)),
      m_hOwnBrush(::GetCurrentObject(pDC->GetSafeHdc(), OBJ_BRUSH)), m_hPen(m_hOwnPen), m_hBrush(m_hOwnBrush),
      m_crOwnDCPen(CLR_INVALID), m_crOwnDCBrush(CLR_INVALID), m_crDCPen(CLR_INVALID), m_crDCBrush(CLR_INVALID)
{
}

void CHeldSelection::UsePen(HGDIOBJ hPen)
{
    if (hPen == m_hPen)
        return;
    m_pDC->SelectObject(hPen);
    m_hPen = hPen;
}

void CHeldSelection::UseBrush(HGDIOBJ hBrush)
{
    if (hBrush == m_hBrush)
        return;
    m_pDC->SelectObject(hBrush);
    m_hBrush = hBrush;
}

void CHeldSelection::UseDCPen(COLORREF cr)
{
    UsePen(::GetStockObject(DC_PEN));
    if (cr == m_crDCPen)
        return;
    const COLORREF crOld = m_pDC->SetDCPenColor(cr);
    if (m_crOwnDCPen == CLR_INVALID)
        m_crOwnDCPen = crOld;
    m_crDCPen = cr;
}

void CHeldSelection::UseDCBrush(COLORREF cr)
{
    UseBrush(::GetStockObject(DC_BRUSH));
    if (cr == m_crDCBrush)
        return;
    const COLORREF crOld = m_pDC->SetDCBrushColor(cr);
    if (m_crOwnDCBrush == CLR_INVALID)
        m_crOwnDCBrush = crOld;
    m_crDCBrush = cr;
}

void CHeldSelection::Restore()
{
    if (m_hBrush != m_hOwnBrush)
        m_pDC->SelectObject(m_hOwnBrush);
    if (m_hPen != m_hOwnPen)
        m_pDC->SelectObject(m_hOwnPen);
    if (m_crOwnDCPen != CLR_INVALID)
        m_pDC->SetDCPenColor(m_crOwnDCPen);
    if (m_crOwnDCBrush != CLR_INVALID)
        m_pDC->SetDCBrushColor(m_crOwnDCBrush);
    m_hPen = m_hOwnPen;
    m_hBrush = m_hOwnBrush;
    m_crOwnDCPen = m_crOwnDCBrush = m_crDCPen = m_crDCBrush = CLR_INVALID;
}
