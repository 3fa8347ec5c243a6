// CDC: a device context and the drawing calls the program uses; owns the DC only when it made it.
#pragma once
#include <windows.h>
#include "GdiObject.h"

class CDC
{
public:
    CDC() : m_hDC(NULL), m_bOwned(FALSE) {}
    virtual ~CDC() { DeleteDC(); }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL Attach(HDC hDC) { m_hDC = hDC; m_bOwned = FALSE; return hDC != NULL; }
    HDC Detach() { HDC h = m_hDC; m_hDC = NULL; m_bOwned = FALSE; return h; }
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();

    // Selection returns the previous handle; the caller selects it back before the object dies.
    HGDIOBJ SelectObject(CGdiObject* pObject) { return ::SelectObject(m_hDC, pObject->m_hObject); }
    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
    HGDIOBJ SelectStockObject(int nIndex) { return ::SelectObject(m_hDC, ::GetStockObject(nIndex)); }

    int SetBkMode(int nMode) { return ::SetBkMode(m_hDC, nMode); }
    COLORREF SetBkColor(COLORREF cr) { return ::SetBkColor(m_hDC, cr); }
    COLORREF SetTextColor(COLORREF cr) { return ::SetTextColor(m_hDC, cr); }
    int SetMapMode(int nMode) { return ::SetMapMode(m_hDC, nMode); }
    void SetWindowExt(int cx, int cy) { ::SetWindowExtEx(m_hDC, cx, cy, NULL); }
    void SetViewportExt(int cx, int cy) { ::SetViewportExtEx(m_hDC, cx, cy, NULL); }
    void SetViewportOrg(int x, int y) { ::SetViewportOrgEx(m_hDC, x, y, NULL); }

    BOOL TextOut(int x, int y, LPCSTR psz);
    int DrawText(LPCSTR psz, LPRECT pRect, UINT nFormat) { return ::DrawTextA(m_hDC, psz, -1, pRect, nFormat); }
    // The size of a line of text in the selected font, in logical units; zero where it can't be measured.
    SIZE GetTextExtent(LPCSTR psz) const;
    // Like the classic helper: paints through the background colour, which it leaves set to cr.
    void FillSolidRect(const RECT* pRect, COLORREF cr);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF cr);
    BOOL Ellipse(const RECT* pRect) { return ::Ellipse(m_hDC, pRect->left, pRect->top, pRect->right, pRect->bottom); }
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL MoveTo(int x, int y) { return ::MoveToEx(m_hDC, x, y, NULL); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL FillRgn(HRGN hRgn, CGdiObject* pBrush) { return ::FillRgn(m_hDC, hRgn, (HBRUSH)pBrush->m_hObject); }
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop) { return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop); }
    COLORREF SetPixel(int x, int y, COLORREF cr) { return ::SetPixel(m_hDC, x, y, cr); }
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrc, int xSrc, int ySrc, DWORD dwRop)
    {
        return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrc->m_hDC, xSrc, ySrc, dwRop);
    }

    HDC m_hDC;

private:
    BOOL m_bOwned;
};
