// CKalvoraApp: start-up order, the main thread's share of the message protocol, and shutdown.
#include "app/KalvoraApp.h"
#include "app/SplashWindow.h"
#include "app/AboutDlg.h"
#include "engine/ProThread.h"
#include "panel/CtrlWindow.h"
#include "res/resource.h"
#include <cstdlib>
#include <ctime>

CKalvoraApp theApp;

namespace {
// How long the render thread may take to close the display before its modal boxes are ended.
const DWORD kModalNudgeMs = 300;

// A message of the render thread and the message the control window takes it as.
const AFX_RELAY kRelays[] = {
    { WMU_PATTERN_CHANGED, WMU_PATTERN_CHANGED },
    { WMU_ARRANGE_CHANGED, WMU_ARRANGE_CHANGED },
    { WMU_MAIN_COMMAND, WM_COMMAND },
};
}

CKalvoraApp::CKalvoraApp()
    : m_pRenderThread(NULL), m_hRenderThread(NULL), m_dwRenderThreadId(0), m_bShowingSoundMessage(FALSE)
{
    for (volatile int& n : m_nPatternEnable)
        n = 0;
}

CKalvoraApp::~CKalvoraApp()
{
    if (m_hRenderThread)
        ::CloseHandle(m_hRenderThread);
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
    m_strIniPath = strFolder + strName;
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
    FindSettingsFile();
    ReadSettings();
    // A saved input that is missing now falls back to the default quietly; its name stays for a later start.
    EnumMonitors();

    CCtrlWindow* pFrame = new CCtrlWindow;
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
    WriteSettings();
    return CWinApp::ExitInstance();
}

BOOL CKalvoraApp::PreTranslateMessage(MSG* pMsg)
{
    if (CSplashWindow::PreTranslateAppMessage(pMsg))
        return TRUE;
    return CWinApp::PreTranslateMessage(pMsg);
}

BOOL CKalvoraApp::StartRenderThread(CProThread* pThread)
{
    if (HasRenderThreadEnded())
        ForgetRenderThread();   // its display could not start: this is a second try
    if (m_hRenderThread) {
        if (pThread)
            pThread->Delete();
        return FALSE;
    }
    if (pThread == NULL)
        pThread = new CProThread;
    pThread->m_startInput = m_input;
    if (!pThread->CreateThread(0, 0, NULL, &m_hRenderThread, &m_dwRenderThreadId)) {
        pThread->Delete();
        return FALSE;
    }
    m_pRenderThread = pThread;   // never dereferenced: the thread deletes it when it ends
    return TRUE;
}

BOOL CKalvoraApp::IsRenderThreadRunning() const
{
    return m_hRenderThread && ::WaitForSingleObject(m_hRenderThread, 0) == WAIT_TIMEOUT;
}

BOOL CKalvoraApp::HasRenderThreadEnded() const
{
    return m_hRenderThread && !IsRenderThreadRunning();
}

void CKalvoraApp::ForgetRenderThread()
{
    m_pRenderThread = NULL;
    ::CloseHandle(m_hRenderThread);
    m_hRenderThread = NULL;
}

void CKalvoraApp::PostSetInput(const CInputName& input)
{
    CInputName* pInput = new CInputName(input);
    if (!PostToRenderThread(WMU_SET_INPUT, 0, (LPARAM)pInput))
        delete pInput;
}

BOOL CKalvoraApp::PostToRenderThread(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_pRenderThread == NULL || !IsRenderThreadRunning())
        return FALSE;
    return ::PostThreadMessageA(m_dwRenderThreadId, msg, wParam, lParam);
}

void CKalvoraApp::StopRenderThread()
{
    if (m_hRenderThread == NULL)
        return;   // never started: nothing to wait for
    m_evQuit.SetEvent();
    CSingleLock lock(&m_evThreadDone);
    DWORD dwStart = ::GetTickCount();
    DWORD dwLastNudge = dwStart;
    // The thread sets the done event on its way out; its handle covers a thread that died without it.
    while (!lock.Lock(0)) {
        if (::WaitForSingleObject(m_hRenderThread, 0) == WAIT_OBJECT_0)
            break;
        // Messages sent to this thread (activation when the display closes) are answered meanwhile,
        // or the render thread would stall on them; posted messages stay queued.
        ::MsgWaitForMultipleObjects(1, &m_hRenderThread, FALSE, 10, QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        // A render thread that doesn't come back is sitting in a modal box (a sound error the user
        // hasn't answered): WM_QUIT ends such a box, and the thread then winds down on its own.
        DWORD dwNow = ::GetTickCount();
        if (dwNow - dwStart >= kModalNudgeMs && dwNow - dwLastNudge >= kModalNudgeMs) {
            ::PostThreadMessageA(m_dwRenderThreadId, WM_QUIT, 0, 0);
            dwLastNudge = dwNow;
        }
    }
    ForgetRenderThread();
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
    m_bCtrlHidden = !m_bCtrlHidden;
    if (m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->ShowWindow(m_bCtrlHidden ? SW_HIDE : SW_SHOW);
    return 0;
}

void CKalvoraApp::OnAppAbout()
{
    CAboutDlg dlg(m_pMainWnd);   // over the control window, which it disables while it is up
    dlg.DoModal();
}
