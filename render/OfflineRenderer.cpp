// COfflineRenderer: set-up of the windowless display and one frame per sound block.
#include "render/OfflineRenderer.h"
#include <stdlib.h>
#include "engine/Kalvora.h"
#include "app/KalvoraApp.h"

namespace {
const int kNormalWidth = 640, kNormalHeight = 480;
const int kScaledSizeMode = 1;    // pattern 0's panel is scaled to any size but Normal
}

COfflineRenderer::COfflineRenderer() {}

COfflineRenderer::~COfflineRenderer()
{
    if (m_pDisplay)
        m_pDisplay->m_pOffscreenDC = NULL;
}

DWORD COfflineRenderer::BlockTime(DWORD dwBlock)
{
    return (DWORD)((dwBlock + 1ull) * CMusicAnalyzer::BUFFER_SAMPLES * 1000ull / CMusicAnalyzer::SAMPLE_RATE);
}

// The scheme is set as the colour keys would leave it: a range is maximum minus minimum, 1 where they meet.
void COfflineRenderer::ApplyColours(const CRenderOptions& opt)
{
    CKalvora& d = *m_pDisplay;
    d.m_crBack = opt.m_crBack;
    d.m_nHue = opt.m_nHue;
    d.m_nHueRange = opt.m_nHueRange;
    d.m_nWhiteMin = opt.m_nWhiteMin;
    d.m_nWhiteMax = opt.m_nWhiteMax;
    d.m_nWhiteRange = opt.m_nWhiteMax > opt.m_nWhiteMin ? opt.m_nWhiteMax - opt.m_nWhiteMin : 1;
    d.m_nBrightMin = opt.m_nBrightMin;
    d.m_nBrightMax = opt.m_nBrightMax;
    d.m_nBrightRange = opt.m_nBrightMax > opt.m_nBrightMin ? opt.m_nBrightMax - opt.m_nBrightMin : 1;
    d.m_bMono = opt.m_bMono;
    d.m_bInvert = opt.m_bInvert;
    d.m_bDrawShapes = opt.m_bDrawShapes;
}

BOOL COfflineRenderer::Start(const CRenderOptions& opt)
{
    if (!m_canvas.Create(opt.m_cx, opt.m_cy))
        return FALSE;
    m_pDisplay.reset(new CKalvora);
    CKalvora& d = *m_pDisplay;
    d.m_pOffscreenDC = m_canvas.DC();
    ::SetRect(&d.m_rcClient, 0, 0, opt.m_cx, opt.m_cy);
    d.m_nSizeMode = opt.m_cx == kNormalWidth && opt.m_cy == kNormalHeight ? 0 : kScaledSizeMode;
    ApplyColours(opt);
    d.m_gain.SetMode(opt.m_nGain);
    // The Arrange modes read the user's values and marks from the application, as the live display does.
    for (int i = 0; i < KV_PATTERN_COUNT; i++)
        theApp.m_nPatternEnable[i] = opt.m_bMarked[i] ? 1 : 0;
    theApp.m_nStaticUser = opt.m_nStaticBpm;
    theApp.m_nDynamicUser = opt.m_nDynamicThreshold;
    srand(opt.m_nSeed);
    d.ResetPatternParams();
    d.ChoosePattern(opt.m_nPattern, 0);   // clears the canvas to the background and starts the pattern
    d.ChooseArrange(opt.m_nArrange, 0);
    return TRUE;
}

void COfflineRenderer::RenderBlock(const short* pSamples, DWORD dwBlock)
{
    short samples[CMusicAnalyzer::BUFFER_SAMPLES];
    CopyMemory(samples, pSamples, sizeof(samples));
    m_pDisplay->m_gain.Apply(samples, CMusicAnalyzer::BUFFER_SAMPLES);
    m_pDisplay->m_analyzer.AddBuffer(samples);
    m_pDisplay->ComposeFrame(BlockTime(dwBlock), m_canvas.DC());
}
