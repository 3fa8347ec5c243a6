// COfflineRenderer: the live display's analyser, scheduler, colours and renderers, driven by a file's sound.
#pragma once
#include <afxwin.h>
#include <memory>
#include "render/DibCanvas.h"
#include "render/RenderOptions.h"

class CKalvora;

// A display window object that never gets a window: each block of 200 samples gives its sample 99 to the
// analyser, as capture does, and one frame is composed into the canvas at the block's time in the file.
class COfflineRenderer
{
public:
    COfflineRenderer();
    ~COfflineRenderer();

    BOOL Start(const CRenderOptions& opt);
    void RenderBlock(const short* pSamples, DWORD dwBlock);
    const CDibCanvas& Canvas() const { return m_canvas; }
    CKalvora& Display() { return *m_pDisplay; }

    // Milliseconds from the start of the file to the end of a block: the moment it would have come back.
    static DWORD BlockTime(DWORD dwBlock);

private:
    void ApplyColours(const CRenderOptions& opt);

    std::unique_ptr<CKalvora> m_pDisplay;
    CDibCanvas m_canvas;
};
