// CFlyerPattern: launch, flight and drawing of the edge flyers of pattern 16.
#include "patterns/FlyerPattern.h"

namespace {
const int kLaunchJump = 30;   // a delta above the near delta by more than this launches a burst
const int kMargin = 50;       // flyers this far beyond an edge are still kept
const int kDashLength = 20;   // a dash is this many times its speed long and flies twice as fast
const int kReach = 2;         // whatever a flyer paints, drawn or erased, lies this close around its rectangle
const int kErasePen = 2;      // a disc is erased with a pen this wide, so that no rim of it is left behind

// Whether a previous rectangle was emptied at launch: a real flyer is never all zeros.
BOOL IsEmptied(const RECT& rc)
{
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

RECT Reach(const RECT& rc)
{
    RECT rcReach = rc;
    ::InflateRect(&rcReach, kReach, kReach);
    return rcReach;
}

// A dash is a line from (left, top) to (right, bottom), lying flat or upright and never shorter than 100: a
// 1-pixel pen paints the pixels from its start up to its end point, which it leaves out.
RECT DashLine(const RECT& rc)
{
    RECT rcLine = rc;
    if (rc.top == rc.bottom)
        rcLine.bottom++;
    else
        rcLine.right++;
    return rcLine;
}

// The 2-pixel pen that erases a dash paints the line's row or column and the one above or left of it, from
// one pixel before the start through the end point: a rectangle, which a brush fills for far less.
RECT DashErased(const RECT& rc)
{
    RECT rcErased = { rc.left - 1, rc.top - 1, rc.right + 1, rc.bottom + 1 };
    return rcErased;
}

void Fill(CDC* pDC, const RECT& rc)
{
    pDC->PatBlt(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, PATCOPY);
}
}

void CFlyerPattern::InitPattern16(CPatternCanvas&, const SPatternInput&)
{
    for (int i = 0; i < SLOTS; i++)
        m_slot[i].nActive = 0;
}

BOOL CFlyerPattern::OutOfBounds(const RECT& rc, const RECT& rcClient) const
{
    return rc.right < -kMargin || rc.left > rcClient.right + kMargin || rc.bottom < -kMargin ||
           rc.top > rcClient.bottom + kMargin;
}

// Every flyer erases where it was, moves, and is drawn at its new place unless it has flown off; one that has
// flown off is freed with its last place kept, already erased.
void CFlyerPattern::Move(const CPatternCanvas& cv, SStep* pStep)
{
    for (int i = 0; i < SLOTS; i++) {
        SFlyerSlot& f = m_slot[i];
        SStep& s = pStep[i];
        s.bErase = f.nActive && !IsEmptied(f.rcPrev);
        s.bDraw = FALSE;
        s.bEraseInOrder = FALSE;
        s.rcErase = f.rcPrev;
        if (!f.nActive)
            continue;
        ::OffsetRect(&f.rc, f.dx, f.dy);
        if (OutOfBounds(f.rc, cv.m_rcClient)) {
            f.nActive = 0;
            continue;
        }
        s.bDraw = TRUE;
        f.rcPrev = f.rc;
    }
}

// Erases all paint the background, so they may all go before the first flyer is drawn, but for one that
// reaches a flyer drawn before it in slot order: that one must still cut into it.
void CFlyerPattern::KeepOverlappingErasesInOrder(SStep* pStep) const
{
    for (int j = 0; j < SLOTS; j++) {
        if (!pStep[j].bErase)
            continue;
        const RECT rcErase = Reach(pStep[j].rcErase);
        for (int i = 0; i < j && !pStep[j].bEraseInOrder; i++) {
            const RECT rcDrawn = Reach(m_slot[i].rc);
            RECT rcBoth;
            pStep[j].bEraseInOrder = pStep[i].bDraw && ::IntersectRect(&rcBoth, &rcErase, &rcDrawn);
        }
    }
}

// The cache empties whole when it is full, and nothing it deletes may be selected then.
void CFlyerPattern::MakeRoom(CPatternCanvas& cv, CHeldSelection& sel, int n)
{
    if (cv.m_gdi.MayEmpty(n))
        sel.Restore();
    cv.m_gdi.Reserve(n);
}

CGdiObject* CFlyerPattern::UseEraseBrush(CPatternCanvas& cv, CHeldSelection& sel)
{
    CGdiObject* pBrush = cv.m_gdi.EraseBrush(cv.m_crBack);
    if (pBrush)
        sel.UseBrush(pBrush);
    return pBrush;
}

// Before the first flyer is drawn the picture holds nothing but last frame's flyers, each inside what its own
// erase paints and each erased in this frame (a flyer that flies off is erased as it goes). So an erase that goes
// before the draws may paint the whole box around the flyer, one PatBlt: what lies there besides its own disc is
// background or another flyer of the last frame, which its own erase would clear anyway (one whose erase keeps its
// turn is cleared again after the flyers before it are drawn, cutting into them as before).
void CFlyerPattern::EraseBox(const SFlyerSlot& f, const RECT& rc, CPatternCanvas& cv, CHeldSelection& sel, CDC* pDC)
{
    if (UseEraseBrush(cv, sel) == NULL)
        return;
    Fill(pDC, f.nKind == KIND_DASH ? DashErased(rc) : Reach(rc));
}

void CFlyerPattern::Erase(const SFlyerSlot& f, const RECT& rc, CPatternCanvas& cv, CHeldSelection& sel, CDC* pDC)
{
    CGdiObject* pBrush = UseEraseBrush(cv, sel);
    if (pBrush == NULL)
        return;
    if (f.nKind == KIND_DASH) {
        Fill(pDC, DashErased(rc));
        return;
    }
    // The wide outline is what costs: the pixels it and the fill paint are learned once per size.
    if (DrawShape(cv, sel, pDC, rc, kErasePen))
        return;
    MakeRoom(cv, sel, 1);
    CGdiObject* pPen = cv.m_gdi.Pen(PS_SOLID, kErasePen, cv.m_crBack);
    if (pPen) {
        sel.UsePen(pPen);
        sel.UseBrush(pBrush);
        pDC->Ellipse(&rc);
    }
}

// A flyer keeps one colour for its whole flight, given to the DC's own pen and brush: no object per colour.
void CFlyerPattern::DrawFlyer(const SFlyerSlot& f, CPatternCanvas& cv, CHeldSelection& sel, CDC* pDC)
{
    const COLORREF cr = cv.WeightedColor(f.nHue, f.nWhiteWeight, f.nBrightWeight);
    sel.UseDCBrush(cr);
    if (f.nKind == KIND_DASH) {
        Fill(pDC, DashLine(f.rc));
        return;
    }
    if (DrawShape(cv, sel, pDC, f.rc, 1))
        return;
    sel.UseDCPen(cr);
    pDC->Ellipse(&f.rc);
}

// What an Ellipse over rc with a pen nPenWidth wide and the held brush, both of one colour, would paint: as one
// rectangle where the shape is one, else without the pen where learning found a box at which a pen-less Ellipse
// paints the same pixels, else as the learned rectangles. FALSE when the shape's store is full: the caller draws.
BOOL CFlyerPattern::DrawShape(CPatternCanvas& cv, CHeldSelection& sel, CDC* pDC, const RECT& rc, int nPenWidth)
{
    const CEllipseShape* pShape = cv.m_gdi.EllipseShape(rc.right - rc.left, rc.bottom - rc.top, nPenWidth);
    if (pShape == NULL)
        return FALSE;
    CGdiObject* pPenNull = cv.m_gdi.NullPen(cv.m_crBack);
    RECT rcBox;
    if (pShape->Rectangles() > 1 && pPenNull && pShape->PenlessBox(rc, rcBox)) {
        sel.UsePen(pPenNull);
        pDC->Ellipse(&rcBox);
        return TRUE;
    }
    return pShape->Fill(pDC, rc);
}

void CFlyerPattern::Paint(CPatternCanvas& cv, SStep* pStep, CDC* pDC)
{
    KeepOverlappingErasesInOrder(pStep);
    CHeldSelection sel(pDC);
    for (int i = 0; i < SLOTS; i++) {
        if (pStep[i].bErase && !pStep[i].bEraseInOrder)
            EraseBox(m_slot[i], pStep[i].rcErase, cv, sel, pDC);
    }
    for (int i = 0; i < SLOTS; i++) {
        if (pStep[i].bEraseInOrder)
            Erase(m_slot[i], pStep[i].rcErase, cv, sel, pDC);
        if (pStep[i].bDraw)
            DrawFlyer(m_slot[i], cv, sel, pDC);
    }
}

// Shapes off: each flyer still in flight empties the screen, so after the erases one emptying leaves the same
// picture as one per flyer.
void CFlyerPattern::EraseAll(CPatternCanvas& cv, const SStep* pStep, CDC* pDC)
{
    BOOL bInFlight = FALSE;
    {
        CHeldSelection sel(pDC);
        for (int i = 0; i < SLOTS; i++) {
            if (pStep[i].bErase)
                Erase(m_slot[i], pStep[i].rcErase, cv, sel, pDC);
            bInFlight |= pStep[i].bDraw;
        }
    }
    if (bInFlight)
        pDC->FillSolidRect(&cv.m_rcClient, cv.m_crBack);
}

// Up to L / 10 + 1 flyers into the lowest free slots; a full table drops the rest of the burst.
void CFlyerPattern::Launch(const CPatternCanvas& cv, int L)
{
    const int W = cv.m_rcClient.right, H = cv.m_rcClient.bottom;
    const int nAttempts = L / 10 + 1;
    for (int n = 0; n < nAttempts; n++) {
        const int i = CPatternCanvas::FirstFree(m_slot, [](const SFlyerSlot& s) { return s.nActive != 0; });
        if (i < 0)
            continue;
        SFlyerSlot& f = m_slot[i];
        const int side = CPatternCanvas::RandomBelow(4);
        f.rc.left = CPatternCanvas::RandomBelow(W);
        f.rc.top = CPatternCanvas::RandomBelow(H);
        f.dx = 0;
        f.dy = 0;
        f.nKind = CPatternCanvas::RandomBelow(4);
        const int speed = CPatternCanvas::RandomBelow(L / 5) + 5;
        switch (side) {
        case 0: f.rc.left = 0; f.dx = speed; break;     // from the left edge
        case 1: f.rc.left = W; f.dx = -speed; break;    // from the right edge, just outside
        case 2: f.rc.top = 0; f.dy = speed; break;      // from the top edge
        default: f.rc.top = H; f.dy = -speed; break;    // from the bottom edge, just outside
        }
        if (f.nKind != KIND_DASH) {
            f.rc.right = f.rc.left + speed;
            f.rc.bottom = f.rc.top + speed;
        } else if (side < 2) {
            f.rc.right = f.rc.left + kDashLength * speed;
            f.rc.bottom = f.rc.top;
            f.dx *= 2;
        } else {
            f.rc.right = f.rc.left;
            f.rc.bottom = f.rc.top + kDashLength * speed;
            f.dy *= 2;
        }
        f.nActive = 1;
        f.nHue = CPatternCanvas::RandomBelow(360);
        f.nWhiteWeight = 100;
        f.nBrightWeight = 100;
        // The slot's old place is not this flyer's: erasing it would cut into other flyers.
        ::SetRectEmpty(&f.rcPrev);
    }
}

void CFlyerPattern::DrawPattern16(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    SStep step[SLOTS];
    Move(cv, step);
    if (cv.m_bDrawShapes)
        Paint(cv, step, pDC);
    else
        EraseAll(cv, step, pDC);
    if (in.nDelta > in.nNearDelta + kLaunchJump)
        Launch(cv, in.nLevel);
}
