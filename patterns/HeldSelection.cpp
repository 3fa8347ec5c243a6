// CHeldSelection: selections made only on a change, and the DC's own objects given back.
#include "patterns/HeldSelection.h"

CHeldSelection::CHeldSelection(CDC* pDC)
    : m_pDC(pDC), m_hOwnPen(::GetCurrentObject(pDC->GetSafeHdc(), OBJ_PEN)),
      m_hOwnBrush(::GetCurrentObject(pDC->GetSafeHdc(), OBJ_BRUSH)), m_hPen(m_hOwnPen), m_hBrush(m_hOwnBrush)
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
    SetDCColor(::SetDCPenColor, m_dcPen, cr);
}

void CHeldSelection::UseDCBrush(COLORREF cr)
{
    UseBrush(::GetStockObject(DC_BRUSH));
    SetDCColor(::SetDCBrushColor, m_dcBrush, cr);
}

void CHeldSelection::SetDCColor(SetColorFn pfnSet, SDCColor& color, COLORREF cr)
{
    if (cr == color.crNow)
        return;
    const COLORREF crOld = pfnSet(m_pDC->GetSafeHdc(), cr);
    if (color.crOwn == CLR_INVALID)
        color.crOwn = crOld;
    color.crNow = cr;
}

void CHeldSelection::GiveBack(SetColorFn pfnSet, SDCColor& color)
{
    if (color.crOwn != CLR_INVALID)
        pfnSet(m_pDC->GetSafeHdc(), color.crOwn);
    color = SDCColor();
}

void CHeldSelection::Restore()
{
    if (m_hBrush != m_hOwnBrush)
        m_pDC->SelectObject(m_hOwnBrush);
    if (m_hPen != m_hOwnPen)
        m_pDC->SelectObject(m_hOwnPen);
    GiveBack(::SetDCPenColor, m_dcPen);
    GiveBack(::SetDCBrushColor, m_dcBrush);
    m_hPen = m_hOwnPen;
    m_hBrush = m_hOwnBrush;
}
