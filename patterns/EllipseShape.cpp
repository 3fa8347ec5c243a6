// CEllipseShape: learning an ellipse's pixels on a sketch pad, and filling them at a box.
#include "patterns/EllipseShape.h"
#include "patterns/DibCanvas.h"
#include <string.h>
#include <algorithm>

namespace {
// Runs of painted pixels on each row of the pad, as rectangles relative to the box at (nPad, nPad), row by row
// and left to right.
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

// Whether row y holds a run reaching from left to right.
BOOL RowHolds(const std::vector<RECT>& runs, int y, int left, int right)
{
    for (const RECT& run : runs)
        if (run.top == y && run.left <= left && run.right >= right)
            return TRUE;
    return FALSE;
}

BOOL InOne(const std::vector<RECT>& cover, const RECT& run)
{
    for (const RECT& rc : cover)
        if (rc.left <= run.left && rc.right >= run.right && rc.top <= run.top && rc.bottom >= run.bottom)
            return TRUE;
    return FALSE;
}

// Widest runs first, each stretched up and down through the rows that hold it whole; a run inside a rectangle
// already made adds nothing. Every rectangle lies in the shape and every run is in one, so they paint it exactly.
std::vector<RECT> Cover(const std::vector<RECT>& runs)
{
    std::vector<RECT> byWidth = runs;
    std::stable_sort(byWidth.begin(), byWidth.end(),
                     [](const RECT& a, const RECT& b) { return a.right - a.left > b.right - b.left; });
    std::vector<RECT> cover;
    for (const RECT& run : byWidth) {
        if (InOne(cover, run))
            continue;
        RECT rc = run;
        while (RowHolds(runs, rc.top - 1, rc.left, rc.right))
            rc.top--;
        while (RowHolds(runs, rc.bottom, rc.left, rc.right))
            rc.bottom++;
        cover.push_back(rc);
    }
    return cover;
}

// A 1-pixel outline in the fill's colour adds nothing to Wine's pen-less ellipse over the same box; Windows leaves
// the pen-less one a pixel short on the right and at the bottom. Wider outlines reach beyond either.
BOOL FindPenlessGrowth(CDibCanvas& pad, int nPad, int cx, int cy, const std::vector<RECT>& runs, RECT& rcGrow)
{
    static const RECT kGrowths[] = { { 0, 0, 0, 0 }, { 0, 0, 1, 1 } };
    CPen penNull(PS_NULL, 0, RGB(0, 0, 0));
    for (const RECT& rc : kGrowths) {
        rcGrow = rc;
        const std::vector<RECT> penless = EllipseRuns(pad, nPad, cx, cy, penNull, rcGrow);
        if (!runs.empty() && penless.size() == runs.size() &&
            memcmp(penless.data(), runs.data(), runs.size() * sizeof(RECT)) == 0)
            return TRUE;
    }
    return FALSE;
}
}

BOOL CEllipseShape::Learn(int cx, int cy, int nPenWidth, CDibCanvas* pPad)
{
    Release();
    // A wide pen's outline reaches half its width beyond the box; a pen-less ellipse may be grown by a pixel.
    const int nPad = nPenWidth + 1;
    if (cx <= 0 || cy <= 0 || nPenWidth < 0)
        return FALSE;
    CDibCanvas padOwn;
    CDibCanvas* pUse = pPad;
    if (pUse == NULL || pUse->Width() < cx + 2 * nPad || pUse->Height() < cy + 2 * nPad) {
        if (!padOwn.Create(cx + 2 * nPad, cy + 2 * nPad))
            return FALSE;
        pUse = &padOwn;
    }
    CPen pen(nPenWidth ? PS_SOLID : PS_NULL, nPenWidth, RGB(255, 255, 255));
    const RECT rcSame = { 0, 0, 0, 0 };
    const std::vector<RECT> runs = EllipseRuns(*pUse, nPad, cx, cy, pen, rcSame);
    m_cover = Cover(runs);
    m_cx = cx;
    m_cy = cy;
    m_nPenWidth = nPenWidth;
    m_bPenless = nPenWidth == 1 && FindPenlessGrowth(*pUse, nPad, cx, cy, runs, m_rcGrow);
    m_bLearned = TRUE;
    return TRUE;
}

BOOL CEllipseShape::PenlessBox(const RECT& rc, RECT& rcBox) const
{
    if (!m_bLearned || !m_bPenless)
        return FALSE;
    ::SetRect(&rcBox, rc.left - m_rcGrow.left, rc.top - m_rcGrow.top, rc.right + m_rcGrow.right,
              rc.bottom + m_rcGrow.bottom);
    return TRUE;
}

BOOL CEllipseShape::Fill(CDC* pDC, const RECT& rc) const
{
    if (!m_bLearned)
        return FALSE;
    for (const RECT& r : m_cover)
        pDC->PatBlt(rc.left + r.left, rc.top + r.top, r.right - r.left, r.bottom - r.top, PATCOPY);
    return TRUE;
}

void CEllipseShape::Release()
{
    m_cover.clear();
    m_bLearned = FALSE;
    m_bPenless = FALSE;
}
