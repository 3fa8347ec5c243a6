// CFlyerPattern: pattern 16, discs and long dashes that enter at the edges and fly straight across.
#pragma once
#include <afxwin.h>
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"

class CFlyerPattern
{
public:
    enum { SLOTS = 100, KIND_DASH = 0 };

    // One flyer; kinds 1 to 3 are discs, so three flyers in four are discs.
    struct SFlyerSlot {
        int nActive;
        int nKind;
        RECT rc;        // a disc's bounding box, or a dash from (left, top) to (right, bottom)
        RECT rcPrev;    // where the flyer was last drawn; empty after a launch
        int dx, dy;     // pixels per frame
        int nHue;
        int nWhiteWeight;
        int nBrightWeight;
    };

    void InitPattern16(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern16(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);

    // Zeroed when the display is built; a slot other than its active flag is written only at a launch.
    SFlyerSlot m_slot[SLOTS] = {};

private:
    void DrawShape(const SFlyerSlot& f, const RECT& rc, CDC* pDC) const;
    BOOL OutOfBounds(const RECT& rc, const RECT& rcClient) const;
    void MoveAndDraw(SFlyerSlot& f, CPatternCanvas& cv, CDC* pDC);
    void Launch(const CPatternCanvas& cv, int level);
};
