// CVisualizer: frame composition, pattern selection and the Arrange modes that switch patterns by themselves.
#include "core/Visualizer.h"

namespace {
// The settings of a core nobody has pointed elsewhere: nothing marked, the default tempo and threshold.
const volatile int kNoMarks[KV_PATTERN_COUNT] = {};
const volatile int kDefaultTempoValue = KV_DEFAULT_TEMPO;
const volatile int kDefaultThresholdValue = KV_DEFAULT_THRESHOLD;
}

CVisualizer::CVisualizer()
    : m_nPattern(-1), m_pfnAnnounce(NULL), m_pOwner(NULL)
{
    m_settings.pnMarks = kNoMarks;
    m_settings.pnStaticUser = &kDefaultTempoValue;
    m_settings.pnDynamicUser = &kDefaultThresholdValue;
}

void CVisualizer::SetAnnounce(PatternChangedFn pfn, void* pOwner)
{
    m_pfnAnnounce = pfn;
    m_pOwner = pOwner;
}

void CVisualizer::AddBuffer(short* pSamples)
{
    m_gain.Apply(pSamples, CMusicAnalyzer::BUFFER_SAMPLES);
    m_analyzer.AddBuffer(pSamples);
}

void CVisualizer::ComposeFrame(DWORD dwNow, CDC* pDC)
{
    if (CheckArrange(dwNow))
        Clear(pDC);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetMapMode(MM_TEXT);
    DrawCurrentPattern(pDC);
}

void CVisualizer::Clear(CDC* pDC)
{
    pDC->FillSolidRect(&m_canvas.m_rcClient, m_canvas.m_crBack);
    m_canvas.m_nPaintedOver++;
}

void CVisualizer::DrawCurrentPattern(CDC* pDC)
{
    m_patterns.Draw(m_nPattern, m_canvas, PatternInput(), pDC);
}

SPatternInput CVisualizer::PatternInput() const
{
    SPatternInput in;
    in.dwCount = m_analyzer.m_nCount;
    in.nLevel = m_analyzer.m_nLevel;
    in.nDelta = m_analyzer.m_nDelta;
    in.dwAvgLevel = m_analyzer.m_nAvgLevel;
    in.dwAvgDelta = m_analyzer.m_nAvgDelta;
    in.nNearLevel = m_analyzer.m_nNearLevel;
    in.nNearDelta = m_analyzer.m_nNearDelta;
    in.bSilence = m_analyzer.m_bSilenceReset != 0;
    return in;
}

BOOL CVisualizer::CheckArrange(DWORD dwNow)
{
    if (!m_scheduler.IsDue(m_analyzer.m_nDelta, dwNow))
        return FALSE;
    NextPattern();
    return TRUE;
}

// Even the pattern already shown (the only one marked) starts again.
void CVisualizer::NextPattern()
{
    // The user marks and unmarks patterns on another thread meanwhile: the choice is made on one
    // reading of the marks, so that the count and the walks below agree.
    BOOL bMarked[KV_PATTERN_COUNT] = { FALSE };
    int nMarked = 0;
    for (int i = 1; i < KV_PATTERN_COUNT; i++) {
        bMarked[i] = m_settings.pnMarks[i] > 0;
        if (bMarked[i])
            nMarked++;
    }
    int p = m_nPattern;
    if (nMarked == 1) {
        for (int i = 1; i < KV_PATTERN_COUNT; i++)
            if (bMarked[i])
                p = i;
    } else {
        // Candidates: the marked patterns, or all sixteen when none is marked. One draw slot
        // fewer than candidates, since the current pattern is skipped in the walk.
        BOOL bWantMarked = nMarked >= 2;
        int nCandidates = bWantMarked ? nMarked : KV_PATTERN_COUNT - 1;
        int r = CPatternCanvas::RandomBelow(nCandidates - 1);
        int nWalk = 0;
        for (int i = 1; i < KV_PATTERN_COUNT; i++) {
            if (bMarked[i] != bWantMarked || i == m_nPattern)
                continue;
            if (nWalk++ == r) {
                p = i;
                break;
            }
        }
    }
    m_nPattern = p;
    InitPattern();
    if (m_pfnAnnounce)
        m_pfnAnnounce(m_pOwner, p);
}

BOOL CVisualizer::SelectPattern(int nPattern)
{
    if (nPattern < 0 || nPattern >= KV_PATTERN_COUNT || nPattern == m_nPattern)
        return FALSE;
    m_nPattern = nPattern;
    InitPattern();
    return TRUE;
}

BOOL CVisualizer::ChoosePattern(int p, DWORD dwNow)
{
    if (p < 0 || p >= KV_PATTERN_COUNT || p == m_nPattern)
        return FALSE;
    m_scheduler.Restart(dwNow);
    return SelectPattern(p);
}

void CVisualizer::ChooseArrange(int nMode, DWORD dwNow)
{
    // Reloaded every time: this is how the Arrange user dialog's values reach the display.
    m_scheduler.LoadUser(*m_settings.pnStaticUser, *m_settings.pnDynamicUser);
    m_scheduler.SetMode(nMode, dwNow);
}

void CVisualizer::InitPattern()
{
    m_patterns.Init(m_nPattern, m_canvas, PatternInput());
}

void CVisualizer::ResetPatternParams()
{
    m_patterns.m_panel.m_nGraphX = 0;
}
