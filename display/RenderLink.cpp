// CRenderLink: the render thread's start, its requests and its shutdown, seen from the main thread.
#include "display/RenderLink.h"
#include "display/ProThread.h"
#include "shared/SharedState.h"

namespace {
// How long the render thread may take to close the display before its modal boxes are ended.
const DWORD kModalNudgeMs = 300;
}

CRenderLink::CRenderLink() : m_pThread(NULL), m_hThread(NULL), m_dwThreadId(0)
{
}

CRenderLink::~CRenderLink()
{
    if (m_hThread)
        ::CloseHandle(m_hThread);
}

BOOL CRenderLink::Start(CProThread* pThread)
{
    if (HasEnded())
        Forget();   // its display could not start: this is a second try
    if (m_hThread) {
        if (pThread)
            pThread->Delete();
        return FALSE;
    }
    if (pThread == NULL)
        pThread = new CProThread;
    pThread->m_startInput = theShared.m_input;
    if (!pThread->CreateThread(0, 0, NULL, &m_hThread, &m_dwThreadId)) {
        pThread->Delete();
        return FALSE;
    }
    m_pThread = pThread;
    return TRUE;
}

BOOL CRenderLink::IsRunning() const
{
    return m_hThread && ::WaitForSingleObject(m_hThread, 0) == WAIT_TIMEOUT;
}

BOOL CRenderLink::HasEnded() const
{
    return m_hThread && !IsRunning();
}

void CRenderLink::Forget()
{
    m_pThread = NULL;
    ::CloseHandle(m_hThread);
    m_hThread = NULL;
}

void CRenderLink::PostPlaceDisplay()
{
    Post(WMU_PLACE_DISPLAY, (WPARAM)theShared.m_nMonitor, (LPARAM)theShared.m_nWindowSize);
}

void CRenderLink::PostBackColor()
{
    Post(WMU_SET_BACKCOLOR, (WPARAM)theShared.m_crBackScreen, 0);
}

void CRenderLink::PostSetInput(const CInputName& input)
{
    CInputName* pInput = new CInputName(input);
    if (!Post(WMU_SET_INPUT, 0, (LPARAM)pInput))
        delete pInput;
}

BOOL CRenderLink::Post(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_pThread == NULL || !IsRunning())
        return FALSE;
    return ::PostThreadMessageA(m_dwThreadId, msg, wParam, lParam);
}

void CRenderLink::Stop()
{
    if (m_hThread == NULL)
        return;   // never started: nothing to wait for
    theShared.m_evQuit.SetEvent();
    CSingleLock lock(&theShared.m_evThreadDone);
    DWORD dwStart = ::GetTickCount();
    DWORD dwLastNudge = dwStart;
    // The thread sets the done event on its way out; its handle covers a thread that died without it.
    while (!lock.Lock(0)) {
        if (::WaitForSingleObject(m_hThread, 0) == WAIT_OBJECT_0)
            break;
        // Messages sent to this thread (activation when the display closes) are answered meanwhile,
        // or the render thread would stall on them; posted messages stay queued.
        ::MsgWaitForMultipleObjects(1, &m_hThread, FALSE, 10, QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        // A render thread that doesn't come back is sitting in a modal box (a sound error the user
        // hasn't answered): WM_QUIT ends such a box, and the thread then winds down on its own.
        DWORD dwNow = ::GetTickCount();
        if (dwNow - dwStart >= kModalNudgeMs && dwNow - dwLastNudge >= kModalNudgeMs) {
            ::PostThreadMessageA(m_dwThreadId, WM_QUIT, 0, 0);
            dwLastNudge = dwNow;
        }
    }
    Forget();
}
