// CFlyerPattern: pattern 16, discs and long dashes that enter at the edges and fly straight across.
#pragma once
#include <afx.h>
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"
#include "patterns/HeldSelection.h"

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
    // What one slot does in a frame: erase its last place, be drawn at its new one, or both.
    struct SStep {
        BOOL bErase;
        BOOL bDraw;
        BOOL bEraseInOrder;   // its erase would reach a flyer drawn before it, so it keeps its turn
        RECT rcErase;
    };

    BOOL OutOfBounds(const RECT& rc, const RECT& rcClient) const;
    void Move(const CPatternCanvas& cv, SStep* pStep);
    void KeepOverlappingErasesInOrder(SStep* pStep) const;
    void Paint(CPatternCanvas& cv, SStep* pStep, CDC* pDC);
    void EraseAll(CPatternCanvas& cv, const SStep* pStep, CDC* pDC);
    void Erase(const SFlyerSlot& f, const RECT& rc, CPatternCanvas& cv, CHeldSelection& sel, CDC* pDC);
    static CGdiObject* UseEraseBrush(CPatternCanvas& cv, CHeldSelection& sel);
    void EraseBox(const SFlyerSlot& f, const RECT& rc, CPatternCanvas& cv, CHeldSelection& sel, CDC* pDC);
    void DrawFlyer(const SFlyerSlot& f, CPatternCanvas& cv, CHeldSelection& sel, CDC* pDC);
    static BOOL DrawShape(CPatternCanvas& cv, CHeldSelection& sel, CDC* pDC, const RECT& rc, int nPenWidth);
    static void MakeRoom(CPatternCanvas& cv, CHeldSelection& sel, int n);
    void Launch(const CPatternCanvas& cv, int level);
};
