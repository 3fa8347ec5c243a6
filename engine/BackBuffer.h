// CBackBuffer: the display's picture kept in memory, drawn there and shown on the window once a frame.
#pragma once
#include <afxwin.h>
#include "engine/DibCanvas.h"

// Owned by the display on the render thread. Everything the display draws goes here first; Present copies to the
// window only what changed since the last present (what GDI saw drawn), in one copy; a repaint copies from here,
// so covered and uncovered parts of the window come back as they were.
class CBackBuffer
{
public:
    CBackBuffer() : m_crFill(0) {}

    // Sized to the client area: a new size keeps what the old picture had where both overlap and fills the rest
    // with crFill, as the window's own erase would. FALSE when no picture of that size could be made.
    BOOL Resize(int cx, int cy, COLORREF crFill);
    BOOL IsReady() const { return m_canvas.Width() > 0; }
    void Release();
    // The device context to draw on; what is drawn from now on is noted for the next present.
    CDC* Begin();
    // Copies the part drawn since Begin to the window's device context; FALSE when nothing was drawn.
    BOOL Present(CDC* pWindowDC);
    // Copies a part of the picture, in client coordinates, to the window (a repaint).
    void Paint(CDC* pWindowDC, const RECT& rc);
    int Width() const { return m_canvas.Width(); }
    int Height() const { return m_canvas.Height(); }

private:
    static void PlainMapping(HDC hdc);

    CDibCanvas m_canvas;
    COLORREF m_crFill;
};
