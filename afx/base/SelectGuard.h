// CSelectGuard: selects a pen and a brush, or one font or bitmap, into a device context and gives the context its
// own back at scope end.
#pragma once
#include "DC.h"

// Declare the guard after the objects it selects, so it is destroyed, and deselects them, first. Whatever else
// is selected into the context while the guard lives, the context's own objects are back when it ends.
class CSelectGuard
{
public:
    CSelectGuard(CDC* pDC, CGdiObject& pen, CGdiObject& brush)
        : m_pDC(pDC), m_hOldFirst(pDC->SelectObject(&pen)), m_hOldSecond(pDC->SelectObject(&brush))
    {
    }
    CSelectGuard(CDC* pDC, CGdiObject& object) : m_pDC(pDC), m_hOldFirst(pDC->SelectObject(&object)), m_hOldSecond(NULL)
    {
    }
    ~CSelectGuard()
    {
        if (m_hOldSecond)
            m_pDC->SelectObject(m_hOldSecond);
        m_pDC->SelectObject(m_hOldFirst);
    }
    CSelectGuard(const CSelectGuard&) = delete;
    CSelectGuard& operator=(const CSelectGuard&) = delete;

private:
    CDC* m_pDC;
    HGDIOBJ m_hOldFirst;
    HGDIOBJ m_hOldSecond;
};
