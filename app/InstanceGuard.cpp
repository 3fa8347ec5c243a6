// CInstanceGuard: the named mutex and the window class that lets a second start find the first.
#include "app/InstanceGuard.h"

CInstanceGuard::~CInstanceGuard()
{
    if (m_hMutex)
        ::ReleaseMutex(m_hMutex);
}

BOOL CInstanceGuard::Acquire(UINT nIDName)
{
    CString strText;
    if (strText.LoadString(nIDName)) {
        int nNewline = strText.Find('\n');
        m_strName = nNewline >= 0 ? strText.Left(nNewline) : strText;
    }
    m_strName += " Class";
    m_hMutex = ::CreateMutexA(NULL, FALSE, m_strName);
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        m_hMutex = NULL;
        HWND hFirst = ::FindWindowExA(NULL, NULL, m_strName, NULL);
        if (hFirst) {
            ::ShowWindow(hFirst, SW_RESTORE);
            ::BringWindowToTop(hFirst);
            ::SetForegroundWindow(hFirst);
        }
        return FALSE;
    }
    if (!RegisterWindowClass(nIDName)) {
        AfxMessageBox("Failed to register window class!", MB_ICONHAND);
        return FALSE;
    }
    return TRUE;
}

BOOL CInstanceGuard::RegisterWindowClass(UINT nIDIcon)
{
    // Run by the framework's procedure, so the control window can be made of this class.
    HICON hIcon = ::LoadIconA(::GetModuleHandleA(NULL), MAKEINTRESOURCEA(nIDIcon));
    return AfxRegisterWndClass(m_strName, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS,
                               AfxArrowCursor(), (HBRUSH)(COLOR_WINDOW + 1), hIcon);
}
