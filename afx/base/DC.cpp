// CDC: memory contexts and the drawing helpers with more than one call.
#include "DC.h"
#include <cstring>

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    DeleteDC();
    m_hDC = ::CreateCompatibleDC(pDC ? pDC->m_hDC : NULL);
    m_bOwned = m_hDC != NULL;
    return m_bOwned;
}

BOOL CDC::DeleteDC()
{
    if (!m_bOwned || m_hDC == NULL)
        return FALSE;
    BOOL ok = ::DeleteDC(m_hDC);
    m_hDC = NULL;
    m_bOwned = FALSE;
    return ok;
}

BOOL CDC::TextOut(int x, int y, LPCSTR psz)
{
    return ::TextOutA(m_hDC, x, y, psz, (int)strlen(psz));
}

void CDC::FillSolidRect(const RECT* pRect, COLORREF cr)
{
    ::SetBkColor(m_hDC, cr);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, pRect, NULL, 0, NULL);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF cr)
{
    RECT rc = { x, y, x + cx, y + cy };
    FillSolidRect(&rc, cr);
}

SIZE CDC::GetTextExtent(LPCSTR psz) const
{
    SIZE size = { 0, 0 };
    if (!::GetTextExtentPoint32A(m_hDC, psz, (int)strlen(psz), &size))
        size.cx = size.cy = 0;
    return size;
}
