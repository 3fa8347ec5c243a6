// Unit tests of the display's placement: size modes and monitors on a real window with a two-monitor table.
#include "AppStateGuard.h"
#include <gtest/gtest.h>

#include <windows.h>

#include <ostream>
#include <string>

#include "shared/SharedState.h"
#include "display/Kalvora.h"
#include "res/resource.h"

namespace {

struct Rect {
    LONG l, t, r, b;
    bool operator==(const Rect& o) const { return l == o.l && t == o.t && r == o.r && b == o.b; }
};

std::ostream& operator<<(std::ostream& os, const Rect& rc)
{
    return os << "(" << rc.l << "," << rc.t << ")-(" << rc.r << "," << rc.b << ")";
}

Rect R(const RECT& rc)
{
    return Rect{ rc.left, rc.top, rc.right, rc.bottom };
}

// A real display window made in the test thread, on a desktop of two side-by-side monitors.
class Placement : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ZeroMemory(theShared.m_monitors, sizeof(theShared.m_monitors));
        // Monitors within the test screen.
        SetMonitorEntry(0, 1, 0, 0, 800, 600);
        SetMonitorEntry(1, 2, 800, 0, 1600, 600);
        theShared.m_nMonitors = 2;
        theShared.m_nMonitor = 0;
        theShared.m_nWindowSize = 0;
        theShared.m_bCtrlHidden = FALSE;
        m_pDisplay = new CKalvora;
        ASSERT_TRUE(m_pDisplay->CreateDisplay());
        m_hWnd = m_pDisplay->m_hWnd;
    }

    void TearDown() override
    {
        if (m_pDisplay && ::IsWindow(m_hWnd))
            m_pDisplay->DestroyWindow();
        m_pDisplay = NULL;
        Drain();
    }

    static void SetMonitorEntry(int i, DWORD h, LONG l, LONG t, LONG r, LONG b)
    {
        theShared.m_monitors[i].hMonitor = h;
        ::SetRect(&theShared.m_monitors[i].rc, l, t, r, b);
    }

    // Nothing of the display's (capture callbacks) may reach the next test.
    static void Drain()
    {
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    }

    Rect ScreenClient() const
    {
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        POINT tl = { rc.left, rc.top }, br = { rc.right, rc.bottom };
        ::ClientToScreen(m_hWnd, &tl);
        ::ClientToScreen(m_hWnd, &br);
        return Rect{ tl.x, tl.y, br.x, br.y };
    }

    Rect Client() const { return R(m_pDisplay->m_core.m_canvas.m_rcClient); }

    void Command(UINT nID) { ::SendMessageA(m_hWnd, WM_COMMAND, nID, 0); }

    CKalvora* m_pDisplay = NULL;
    HWND m_hWnd = NULL;
    AppStateGuard m_saved{ false };
};

} // namespace

TEST_F(Placement, CreatedAtNormalSizeAtFiftyFifty)
{
    EXPECT_EQ(ScreenClient(), (Rect{ 50, 50, 690, 530 }));
    EXPECT_EQ(Client(), (Rect{ 0, 0, 640, 480 }));
    EXPECT_EQ(m_pDisplay->m_nSizeMode, 0);
    EXPECT_EQ(m_pDisplay->m_nMonitorIndex, 0);
    EXPECT_TRUE(::IsWindowVisible(m_hWnd));
}

TEST_F(Placement, HalfKeepsTheTopLeftAndNormalRestores)
{
    m_pDisplay->SetSizeMode(1);
    EXPECT_EQ(ScreenClient(), (Rect{ 50, 50, 370, 290 }));
    EXPECT_EQ(Client(), (Rect{ 0, 0, 320, 240 }));
    m_pDisplay->SetSizeMode(0);
    EXPECT_EQ(ScreenClient(), (Rect{ 50, 50, 690, 530 }));
    EXPECT_EQ(Client(), (Rect{ 0, 0, 640, 480 }));
}

TEST_F(Placement, FitFillsTheMonitorAndNormalReturnsToTheOldPlace)
{
    m_pDisplay->SetSizeMode(1);   // a Half window at (50,50) ...
    m_pDisplay->SetSizeMode(2);
    EXPECT_EQ(ScreenClient(), (Rect{ 0, 0, 800, 600 }));
    EXPECT_EQ(Client(), (Rect{ 0, 0, 800, 600 }));
    EXPECT_EQ(R(m_pDisplay->m_rcRestore), (Rect{ 50, 50, 370, 290 }));
    m_pDisplay->SetSizeMode(0);   // ... comes back as Normal at its old top-left corner
    EXPECT_EQ(ScreenClient(), (Rect{ 50, 50, 690, 530 }));
    EXPECT_EQ(Client(), (Rect{ 0, 0, 640, 480 }));
}

TEST_F(Placement, SameModeAgainChangesNothing)
{
    m_pDisplay->SetSizeMode(2);
    ::SetRect(&m_pDisplay->m_rcRestore, 7, 8, 9, 10);
    m_pDisplay->SetSizeMode(2);   // a second Fit must not overwrite the place to come back to
    EXPECT_EQ(R(m_pDisplay->m_rcRestore), (Rect{ 7, 8, 9, 10 }));
}

TEST_F(Placement, SecondMonitorFromNormalOnTheFirstFillsIt)
{
    Command(ID_MONITOR_FIRST + 1);
    EXPECT_EQ(theShared.m_nMonitor, 1);
    EXPECT_EQ(theShared.m_nWindowSize, 0);   // the application still believes Normal
    EXPECT_EQ(m_pDisplay->m_nSizeMode, 2);
    EXPECT_EQ(m_pDisplay->m_nMonitorIndex, 1);
    EXPECT_EQ(ScreenClient(), (Rect{ 800, 0, 1600, 600 }));
    EXPECT_EQ(Client(), (Rect{ 0, 0, 800, 600 }));
    // Its restore place is the monitor's centre.
    EXPECT_EQ(R(m_pDisplay->m_rcRestore), (Rect{ 1200, 300, 1840, 780 }));
    m_pDisplay->SetSizeMode(0);
    EXPECT_EQ(ScreenClient(), (Rect{ 1200, 300, 1840, 780 }));
}

TEST_F(Placement, HiddenDisplayReappearsFillingTheSecondMonitor)
{
    Command(ID_SIZE_NONE);
    EXPECT_EQ(m_pDisplay->m_nSizeMode, -1);
    EXPECT_FALSE(::IsWindowVisible(m_hWnd));
    EXPECT_EQ(theShared.m_nWindowSize, -1);
    Command(ID_MONITOR_FIRST + 1);
    EXPECT_EQ(m_pDisplay->m_nSizeMode, 2);
    EXPECT_TRUE(::IsWindowVisible(m_hWnd));
    EXPECT_EQ(ScreenClient(), (Rect{ 800, 0, 1600, 600 }));
}

TEST_F(Placement, MovingBetweenOtherMonitorsKeepsTheMode)
{
    ZeroMemory(theShared.m_monitors, sizeof(theShared.m_monitors));
    SetMonitorEntry(0, 1, 0, 0, 800, 600);
    SetMonitorEntry(1, 2, 800, 0, 1600, 600);
    SetMonitorEntry(2, 3, -1025, 100, 0, 869);   // odd sums: the centre rounds toward zero
    theShared.m_nMonitors = 3;

    m_pDisplay->SetMonitor(1);               // Fit on monitor 1
    m_pDisplay->SetSizeMode(0);
    m_pDisplay->SetMonitor(2);               // Normal, centred on monitor 2 (cx -512, not -513; cy 484)
    EXPECT_EQ(m_pDisplay->m_nSizeMode, 0);
    EXPECT_EQ(ScreenClient(), (Rect{ -832, 244, -192, 724 }));
    m_pDisplay->SetSizeMode(1);
    m_pDisplay->SetMonitor(1);               // Half, centred on monitor 1 (cx 1200, cy 300)
    EXPECT_EQ(m_pDisplay->m_nSizeMode, 1);
    EXPECT_EQ(ScreenClient(), (Rect{ 1040, 180, 1360, 420 }));
    EXPECT_EQ(Client(), (Rect{ 0, 0, 320, 240 }));
    m_pDisplay->SetMonitor(0);               // back to the first: centred too, mode kept
    EXPECT_EQ(m_pDisplay->m_nSizeMode, 1);
    EXPECT_EQ(ScreenClient(), (Rect{ 240, 180, 560, 420 }));
}

TEST_F(Placement, FitAfterAMonitorChangeRestoresToTheMonitorCentre)
{
    m_pDisplay->SetMonitor(1);
    m_pDisplay->SetMonitor(0);   // leaving monitor 1 in Fit stays Fit
    EXPECT_EQ(m_pDisplay->m_nSizeMode, 2);
    EXPECT_EQ(ScreenClient(), (Rect{ 0, 0, 800, 600 }));
    m_pDisplay->SetSizeMode(1);
    EXPECT_EQ(ScreenClient(), (Rect{ 400, 300, 720, 540 }));
}

TEST_F(Placement, SizeNoneHidesAndIsRefusedWhileTheControlWindowIsHidden)
{
    theShared.m_bCtrlHidden = TRUE;
    Command(ID_SIZE_NONE);
    EXPECT_EQ(m_pDisplay->m_nSizeMode, 0);
    EXPECT_EQ(theShared.m_nWindowSize, 0);
    EXPECT_TRUE(::IsWindowVisible(m_hWnd));

    theShared.m_bCtrlHidden = FALSE;
    Command(ID_SIZE_NONE);
    EXPECT_EQ(m_pDisplay->m_nSizeMode, -1);
    EXPECT_FALSE(::IsWindowVisible(m_hWnd));
    Command(ID_SIZE_HALF);
    EXPECT_TRUE(::IsWindowVisible(m_hWnd));
    EXPECT_EQ(ScreenClient(), (Rect{ 50, 50, 370, 290 }));
}

TEST_F(Placement, SizeCommandsFollowTheApplicationsChoice)
{
    Command(ID_SIZE_FIT);
    EXPECT_EQ(theShared.m_nWindowSize, 2);
    EXPECT_EQ(ScreenClient(), (Rect{ 0, 0, 800, 600 }));
    Command(ID_SIZE_HALF);
    EXPECT_EQ(theShared.m_nWindowSize, 1);
    EXPECT_EQ(ScreenClient(), (Rect{ 50, 50, 370, 290 }));
    Command(ID_SIZE_NORMAL);
    EXPECT_EQ(theShared.m_nWindowSize, 0);
    EXPECT_EQ(ScreenClient(), (Rect{ 50, 50, 690, 530 }));
}

TEST_F(Placement, MonitorCommandBeyondTheTableIsIgnored)
{
    Command(ID_MONITOR_FIRST + 2);
    Command(ID_MONITOR_LAST);
    EXPECT_EQ(theShared.m_nMonitor, 0);
    EXPECT_EQ(m_pDisplay->m_nMonitorIndex, 0);
    EXPECT_EQ(m_pDisplay->m_nSizeMode, 0);
    EXPECT_EQ(ScreenClient(), (Rect{ 50, 50, 690, 530 }));

    theShared.m_nMonitors = 0;   // nothing enumerated: every monitor command is ignored
    Command(ID_MONITOR_FIRST + 1);
    EXPECT_EQ(theShared.m_nMonitor, 0);
    EXPECT_EQ(m_pDisplay->m_nMonitorIndex, 0);
}

TEST_F(Placement, FitWithoutMonitorsUsesTheEmptyFirstEntry)
{
    ZeroMemory(theShared.m_monitors, sizeof(theShared.m_monitors));
    theShared.m_nMonitors = 0;
    Command(ID_SIZE_FIT);
    EXPECT_EQ(m_pDisplay->m_nSizeMode, 2);
    EXPECT_EQ(R(m_pDisplay->m_rcRestore), (Rect{ 50, 50, 690, 530 }));
    // The system keeps a captioned window at its minimum width, but the client area starts at the
    // origin and is far below Normal Size; the panel's area follows what the window really got.
    Rect rc = ScreenClient();
    EXPECT_EQ(rc.l, 0) << rc;
    EXPECT_EQ(rc.t, 0) << rc;
    EXPECT_LT(rc.r - rc.l, 640) << rc;
    EXPECT_LT(rc.b - rc.t, 100) << rc;
    EXPECT_EQ(Client(), (Rect{ 0, 0, rc.r - rc.l, rc.b - rc.t }));
    Command(ID_SIZE_NORMAL);
    EXPECT_EQ(ScreenClient(), (Rect{ 50, 50, 690, 530 }));
}

TEST_F(Placement, FitGivesTheWholeMonitorWhereCaptionAndBorderPassTheSystemsLimit)
{
    // Larger than the test screen, so the window with its caption and border is far beyond the system's
    // default largest tracking size.
    SetMonitorEntry(0, 1, 0, 0, 2560, 1440);
    Command(ID_SIZE_FIT);
    EXPECT_EQ(ScreenClient(), (Rect{ 0, 0, 2560, 1440 }));
    EXPECT_EQ(Client(), (Rect{ 0, 0, 2560, 1440 }));
    Command(ID_SIZE_NORMAL);
    EXPECT_EQ(ScreenClient(), (Rect{ 50, 50, 690, 530 }));
}

TEST(PlacementMonitors, EnumerationFindsAtLeastOneMonitor)
{
    CSettingsRecord rec;
    rec.EnumMonitors();
    ASSERT_GE(rec.m_nMonitors, 1);
    ASSERT_LE(rec.m_nMonitors, KV_MAX_MONITORS);
    for (int i = 0; i < rec.m_nMonitors; i++) {
        EXPECT_NE(rec.m_monitors[i].hMonitor, 0u) << i;
        EXPECT_FALSE(::IsRectEmpty(&rec.m_monitors[i].rc)) << i;
    }
    // The primary screen is among them.
    RECT rcPrimary = { 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN) };
    bool bFound = false;
    for (int i = 0; i < rec.m_nMonitors; i++)
        bFound = bFound || ::EqualRect(&rec.m_monitors[i].rc, &rcPrimary);
    EXPECT_TRUE(bFound);
    for (int i = rec.m_nMonitors; i < KV_MAX_MONITORS; i++)
        EXPECT_EQ(rec.m_monitors[i].hMonitor, 0u) << i;
}
