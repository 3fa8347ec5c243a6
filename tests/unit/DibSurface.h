// DibSurface: a top-down 32-bit DIB section behind a memory DC, for tests that read back what was drawn.
#pragma once
#include <afxwin.h>

class DibSurface
{
public:
    DibSurface(int cx, int cy) : m_cx(cx), m_cy(cy)
    {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = cx;
        bmi.bmiHeader.biHeight = -cy;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        m_hMemDC = ::CreateCompatibleDC(NULL);
        m_hBitmap = ::CreateDIBSection(m_hMemDC, &bmi, DIB_RGB_COLORS, (void**)&m_pBits, NULL, 0);
        m_hOld = ::SelectObject(m_hMemDC, m_hBitmap);
        m_dc.Attach(m_hMemDC);
        m_dc.SetBkMode(TRANSPARENT);   // as the frame composer hands the context over
    }
    ~DibSurface()
    {
        m_dc.Detach();
        ::SelectObject(m_hMemDC, m_hOld);
        ::DeleteObject(m_hBitmap);
        ::DeleteDC(m_hMemDC);
    }
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;

    bool Ok() const { return m_pBits != nullptr; }
    CDC* DC() { return &m_dc; }

    void Fill(COLORREF cr)
    {
        RECT rc = { 0, 0, m_cx, m_cy };
        m_dc.FillSolidRect(&rc, cr);
        ::GdiFlush();
    }

    // The colour at (x, y) as a COLORREF; off the surface gives CLR_INVALID.
    COLORREF At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= m_cx || y >= m_cy)
            return CLR_INVALID;
        ::GdiFlush();
        DWORD v = m_pBits[y * m_cx + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }

    // Pixels of the surface that are not cr.
    int CountOther(COLORREF cr) const
    {
        ::GdiFlush();
        const DWORD v = (DWORD)(GetRValue(cr) << 16 | GetGValue(cr) << 8 | GetBValue(cr));
        int n = 0;
        for (int i = 0; i < m_cx * m_cy; i++)
            n += (m_pBits[i] & 0xFFFFFF) != v;
        return n;
    }

    const int m_cx, m_cy;

private:
    HDC m_hMemDC = NULL;
    HBITMAP m_hBitmap = NULL;
    HGDIOBJ m_hOld = NULL;
    DWORD* m_pBits = nullptr;
    CDC m_dc;
};
