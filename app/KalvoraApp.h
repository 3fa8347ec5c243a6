// CKalvoraApp: the process; owns the settings, the instance guard, the shutdown events and the render thread's handle.
#pragma once
#include <afxwin.h>
#include "app/SettingsRecord.h"
#include "app/InstanceGuard.h"

class CProThread;

class CKalvoraApp : public CWinApp, public CSettingsRecord
{
public:
    CKalvoraApp();
    ~CKalvoraApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Starts the render thread, a new CProThread unless pThread is given (it then belongs to this call);
    // FALSE when one runs already or it could not start. A thread that ended because its display could not
    // start (no sound device then) may be started again.
    BOOL StartRenderThread(CProThread* pThread = NULL);
    // Asks the render thread to close the display and waits until it has ended.
    void StopRenderThread();
    BOOL IsRenderThreadRunning() const;
    BOOL HasRenderThreadEnded() const;

    // Posting members: each does nothing when no render thread runs.
    void PostSelectPattern(int nPattern) { PostToRenderThread(WMU_SELECT_PATTERN, (WPARAM)nPattern, 0); }
    void PostSetArrange(int nMode) { PostToRenderThread(WMU_SET_ARRANGE, (WPARAM)nMode, 0); }
    void PostForwardKey(UINT nChar, LPARAM lKeyData) { PostToRenderThread(WMU_FORWARD_KEY, nChar, lKeyData); }
    void PostPlaceDisplay() { PostToRenderThread(WMU_PLACE_DISPLAY, (WPARAM)m_nMonitor, (LPARAM)m_nWindowSize); }
    void PostBackColor() { PostToRenderThread(WMU_SET_BACKCOLOR, (WPARAM)m_crBackScreen, 0); }
    void PostPause(BOOL bPause) { PostToRenderThread(WMU_PAUSE, bPause ? 1 : 0, 0); }
    void PostForwardCommand(UINT nID) { PostToRenderThread(WMU_FORWARD_COMMAND, nID, 0); }
    // The render thread gets the chosen input as a copy of its own.
    void PostSetInput(const CInputName& input);
    BOOL PostToRenderThread(UINT msg, WPARAM wParam, LPARAM lParam);

    CEvent m_evQuit;
    CEvent m_evThreadDone;
    CProThread* m_pRenderThread;
    volatile int m_nPatternEnable[KV_PATTERN_COUNT];
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
    void ForgetRenderThread();

    HANDLE m_hRenderThread;     // our own handle: the thread object deletes itself
    DWORD m_dwRenderThreadId;
    BOOL m_bShowingSoundMessage;
};

extern CKalvoraApp theApp;
