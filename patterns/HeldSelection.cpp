// CHeldSelection: selections made only on a change, and the DC's own objects given back.
#include "patterns/HeldSelection.h"

CHeldSelection::CHeldSelection(CDC* pDC)
    : m_pDC(pDC), m_hOwnPen(::GetCurrentObject(pDC->GetSafeHdc(), OBJ_PEN)),
      m_hOwnBrush(::GetCurrentObject(pDC->GetSafeHdc(), OBJ_BRUSH)), m_hPen(m_hOwnPen), m_hBrush(m_hOwnBrush)
{
}

void CHeldSelection::UsePen(CGdiObject* pPen)
{
    if (pPen->m_hObject == m_hPen)
        return;
    m_pDC->SelectObject(pPen);
    m_hPen = pPen->m_hObject;
}

void CHeldSelection::UseBrush(CGdiObject* pBrush)
{
    if (pBrush->m_hObject == m_hBrush)
        return;
    m_pDC->SelectObject(pBrush);
    m_hBrush = pBrush->m_hObject;
}

void CHeldSelection::Restore()
{
    if (m_hBrush != m_hOwnBrush)
        m_pDC->SelectObject(m_hOwnBrush);
    if (m_hPen != m_hOwnPen)
        m_pDC->SelectObject(m_hOwnPen);
    m_hPen = m_hOwnPen;
    m_hBrush = m_hOwnBrush;
}
