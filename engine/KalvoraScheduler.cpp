// CKalvora: frame composition, pattern selection and the Arrange modes that switch patterns by themselves.
#include "engine/Kalvora.h"
#include "app/KalvoraApp.h"
#include "res/resource.h"

namespace {
// Delta thresholds of Dynamic Soft, Norm and Hard (modes 1..3).
const int kDynamicThreshold[4] = { 0, 200, 150, 100 };
}

BOOL CKalvora::RenderFrame()
{
    CSingleLock gate(&m_evSound);
    if (!gate.Lock(0))
        return TRUE;   // no new sound since the last frame
    CClientDC dc(this);
    m_stats.FrameStart();
    ComposeFrame(::timeGetTime(), &dc);
    m_stats.FrameEnd(m_nPattern, m_rcClient.right);
    return TRUE;
}

void CKalvora::ComposeFrame(DWORD dwNow, CDC* pDC)
{
    CheckArrange(dwNow);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetMapMode(MM_TEXT);
    DrawCurrentPattern(pDC);
}

void CKalvora::DrawCurrentPattern(CDC* pDC)
{
    m_patterns.m_panel.m_bScaled = m_nSizeMode != 0;
    m_patterns.Draw(m_nPattern, *this, PatternInput(), pDC);
}

SPatternInput CKalvora::PatternInput() const
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

int CKalvora::StaticPeriod(int nMode) const
{
    switch (nMode) {
    case 5: return 1000;
    case 6: return 5000;
    case 7: return 10000;
    case 8: return m_nBeatPeriod;
    default: return 0;
    }
}

void CKalvora::CheckArrange(DWORD dwNow)
{
    int nDelta = m_analyzer.m_nDelta;
    if (m_nArrange >= 1 && m_nArrange <= 3) {
        if (nDelta > kDynamicThreshold[m_nArrange])
            NextPattern();
    } else if (m_nArrange == 4) {
        if (nDelta > m_nDynThreshold)
            NextPattern();
    } else if (m_nArrange >= 5 && m_nArrange <= 8) {
        if (dwNow > m_dwNextSwitch) {
            NextPattern();
            m_dwNextSwitch = dwNow + (DWORD)StaticPeriod(m_nArrange);
        }
    }
}

void CKalvora::NextPattern()
{
    // Right clicks on the main thread mark and unmark patterns meanwhile: the choice is made on one
    // reading of the marks, so that the count and the walks below agree.
    BOOL bMarked[KV_PATTERN_COUNT] = { FALSE };
    int nMarked = 0;
    for (int i = 1; i < KV_PATTERN_COUNT; i++) {
        bMarked[i] = theApp.m_nPatternEnable[i] > 0;
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
        int r = RandomBelow(nCandidates - 1);
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
    ClearScreen();
    InitPattern();
    ShowPatternTitle();
    AnnounceToMain(WMU_PATTERN_CHANGED, (WPARAM)p);
}

void CKalvora::AnnounceToMain(UINT msg, WPARAM wParam)
{
    ::PostThreadMessageA(theApp.m_nThreadID, msg, wParam, 0);
}

void CKalvora::SelectPattern(int nPattern)
{
    m_nPattern = nPattern;
    ClearScreen();
    InitPattern();
    ShowPatternTitle();
}

LRESULT CKalvora::OnSelectPattern(WPARAM wParam, LPARAM)
{
    ChoosePattern((int)wParam, ::timeGetTime());
    return 0;
}

void CKalvora::ChoosePattern(int p, DWORD dwNow)
{
    if (p < 0 || p >= KV_PATTERN_COUNT || p == m_nPattern)
        return;
    m_dwNextSwitch = dwNow + (DWORD)StaticPeriod(m_nArrange);
    SelectPattern(p);
}

void CKalvora::OnPatternCommand(UINT nID)
{
    int p = (int)(nID - ID_PATTERN_FIRST);
    if (p >= KV_PATTERN_COUNT || p == m_nPattern)
        return;
    SelectPattern(p);
    AnnounceToMain(WMU_PATTERN_CHANGED, (WPARAM)p);
}

LRESULT CKalvora::OnSetArrange(WPARAM wParam, LPARAM)
{
    ChooseArrange((int)wParam, ::timeGetTime());
    return 0;
}

void CKalvora::ChooseArrange(int nMode, DWORD dwNow)
{
    // Reloaded every time: this is how the Arrange user dialog's values reach the display.
    m_nBeatPeriod = (int)(60000u / (unsigned)CSettingsRecord::SaneTempo(theApp.m_nStaticUser));
    m_nDynThreshold = theApp.m_nDynamicUser;
    if (nMode == m_nArrange)
        return;
    m_nArrange = nMode;
    m_dwNextSwitch = dwNow + (DWORD)StaticPeriod(nMode);
}

void CKalvora::OnArrangeCommand(UINT nID)
{
    int nMode = (int)(nID - ID_ARRANGE_FIRST);
    if (nMode == m_nArrange)
        return;
    m_nArrange = nMode;
    m_dwNextSwitch = ::timeGetTime() + (DWORD)StaticPeriod(nMode);
    AnnounceToMain(WMU_ARRANGE_CHANGED, (WPARAM)nMode);
}

void CKalvora::InitPattern()
{
    m_patterns.Init(m_nPattern, *this, PatternInput());
}

void CKalvora::ResetPatternParams()
{
    m_patterns.m_panel.m_nGraphX = 0;
}

void CKalvora::ShowPatternTitle()
{
    CString str;
    str.Format("Pattern%d", m_nPattern);
    if (m_hWnd)
        SetWindowText(str);
}
