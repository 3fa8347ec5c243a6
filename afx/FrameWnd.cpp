// CFrameWnd: frame class registration, resource loading, command routing to the thread and menu updates.
#include "FrameWnd.h"
#include "WinThread.h"
#include "CmdUI.h"
#include <cstring>

namespace {
const char kFrameClass[] = "KalvoraFrame";

const UINT kFrameStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;

// Class icon of a frame loaded from a resource: one class per icon ID, else the default class.
LPCSTR RegisterFrameClass(UINT nIconID, char (&szName)[64])
{
    HICON hIcon = nIconID ? ::LoadIconA(::GetModuleHandleA(NULL), MAKEINTRESOURCEA(nIconID)) : NULL;
    if (hIcon == NULL)
        return CFrameWnd::GetDefaultClass();
    wsprintfA(szName, "%s:%u", kFrameClass, nIconID);
    if (!AfxRegisterWndClass(szName, kFrameStyle, AfxArrowCursor(), (HBRUSH)(COLOR_WINDOW + 1), hIcon))
        return CFrameWnd::GetDefaultClass();
    return szName;
}
}

const RECT CFrameWnd::rectDefault = { (LONG)CW_USEDEFAULT, (LONG)CW_USEDEFAULT, 0, 0 };

CFrameWnd::CFrameWnd() : m_hAccelTable(NULL), m_nIDResource(0) {}

CFrameWnd::~CFrameWnd()
{
    if (m_hAccelTable)
        ::DestroyAcceleratorTable(m_hAccelTable);
}

LPCSTR CFrameWnd::GetDefaultClass()
{
    AfxRegisterWndClass(kFrameClass, kFrameStyle, AfxArrowCursor(), (HBRUSH)(COLOR_WINDOW + 1), NULL);
    return kFrameClass;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (cs.lpszClass == NULL)
        cs.lpszClass = GetDefaultClass();
    cs.style &= ~FWS_ADDTOTITLE;
    return TRUE;
}

BOOL CFrameWnd::Create(LPCSTR pszClassName, LPCSTR pszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParent, LPCSTR pszMenuName, DWORD dwExStyle, void*)
{
    HMENU hMenu = pszMenuName ? ::LoadMenuA(::GetModuleHandleA(NULL), pszMenuName) : NULL;
    if (!CreateEx(dwExStyle, pszClassName, pszWindowName, dwStyle, rect, pParent, hMenu)) {
        if (hMenu)
            ::DestroyMenu(hMenu);
        return FALSE;
    }
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwStyle, CWnd* pParent, void* pContext)
{
    m_nIDResource = nIDResource;
    HINSTANCE hInst = ::GetModuleHandleA(NULL);
    char szTitle[256] = "";
    ::LoadStringA(hInst, nIDResource, szTitle, sizeof(szTitle));
    if (char* pNewline = strchr(szTitle, '\n'))
        *pNewline = '\0';
    if (m_hAccelTable == NULL)
        m_hAccelTable = ::LoadAcceleratorsA(hInst, MAKEINTRESOURCEA(nIDResource));
    char szClass[64];
    LPCSTR pszClass = RegisterFrameClass(nIDResource, szClass);
    return Create(pszClass, szTitle, dwStyle, rectDefault, pParent, MAKEINTRESOURCEA(nIDResource), 0, pContext);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable)
        return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg);
    return FALSE;
}

BOOL CFrameWnd::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (uMsg == WM_INITMENUPOPUP) {
        OnInitMenuPopup((HMENU)wParam);
        lResult = 0;
        return TRUE;
    }
    // Commands the window does not handle go on to its thread (the application on the main thread).
    if (uMsg == WM_COMMAND && HIWORD(wParam) <= 1) {
        CWinThread* pThread = AfxGetThread();
        if (pThread && pThread->ProcessWindowMessage(NULL, uMsg, wParam, lParam, lResult))
            return TRUE;
    }
    return CWnd::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult);
}

void CFrameWnd::OnInitMenuPopup(HMENU hMenu)
{
    int nCount = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; i++) {
        UINT nID = ::GetMenuItemID(hMenu, i);
        if (nID == 0 || nID == (UINT)-1)
            continue;   // separators and submenus
        CCmdUI ui;
        ui.m_nID = nID;
        ui.m_nIndex = (UINT)i;
        ui.m_hMenu = hMenu;
        LRESULT lResult = 0;
        ProcessWindowMessage(m_hWnd, WM_KV_UPDATE_UI, nID, (LPARAM)&ui, lResult);
    }
}

void CFrameWnd::PostNcDestroy()
{
    delete this;
}
