// CGdiCache: the pens and brushes of the pattern frames, kept from frame to frame instead of made anew.
#pragma once
#include <afx.h>
#include "patterns/EllipseShape.h"
#include "patterns/DibCanvas.h"

// Owned by the canvas and used only on the render thread. A frame asks for a colour's brush or pen and gets
// the same object as before; the cache holds at most CAPACITY objects. When it is full it deletes those no frame
// has asked for since the pattern set began the current one, and only when every object is in use this frame is
// it emptied whole, so the number of live GDI objects stays bounded. Nothing it returns may still be selected
// when it empties: the frames select their erase brush (kept apart) before asking for an element's colour.
class CGdiCache
{
public:
    enum { CAPACITY = 256 };   // elements take the DC's own pen and brush: what is asked for here is a few erase pens
    enum { SHAPES = 128 };     // pattern 16's discs, 5 to 55 pixels, drawn with a 1-pixel pen and erased with a 2-pixel one

    CGdiCache() = default;
    ~CGdiCache() { Release(); }
    CGdiCache(const CGdiCache&) = delete;
    CGdiCache& operator=(const CGdiCache&) = delete;

    CGdiObject* SolidBrush(COLORREF cr);
    CGdiObject* Pen(int nStyle, int nWidth, COLORREF cr);
    // The erase brush and the frame's null pen of a background colour, kept apart from the element objects so
    // that emptying the cache never deletes them while selected.
    CGdiObject* EraseBrush(COLORREF crBack);
    CGdiObject* NullPen(COLORREF crBack);
    // The learned pixels of an Ellipse of a cx by cy box and a solid pen nPenWidth wide; NULL when SHAPES are
    // learned already (or it can't be learned), and the caller draws the Ellipse itself. A shape holds no GDI
    // object and what GDI paints does not change, so shapes stay learned for the cache's life, across patterns.
    CEllipseShape* EllipseShape(int cx, int cy, int nPenWidth);
    // The learned pixels of a pen-less Ellipse of a box at most SMALL pixels each way, NULL for a larger one: the
    // frames' smallest elements are a single rectangle or nothing, which a PatBlt paints for half an Ellipse.
    enum { SMALL = 4 };
    const CEllipseShape* SmallShape(int cx, int cy);
    // Makes room for n more objects before they are asked for together, so that the second request
    // can't empty the table and delete the first.
    void Reserve(int n);
    // Whether Reserve(n) would empty the table whole: whoever keeps element objects selected gives them back first.
    BOOL MayEmpty(int n) const { return m_nCount + n > CAPACITY && InUse() + n > CAPACITY; }   // counted only when full
    // A new frame: what the last one asked for may be deleted to make room.
    void NextFrame() { m_nFrame++; }
    // Deletes every object: when a pattern is started, and with the window. Learned shapes stay.
    void Release();
    int Count() const;   // GDI objects held
    int ShapeCount() const { return m_nShapes; }

private:
    struct SEntry {
        int nKind;          // 0 brush, 1 pen
        int nStyle, nWidth;
        COLORREF cr;
        CGdiObject* pObject;
        unsigned nFrame;    // the last frame that asked for it
    };
    CGdiObject* Find(int nKind, int nStyle, int nWidth, COLORREF cr);
    CDibCanvas* Pad();
    int InUse() const;
    // Makes room for n, deleting first what this frame has not asked for, and everything if that is too little.
    void MakeRoom(int n);
    // Element objects only: the erase brush and null pen may be selected when the table fills up.
    void ReleaseElements();
    void ReleaseUnused();
    CGdiObject* Add(int nKind, int nStyle, int nWidth, COLORREF cr);

    SEntry m_entry[CAPACITY] = {};
    int m_nCount = 0;
    unsigned m_nFrame = 0;
    CBrush m_brushErase;
    COLORREF m_crErase = 0;
    CPen m_penNull;
    COLORREF m_crNullPen = 0;
    // Pattern 16 asks twice per flyer, up to 200 times a frame: the shapes are found through a table of twice
    // their number, probed from a hash of size and pen, where a scan would compare against half of them.
    enum { SHAPE_SLOTS = 256 };   // 2 * SHAPES: the hash gives 8 bits
    static int ShapeSlot(int cx, int cy, int nPenWidth);
    CEllipseShape m_shape[SHAPES];
    int m_nShapes = 0;
    BYTE m_shapeSlot[SHAPE_SLOTS] = {};   // 1 + the shape's index, 0 for none
    CEllipseShape m_small[SMALL][SMALL];
    CDibCanvas m_pad;   // where shapes are learned, made at the first
};
