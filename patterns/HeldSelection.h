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
    // A colour of the DC's own pen or brush: the one it had before we first set it, and the one it has now.
    struct SDCColor {
        COLORREF crOwn = CLR_INVALID;
        COLORREF crNow = CLR_INVALID;
    };
    typedef COLORREF(WINAPI* SetColorFn)(HDC, COLORREF);

    void UsePen(HGDIOBJ hPen);
    void UseBrush(HGDIOBJ hBrush);
    void SetDCColor(SetColorFn pfnSet, SDCColor& color, COLORREF cr);
    void GiveBack(SetColorFn pfnSet, SDCColor& color);

    CDC* m_pDC;
    HGDIOBJ m_hOwnPen;
    HGDIOBJ m_hOwnBrush;
    HGDIOBJ m_hPen;     // what is selected now
    HGDIOBJ m_hBrush;
    SDCColor m_dcPen;
    SDCColor m_dcBrush;
};
