// CProThread: the render thread; owns the display window, relays the main thread's requests and drives frames.
#pragma once
#include <afxwin.h>

class CKalvora;

class CProThread : public CWinThread
{
public:
    CProThread();

    BOOL InitInstance() override;
    int Run() override;
    int ExitInstance() override;

    CKalvora* m_pDisplay;
    volatile BOOL m_bPaused;

    DECLARE_MESSAGE_MAP()

protected:
    LRESULT OnSelectPattern(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetArrange(WPARAM wParam, LPARAM lParam);
    LRESULT OnForwardKey(WPARAM wParam, LPARAM lParam);
    LRESULT OnPlaceDisplay(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetBackColor(WPARAM wParam, LPARAM lParam);
    LRESULT OnPause(WPARAM wParam, LPARAM lParam);
    LRESULT OnForwardCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetInput(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetSensitivity(WPARAM wParam, LPARAM lParam);

private:
    // The display, or NULL once its window is gone (the framework clears the main window then).
    CKalvora* Display();
    void Relay(UINT msg, WPARAM wParam, LPARAM lParam);
    // A frame when a buffer is waiting for one and the display isn't paused.
    void DrawOwedFrame();
    // One idle turn: a frame when allowed, then the quit check.
    void IdleTurn(CSingleLock& quitLock);
    void WaitForWork(HANDLE hQuit);
};
