// CWnd: the one window procedure, object binding at WM_NCCREATE and deferred self-deletion.
#include "Wnd.h"
#include "WinThread.h"

namespace {
const char kObjectProp[] = "KalvoraWndObject";
}

HCURSOR AfxArrowCursor()
{
    return ::LoadCursorA(NULL, MAKEINTRESOURCEA(32512));   // IDC_ARROW
}

BOOL AfxRegisterWndClass(LPCSTR pszName, UINT nStyle, HCURSOR hCursor, HBRUSH hBackground, HICON hIcon)
{
    HINSTANCE hInst = ::GetModuleHandleA(NULL);
    WNDCLASSA wc;
    if (::GetClassInfoA(hInst, pszName, &wc))
        return TRUE;
    wc = WNDCLASSA();
    wc.style = nStyle;
    wc.lpfnWndProc = CWnd::WndProc;
    wc.hInstance = hInst;
    wc.hIcon = hIcon;
    wc.hCursor = hCursor;
    wc.hbrBackground = hBackground;
    wc.lpszClassName = pszName;
    return ::RegisterClassA(&wc) != 0;
}

CWnd::CWnd() : m_hWnd(NULL), m_msgCur(), m_nDepth(0), m_bNcDestroyed(FALSE) {}

CWnd::~CWnd()
{
    // An object deleted while its window lives must not be reached by that window again.
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        ::RemovePropA(m_hWnd, kObjectProp);
        ::DestroyWindow(m_hWnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? (CWnd*)::GetPropA(hWnd, kObjectProp) : NULL;
}

void CWnd::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    ::SetPropA(hWnd, kObjectProp, (HANDLE)this);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA&)
{
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR pszClassName, LPCSTR pszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParent, HMENU hMenu)
{
    CREATESTRUCTA cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = pszClassName;
    cs.lpszName = pszWindowName;
    cs.style = (LONG)dwStyle;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = pParent ? pParent->m_hWnd : NULL;
    cs.hMenu = hMenu;
    cs.hInstance = ::GetModuleHandleA(NULL);
    cs.lpCreateParams = this;
    if (!PreCreateWindow(cs))
        return FALSE;
    // A window whose creation fails may already have deleted this object: touch no member after it.
    HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, (DWORD)cs.style, cs.x, cs.y,
                                  cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    return hWnd != NULL;
}

BOOL CWnd::CreateMessageOnly(LPCSTR pszClassName)
{
    if (!AfxRegisterWndClass(pszClassName, 0, NULL, NULL, NULL))
        return FALSE;
    return ::CreateWindowExA(0, pszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, ::GetModuleHandleA(NULL),
                             this) != NULL;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

void CWnd::ClientToScreen(LPRECT pRect) const
{
    POINT tl = { pRect->left, pRect->top };
    POINT br = { pRect->right, pRect->bottom };
    ::ClientToScreen(m_hWnd, &tl);
    ::ClientToScreen(m_hWnd, &br);
    ::SetRect(pRect, tl.x, tl.y, br.x, br.y);
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD dwStyle = GetStyle();
    DWORD dwNew = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNew)
        return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, (LONG)dwNew);
    if (nFlags != 0)
        ::SetWindowPos(m_hWnd, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    // Centre over the owner when it is visible, otherwise over the work area.
    HWND hCenter = pAlternateOwner ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    RECT rcArea;
    if (hCenter && ::IsWindowVisible(hCenter) && !::IsIconic(hCenter))
        ::GetWindowRect(hCenter, &rcArea);
    else
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    int w = rc.right - rc.left;
    int h = rc.bottom - rc.top;
    int x = (rcArea.left + rcArea.right) / 2 - w / 2;
    int y = (rcArea.top + rcArea.bottom) / 2 - h / 2;
    // Keep the caption reachable: stay inside the work area where the window fits.
    RECT rcWork;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    if (x + w > rcWork.right)
        x = rcWork.right - w;
    if (y + h > rcWork.bottom)
        y = rcWork.bottom - h;
    if (x < rcWork.left)
        x = rcWork.left;
    if (y < rcWork.top)
        y = rcWork.top;
    ::SetWindowPos(m_hWnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CWnd::GetSafeOwner(CWnd* pParent)
{
    if (pParent && pParent->m_hWnd)
        return pParent->m_hWnd;
    CWnd* pMain = AfxGetMainWnd();
    HWND hMain = pMain ? pMain->m_hWnd : NULL;
    // A modal dialog disables the main window it runs over; the box then belongs to the dialog.
    HWND hPopup = hMain ? ::GetLastActivePopup(hMain) : NULL;
    if (hPopup && ::IsWindowVisible(hPopup) && ::IsWindowEnabled(hPopup))
        return hPopup;
    HWND hActive = ::GetActiveWindow();
    if (hActive && ::IsWindowEnabled(hActive))
        return hActive;
    return hMain && ::IsWindowVisible(hMain) ? hMain : NULL;
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_msgCur.message, m_msgCur.wParam, m_msgCur.lParam);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(m_hWnd, msg, wParam, lParam);
}

void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnDestroy() { Default(); }
int CWnd::OnCreate(LPCREATESTRUCTA) { return (int)Default(); }

BOOL CWnd::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return FALSE;
}

LRESULT CALLBACK CWnd::WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == NULL && msg == WM_NCCREATE) {
        pWnd = (CWnd*)((LPCREATESTRUCTA)lParam)->lpCreateParams;
        if (pWnd)
            pWnd->Attach(hWnd);
    }
    if (pWnd == NULL)
        return ::DefWindowProcA(hWnd, msg, wParam, lParam);
    return pWnd->Dispatch(msg, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam)
{
    MSG saved = m_msgCur;
    m_msgCur.hwnd = m_hWnd;
    m_msgCur.message = msg;
    m_msgCur.wParam = wParam;
    m_msgCur.lParam = lParam;
    ++m_nDepth;
    LRESULT lResult = RouteMessage(msg, wParam, lParam);
    if (msg == WM_NCDESTROY)
        OnNcDestroyed();
    --m_nDepth;
    m_msgCur = saved;
    if (m_nDepth == 0 && m_bNcDestroyed) {
        m_bNcDestroyed = FALSE;
        PostNcDestroy();   // may delete this
    }
    return lResult;
}

LRESULT CWnd::RouteMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!ProcessWindowMessage(m_hWnd, msg, wParam, lParam, lResult))
        lResult = DefWindowProc(msg, wParam, lParam);
    return lResult;
}

void CWnd::OnNcDestroyed()
{
    // The thread whose main window this was has nothing left to run.
    CWinThread* pThread = AfxGetThread();
    if (pThread && pThread->m_pMainWnd == this) {
        pThread->m_pMainWnd = NULL;
        ::PostQuitMessage(0);
    }
    ::RemovePropA(m_hWnd, kObjectProp);
    m_hWnd = NULL;
    m_bNcDestroyed = TRUE;
}
