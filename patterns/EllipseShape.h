// CEllipseShape: the pixels an Ellipse of one box size and pen paints, learned once by drawing it, kept as rectangles.
#pragma once
#include <afx.h>
#include <vector>

// Filling the shape at a box paints exactly what Ellipse would there with a solid pen and brush of one colour:
// GDI rasterises an ellipse the same wherever its box lies. It pays where the pen is wide, which GDI (and Wine
// far more) draws slowly: a wide outline is built segment by segment. The shape is kept as a few rectangles that
// may overlap, each inside it, together all of it: an ellipse's rows widen to the middle and narrow again, so a
// rectangle of one row's width reaches up and down through every wider row, and a shape of n rows is about n / 2
// rectangles. Under Wine a rectangle costs a fifth of an Ellipse, and a region fill twice an Ellipse at any size.
class CEllipseShape
{
public:
    // Draws the ellipse of a cx by cy box with a solid pen nPenWidth wide (0: none) and keeps what it painted; on
    // the sketch pad given where it is large enough (making one costs Wine here a millisecond), else on its own.
    BOOL Learn(int cx, int cy, int nPenWidth, class CDibCanvas* pPad = NULL);
    BOOL Is(int cx, int cy, int nPenWidth) const
    {
        return m_bLearned && cx == m_cx && cy == m_cy && nPenWidth == m_nPenWidth;
    }
    // The shape at the box rc (of the learned size), in the DC's brush.
    BOOL Fill(CDC* pDC, const RECT& rc) const;
    // The number of rectangles Fill paints: 0 for a box too small to show, 1 where the shape is a rectangle.
    int Rectangles() const { return (int)m_cover.size(); }
    // The box at which an Ellipse drawn with no pen paints the same pixels as the shape at rc, where learning
    // found one (Wine's is rc itself for a 1-pixel pen; Windows leaves a pen-less ellipse a pixel smaller). An
    // outline costs twice what the fill does under Wine, and a pen-less element needs no pen in its colour.
    BOOL PenlessBox(const RECT& rc, RECT& rcBox) const;
    void Release();

private:
    std::vector<RECT> m_cover;   // at a box whose top left is the origin
    BOOL m_bLearned = FALSE;
    int m_cx = 0, m_cy = 0, m_nPenWidth = 0;
    BOOL m_bPenless = FALSE;
    RECT m_rcGrow = {};   // how far the pen-less box reaches beyond rc on each side
};
