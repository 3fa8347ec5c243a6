// COfflineRenderer: the live display's core (analyser, scheduler, colours and renderers), driven by a file's sound.
#pragma once
#include <afx.h>
#include "core/Visualizer.h"
#include "patterns/DibCanvas.h"
#include "render/RenderOptions.h"

// Each block of 200 samples gives its sample 99 to the analyser, as capture does, and one frame is composed
// into the off-screen picture at the block's time in the file. The options are the core's settings.
class COfflineRenderer
{
public:
    BOOL Start(const CRenderOptions& opt);
    void RenderBlock(const short* pSamples, DWORD dwBlock);
    const CDibCanvas& Canvas() const { return m_canvas; }
    CVisualizer& Core() { return m_core; }

    // Milliseconds from the start of the file to the end of a block: the moment it would have come back.
    static DWORD BlockTime(DWORD dwBlock);

private:
    CVisualizer m_core;
    CDibCanvas m_canvas;
    // What the Arrange modes read: the marks, tempo and threshold of the command line.
    int m_nMarks[KV_PATTERN_COUNT] = {};
    int m_nStaticUser = 0;
    int m_nDynamicUser = 0;
};
