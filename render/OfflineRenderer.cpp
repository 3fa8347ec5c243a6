// COfflineRenderer: set-up of the core from the command line's options and one frame per sound block.
#include "render/OfflineRenderer.h"
#include <stdlib.h>

DWORD COfflineRenderer::BlockTime(DWORD dwBlock)
{
    return (DWORD)((dwBlock + 1ull) * CMusicAnalyzer::BUFFER_SAMPLES * 1000ull / CMusicAnalyzer::SAMPLE_RATE);
}

BOOL COfflineRenderer::Start(const CRenderOptions& opt)
{
    if (!m_canvas.Create(opt.m_cx, opt.m_cy))
        return FALSE;
    ::SetRect(&m_core.m_canvas.m_rcClient, 0, 0, opt.m_cx, opt.m_cy);
    m_core.SetPanelScaled(opt.m_cx != CVisualizer::NORMAL_WIDTH || opt.m_cy != CVisualizer::NORMAL_HEIGHT);
    m_core.m_canvas.SetScheme(opt.m_scheme);
    m_core.m_gain.SetMode(opt.m_nGain);
    for (int i = 0; i < KV_PATTERN_COUNT; i++)
        m_nMarks[i] = opt.m_bMarked[i] ? 1 : 0;
    m_nStaticUser = opt.m_nStaticBpm;
    m_nDynamicUser = opt.m_nDynamicThreshold;
    CVisualizer::SSettings settings;
    settings.pnMarks = m_nMarks;
    settings.pnStaticUser = &m_nStaticUser;
    settings.pnDynamicUser = &m_nDynamicUser;
    m_core.SetSettings(settings);
    srand(opt.m_nSeed);
    m_core.ResetPatternParams();
    m_core.Clear(m_canvas.DC());
    m_core.ChoosePattern(opt.m_nPattern, 0);
    m_core.ChooseArrange(opt.m_nArrange, 0);
    return TRUE;
}

void COfflineRenderer::RenderBlock(const short* pSamples, DWORD dwBlock)
{
    short samples[CMusicAnalyzer::BUFFER_SAMPLES];
    CopyMemory(samples, pSamples, sizeof(samples));
    m_core.AddBuffer(samples);
    m_core.ComposeFrame(BlockTime(dwBlock), m_canvas.DC());
}
