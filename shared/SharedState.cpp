// CSharedState: the main thread's address for the render thread's posts, and the marks' start.
#include "shared/SharedState.h"

CSharedState::CSharedState()
{
    for (volatile int& n : m_nPatternEnable)
        n = 0;
}

BOOL CSharedState::PostToMainThread(UINT msg, WPARAM wParam, LPARAM lParam) const
{
    const CWinApp* pApp = AfxGetApp();
    return pApp && ::PostThreadMessageA(pApp->m_nThreadID, msg, wParam, lParam);
}
