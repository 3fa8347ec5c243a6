// CEllipseShape: the pixels an Ellipse of one box size and pen paints, learned once by drawing it, kept as a region.
#pragma once
#include <afx.h>

// Filling the shape at a box paints exactly what Ellipse would there with a solid pen and brush of one colour:
// GDI rasterises an ellipse the same wherever its box lies. It pays where the pen is wide, which GDI (and Wine
// far more) draws slowly: a wide outline is built segment by segment, a region fill is a list of rows.
class CEllipseShape
{
public:
    // Draws the ellipse of a cx by cy box with a solid pen nPenWidth wide and keeps what it painted.
    BOOL Learn(int cx, int cy, int nPenWidth);
    BOOL Is(int cx, int cy, int nPenWidth) const
    {
        return m_rgn.m_hObject && cx == m_cx && cy == m_cy && nPenWidth == m_nPenWidth;
    }
    // The shape at the box rc (of the learned size), in the brush's colour.
    BOOL Fill(CDC* pDC, const RECT& rc, CGdiObject* pBrush);
    // The box at which an Ellipse drawn with no pen paints the same pixels as the shape at rc, where learning
    // found one (Wine's is rc itself for a 1-pixel pen; Windows leaves a pen-less ellipse a pixel smaller). An
    // outline costs twice what the fill does under Wine, and a pen-less element needs no pen in its colour.
    BOOL PenlessBox(const RECT& rc, RECT& rcBox) const;
    void Release() { m_rgn.DeleteObject(); }

private:
    CRgn m_rgn;   // at a box whose top left is the origin
    int m_cx = 0, m_cy = 0, m_nPenWidth = 0;
    BOOL m_bPenless = FALSE;
    RECT m_rcGrow = {};   // how far the pen-less box reaches beyond rc on each side
};
