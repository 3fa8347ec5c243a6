// CPatternFrame: the shape every renderer's frame shares: null pen, erase brush, element brush, all restored at the end.
#pragma once
#include <afxwin.h>

class CPatternFrame
{
public:
    // Selects a pen that draws no outline for the whole frame; erased and drawn areas then match exactly.
    CPatternFrame(CDC* pDC, COLORREF crBack);
    ~CPatternFrame();
    CPatternFrame(const CPatternFrame&) = delete;
    CPatternFrame& operator=(const CPatternFrame&) = delete;

    // Paints the previous frame's elements over in the background colour.
    void Erase(const RECT* pRects, int nCount);
    void Erase(const RECT& rc) { Erase(&rc, 1); }
    // The brush of the elements that follow; may be called again for per-element colours.
    void UseColor(COLORREF cr);
    // An element: drawn only while shapes are on (erasing goes on regardless).
    void Draw(const RECT& rc, BOOL bDrawShapes);

    BOOL IsReady() const { return m_bReady; }

private:
    CDC* m_pDC;
    CPen m_pen;
    CBrush m_brushErase;
    CBrush m_brushElement;
    HGDIOBJ m_hOldPen;
    HGDIOBJ m_hOldBrush;
    BOOL m_bReady;
};
