// CKalvora: plain keys, characters, colour commands and tap tempo of the display window.
#include "display/Kalvora.h"
#include "shared/SharedState.h"
#include "res/resource.h"

namespace {
const DWORD kTapPairLimitMs = 30000;   // taps further apart than this don't make a beat
const int kMinBeatPeriodMs = 100;
}

void CKalvora::OnControlWindow()
{
    theShared.PostToMainThread(WMU_TOGGLE_CTRL, 0, 0);
}

void CKalvora::OnColorCommand(UINT nID)
{
    m_core.StepColor(nID);
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
        m_core.ToggleInvert();
        return;
    case VK_RETURN:
        OnTap(::GetTickCount());
        return;
    default:
        break;
    }
    CFrameWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CKalvora::OnTap(DWORD dwTick)
{
    m_dwTap[m_nTapPos] = dwTick;
    m_nTapPos = (m_nTapPos + 1) % 4;
    double dSum = 0.0;
    int nCount = 0;
    for (int i = 0; i < 4; i++) {
        DWORD dwFirst = m_dwTap[i];
        DWORD dwSecond = m_dwTap[(i + 1) % 4];
        // A slot still at zero holds no tap yet (the ring starts empty).
        if (dwFirst != 0 && dwFirst < dwSecond && dwSecond - dwFirst < kTapPairLimitMs) {
            dSum += (double)(dwSecond - dwFirst);
            nCount++;
        }
    }
    if (nCount == 0)
        return;
    m_core.m_nBeatPeriod = (int)(dSum / nCount);
    if (m_core.m_nBeatPeriod < kMinBeatPeriodMs)
        m_core.m_nBeatPeriod = kMinBeatPeriodMs;
    theShared.m_nStaticUser = 60000 / m_core.m_nBeatPeriod;
}

void CKalvora::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    switch (nChar) {
    case '/':
        m_core.m_bMono = !m_core.m_bMono;
        break;
    case '\\':
        m_core.ToggleInvert();
        ClearScreen();
        break;
    case '^':
        m_core.m_bDrawShapes = !m_core.m_bDrawShapes;
        break;
    default:
        break;
    }
    CFrameWnd::OnChar(nChar, nRepCnt, nFlags);
}
