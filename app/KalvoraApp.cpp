// The program's composition: which objects exist and who owns them; start-up order, the main thread's share of
// the message protocol, and shutdown.
#include "app/KalvoraApp.h"
#include "app/AboutDlg.h"
#include "shared/SharedState.h"
#include "display/RenderLink.h"
#include "panel/CtrlWindow.h"
#include "panel/SplashWindow.h"
#include "res/resource.h"
#include <cstdlib>
#include <ctime>

// Made in this order, ended in the reverse: the settings outlive the render thread's link, which outlives the
// application object's shutdown. The control window and the render thread delete themselves.
CSharedState theShared;
CRenderLink theRenderLink;
CKalvoraApp theApp;

namespace {
// A message of the render thread and the message the control window takes it as.
const AFX_RELAY kRelays[] = {
    { WMU_PATTERN_CHANGED, WMU_PATTERN_CHANGED },
    { WMU_ARRANGE_CHANGED, WMU_ARRANGE_CHANGED },
    { WMU_MAIN_COMMAND, WM_COMMAND },
};
}

CKalvoraApp::CKalvoraApp() : m_bShowingSoundMessage(FALSE)
{
}

BEGIN_MESSAGE_MAP(CKalvoraApp, CWinApp)
    ON_THREAD_MESSAGE(WMU_TOGGLE_CTRL, OnToggleCtrl)
    ON_THREAD_MESSAGE(WMU_SOUND_MESSAGE, OnSoundMessage)
    ON_THREAD_MESSAGE_RELAY(RelayToMainWnd)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
END_MESSAGE_MAP()

void CKalvoraApp::FormDefaultIniPath()
{
    char szModule[MAX_PATH];
    CString strFolder;
    if (::GetModuleFileNameA(NULL, szModule, MAX_PATH) > 0) {
        char szDrive[_MAX_DRIVE], szDir[_MAX_DIR], szFolder[MAX_PATH];
        _splitpath(szModule, szDrive, szDir, NULL, NULL);
        _makepath(szFolder, szDrive, szDir, NULL, NULL);
        strFolder = szFolder;
    } else {
        strFolder.LoadString(IDS_DATAFOLDER);
    }
    CString strName;
    strName.LoadString(IDS_INIFILE);
    theShared.m_strIniPath = strFolder + strName;
}

BOOL CKalvoraApp::InitInstance()
{
    if (!m_guard.Acquire(IDS_INIFILE))
        return FALSE;
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    CSplashWindow::EnableSplashScreen(cmdInfo.m_bShowSplash);
    Enable3dControls();
    srand((unsigned)time(NULL));
    FormDefaultIniPath();
    theShared.FindSettingsFile();
    theShared.ReadSettings();
    // A saved input that is missing now falls back to the default quietly; its name stays for a later start.
    theShared.EnumMonitors();

    CCtrlWindow* pFrame = new CCtrlWindow;
    pFrame->m_strClassName = m_guard.m_strName;   // a second start finds this window by it
    m_pMainWnd = pFrame;
    pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, NULL, NULL);
    if (m_pMainWnd == NULL || pFrame->m_hWnd == NULL) {
        m_pMainWnd = NULL;
        return FALSE;   // nothing to run without the control window
    }
    pFrame->ShowWindow(SW_SHOW);
    pFrame->UpdateWindow();
    return TRUE;
}

int CKalvoraApp::ExitInstance()
{
    theShared.WriteSettings();
    return CWinApp::ExitInstance();
}

BOOL CKalvoraApp::PreTranslateMessage(MSG* pMsg)
{
    if (CSplashWindow::PreTranslateAppMessage(pMsg))
        return TRUE;
    return CWinApp::PreTranslateMessage(pMsg);
}

BOOL CKalvoraApp::RelayToMainWnd(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const UINT msgWindow = AfxRelayOf(kRelays, msg);
    if (msgWindow == 0)
        return FALSE;
    // A command goes on as a menu command, which has no control window in lParam.
    const LPARAM lPass = msgWindow == WM_COMMAND ? 0 : lParam;
    if (m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->PostMessage(msgWindow, wParam, lPass);
    return TRUE;
}

// One box at a time: a failure told while one is up is not stacked on it.
LRESULT CKalvoraApp::OnSoundMessage(WPARAM, LPARAM lParam)
{
    CString* pText = (CString*)lParam;
    if (pText && !m_bShowingSoundMessage) {
        m_bShowingSoundMessage = TRUE;
        AfxMessageBox(*pText, MB_ICONSTOP, 0);
        m_bShowingSoundMessage = FALSE;
    }
    delete pText;
    return 0;
}

LRESULT CKalvoraApp::OnToggleCtrl(WPARAM, LPARAM)
{
    theShared.m_bCtrlHidden = !theShared.m_bCtrlHidden;
    if (m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->ShowWindow(theShared.m_bCtrlHidden ? SW_HIDE : SW_SHOW);
    return 0;
}

void CKalvoraApp::OnAppAbout()
{
    CAboutDlg dlg(m_pMainWnd);   // over the control window, which it disables while it is up
    dlg.DoModal();
}
