// CWinApp: the one application object; runs the main thread and owns its main window.
#pragma once
#include "WinThread.h"
#include "CommandLineInfo.h"

#include "AfxRes.h"

class CWinApp : public CWinThread
{
public:
    CWinApp();
    ~CWinApp() override;

    // Runs the whole program on the calling thread: InitInstance, the message loop, ExitInstance.
    int WinMainBody(HINSTANCE hInstance, LPSTR pszCmdLine, int nCmdShow);
    void ParseCommandLine(CCommandLineInfo& info);
    BOOL Enable3dControls() { return TRUE; }

    HINSTANCE m_hInstance;
    int m_nCmdShow;

    DECLARE_MESSAGE_MAP()

protected:
    void OnAppExit();
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// A message box owned by the calling thread's active modal window, captioned with the program's title.
int AfxMessageBox(LPCSTR pszText, UINT nType = MB_OK, UINT nIDHelp = 0);
