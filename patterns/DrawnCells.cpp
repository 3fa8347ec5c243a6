// CDrawnCells: a byte per 32-pixel cell of the picture, cleared at each frame that asks.
#include "patterns/DrawnCells.h"

void CDrawnCells::Start(const RECT& rcClient)
{
    m_rcClient = rcClient;
    m_nColumns = ((rcClient.right - rcClient.left) >> SHIFT) + 1;
    const int nRows = ((rcClient.bottom - rcClient.top) >> SHIFT) + 1;
    m_cell.assign((size_t)m_nColumns * (size_t)(nRows > 0 ? nRows : 0), 0);
}

// Calls visit with each cell of rc until it returns TRUE; the result is whether one did.
template <class Visit>
BOOL CDrawnCells::ForCells(const RECT& rc, Visit visit) const
{
    RECT rcIn;
    if (!::IntersectRect(&rcIn, &rc, &m_rcClient))
        return FALSE;
    const int x0 = (rcIn.left - m_rcClient.left) >> SHIFT, x1 = (rcIn.right - 1 - m_rcClient.left) >> SHIFT;
    const int y0 = (rcIn.top - m_rcClient.top) >> SHIFT, y1 = (rcIn.bottom - 1 - m_rcClient.top) >> SHIFT;
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++)
            if (visit((size_t)y * (size_t)m_nColumns + (size_t)x))
                return TRUE;
    return FALSE;
}

void CDrawnCells::Mark(const RECT& rc)
{
    std::vector<BYTE>& cell = m_cell;
    ForCells(rc, [&cell](size_t i) {
        cell[i] = 1;
        return FALSE;
    });
}

// Before any Start nothing is known, and "something" is the answer that never misleads.
BOOL CDrawnCells::AnyMarked(const RECT& rc) const
{
    if (m_cell.empty())
        return TRUE;
    const std::vector<BYTE>& cell = m_cell;
    return ForCells(rc, [&cell](size_t i) { return cell[i] != 0; });
}
