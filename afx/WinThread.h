// CWinThread: a thread with a message loop, a thread-message map and an optional main window.
#pragma once
#include <windows.h>
#include "CmdTarget.h"

class CWnd;

class CWinThread : public CCmdTarget
{
public:
    CWinThread();
    ~CWinThread() override;

    // Starts the thread; returns once its message queue exists, so posts made right after are kept.
    // An auto-deleting thread may be gone by then: phKeep and pdwId receive a handle of the caller's
    // own and the thread's ID, taken before the thread runs.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES psa = NULL,
                      HANDLE* phKeep = NULL, DWORD* pdwId = NULL);
    BOOL PostThreadMessage(UINT msg, WPARAM wParam, LPARAM lParam)
    {
        return ::PostThreadMessageA(m_nThreadID, msg, wParam, lParam);
    }

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL PumpMessage();
    // Deletes the object when the thread ends, if m_bAutoDelete.
    virtual void Delete();

    // Makes this object the calling thread's own and routes thread messages also through modal loops.
    void AttachToCurrentThread();
    void DetachFromCurrentThread();

    CWnd* m_pMainWnd;
    HANDLE m_hThread;
    DWORD m_nThreadID;
    BOOL m_bAutoDelete;
    MSG m_msgCur;

protected:
    BOOL DispatchThreadMessage(const MSG* pMsg);

private:
    static unsigned __stdcall ThreadEntry(void* pParam);
    static LRESULT CALLBACK MsgFilterHook(int nCode, WPARAM wParam, LPARAM lParam);
    BOOL WalkPreTranslateTree(MSG* pMsg);
    HHOOK m_hMsgFilter;
};

// The thread object of the calling thread (the application object on the main thread).
CWinThread* AfxGetThread();
// The main window of the calling thread's object.
CWnd* AfxGetMainWnd();
