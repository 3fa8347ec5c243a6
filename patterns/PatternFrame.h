// CPatternFrame: the shape every renderer's frame shares: null pen and the DC's own brush, both restored at the end.
#pragma once
#include <afx.h>
#include "patterns/PatternCanvas.h"
#include "patterns/HeldSelection.h"

class CPatternFrame
{
public:
    // Selects a pen that draws no outline for the whole frame; erased and drawn areas then match exactly.
    CPatternFrame(CDC* pDC, CPatternCanvas& cv);
    CPatternFrame(const CPatternFrame&) = delete;
    CPatternFrame& operator=(const CPatternFrame&) = delete;

    // Paints the previous frame's elements over in the background colour.
    void Erase(const RECT* pRects, int nCount);
    void Erase(const RECT& rc) { Erase(&rc, 1); }
    // The same, for a pattern whose picture holds nothing but these elements on the background (every frame
    // erases all it drew in the last and draws nothing else): the pixels around an element inside its box are
    // background or another of them, so painting the boxes leaves the picture Erase leaves, in a PatBlt each
    // instead of an Ellipse, or one over all of them where the elements are crowded (quiet music gives pattern 4
    // nearly 300 a frame).
    void EraseAll(const RECT* pRects, int nCount);
    // Erase one element, then draw the next in its place in the store, for a pattern that goes element by element
    // over a picture holding nothing but its last frame's elements. Where the old element's box meets nothing this
    // frame has drawn yet, the pixels around it in its box are background or last frame's elements still to be
    // erased, so its box is painted, a PatBlt; elsewhere the erase may cut into a neighbour drawn a moment before,
    // and the Ellipse does it as Erase would. rcOld may be rcStore itself: it is read before the store is written.
    void EraseAndDraw(const RECT& rcOld, const RECT& rcNew, RECT& rcStore);
    // An element drawn once and no longer erased (a pattern that lets an element go without erasing it): its
    // pixels stay, so the box erases of EraseAndDraw keep off it. Called before the frame's first EraseAndDraw.
    void KeepDrawn(const RECT& rc);
    // The brush of the elements that follow; called again for per-element colours.
    void UseColor(COLORREF cr);
    // An element: drawn only while shapes are on (erasing goes on regardless), and stored for the next
    // frame's erase either way, so what is stored is what was drawn.
    void Draw(const RECT& rc, RECT& rcStore);
    // A ring of d-sized discs at angle, angle + step, ... up to one turn less 0.1 radian, placed at
    // (x0, y0) plus the orbit offset; stored from pStore[0], at most 100 (further discs reuse the last
    // entry). Returns the number of entries used.
    int DrawRing(RECT* pStore, double angle, double step, int r, int d, int x0, int y0);

    BOOL IsReady() const { return m_bReady; }

private:
    BOOL Paints(const RECT& rc) const;
    void StartCells();
    // An element's box on the picture, top left first however its corners were given.
    RECT PaintedBox(const RECT& rc) const;
    // A box of the picture painted in the background colour, one PatBlt.
    void EraseBox(const RECT& rcBox);
    void Paint(COLORREF cr, const RECT& rc);

    // Elements change colour as often as every disc: the DC's own brush takes a colour in one call, where a brush
    // object per colour had to be made, selected and let go. The held selection gives the DC its objects and
    // brush colour back when the frame ends.
    CDC* m_pDC;
    CHeldSelection m_sel;
    CGdiCache& m_gdi;   // the canvas's: the smallest discs' shapes
    CDrawnCells& m_cells;   // the canvas's, started by the first EraseAndDraw of the frame
    BOOL m_bCellsStarted;
    RECT m_rcClient;
    BOOL m_bDrawShapes;
    COLORREF m_crBack;
    COLORREF m_crElement;
    BOOL m_bElement;       // a colour was given
    BOOL m_bReady;
};
