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
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    // Same procedure as every framework window, so the control window can be made of this class.
    WNDCLASSA frame;
    if (!::GetClassInfoA(::GetModuleHandleA(NULL), CFrameWnd::GetDefaultClass(), &frame))
        return FALSE;
    wc.lpfnWndProc = frame.lpfnWndProc;
    wc.hInstance = ::GetModuleHandleA(NULL);
    wc.hIcon = ::LoadIconA(wc.hInstance, MAKEINTRESOURCEA(nIDIcon));
    wc.hCursor = ::LoadCursorA(NULL, MAKEINTRESOURCEA(32512));   // IDC_ARROW
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = m_strName;
    return ::RegisterClassA(&wc) != 0;
}
