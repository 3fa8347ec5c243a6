// CKalvora: construction, creation, the message map, placement on monitors and in size modes.
#include "display/Kalvora.h"
#include "shared/SharedState.h"
#include "res/resource.h"
#include "sound/WasapiDevice.h"

namespace {
const DWORD kDisplayStyle = WS_CAPTION | WS_SYSMENU;
const int kHalfWidth = 320, kHalfHeight = 240;
}

CKalvora::CKalvora()
    : m_hAccel(NULL), m_evSound(FALSE, FALSE), m_nSizeMode(0), m_nMonitorIndex(0), m_rcRestore(),
      m_bPatternAnnounced(FALSE), m_bArrangeAnnounced(FALSE)
{
    m_input.SetApis(&SWaveApi::System(), &CWasapiDevice::Api());
    m_hIcon = ::LoadIconA(::GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_DISPLAY));
    // The user's marks, tempo and threshold, as the main thread keeps them.
    CVisualizer::SSettings settings;
    settings.pnMarks = theShared.m_nPatternEnable;
    settings.pnStaticUser = &theShared.m_nStaticUser;
    settings.pnDynamicUser = &theShared.m_nDynamicUser;
    m_core.SetSettings(settings);
    m_core.SetAnnounce(OnCoreAnnounce, this);
}

CKalvora::~CKalvora()
{
    if (m_hAccel)
        ::DestroyAcceleratorTable(m_hAccel);
}

BEGIN_MESSAGE_MAP(CKalvora, CFrameWnd)
    ON_WM_DESTROY()
    ON_WM_ERASEBKGND()
    ON_WM_GETMINMAXINFO()
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_WM_CREATE()
    ON_COMMAND(ID_CONTROL_WINDOW, OnControlWindow)
    ON_MESSAGE(WMU_SELECT_PATTERN, OnSelectPattern)
    ON_MESSAGE(WMU_SET_ARRANGE, OnSetArrange)
    ON_MESSAGE(WMU_SET_BACKCOLOR, OnSetBackColor)
    ON_MESSAGE(WMU_PAUSE, OnSoundSwitch)
    ON_MESSAGE(WMU_QUERY_COUNTS, OnQueryCounts)
    ON_MESSAGE(WMU_SOUND_ERROR, OnSoundError)
    ON_MESSAGE(WMU_SET_SENSITIVITY, OnSetSensitivity)
    ON_COMMAND_RANGE(ID_NEXT_INPUT, ID_NEXT_SENSITIVITY, OnSoundStepCommand)
    ON_COMMAND_RANGE(ID_PATTERN_FIRST, ID_PATTERN_LAST, OnPatternCommand)
    ON_COMMAND_RANGE(ID_ARRANGE_FIRST, ID_ARRANGE_LAST, OnArrangeCommand)
    ON_COMMAND_RANGE(ID_MONITOR_FIRST, ID_MONITOR_LAST, OnMonitorCommand)
    ON_COMMAND_RANGE(ID_SIZE_NONE, ID_SIZE_FIT, OnSizeCommand)
    ON_COMMAND_RANGE(ID_COLOR_FIRST, ID_COLOR_LAST, OnColorCommand)
END_MESSAGE_MAP()

BOOL CKalvora::CreateDisplay(const CInputName& input)
{
    RECT rc = { 50, 50, 50 + CVisualizer::NORMAL_WIDTH, 50 + CVisualizer::NORMAL_HEIGHT };
    if (!Create(NULL, NULL, kDisplayStyle, rc, NULL, NULL, 0))
        return FALSE;   // a failed creation has already destroyed the window and this object
    if (!::AdjustWindowRectEx(&rc, GetStyle(), FALSE, GetExStyle())) {
        DestroyWindow();
        return FALSE;
    }
    SetWindowPos(HWND_TOP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_SHOWWINDOW);
    GetClientRect(&m_core.m_canvas.m_rcClient);
    m_core.ResetPatternParams();
    // The sensitivity the user chose, as the main thread left it before this thread started.
    m_core.m_gain.SetMode(theShared.m_nSensitivity);
    if (!m_input.Create(this)) {
        DestroyWindow();
        return FALSE;
    }
    m_input.SetInput(input, ::timeGetTime());
    if (!StartWaveIn()) {
        ShowSoundError();   // nothing is changing now: the display ends after the box
        DestroyWindow();
        return FALSE;
    }
    m_core.InitPattern();
    return TRUE;
}

int CKalvora::OnCreate(LPCREATESTRUCTA pcs)
{
    if (CFrameWnd::OnCreate(pcs) == -1)
        return -1;
    SendMessage(WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)m_hIcon);
    m_hAccel = ::LoadAcceleratorsA(::GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_MAINFRAME));
    HMENU hSys = ::GetSystemMenu(m_hWnd, FALSE);
    if (hSys)
        ::EnableMenuItem(hSys, SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
    return 0;
}

BOOL CKalvora::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_KEYDOWN && pMsg->message < 0x109 && m_hAccel) {
        if (::TranslateAcceleratorA(m_hWnd, m_hAccel, pMsg))
            return TRUE;
    }
    return CFrameWnd::PreTranslateMessage(pMsg);
}

BOOL CKalvora::OnEraseBkgnd(CDC* pDC)
{
    RECT rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, m_core.m_canvas.m_crBack);
    m_core.m_canvas.m_nPaintedOver++;
    return TRUE;
}

// The system's largest tracking size is the screen plus one sizing frame, less than the caption and border that
// Fit Monitor Size puts around a monitor-sized client area; without more room the client area loses its bottom rows.
void CKalvora::OnGetMinMaxInfo(MINMAXINFO* pMMI)
{
    for (int i = 0; i < theShared.m_nMonitors; i++) {
        RECT rc = theShared.m_monitors[i].rc;
        if (!::AdjustWindowRectEx(&rc, GetStyle(), FALSE, GetExStyle()))
            continue;
        if (pMMI->ptMaxTrackSize.x < rc.right - rc.left)
            pMMI->ptMaxTrackSize.x = rc.right - rc.left;
        if (pMMI->ptMaxTrackSize.y < rc.bottom - rc.top)
            pMMI->ptMaxTrackSize.y = rc.bottom - rc.top;
    }
}

LRESULT CKalvora::OnSetBackColor(WPARAM wParam, LPARAM)
{
    m_core.m_canvas.m_crBack = (COLORREF)wParam;
    ClearScreen();
    return 0;
}

void CKalvora::OnDestroy()
{
    CFrameWnd::OnDestroy();
    StopWaveIn();
    m_stats.Save();
    if (m_hAccel)
        ::DestroyAcceleratorTable(m_hAccel);
    m_hAccel = NULL;
}

void CKalvora::ClearScreen()
{
    if (m_hWnd == NULL)
        return;
    CClientDC dc(this);
    m_core.Clear(&dc);
}

void CKalvora::PlaceClientRect(RECT rc)
{
    if (!::AdjustWindowRectEx(&rc, GetStyle(), FALSE, GetExStyle()))
        return;
    SetWindowPos(HWND_TOP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_SHOWWINDOW);
    GetClientRect(&m_core.m_canvas.m_rcClient);
}

void CKalvora::UseSizeMode(int nMode)
{
    m_nSizeMode = nMode;
    m_core.SetPanelScaled(nMode != 0);
}

void CKalvora::SetSizeMode(int nMode)
{
    if (nMode == m_nSizeMode)
        return;
    RECT rcOrigin;
    if (m_nSizeMode == 2) {
        rcOrigin = m_rcRestore;
    } else {
        GetClientRect(&rcOrigin);
        ClientToScreen(&rcOrigin);
    }
    UseSizeMode(nMode);
    if (nMode < 0) {
        ShowWindow(SW_HIDE);
        return;
    }
    RECT rc;
    if (nMode == 0) {
        ::SetRect(&rc, rcOrigin.left, rcOrigin.top, rcOrigin.left + CVisualizer::NORMAL_WIDTH, rcOrigin.top + CVisualizer::NORMAL_HEIGHT);
    } else if (nMode == 1) {
        ::SetRect(&rc, rcOrigin.left, rcOrigin.top, rcOrigin.left + kHalfWidth, rcOrigin.top + kHalfHeight);
    } else {
        m_rcRestore = rcOrigin;
        rc = theShared.m_monitors[m_nMonitorIndex].rc;
    }
    PlaceClientRect(rc);
}

void CKalvora::SetMonitor(int nMonitor)
{
    if (nMonitor == m_nMonitorIndex || nMonitor < 0 || nMonitor >= KV_MAX_MONITORS)
        return;
    if (m_nMonitorIndex == 0)
        UseSizeMode(2);   // leaving the first monitor: fill the new one
    m_nMonitorIndex = nMonitor;
    const RECT& rcMon = theShared.m_monitors[nMonitor].rc;
    int cx = (rcMon.left + rcMon.right) / 2;
    int cy = (rcMon.top + rcMon.bottom) / 2;
    RECT rc;
    if (m_nSizeMode < 0)
        return;
    if (m_nSizeMode == 0) {
        ::SetRect(&rc, cx - CVisualizer::NORMAL_WIDTH / 2, cy - CVisualizer::NORMAL_HEIGHT / 2, cx + CVisualizer::NORMAL_WIDTH / 2, cy + CVisualizer::NORMAL_HEIGHT / 2);
    } else if (m_nSizeMode == 1) {
        ::SetRect(&rc, cx - kHalfWidth / 2, cy - kHalfHeight / 2, cx + kHalfWidth / 2, cy + kHalfHeight / 2);
    } else {
        ::SetRect(&m_rcRestore, cx, cy, cx + CVisualizer::NORMAL_WIDTH, cy + CVisualizer::NORMAL_HEIGHT);
        rc = rcMon;
    }
    PlaceClientRect(rc);
}

void CKalvora::OnMonitorCommand(UINT nID)
{
    int n = (int)(nID - ID_MONITOR_FIRST);
    if (n < theShared.m_nMonitors && n != theShared.m_nMonitor) {
        theShared.m_nMonitor = n;
        SetMonitor(n);
    }
}

void CKalvora::OnSizeCommand(UINT nID)
{
    int nMode = CSettingsRecord::SizeModeOf(nID);
    if (nMode < 0 && theShared.m_bCtrlHidden)
        return;   // hiding both windows would leave nothing to steer with
    if (nMode != theShared.m_nWindowSize) {
        theShared.m_nWindowSize = nMode;
        SetSizeMode(nMode);
    }
}
