// CProThread: the render thread; owns the display window, relays the main thread's requests and drives frames.
#pragma once
#include <afxwin.h>
#include "sound/InputName.h"

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
    // The input the display starts on: set by the main thread before the thread runs.
    CInputName m_startInput;

    DECLARE_MESSAGE_MAP()

protected:
    // The main thread's requests that the display takes as they come: TRUE for one of them, posted to the
    // display when there is one.
    BOOL RelayToDisplay(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnPlaceDisplay(WPARAM wParam, LPARAM lParam);
    LRESULT OnPause(WPARAM wParam, LPARAM lParam);
    // Takes the CInputName the main thread made for this request.
    LRESULT OnSetInput(WPARAM wParam, LPARAM lParam);

private:
    // The display, or NULL once its window is gone (the framework clears the main window then).
    CKalvora* Display();
    // A frame when a buffer is waiting for one and the display isn't paused.
    void DrawOwedFrame();
    // One idle turn: a frame when allowed, then the quit check.
    void IdleTurn(CSingleLock& quitLock);
    void WaitForWork(HANDLE hQuit);
};
