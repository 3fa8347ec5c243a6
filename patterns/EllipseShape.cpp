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

// The runs of an ellipse over the box at (nPad, nPad) of cx by cy grown by rcGrow, drawn in white on black.
std::vector<RECT> EllipseRuns(CDibCanvas& pad, int nPad, int cx, int cy, CGdiObject& pen, const RECT& rcGrow)
{
    CDC* pDC = pad.DC();
    pDC->PatBlt(0, 0, pad.Width(), pad.Height(), BLACKNESS);
    {
        CBrush brush(RGB(255, 255, 255));
        CSelectGuard sel(pDC, pen, brush);
        pDC->Ellipse(nPad - rcGrow.left, nPad - rcGrow.top, nPad + cx + rcGrow.right, nPad + cy + rcGrow.bottom);
    }
    return PaintedRuns(pad, nPad);
}

// Tries the box itself and the boxes grown by one pixel on any of their sides.
BOOL FindPenlessGrowth(CDibCanvas& pad, int nPad, int cx, int cy, const std::vector<RECT>& runs, RECT& rcGrow)
{
    CPen penNull(PS_NULL, 0, RGB(0, 0, 0));
    for (int nSides = 0; nSides < 16 && !runs.empty(); nSides++) {
        ::SetRect(&rcGrow, nSides & 1, (nSides >> 1) & 1, (nSides >> 2) & 1, (nSides >> 3) & 1);
        const std::vector<RECT> penless = EllipseRuns(pad, nPad, cx, cy, penNull, rcGrow);
        if (penless.size() == runs.size() && memcmp(penless.data(), runs.data(), runs.size() * sizeof(RECT)) == 0)
            return TRUE;
    }
    return FALSE;
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
    CPen pen(PS_SOLID, nPenWidth, RGB(255, 255, 255));
    const RECT rcSame = { 0, 0, 0, 0 };
    const std::vector<RECT> runs = EllipseRuns(pad, nPad, cx, cy, pen, rcSame);
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
    m_bPenless = FindPenlessGrowth(pad, nPad, cx, cy, runs, m_rcGrow);
    return TRUE;
}

BOOL CEllipseShape::PenlessBox(const RECT& rc, RECT& rcBox) const
{
    if (!m_rgn.m_hObject || !m_bPenless)
        return FALSE;
    ::SetRect(&rcBox, rc.left - m_rcGrow.left, rc.top - m_rcGrow.top, rc.right + m_rcGrow.right,
              rc.bottom + m_rcGrow.bottom);
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
