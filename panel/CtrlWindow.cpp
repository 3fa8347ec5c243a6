// CCtrlWindow: set-up, the double-buffered panel, clicks, keys, menu commands and check marks.
#include "panel/CtrlWindow.h"
#include "panel/ArrangeDlg.h"
#include "core/ArrangeDefaults.h"
#include "shared/SharedState.h"
#include "display/RenderLink.h"
#include "panel/SplashWindow.h"
#include "shared/KvMessages.h"
#include "res/resource.h"

namespace {
const int kIcon = 33;          // pattern icon size
const int kArrangeW = 49;      // Arrange button width
const int kArrangeH = 33;
const int kWindowMenu = 4;     // File, Pattern, Arrange, Sound, Window
}

CCtrlWindow::CCtrlWindow() : m_nCurPattern(0), m_nCurArrange(0), m_hIcon(NULL) {}

CCtrlWindow::~CCtrlWindow() {}

BEGIN_MESSAGE_MAP(CCtrlWindow, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_RBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_WM_DESTROY()
    ON_WM_SHOWWINDOW()
    ON_MESSAGE(WMU_PATTERN_CHANGED, OnPatternChanged)
    ON_MESSAGE(WMU_ARRANGE_CHANGED, OnArrangeChanged)
    ON_MESSAGE(WMU_START_DISPLAY, OnStartDisplay)
    ON_COMMAND_RANGE(ID_PATTERN_FIRST, ID_PATTERN_LAST, OnPatternCommand)
    ON_COMMAND_RANGE(ID_ARRANGE_FIRST, ID_ARRANGE_LAST, OnArrangeCommand)
    ON_COMMAND(ID_ARRANGE_USER, OnArrangeUser)
    ON_COMMAND(ID_CONTROL_WINDOW, OnControlWindow)
    ON_COMMAND_RANGE(ID_MONITOR_FIRST, ID_MONITOR_LAST, OnMonitorCommand)
    ON_COMMAND_RANGE(ID_SIZE_NONE, ID_SIZE_FIT, OnSizeCommand)
    ON_COMMAND(ID_SCREEN_COLOR, OnScreenColor)
    ON_COMMAND_RANGE(ID_COLOR_FIRST, ID_COLOR_LAST, OnColorCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_PATTERN_FIRST, ID_PATTERN_LAST, OnUpdatePattern)
    ON_UPDATE_COMMAND_UI_RANGE(ID_ARRANGE_FIRST, ID_ARRANGE_LAST, OnUpdateArrange)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MONITOR_FIRST, ID_MONITOR_LAST, OnUpdateMonitor)
    ON_UPDATE_COMMAND_UI_RANGE(ID_SIZE_NONE, ID_SIZE_FIT, OnUpdateSize)
    ON_UPDATE_COMMAND_UI(ID_CONTROL_WINDOW, OnUpdateControlWindow)
    ON_COMMAND_RANGE(ID_INPUT_DEFAULT, ID_INPUT_LAST, OnInputCommand)
    ON_COMMAND(ID_INPUT_LOOPBACK, OnLoopbackCommand)
    ON_COMMAND_RANGE(ID_SENSITIVITY_FIRST, ID_SENSITIVITY_LAST, OnSensitivityCommand)
    ON_COMMAND(ID_NEXT_INPUT, OnNextInput)
    ON_COMMAND(ID_NEXT_SENSITIVITY, OnNextSensitivity)
    ON_UPDATE_COMMAND_UI_RANGE(ID_INPUT_DEFAULT, ID_INPUT_LAST, OnUpdateInput)
    ON_UPDATE_COMMAND_UI(ID_INPUT_LOOPBACK, OnUpdateInput)
    ON_UPDATE_COMMAND_UI_RANGE(ID_SENSITIVITY_FIRST, ID_SENSITIVITY_LAST, OnUpdateSensitivity)
END_MESSAGE_MAP()

BOOL CCtrlWindow::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    // The instance guard's class: a second start finds this window by it.
    if (!m_strClassName.IsEmpty())
        cs.lpszClass = m_strClassName;
    return TRUE;
}

namespace {
// Button n of a panel group: button 0 stands alone at rcFirst; buttons 1.. fill rows of nPerRow
// from (xRow, rcFirst.top), stepping by the button size.
RECT GroupButtonRect(int n, const RECT& rcFirst, int xRow, int nPerRow)
{
    if (n <= 0)
        return rcFirst;
    int w = rcFirst.right - rcFirst.left;
    int h = rcFirst.bottom - rcFirst.top;
    int left = xRow + w * ((n - 1) % nPerRow);
    int top = rcFirst.top + h * ((n - 1) / nPerRow);
    RECT rc = { left, top, left + w, top + h };
    return rc;
}
}

RECT CCtrlWindow::PatternButtonRect(int nPattern)
{
    static const RECT rcPattern0 = { 10, 40, 10 + kIcon, 40 + kIcon };
    return GroupButtonRect(nPattern, rcPattern0, 50, 8);
}

RECT CCtrlWindow::ArrangeButtonRect(int nMode)
{
    static const RECT rcNone = { 330, 40, 330 + kArrangeW, 40 + kArrangeH };
    return GroupButtonRect(nMode, rcNone, 390, 4);
}

int CCtrlWindow::PatternAt(POINT pt)
{
    for (int i = 0; i < KV_PATTERN_COUNT; i++) {
        RECT rc = PatternButtonRect(i);
        if (::PtInRect(&rc, pt))
            return i;
    }
    return -1;
}

int CCtrlWindow::ArrangeAt(POINT pt)
{
    for (int j = 0; j < KV_ARRANGE_COUNT; j++) {
        RECT rc = ArrangeButtonRect(j);
        if (::PtInRect(&rc, pt))
            return j;
    }
    return -1;
}

int CCtrlWindow::OnCreate(LPCREATESTRUCTA pcs)
{
    if (CFrameWnd::OnCreate(pcs) == -1)
        return -1;
    ModifyStyle(WS_THICKFRAME | WS_MAXIMIZEBOX, WS_DLGFRAME,
                SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_bmpPanel.LoadBitmap(IDB_PANEL)) {
        FitToPanel();
        if (m_bmpPatternIcons.LoadBitmap(IDB_PATTERN_ICONS))
            m_bmpArrangeButtons.LoadBitmap(IDB_ARRANGE_BUTTONS);
    }
    m_hIcon = ::LoadIconA(::GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_CONTROL));
    SendMessage(WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)m_hIcon);
    CString strTitle;
    strTitle.LoadString(IDS_APPTITLE);
    SetWindowText(strTitle);
    CSplashWindow::ShowSplashScreen(this);
    // Without a splash nothing else would start the display.
    if (!CSplashWindow::IsShowing())
        PostMessage(WMU_START_DISPLAY);
    AdjustMonitorMenu();
    return 0;
}

void CCtrlWindow::FitToPanel()
{
    BITMAP bm;
    if (!m_bmpPanel.GetBitmap(&bm))
        return;
    RECT rc = { 30, 50, 30 + bm.bmWidth, 50 + bm.bmHeight };
    if (!::AdjustWindowRectEx(&rc, GetStyle(), TRUE, GetExStyle()))
        return;
    SetWindowPos(HWND_NOTOPMOST, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CCtrlWindow::AdjustMonitorMenu()
{
    HMENU hMenu = GetMenu();
    HMENU hWindowMenu = hMenu ? ::GetSubMenu(hMenu, kWindowMenu) : NULL;
    if (hWindowMenu == NULL)
        return;
    int nMonitors = theShared.m_nMonitors;
    if (nMonitors <= 1) {
        ::EnableMenuItem(hWindowMenu, 5, MF_BYPOSITION | MF_DISABLED | MF_GRAYED);
        return;
    }
    for (int n = nMonitors; n < KV_MAX_MONITORS; n++)
        ::RemoveMenu(hMenu, ID_MONITOR_FIRST + n, MF_BYCOMMAND);
}

void CCtrlWindow::OnPaint()
{
    CPaintDC dc(this);
    RECT rc;
    GetClientRect(&rc);
    CDC dcMem;
    CBitmap bmpBuffer;
    if (!dcMem.CreateCompatibleDC(&dc) || !bmpBuffer.CreateCompatibleBitmap(&dc, rc.right, rc.bottom))
        return;
    CSelectGuard buffer(&dcMem, bmpBuffer);
    DrawPanel(&dcMem);
    dc.BitBlt(0, 0, rc.right, rc.bottom, &dcMem, 0, 0, SRCCOPY);
}

void CCtrlWindow::DrawPanel(CDC* pDC)
{
    CDC dcImage;
    if (!dcImage.CreateCompatibleDC(pDC))
        return;
    RECT rcClient;
    GetClientRect(&rcClient);
    CSelectGuard image(&dcImage, m_bmpPanel);   // and the icons' bitmaps after it
    if (m_bmpPanel.m_hObject)
        pDC->BitBlt(0, 0, rcClient.right, rcClient.bottom, &dcImage, 0, 0, SRCCOPY);
    if (m_bmpPatternIcons.m_hObject) {
        dcImage.SelectObject(&m_bmpPatternIcons);
        for (int i = 0; i < KV_PATTERN_COUNT; i++) {
            int nRow = i == m_nCurPattern ? 33 : (theShared.m_nPatternEnable[i] ? 66 : 0);
            RECT rc = PatternButtonRect(i);
            pDC->BitBlt(rc.left, rc.top, kIcon, kIcon, &dcImage, kIcon * i, nRow, SRCCOPY);
        }
    }
    if (m_bmpArrangeButtons.m_hObject) {
        dcImage.SelectObject(&m_bmpArrangeButtons);
        for (int j = 0; j < KV_ARRANGE_COUNT; j++) {
            RECT rc = ArrangeButtonRect(j);
            pDC->BitBlt(rc.left, rc.top, kArrangeW, kArrangeH, &dcImage, kArrangeW * j,
                        j == m_nCurArrange ? 33 : 0, SRCCOPY);
        }
    }
}

void CCtrlWindow::SelectPattern(int nPattern)
{
    // Choosing a pattern always switches Arrange off.
    m_nCurPattern = nPattern;
    m_nCurArrange = 0;
    Invalidate();
    if (RetryDisplay())
        return;
    theRenderLink.PostSelectPattern(nPattern);
    theRenderLink.PostSetArrange(0);
}

void CCtrlWindow::SelectArrange(int nMode)
{
    m_nCurArrange = nMode;
    Invalidate();
    if (RetryDisplay())
        return;
    theRenderLink.PostSetArrange(nMode);
}

// A display that could not start (no sound device then) gets another chance whenever the user picks a
// pattern or a mode; the new display starts on the panel's current choice.
BOOL CCtrlWindow::RetryDisplay()
{
    if (!theRenderLink.HasEnded())
        return FALSE;
    OnStartDisplay(0, 0);
    return TRUE;
}

void CCtrlWindow::OnLButtonDown(UINT nFlags, CPoint point)
{
    int nPattern = PatternAt(point);
    if (nPattern >= 0) {
        SelectPattern(nPattern);
    } else {
        int nMode = ArrangeAt(point);
        if (nMode >= 0)
            SelectArrange(nMode);
    }
    CFrameWnd::OnLButtonDown(nFlags, point);
}

void CCtrlWindow::OnRButtonDown(UINT nFlags, CPoint point)
{
    int nPattern = PatternAt(point);
    if (nPattern < 0) {
        CFrameWnd::OnRButtonDown(nFlags, point);
        return;
    }
    theShared.m_nPatternEnable[nPattern] = theShared.m_nPatternEnable[nPattern] == 0 ? 1 : 0;
    Invalidate();
}

void CCtrlWindow::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    theRenderLink.PostForwardKey(nChar, MAKELPARAM(nRepCnt, nFlags));
    CFrameWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CCtrlWindow::OnDestroy()
{
    CFrameWnd::OnDestroy();
    theRenderLink.Stop();
}

void CCtrlWindow::OnShowWindow(BOOL bShow, UINT)
{
    // Shown from outside too: a second start restores the window the user hid with Ctrl+8. The flag
    // must follow, for the menu's check mark and for the display, which refuses "None" while it is set.
    if (bShow)
        theShared.m_bCtrlHidden = FALSE;
    Default();
}

LRESULT CCtrlWindow::OnPatternChanged(WPARAM wParam, LPARAM)
{
    if ((int)wParam != m_nCurPattern) {
        m_nCurPattern = (int)wParam;
        Invalidate(FALSE);
    }
    return 0;
}

LRESULT CCtrlWindow::OnArrangeChanged(WPARAM wParam, LPARAM)
{
    if ((int)wParam != m_nCurArrange) {
        m_nCurArrange = (int)wParam;
        Invalidate(FALSE);
    }
    return 0;
}

LRESULT CCtrlWindow::OnStartDisplay(WPARAM, LPARAM)
{
    if (!theRenderLink.Start())
        return 0;
    theRenderLink.PostSelectPattern(m_nCurPattern);
    theRenderLink.PostSetArrange(m_nCurArrange);
    return 0;
}

void CCtrlWindow::OnPatternCommand(UINT nID)
{
    SelectPattern((int)(nID - ID_PATTERN_FIRST));
}

void CCtrlWindow::OnArrangeCommand(UINT nID)
{
    SelectArrange((int)(nID - ID_ARRANGE_FIRST));
}

void CCtrlWindow::OnControlWindow()
{
    theShared.m_bCtrlHidden = !theShared.m_bCtrlHidden;
    ShowWindow(theShared.m_bCtrlHidden ? SW_HIDE : SW_SHOW);
}

void CCtrlWindow::OnMonitorCommand(UINT nID)
{
    int n = (int)(nID - ID_MONITOR_FIRST);
    // The render thread drops a placement on a monitor that doesn't exist, and with it every later size
    // command that would carry the stored index: such a monitor is never stored, as on the display.
    if (n >= theShared.m_nMonitors || n == theShared.m_nMonitor)
        return;
    theShared.m_nMonitor = n;
    theRenderLink.PostPlaceDisplay();
}

void CCtrlWindow::OnSizeCommand(UINT nID)
{
    int nMode = CSettingsRecord::SizeModeOf(nID);
    if (nMode == theShared.m_nWindowSize)
        return;
    theShared.m_nWindowSize = nMode;
    theRenderLink.PostPlaceDisplay();
}

void CCtrlWindow::OnColorCommand(UINT nID)
{
    theRenderLink.PostForwardCommand(nID);
}

void CCtrlWindow::OnArrangeUser()
{
    CArrangeDlg dlg(this);
    theRenderLink.PostPause(TRUE);
    dlg.m_nDynamic = (UINT)theShared.m_nDynamicUser;
    dlg.m_nStatic = (UINT)theShared.m_nStaticUser;
    if (dlg.DoModal() == IDOK) {
        theShared.m_nDynamicUser = (int)dlg.m_nDynamic;
        theShared.m_nStaticUser = (int)dlg.m_nStatic;
        theRenderLink.PostSetArrange(m_nCurArrange);
    }
    theRenderLink.PostPause(FALSE);
}

void CCtrlWindow::OnScreenColor()
{
    CColorDialog dlg(theShared.m_crBackScreen, 0, this);
    theRenderLink.PostPause(TRUE);
    if (dlg.DoModal() == IDOK) {
        theShared.m_crBackScreen = dlg.GetColor();
        theRenderLink.PostBackColor();
    }
    theRenderLink.PostPause(FALSE);
}

void CCtrlWindow::OnUpdatePattern(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck((int)(pCmdUI->m_nID - ID_PATTERN_FIRST) == m_nCurPattern);
}

void CCtrlWindow::OnUpdateArrange(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck((int)(pCmdUI->m_nID - ID_ARRANGE_FIRST) == m_nCurArrange);
}

void CCtrlWindow::OnUpdateMonitor(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck((int)(pCmdUI->m_nID - ID_MONITOR_FIRST) == theShared.m_nMonitor);
}

void CCtrlWindow::OnUpdateSize(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(CSettingsRecord::SizeModeOf(pCmdUI->m_nID) == theShared.m_nWindowSize);
}

void CCtrlWindow::OnUpdateControlWindow(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(!theShared.m_bCtrlHidden);
}
