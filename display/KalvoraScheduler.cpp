// CKalvora: frames into the window, and the pattern and Arrange requests and commands handed to the core.
#include "display/Kalvora.h"
#include "shared/SharedState.h"
#include "res/resource.h"

BOOL CKalvora::RenderFrame()
{
    CSingleLock gate(&m_evSound);
    if (!gate.Lock(0))
        return TRUE;   // no new sound since the last frame
    CClientDC dc(this);
    m_stats.FrameStart();
    m_core.ComposeFrame(::timeGetTime(), &dc);
    m_stats.FrameEnd(m_core.m_nPattern, m_core.m_canvas.m_rcClient.right);
    return TRUE;
}

void CKalvora::AnnounceToMain(UINT msg, WPARAM wParam)
{
    if (msg == WMU_PATTERN_CHANGED)
        m_bPatternAnnounced = TRUE;
    else
        m_bArrangeAnnounced = TRUE;
    theShared.PostToMainThread(msg, wParam, 0);
}

// A request is not announced back, unless an announcement went out since the last request: the control
// window may have set its choice and then read that older announcement, so it gets the outcome again.
void CKalvora::ConfirmRequest(UINT msg, WPARAM wParam)
{
    BOOL& bAnnounced = msg == WMU_PATTERN_CHANGED ? m_bPatternAnnounced : m_bArrangeAnnounced;
    if (!bAnnounced)
        return;
    bAnnounced = FALSE;
    theShared.PostToMainThread(msg, wParam, 0);
}

void CKalvora::OnCoreAnnounce(void* pOwner, int nPattern)
{
    CKalvora* pDisplay = static_cast<CKalvora*>(pOwner);
    pDisplay->ShowPatternTitle();
    pDisplay->AnnounceToMain(WMU_PATTERN_CHANGED, (WPARAM)nPattern);
}

LRESULT CKalvora::OnSelectPattern(WPARAM wParam, LPARAM)
{
    const DWORD dwNow = ::timeGetTime();
    if (m_core.ChoosePattern((int)wParam, dwNow)) {
        ClearScreen();
        ShowPatternTitle();
    }
    ConfirmRequest(WMU_PATTERN_CHANGED, (WPARAM)m_core.m_nPattern);
    return 0;
}

void CKalvora::OnPatternCommand(UINT nID)
{
    int p = (int)(nID - ID_PATTERN_FIRST);
    if (!m_core.SelectPattern(p))
        return;
    ClearScreen();
    ShowPatternTitle();
    AnnounceToMain(WMU_PATTERN_CHANGED, (WPARAM)p);
}

LRESULT CKalvora::OnSetArrange(WPARAM wParam, LPARAM)
{
    m_core.ChooseArrange((int)wParam, ::timeGetTime());
    ConfirmRequest(WMU_ARRANGE_CHANGED, (WPARAM)m_core.m_scheduler.Mode());
    return 0;
}

void CKalvora::OnArrangeCommand(UINT nID)
{
    int nMode = (int)(nID - ID_ARRANGE_FIRST);
    if (m_core.m_scheduler.SetMode(nMode, ::timeGetTime()))
        AnnounceToMain(WMU_ARRANGE_CHANGED, (WPARAM)nMode);
}

void CKalvora::ShowPatternTitle()
{
    CString str;
    str.Format("Pattern%d", m_core.m_nPattern);
    if (m_hWnd)
        SetWindowText(str);
}
