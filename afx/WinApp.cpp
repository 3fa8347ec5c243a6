// CWinApp: the main thread's start-up, loop and end, and the program-wide helpers.
#include "WinApp.h"
#include "Wnd.h"
#include "String.h"
#include <cstdlib>

namespace {
CWinApp* g_pApp = NULL;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : ::GetModuleHandleA(NULL);
}

CWinApp::CWinApp() : m_hInstance(NULL), m_nCmdShow(SW_SHOWNORMAL)
{
    g_pApp = this;
    m_bAutoDelete = FALSE;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = NULL;
}

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

void CWinApp::OnAppExit()
{
    if (m_pMainWnd)
        m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info)
{
    for (int i = 1; i < __argc; i++) {
        const char* psz = __argv[i];
        BOOL bFlag = psz[0] == '/' || psz[0] == '-';
        info.ParseParam(bFlag ? psz + 1 : psz, bFlag, i == __argc - 1);
    }
}

int CWinApp::WinMainBody(HINSTANCE hInstance, LPSTR, int nCmdShow)
{
    m_hInstance = hInstance;
    m_nCmdShow = nCmdShow;
    AttachToCurrentThread();
    int nResult;
    if (!InitInstance()) {
        if (m_pMainWnd)
            m_pMainWnd->DestroyWindow();
        nResult = ExitInstance();
    } else {
        nResult = Run();
    }
    DetachFromCurrentThread();
    return nResult;
}

int AfxMessageBox(LPCSTR pszText, UINT nType, UINT)
{
    // Owned by the modal window the user is in (a dialog's validation message by the dialog), which
    // the box disables until it is answered.
    HWND hOwner = CWnd::GetSafeOwner();
    CString strTitle;
    if (!strTitle.LoadString(AFX_IDS_APP_TITLE))
        strTitle = "Kalvora";
    return ::MessageBoxA(hOwner, pszText, strTitle, nType);
}
