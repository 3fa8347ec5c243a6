// CPatternSet: the one table of the seventeen patterns and the state they keep between frames.
#pragma once
#include <afx.h>
#include "patterns/PatternCount.h"
#include "patterns/PatternCanvas.h"
#include "patterns/PatternInput.h"
#include "patterns/AnalysisPanel.h"
#include "patterns/OrbitPatterns.h"
#include "patterns/DotPatterns.h"
#include "patterns/GridPatterns.h"
#include "patterns/StarPatterns.h"
#include "patterns/SinkingPatterns.h"
#include "patterns/SwarmCometPatterns.h"
#include "patterns/LatticePatterns.h"
#include "patterns/BubblePattern.h"
#include "patterns/FlyerPattern.h"

// A new pattern is one entry of the table in PatternSet.cpp and, when it keeps state, one member here.
class CPatternSet
{
public:
    struct SEntry {
        const char* pszName;   // the renderer's name, for messages and tests
        void (*pfnInit)(CPatternSet& set, CPatternCanvas& cv, const SPatternInput& in);
        void (*pfnDraw)(CPatternSet& set, CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);
    };
    // The entry of a pattern 0..KV_PATTERN_COUNT - 1, NULL for any other number.
    static const SEntry* Entry(int nPattern);

    // Starts a pattern afresh, with the canvas's pens and brushes emptied: it has colours of its own.
    void Init(int nPattern, CPatternCanvas& cv, const SPatternInput& in);
    // One frame of a pattern; nothing for a number outside the table.
    void Draw(int nPattern, CPatternCanvas& cv, const SPatternInput& in, CDC* pDC);

    CAnalysisPanel m_panel;
    COrbitPatterns m_orbit;
    CDotPatterns m_dots;
    CGridPatterns m_grid;
    CStarPatterns m_stars;
    CSinkingPatterns m_sinking;
    CSwarmCometPatterns m_swarm;
    CLatticePatterns m_lattice;
    CBubblePattern m_bubbles;
    CFlyerPattern m_flyers;
};
