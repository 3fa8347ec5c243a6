// CDibCanvas: a top-down 32-bit DIB section behind a memory DC: the offline renderer's picture, the shapes' sketch pad.
#pragma once
#include <afx.h>

class CDibCanvas
{
public:
    CDibCanvas() : m_hBitmap(NULL), m_hOldBitmap(NULL), m_pBits(NULL), m_cx(0), m_cy(0) {}
    ~CDibCanvas();
    CDibCanvas(const CDibCanvas&) = delete;
    CDibCanvas& operator=(const CDibCanvas&) = delete;

    BOOL Create(int cx, int cy);
    CDC* DC() { return &m_dc; }
    // Rows from the top, 4 bytes a pixel in the order blue, green, red, unused; GDI's work flushed first.
    const BYTE* Bits() const;
    DWORD ByteCount() const { return (DWORD)m_cx * (DWORD)m_cy * 4; }
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }

private:
    CDC m_dc;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOldBitmap;
    BYTE* m_pBits;
    int m_cx, m_cy;
};
