// CWnd: binds a C++ object to its window and routes the window's messages through its message map.
#pragma once
#include <windows.h>
#include "CmdTarget.h"
#include "Point.h"
#include "String.h"

class CDC;
class CCmdUI;

// Registers (once) a window class whose windows are run by CWnd's window procedure.
// FALSE when the class could not be registered.
BOOL AfxRegisterWndClass(LPCSTR pszName, UINT nStyle, HCURSOR hCursor, HBRUSH hBackground, HICON hIcon);
// The system's arrow cursor, the one every window class of the program shows.
HCURSOR AfxArrowCursor();

class CWnd : public CCmdTarget
{
public:
    CWnd();
    ~CWnd() override;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    static CWnd* FromHandlePermanent(HWND hWnd);

    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    BOOL CreateEx(DWORD dwExStyle, LPCSTR pszClassName, LPCSTR pszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParent, HMENU hMenu);
    // A window that only takes messages (no picture, no input), of a class of its own registered on first use.
    BOOL CreateMessageOnly(LPCSTR pszClassName);
    virtual BOOL DestroyWindow();
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, NULL, bErase); }
    void SetWindowText(LPCSTR psz) { ::SetWindowTextA(m_hWnd, psz); }
    void GetClientRect(LPRECT pRect) const { ::GetClientRect(m_hWnd, pRect); }
    void GetWindowRect(LPRECT pRect) const { ::GetWindowRect(m_hWnd, pRect); }
    void ClientToScreen(LPRECT pRect) const;
    BOOL SetWindowPos(HWND hWndAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, hWndAfter, x, y, cx, cy, nFlags);
    }
    DWORD GetStyle() const { return (DWORD)::GetWindowLongA(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { return (DWORD)::GetWindowLongA(m_hWnd, GWL_EXSTYLE); }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    void CenterWindow(CWnd* pAlternateOwner = NULL);
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::PostMessageA(m_hWnd, msg, wParam, lParam);
    }
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendMessageA(m_hWnd, msg, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR nID, UINT nElapse) { return ::SetTimer(m_hWnd, nID, nElapse, NULL); }
    BOOL KillTimer(UINT_PTR nID) { return ::KillTimer(m_hWnd, nID); }
    CWnd* GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }
    // The owner for a modal dialog or message box of the calling thread: pParent when given, otherwise
    // the window the user works in (the main window, or the modal popup that runs over it). NULL: none.
    static HWND GetSafeOwner(CWnd* pParent = NULL);

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

    HWND m_hWnd;

protected:
    // Default processing of the message being handled.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Runs after the window is gone and the outermost message of this object has returned.
    virtual void PostNcDestroy() {}

    // Handlers whose base behaviour is default processing.
    virtual void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnLButtonDown(UINT nFlags, CPoint point);
    virtual void OnRButtonDown(UINT nFlags, CPoint point);
    virtual void OnDestroy();
    virtual int OnCreate(LPCREATESTRUCTA pcs);

    static LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Attach(HWND hWnd);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT RouteMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnNcDestroyed();

    friend class CWinThread;
    friend BOOL AfxRegisterWndClass(LPCSTR, UINT, HCURSOR, HBRUSH, HICON);

private:
    MSG m_msgCur;
    int m_nDepth;
    BOOL m_bNcDestroyed;
    friend class CDialog;
    friend class CFrameWnd;
};
