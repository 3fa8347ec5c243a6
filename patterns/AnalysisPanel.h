// CAnalysisPanel: pattern 0, the "Music analyzing" panel of the analyser's values, bars and dot graph.
#pragma once
#include <afx.h>
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"

class CAnalysisPanel
{
public:
    void InitPattern0(CPatternCanvas& cv, const SPatternInput& in);
    void DrawPattern0(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);

    // Drawn in 640 x 480 units and stretched to the canvas, unless the display is at its Normal size.
    BOOL m_bScaled = FALSE;
    // Column of the dot graph's next dots; 0 until the pattern first starts.
    int m_nGraphX = 0;

private:
    void SetPanelMapping(const CPatternCanvas& cv, CDC* pDC) const;
    BOOL MakePanelFonts();
    void DrawPanelRow(const CPatternCanvas& cv, CDC* pDC, int nRow, int nValue, BOOL bLabel) const;
    BOOL StampHolds(const CPatternCanvas& cv) const;
    void NoteLabels(const CPatternCanvas& cv, CDC* pDC);
    int LabelsClearOfRedrawing(CDC* pDC);
    void WipeValues(const CPatternCanvas& cv, CDC* pDC, BOOL bStampHolds) const;

    // The row labels never change, yet their text is most of a frame's cost on a large screen: they are
    // drawn again only when what they were drawn under has changed or the picture was painted over, and only
    // where nothing drawn every frame reaches into them. While the stamp holds, the value column is wiped only
    // where the values are drawn (WipeValues).
    struct SLabelStamp {
        BOOL bValid = FALSE;
        int nStanding = 0;   // labels from the top left alone while the stamp holds

        COLORREF crBack = 0;
        RECT rcClient = {};
        BOOL bScaled = FALSE;
        int nPaintedOver = 0;
    } m_labels;

    // Made from the platform's stock font at the first frame and kept with the panel.
    CFont m_fontTitle;
    CFont m_fontRow;
};
