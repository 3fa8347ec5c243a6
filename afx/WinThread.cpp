// CWinThread: thread start-up, the message pump and thread-message dispatch, also inside modal loops.
#include "WinThread.h"
#include "Wnd.h"
#include <process.h>

namespace {
thread_local CWinThread* t_pThread = NULL;

struct StartParams {
    CWinThread* pThread;
    HANDLE hReady;
};
}

CWinThread* AfxGetThread()
{
    return t_pThread;
}

CWnd* AfxGetMainWnd()
{
    return t_pThread ? t_pThread->m_pMainWnd : NULL;
}

CWinThread::CWinThread()
    : m_pMainWnd(NULL), m_hThread(NULL), m_nThreadID(0), m_bAutoDelete(TRUE), m_msgCur(), m_hMsgFilter(NULL)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        ::CloseHandle(m_hThread);
}

void CWinThread::AttachToCurrentThread()
{
    t_pThread = this;
    m_nThreadID = ::GetCurrentThreadId();
    MSG msg;
    ::PeekMessageA(&msg, NULL, WM_USER, WM_USER, PM_NOREMOVE);   // makes the queue exist
    if (m_hMsgFilter == NULL)
        m_hMsgFilter = ::SetWindowsHookExA(WH_MSGFILTER, MsgFilterHook, NULL, m_nThreadID);
}

void CWinThread::DetachFromCurrentThread()
{
    if (m_hMsgFilter)
        ::UnhookWindowsHookEx(m_hMsgFilter);
    m_hMsgFilter = NULL;
    if (t_pThread == this)
        t_pThread = NULL;
}

BOOL CWinThread::CreateThread(DWORD, UINT nStackSize, LPSECURITY_ATTRIBUTES psa, HANDLE* phKeep, DWORD* pdwId)
{
    StartParams params = { this, ::CreateEventA(NULL, TRUE, FALSE, NULL) };
    if (params.hReady == NULL)
        return FALSE;
    unsigned id = 0;
    HANDLE hThread = (HANDLE)_beginthreadex(psa, nStackSize, ThreadEntry, &params, CREATE_SUSPENDED, &id);
    if (hThread == NULL) {
        ::CloseHandle(params.hReady);
        return FALSE;
    }
    m_hThread = hThread;
    m_nThreadID = id;
    if (pdwId)
        *pdwId = id;
    if (phKeep)
        ::DuplicateHandle(::GetCurrentProcess(), hThread, ::GetCurrentProcess(), phKeep, SYNCHRONIZE, FALSE, 0);
    ::ResumeThread(hThread);
    // From here on this object belongs to the new thread.
    ::WaitForSingleObject(params.hReady, INFINITE);
    ::CloseHandle(params.hReady);
    return TRUE;
}

unsigned __stdcall CWinThread::ThreadEntry(void* pParam)
{
    StartParams* pParams = (StartParams*)pParam;
    CWinThread* pThread = pParams->pThread;
    pThread->AttachToCurrentThread();
    ::SetEvent(pParams->hReady);   // pParams is gone after this
    int nResult;
    if (!pThread->InitInstance())
        nResult = pThread->ExitInstance();
    else
        nResult = pThread->Run();
    pThread->DetachFromCurrentThread();
    pThread->Delete();
    return (unsigned)nResult;
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

BOOL CWinThread::InitInstance()
{
    return FALSE;
}

int CWinThread::Run()
{
    while (PumpMessage()) {
    }
    return ExitInstance();
}

int CWinThread::ExitInstance()
{
    return (int)m_msgCur.wParam;
}

BOOL CWinThread::PumpMessage()
{
    if (::GetMessageA(&m_msgCur, NULL, 0, 0) <= 0)
        return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageA(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinThread::DispatchThreadMessage(const MSG* pMsg)
{
    LRESULT lResult = 0;
    return ProcessWindowMessage(NULL, pMsg->message, pMsg->wParam, pMsg->lParam, lResult);
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->hwnd == NULL)
        return DispatchThreadMessage(pMsg);
    return WalkPreTranslateTree(pMsg);
}

BOOL CWinThread::WalkPreTranslateTree(MSG* pMsg)
{
    // From the target window up through its parents, then the main window once.
    HWND hMain = m_pMainWnd ? m_pMainWnd->m_hWnd : NULL;
    BOOL bMainSeen = FALSE;
    for (HWND h = pMsg->hwnd; h != NULL; h = ::GetParent(h)) {
        CWnd* pWnd = CWnd::FromHandlePermanent(h);
        if (pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (h == hMain) {
            bMainSeen = TRUE;
            break;
        }
    }
    if (!bMainSeen && m_pMainWnd && m_pMainWnd->m_hWnd && ::IsWindowEnabled(m_pMainWnd->m_hWnd))
        return m_pMainWnd->PreTranslateMessage(pMsg);
    return FALSE;
}

LRESULT CALLBACK CWinThread::MsgFilterHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    // Modal loops (message boxes, dialogs, menus) dispatch nothing that has no window:
    // hand thread messages to the map here so they are not lost.
    CWinThread* pThread = t_pThread;
    MSG* pMsg = (MSG*)lParam;
    if (nCode >= 0 && pThread && pMsg && pMsg->hwnd == NULL && pMsg->message != WM_QUIT) {
        if (pThread->DispatchThreadMessage(pMsg))
            return TRUE;
    }
    return ::CallNextHookEx(pThread ? pThread->m_hMsgFilter : NULL, nCode, wParam, lParam);
}
