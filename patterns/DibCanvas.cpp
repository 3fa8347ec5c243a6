// CDibCanvas: creation and release of the off-screen picture.
#include "patterns/DibCanvas.h"


BOOL CDibCanvas::Create(int cx, int cy)
{
    if (cx <= 0 || cy <= 0 || !m_dc.CreateCompatibleDC(NULL))
        return FALSE;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;   // top-down: row 0 is the top, as video frames are
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = NULL;
    m_hBitmap = ::CreateDIBSection(m_dc, &bmi, DIB_RGB_COLORS, &pBits, NULL, 0);
    if (m_hBitmap == NULL)
        return FALSE;
    m_pBits = (BYTE*)pBits;
    m_hOldBitmap = m_dc.SelectObject(m_hBitmap);
    m_cx = cx;
    m_cy = cy;
    return TRUE;
}

CDibCanvas::~CDibCanvas()
{
    if (m_hOldBitmap)
        m_dc.SelectObject(m_hOldBitmap);
    if (m_hBitmap)
        ::DeleteObject(m_hBitmap);
}

const BYTE* CDibCanvas::Bits() const
{
    ::GdiFlush();
    return m_pBits;
}
