// CBackBuffer: the picture in a DIB section, with GDI's own record of what each frame drew deciding what is copied.
#include "engine/BackBuffer.h"

BOOL CBackBuffer::Resize(int cx, int cy, COLORREF crFill)
{
    m_crFill = crFill;
    if (cx == m_canvas.Width() && cy == m_canvas.Height())
        return TRUE;
    CDibCanvas next;
    if (!next.Create(cx, cy))
        return FALSE;
    next.DC()->FillSolidRect(0, 0, cx, cy, crFill);
    if (IsReady())
        ::BitBlt(*next.DC(), 0, 0, m_canvas.Width(), m_canvas.Height(), *m_canvas.DC(), 0, 0, SRCCOPY);
    m_canvas.Swap(next);
    return TRUE;
}

void CBackBuffer::Release()
{
    CDibCanvas none;
    m_canvas.Swap(none);
}

// Each drawing starts in the plain mapping, as a fresh window DC would: a renderer may have left its own.
CDC* CBackBuffer::Begin()
{
    const HDC hdc = *m_canvas.DC();
    PlainMapping(hdc);
    ::SetBoundsRect(hdc, NULL, DCB_ENABLE | DCB_RESET);
    return m_canvas.DC();
}

// The bounds come in logical units: read them in the plain mapping.
BOOL CBackBuffer::Present(CDC* pWindowDC)
{
    const HDC hdc = *m_canvas.DC();
    PlainMapping(hdc);
    RECT rc;
    const UINT uFlags = ::GetBoundsRect(hdc, &rc, DCB_RESET);
    RECT rcPicture = { 0, 0, Width(), Height() };
    if (!(uFlags & DCB_SET) || !::IntersectRect(&rc, &rc, &rcPicture))
        return FALSE;
    Paint(pWindowDC, rc);
    return TRUE;
}

void CBackBuffer::PlainMapping(HDC hdc)
{
    ::SetMapMode(hdc, MM_TEXT);
    ::SetWindowOrgEx(hdc, 0, 0, NULL);
    ::SetViewportOrgEx(hdc, 0, 0, NULL);
}

void CBackBuffer::Paint(CDC* pWindowDC, const RECT& rc)
{
    ::GdiFlush();
    ::BitBlt(*pWindowDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, *m_canvas.DC(), rc.left, rc.top,
             SRCCOPY);
}
