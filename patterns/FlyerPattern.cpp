// CFlyerPattern: launch, flight and drawing of the edge flyers of pattern 16.
#include "patterns/FlyerPattern.h"

namespace {
const int kLaunchJump = 30;   // a delta above the near delta by more than this launches a burst
const int kMargin = 50;       // flyers this far beyond an edge are still kept
const int kDashLength = 20;   // a dash is this many times its speed long and flies twice as fast

// Whether a previous rectangle was emptied at launch: a real flyer is never all zeros.
BOOL IsEmptied(const RECT& rc)
{
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}
}

void CFlyerPattern::InitPattern16(CPatternCanvas&, const SPatternInput&)
{
    for (int i = 0; i < SLOTS; i++)
        m_slot[i].nActive = 0;
}

void CFlyerPattern::DrawShape(const SFlyerSlot& f, const RECT& rc, CDC* pDC) const
{
    if (f.nKind == KIND_DASH) {
        pDC->MoveTo(rc.left, rc.top);
        pDC->LineTo(rc.right, rc.bottom);
    } else {
        pDC->Ellipse(&rc);
    }
}

BOOL CFlyerPattern::OutOfBounds(const RECT& rc, const RECT& rcClient) const
{
    return rc.right < -kMargin || rc.left > rcClient.right + kMargin || rc.bottom < -kMargin ||
           rc.top > rcClient.bottom + kMargin;
}

// Erase where the flyer was, move it, and draw it at its new place unless it has flown off. Pens and brushes
// come from the canvas's cache: a flyer keeps one colour for its whole flight.
void CFlyerPattern::MoveAndDraw(SFlyerSlot& f, CPatternCanvas& cv, CDC* pDC)
{
    if (!IsEmptied(f.rcPrev)) {
        CGdiObject* pPen = cv.m_gdi.Pen(PS_SOLID, 2, cv.m_crBack);
        CGdiObject* pBrush = cv.m_gdi.EraseBrush(cv.m_crBack);
        if (pPen && pBrush) {
            CSelectGuard sel(pDC, *pPen, *pBrush);
            DrawShape(f, f.rcPrev, pDC);
        }
    }
    ::OffsetRect(&f.rc, f.dx, f.dy);
    if (OutOfBounds(f.rc, cv.m_rcClient)) {
        f.nActive = 0;
        return;
    }
    if (!cv.m_bDrawShapes) {
        pDC->FillSolidRect(&cv.m_rcClient, cv.m_crBack);   // shapes off: the screen empties
    } else {
        const COLORREF cr = cv.WeightedColor(f.nHue, f.nWhiteWeight, f.nBrightWeight);
        cv.m_gdi.Reserve(2);
        CGdiObject* pPen = cv.m_gdi.Pen(PS_SOLID, 1, cr);
        CGdiObject* pBrush = cv.m_gdi.SolidBrush(cr);
        if (pPen && pBrush) {
            CSelectGuard sel(pDC, *pPen, *pBrush);
            DrawShape(f, f.rc, pDC);
        }
    }
    f.rcPrev = f.rc;
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
    for (int i = 0; i < SLOTS; i++) {
        if (m_slot[i].nActive)
            MoveAndDraw(m_slot[i], cv, pDC);
    }
    if (in.nDelta > in.nNearDelta + kLaunchJump)
        Launch(cv, in.nLevel);
}
