// CRenderLink: the main thread's hold on the render thread: starting it, stopping it, posting it the user's requests.
#pragma once
#include <afxwin.h>
#include "shared/KvMessages.h"
#include "sound/InputName.h"

class CProThread;

// Used on the main thread only.
class CRenderLink
{
public:
    CRenderLink();
    ~CRenderLink();
    CRenderLink(const CRenderLink&) = delete;
    CRenderLink& operator=(const CRenderLink&) = delete;

    // Starts the render thread, a new CProThread unless pThread is given (it then belongs to this call);
    // FALSE when one runs already or it could not start. A thread that ended because its display could not
    // start (no sound device then) may be started again.
    BOOL Start(CProThread* pThread = NULL);
    // Asks the render thread to close the display and waits until it has ended.
    void Stop();
    BOOL IsRunning() const;
    BOOL HasEnded() const;

    // Posting members: each does nothing when no render thread runs.
    void PostSelectPattern(int nPattern) { Post(WMU_SELECT_PATTERN, (WPARAM)nPattern, 0); }
    void PostSetArrange(int nMode) { Post(WMU_SET_ARRANGE, (WPARAM)nMode, 0); }
    void PostForwardKey(UINT nChar, LPARAM lKeyData) { Post(WMU_FORWARD_KEY, nChar, lKeyData); }
    void PostPlaceDisplay();
    void PostBackColor();
    void PostPause(BOOL bPause) { Post(WMU_PAUSE, bPause ? 1 : 0, 0); }
    void PostForwardCommand(UINT nID) { Post(WMU_FORWARD_COMMAND, nID, 0); }
    // The render thread gets the chosen input as a copy of its own.
    void PostSetInput(const CInputName& input);
    BOOL Post(UINT msg, WPARAM wParam, LPARAM lParam);

    CProThread* m_pThread;      // never dereferenced: the thread deletes it when it ends

private:
    void Forget();

    HANDLE m_hThread;           // our own handle: the thread object deletes itself
    DWORD m_dwThreadId;
};

// The one instance, made with the program's other objects (app/KalvoraApp.cpp).
extern CRenderLink theRenderLink;
