// CKalvora: frames into the window, and the pattern and Arrange requests and commands handed to the core.
#include "engine/Kalvora.h"
#include "app/KalvoraApp.h"
#include "res/resource.h"

BOOL CKalvora::RenderFrame()
{
    CSingleLock gate(&m_evSound);
    if (!gate.Lock(0))
        return TRUE;   // no new sound since the last frame
    m_stats.FrameStart();
    WithPicture([&](CDC* pDC) {
        if (pDC)
            m_core.ComposeFrame(::timeGetTime(), pDC);
        return TRUE;
    });
    m_stats.FrameEnd(m_core.m_nPattern, m_core.m_rcClient.right);
    return TRUE;
}

void CKalvora::AnnounceToMain(UINT msg, WPARAM wParam)
{
    ::PostThreadMessageA(theApp.m_nThreadID, msg, wParam, 0);
}

void CKalvora::OnCoreAnnounce(void* pOwner, UINT msg, WPARAM wParam)
{
    CKalvora* pDisplay = static_cast<CKalvora*>(pOwner);
    if (msg == WMU_PATTERN_CHANGED)
        pDisplay->ShowPatternTitle();
    pDisplay->AnnounceToMain(msg, wParam);
}

LRESULT CKalvora::OnSelectPattern(WPARAM wParam, LPARAM)
{
    const DWORD dwNow = ::timeGetTime();
    if (WithPicture([&](CDC* pDC) { return m_core.ChoosePattern((int)wParam, dwNow, pDC); }))
        ShowPatternTitle();
    return 0;
}

void CKalvora::OnPatternCommand(UINT nID)
{
    int p = (int)(nID - ID_PATTERN_FIRST);
    if (p >= KV_PATTERN_COUNT || p == m_core.m_nPattern)
        return;
    WithPicture([&](CDC* pDC) {
        m_core.SelectPattern(p, pDC);
        return TRUE;
    });
    ShowPatternTitle();
    AnnounceToMain(WMU_PATTERN_CHANGED, (WPARAM)p);
}

LRESULT CKalvora::OnSetArrange(WPARAM wParam, LPARAM)
{
    m_core.ChooseArrange((int)wParam, ::timeGetTime());
    return 0;
}

void CKalvora::OnArrangeCommand(UINT nID)
{
    int nMode = (int)(nID - ID_ARRANGE_FIRST);
    if (m_core.SetArrange(nMode, ::timeGetTime()))
        AnnounceToMain(WMU_ARRANGE_CHANGED, (WPARAM)nMode);
}

void CKalvora::ShowPatternTitle()
{
    CString str;
    str.Format("Pattern%d", m_core.m_nPattern);
    if (m_hWnd)
        SetWindowText(str);
}
