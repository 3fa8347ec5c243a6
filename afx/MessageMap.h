// Message-map macros: each map is one virtual dispatch member built of typed ifs that falls through to its base.
#pragma once
#include <windows.h>
#include <windowsx.h>

// Private message carrying a CCmdUI* for menu check-mark handlers.
#define WM_KV_UPDATE_UI (WM_APP + 0x3F0)

#define DECLARE_MESSAGE_MAP() \
public: \
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    BOOL theClass::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) \
    { \
        typedef baseClass TheBaseClass; \
        (void)hWnd; (void)wParam; (void)lParam;

#define END_MESSAGE_MAP() \
        return TheBaseClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult); \
    }

// LRESULT fn(WPARAM, LPARAM)
#define ON_MESSAGE(msg, fn) \
    if (uMsg == (UINT)(msg)) { lResult = fn(wParam, lParam); return TRUE; }

// Thread messages arrive with no window. LRESULT fn(WPARAM, LPARAM)
#define ON_THREAD_MESSAGE(msg, fn) \
    if (hWnd == NULL && uMsg == (UINT)(msg)) { lResult = fn(wParam, lParam); return TRUE; }

// Thread messages that a table passes on elsewhere: BOOL fn(UINT msg, WPARAM, LPARAM), FALSE for a message
// the table doesn't hold.
#define ON_THREAD_MESSAGE_RELAY(fn) \
    if (hWnd == NULL && fn(uMsg, wParam, lParam)) { lResult = 0; return TRUE; }

// One row of such a table: a thread message and the window message it is passed on as.
struct AFX_RELAY {
    UINT msgThread;
    UINT msgWindow;
};
// The window message a table passes msg on as, 0 when the table doesn't hold it.
template <int N>
UINT AfxRelayOf(const AFX_RELAY (&table)[N], UINT msg)
{
    for (const AFX_RELAY& relay : table) {
        if (relay.msgThread == msg)
            return relay.msgWindow;
    }
    return 0;
}

// Menu (HIWORD 0) and accelerator (HIWORD 1) commands. void fn()
#define ON_COMMAND(id, fn) \
    if (uMsg == WM_COMMAND && HIWORD(wParam) <= 1 && LOWORD(wParam) == (UINT)(id)) \
    { fn(); lResult = 0; return TRUE; }

// void fn(UINT nID); the handler subtracts the first ID itself.
#define ON_COMMAND_RANGE(first, last, fn) \
    if (uMsg == WM_COMMAND && HIWORD(wParam) <= 1 && LOWORD(wParam) >= (UINT)(first) && LOWORD(wParam) <= (UINT)(last)) \
    { fn((UINT)LOWORD(wParam)); lResult = 0; return TRUE; }

// void fn(CCmdUI*)
#define ON_UPDATE_COMMAND_UI(id, fn) \
    if (uMsg == WM_KV_UPDATE_UI && wParam == (WPARAM)(id)) { fn((CCmdUI*)lParam); lResult = 0; return TRUE; }

#define ON_UPDATE_COMMAND_UI_RANGE(first, last, fn) \
    if (uMsg == WM_KV_UPDATE_UI && wParam >= (WPARAM)(first) && wParam <= (WPARAM)(last)) \
    { fn((CCmdUI*)lParam); lResult = 0; return TRUE; }

#define ON_WM_CREATE() \
    if (uMsg == WM_CREATE) { lResult = (LRESULT)OnCreate((LPCREATESTRUCT)lParam); return TRUE; }

#define ON_WM_DESTROY() \
    if (uMsg == WM_DESTROY) { OnDestroy(); lResult = 0; return TRUE; }

#define ON_WM_PAINT() \
    if (uMsg == WM_PAINT) { OnPaint(); lResult = 0; return TRUE; }

#define ON_WM_SHOWWINDOW() \
    if (uMsg == WM_SHOWWINDOW) { OnShowWindow((BOOL)wParam, (UINT)lParam); lResult = 0; return TRUE; }

#define ON_WM_TIMER() \
    if (uMsg == WM_TIMER) { OnTimer((UINT_PTR)wParam); lResult = 0; return TRUE; }

#define ON_WM_ERASEBKGND() \
    if (uMsg == WM_ERASEBKGND) \
    { CDC dcErase; dcErase.Attach((HDC)wParam); lResult = OnEraseBkgnd(&dcErase); dcErase.Detach(); return TRUE; }

#define ON_WM_KEYDOWN() \
    if (uMsg == WM_KEYDOWN) { OnKeyDown((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); lResult = 0; return TRUE; }

#define ON_WM_CHAR() \
    if (uMsg == WM_CHAR) { OnChar((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); lResult = 0; return TRUE; }

// The system has filled in its defaults before the message arrives; the handler changes what it must.
#define ON_WM_GETMINMAXINFO() \
    if (uMsg == WM_GETMINMAXINFO) { OnGetMinMaxInfo((MINMAXINFO*)lParam); lResult = 0; return TRUE; }

#define ON_WM_LBUTTONDOWN() \
    if (uMsg == WM_LBUTTONDOWN) \
    { OnLButtonDown((UINT)wParam, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); lResult = 0; return TRUE; }

#define ON_WM_RBUTTONDOWN() \
    if (uMsg == WM_RBUTTONDOWN) \
    { OnRButtonDown((UINT)wParam, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); lResult = 0; return TRUE; }
