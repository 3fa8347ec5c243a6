// CDrawnCells: which 32-pixel cells of the picture the elements drawn so far in a frame reach.
#pragma once
#include <windows.h>
#include <vector>

// Coarse on purpose: an answer of "nothing drawn here" is exact (every cell a drawn box reaches is marked), one of
// "something" may be a neighbour's cell only. Owned by the canvas, used by one frame at a time on the render thread.
class CDrawnCells
{
public:
    // Nothing drawn yet, over a picture of rcClient.
    void Start(const RECT& rcClient);
    // Rectangles count only where they lie inside the client rectangle Start was given.
    void Mark(const RECT& rc);
    BOOL AnyMarked(const RECT& rc) const;

private:
    enum { SHIFT = 5 };   // 32-pixel cells: a disc of up to 63 pixels reaches at most 3 by 3 of them
    template <class Visit>
    BOOL ForCells(const RECT& rc, Visit visit) const;

    std::vector<BYTE> m_cell;
    RECT m_rcClient = {};
    int m_nColumns = 0;
};
