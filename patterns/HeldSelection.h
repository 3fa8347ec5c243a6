// CHeldSelection: a pen and a brush kept selected across a frame's elements, each selected only when it changes.
#pragma once
#include <afx.h>

// Every selection onto a window costs a round trip to the display under Wine, so a renderer that draws many
// elements in few colours asks for its objects here and pays only for the changes. The DC gets its own objects
// back when the guard ends, or earlier through Restore (before the canvas's cache may delete what is selected).
class CHeldSelection
{
public:
    explicit CHeldSelection(CDC* pDC);
    ~CHeldSelection() { Restore(); }
    CHeldSelection(const CHeldSelection&) = delete;
    CHeldSelection& operator=(const CHeldSelection&) = delete;

    void UsePen(CGdiObject* pPen) { UsePen(pPen->m_hObject); }
    void UseBrush(CGdiObject* pBrush) { UseBrush(pBrush->m_hObject); }
    // The DC's own 1-pixel solid pen and solid brush in a colour: one call for a new colour, no object made.
    void UseDCPen(COLORREF cr);
    void UseDCBrush(COLORREF cr);
    // The DC's own pen and brush, selected back only where something else is selected, and the colours of its
    // DC pen and brush as they were.
    void Restore();

private:
    void UsePen(HGDIOBJ hPen);
    void UseBrush(HGDIOBJ hBrush);

    CDC* m_pDC;
    HGDIOBJ m_hOwnPen;
    HGDIOBJ m_hOwnBrush;
    HGDIOBJ m_hPen;     // what is selected now
    HGDIOBJ m_hBrush;
    COLORREF m_crOwnDCPen;     // CLR_INVALID until the DC pen's colour is first set
    COLORREF m_crOwnDCBrush;
    COLORREF m_crDCPen;
    COLORREF m_crDCBrush;
};
