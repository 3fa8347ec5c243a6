// CKalvoraApp: the process: start-up, the main thread's share of the message protocol, and shutdown.
#pragma once
#include <afxwin.h>
#include "app/InstanceGuard.h"

class CKalvoraApp : public CWinApp
{
public:
    CKalvoraApp();

    BOOL InitInstance() override;
    int ExitInstance() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CInstanceGuard m_guard;

    DECLARE_MESSAGE_MAP()

protected:
    // The render thread's announcements and commands for the control window: TRUE for one of them, posted to
    // the control window when there is one.
    BOOL RelayToMainWnd(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnToggleCtrl(WPARAM wParam, LPARAM lParam);
    // A sound input failure the render thread has to tell.
    LRESULT OnSoundMessage(WPARAM wParam, LPARAM lParam);
    void OnAppAbout();

private:
    void FormDefaultIniPath();

    BOOL m_bShowingSoundMessage;
};

extern CKalvoraApp theApp;
