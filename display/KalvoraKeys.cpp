// CKalvora: plain keys, characters, colour commands and tap tempo of the display window.
#include "display/Kalvora.h"
#include "shared/SharedState.h"
#include "res/resource.h"

void CKalvora::OnControlWindow()
{
    theShared.PostToMainThread(WMU_TOGGLE_CTRL, 0, 0);
}

void CKalvora::OnColorCommand(UINT nID)
{
    m_core.m_canvas.StepColor(nID);
}

void CKalvora::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    switch (nChar) {
    case VK_ESCAPE:
        if (theShared.m_bCtrlHidden) {
            theShared.PostToMainThread(WMU_TOGGLE_CTRL, 0, 0);
            return;
        }
        break;
    case VK_DELETE:
        ClearScreen();
        return;
    case VK_HOME:
        m_core.m_canvas.ToggleInvert();
        return;
    case VK_RETURN:
        OnTap(::GetTickCount());
        return;
    default:
        break;
    }
    CFrameWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

// The tapped beat drives Static User at once and becomes its tempo setting.
void CKalvora::OnTap(DWORD dwTick)
{
    int nBpm = m_core.m_scheduler.Tap(dwTick);
    if (nBpm > 0)
        theShared.m_nStaticUser = nBpm;
}

void CKalvora::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    switch (nChar) {
    case '/':
        m_core.m_canvas.m_bMono = !m_core.m_canvas.m_bMono;
        break;
    case '\\':
        m_core.m_canvas.ToggleInvert();
        ClearScreen();
        break;
    case '^':
        m_core.m_canvas.m_bDrawShapes = !m_core.m_canvas.m_bDrawShapes;
        break;
    default:
        break;
    }
    CFrameWnd::OnChar(nChar, nRepCnt, nFlags);
}
