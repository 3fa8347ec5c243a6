// CSplashWindow: a borderless picture centred for two seconds, closed early by a key or a click.
#include "panel/SplashWindow.h"
#include "shared/KvMessages.h"
#include "res/resource.h"

BOOL CSplashWindow::c_bShowSplashWnd = FALSE;
CSplashWindow* CSplashWindow::c_pSplashWnd = NULL;

namespace {
const UINT_PTR kTimerId = 1;
const UINT kShowMs = 2000;

LPCSTR SplashClass()
{
    static const char kName[] = "KalvoraSplash";
    // Arrow cursor; no background brush and no icon: the picture covers the whole window.
    AfxRegisterWndClass(kName, 0, AfxArrowCursor(), NULL, NULL);
    return kName;
}
}

BEGIN_MESSAGE_MAP(CSplashWindow, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CSplashWindow::~CSplashWindow()
{
    if (c_pSplashWnd == this)
        c_pSplashWnd = NULL;
}

void CSplashWindow::EnableSplashScreen(BOOL bEnable)
{
    c_bShowSplashWnd = bEnable;
}

void CSplashWindow::ShowSplashScreen(CWnd* pParent)
{
    if (!c_bShowSplashWnd || c_pSplashWnd != NULL)
        return;
    c_pSplashWnd = new CSplashWindow;
    if (!c_pSplashWnd->Create(pParent)) {
        // A window that got as far as WM_NCCREATE has deleted itself, which cleared the pointer.
        delete c_pSplashWnd;
        c_pSplashWnd = NULL;
        return;
    }
    c_pSplashWnd->UpdateWindow();
}

BOOL CSplashWindow::Create(CWnd* pParent)
{
    if (!m_bitmap.LoadBitmap(IDB_SPLASH))
        return FALSE;
    BITMAP bm;
    m_bitmap.GetBitmap(&bm);
    RECT rc = { 0, 0, bm.bmWidth, bm.bmHeight };
    return CreateEx(0, SplashClass(), NULL, WS_POPUP | WS_VISIBLE, rc, pParent, NULL);
}

int CSplashWindow::OnCreate(LPCREATESTRUCTA pcs)
{
    if (CWnd::OnCreate(pcs) == -1)
        return -1;
    CenterWindow();
    SetTimer(kTimerId, kShowMs);
    return 0;
}

void CSplashWindow::OnPaint()
{
    CPaintDC dc(this);
    CDC dcImage;
    if (!dcImage.CreateCompatibleDC(&dc))
        return;
    BITMAP bm;
    m_bitmap.GetBitmap(&bm);
    CSelectGuard image(&dcImage, m_bitmap);
    dc.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &dcImage, 0, 0, SRCCOPY);
}

void CSplashWindow::OnTimer(UINT_PTR)
{
    Close();
}

void CSplashWindow::Close()
{
    HWND hParent = ::GetWindow(m_hWnd, GW_OWNER);
    if (hParent)
        ::PostMessageA(hParent, WMU_START_DISPLAY, 0, 0);
    HideSplashScreen();
}

void CSplashWindow::HideSplashScreen()
{
    DestroyWindow();   // the object deletes itself once this message returns
    CWnd* pMain = AfxGetMainWnd();
    if (pMain && pMain->m_hWnd)
        pMain->UpdateWindow();
}

BOOL CSplashWindow::PreTranslateAppMessage(MSG* pMsg)
{
    if (c_pSplashWnd == NULL)
        return FALSE;
    switch (pMsg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        c_pSplashWnd->Close();
        return TRUE;
    default:
        return FALSE;
    }
}
