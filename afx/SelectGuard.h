// CSelectGuard: selects a pen and a brush into a device context and gives the context its own back at scope end.
#pragma once
#include "DC.h"

// Declare the guard after the objects it selects, so it is destroyed, and deselects them, first.
class CSelectGuard
{
public:
    CSelectGuard(CDC* pDC, CGdiObject& pen, CGdiObject& brush)
        : m_pDC(pDC), m_hOldPen(pDC->SelectObject(&pen)), m_hOldBrush(pDC->SelectObject(&brush))
    {
    }
    ~CSelectGuard()
    {
        m_pDC->SelectObject(m_hOldBrush);
        m_pDC->SelectObject(m_hOldPen);
    }
    CSelectGuard(const CSelectGuard&) = delete;
    CSelectGuard& operator=(const CSelectGuard&) = delete;

private:
    CDC* m_pDC;
    HGDIOBJ m_hOldPen;
    HGDIOBJ m_hOldBrush;
};
