// CInstanceGuard: one running Kalvora at a time; a second start brings the first one forward.
#pragma once
#include <afxwin.h>

class CInstanceGuard
{
public:
    CInstanceGuard() : m_hMutex(NULL) {}
    ~CInstanceGuard();

    // FALSE when another instance runs (it was brought forward) or the window class can't be registered.
    BOOL Acquire(UINT nIDName);

    HANDLE m_hMutex;
    CString m_strName;   // mutex name, also the control window's class name

private:
    BOOL RegisterWindowClass(UINT nIDIcon);
};
