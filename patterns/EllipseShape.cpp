// CEllipseShape: learning an ellipse's pixels on a sketch pad, and filling them at a box.
#include "patterns/EllipseShape.h"
#include "patterns/DibCanvas.h"
#include <string.h>
#include <vector>

namespace {
// Runs of painted pixels on each row of the pad, as rectangles relative to the box at (nPad, nPad); each row is
// one band, left to right, so the list is a region's own order.
std::vector<RECT> PaintedRuns(const CDibCanvas& pad, int nPad)
{
    std::vector<RECT> runs;
    const DWORD* pPixels = (const DWORD*)pad.Bits();
    for (int y = 0; y < pad.Height(); y++) {
        const DWORD* pRow = pPixels + (size_t)y * pad.Width();
        for (int x = 0; x < pad.Width();) {
            if ((pRow[x] & 0xFFFFFF) == 0) {
                x++;
                continue;
            }
            const int x0 = x;
            while (x < pad.Width() && (pRow[x] & 0xFFFFFF) != 0)
                x++;
            const RECT rc = { x0 - nPad, y - nPad, x - nPad, y - nPad + 1 };
            runs.push_back(rc);
        }
    }
    return runs;
}
}

BOOL CEllipseShape::Learn(int cx, int cy, int nPenWidth)
{
    Release();
    // A wide pen's outline reaches half its width beyond the box.
    const int nPad = nPenWidth + 1;
    CDibCanvas pad;
    if (cx <= 0 || cy <= 0 || nPenWidth < 1 || !pad.Create(cx + 2 * nPad, cy + 2 * nPad))
        return FALSE;
    CDC* pDC = pad.DC();
    pDC->PatBlt(0, 0, pad.Width(), pad.Height(), BLACKNESS);
    {
        CPen pen(PS_SOLID, nPenWidth, RGB(255, 255, 255));
        CBrush brush(RGB(255, 255, 255));
        CSelectGuard sel(pDC, pen, brush);
        pDC->Ellipse(nPad, nPad, nPad + cx, nPad + cy);
    }
    std::vector<RECT> runs = PaintedRuns(pad, nPad);
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    RGNDATA* pData = (RGNDATA*)data.data();
    pData->rdh.dwSize = sizeof(RGNDATAHEADER);
    pData->rdh.iType = RDH_RECTANGLES;
    pData->rdh.nCount = (DWORD)runs.size();
    pData->rdh.nRgnSize = (DWORD)(runs.size() * sizeof(RECT));
    ::SetRect(&pData->rdh.rcBound, -nPad, -nPad, cx + nPad, cy + nPad);
    if (!runs.empty())
        memcpy(pData->Buffer, runs.data(), runs.size() * sizeof(RECT));
    if (!m_rgn.CreateFromData(pData, (DWORD)data.size()))
        return FALSE;
    m_cx = cx;
    m_cy = cy;
    m_nPenWidth = nPenWidth;
    return TRUE;
}

BOOL CEllipseShape::Fill(CDC* pDC, const RECT& rc, CGdiObject* pBrush)
{
    if (!m_rgn.m_hObject)
        return FALSE;
    m_rgn.OffsetRgn(rc.left, rc.top);
    BOOL bOk = pDC->FillRgn(m_rgn, pBrush);
    m_rgn.OffsetRgn(-rc.left, -rc.top);
    return bOk;
}
