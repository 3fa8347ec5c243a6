// CProThread: display creation, the render loop that sleeps when idle, and the request relays.
#include "display/ProThread.h"
#include "display/Kalvora.h"
#include "shared/KvMessages.h"
#include "shared/SharedState.h"
#include <cstdlib>
#include <ctime>

namespace {
// Upper bound on one sleep; the quit event and new messages wake the loop at once anyway, and a paused
// display should cost next to nothing.
const DWORD kIdleWaitMs = 1000;

// A request of the main thread and the message the display takes it as.
const AFX_RELAY kRelays[] = {
    { WMU_SELECT_PATTERN, WMU_SELECT_PATTERN },
    { WMU_SET_ARRANGE, WMU_SET_ARRANGE },
    { WMU_FORWARD_KEY, WM_KEYDOWN },
    { WMU_SET_BACKCOLOR, WMU_SET_BACKCOLOR },
    { WMU_PAUSE, WMU_PAUSE },
    { WMU_FORWARD_COMMAND, WM_COMMAND },
    { WMU_SET_SENSITIVITY, WMU_SET_SENSITIVITY },
};
}

CProThread::CProThread() : m_pDisplay(NULL), m_bPaused(FALSE) {}

BEGIN_MESSAGE_MAP(CProThread, CWinThread)
    ON_THREAD_MESSAGE(WMU_PLACE_DISPLAY, OnPlaceDisplay)
    ON_THREAD_MESSAGE(WMU_PAUSE, OnPause)
    ON_THREAD_MESSAGE(WMU_SET_INPUT, OnSetInput)
    ON_THREAD_MESSAGE_RELAY(RelayToDisplay)
END_MESSAGE_MAP()

BOOL CProThread::InitInstance()
{
    // The C runtime keeps one random state per thread: seed this one too, or every run draws alike.
    srand((unsigned)time(NULL) ^ (unsigned)::GetCurrentThreadId());
    CKalvora* pDisplay = new CKalvora;
    if (pDisplay == NULL)
        return FALSE;
    if (!pDisplay->CreateDisplay(m_startInput))
        return FALSE;   // the window is gone, and with it the object
    m_pMainWnd = pDisplay;
    m_pDisplay = pDisplay;
    return TRUE;
}

CKalvora* CProThread::Display()
{
    if (m_pDisplay && m_pMainWnd == NULL)
        m_pDisplay = NULL;
    return m_pDisplay;
}

int CProThread::Run()
{
    CSingleLock quitLock(&theShared.m_evQuit);
    HANDLE hQuit = theShared.m_evQuit;
    for (;;) {
        MSG msg;
        if (!::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE)) {
            IdleTurn(quitLock);
            WaitForWork(hQuit);
            continue;
        }
        if (!PumpMessage())
            break;
        // A sound buffer handled just now gets its frame before the next message is taken: two buffers
        // queued together would otherwise share one frame.
        DrawOwedFrame();
    }
    return ExitInstance();
}

void CProThread::DrawOwedFrame()
{
    if (Display() && !m_bPaused)
        m_pDisplay->RenderFrame();   // draws only when a buffer has come since the last frame
}

void CProThread::IdleTurn(CSingleLock& quitLock)
{
    DrawOwedFrame();
    if (quitLock.Lock(0) && Display())
        m_pDisplay->PostMessage(WM_CLOSE);
}

void CProThread::WaitForWork(HANDLE hQuit)
{
    // Sleeps until a message (a sound buffer, a request) or the quit event arrives.
    DWORD r = ::MsgWaitForMultipleObjectsEx(1, &hQuit, kIdleWaitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    // The wait took the auto-reset quit event: act on it as the idle turn would have.
    if (r == WAIT_OBJECT_0 && Display())
        m_pDisplay->PostMessage(WM_CLOSE);
}

int CProThread::ExitInstance()
{
    theShared.m_evThreadDone.SetEvent();
    return CWinThread::ExitInstance();
}

BOOL CProThread::RelayToDisplay(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const UINT msgDisplay = AfxRelayOf(kRelays, msg);
    if (msgDisplay == 0)
        return FALSE;
    if (Display())
        m_pDisplay->PostMessage(msgDisplay, wParam, lParam);
    return TRUE;
}

LRESULT CProThread::OnPlaceDisplay(WPARAM wParam, LPARAM lParam)
{
    if ((int)wParam >= theShared.m_nMonitors)
        return 0;   // no such monitor: the size request goes with it
    if (Display()) {
        m_pDisplay->SetMonitor((int)wParam);
        m_pDisplay->SetSizeMode((int)lParam);
    }
    return 0;
}

LRESULT CProThread::OnPause(WPARAM wParam, LPARAM lParam)
{
    m_bPaused = (BOOL)wParam;
    RelayToDisplay(WMU_PAUSE, wParam, lParam);
    return 0;
}

LRESULT CProThread::OnSetInput(WPARAM, LPARAM lParam)
{
    CInputName* pInput = (CInputName*)lParam;
    if (pInput && Display())
        m_pDisplay->SetInput(*pInput);
    delete pInput;
    return 0;
}
