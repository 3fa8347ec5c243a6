// Unit tests of the control window: button geometry and hit tests, set-up, menu, clicks and the painted panel.
#include "AppStateGuard.h"
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel/CtrlWindow.h"
#include "shared/SharedState.h"
#include "core/ArrangeDefaults.h"
#include "display/RenderLink.h"
#include "shared/KvMessages.h"
#include "display/ProThread.h"
#include "res/resource.h"

namespace {

RECT Rect(int left, int top, int width, int height)
{
    RECT rc = { left, top, left + width, top + height };
    return rc;
}

// The panel's layout as a user sees it, written out independently of the window's own arithmetic.
RECT ExpectedPatternRect(int i)
{
    if (i == 0)
        return Rect(10, 40, 33, 33);
    return Rect(50 + 33 * ((i - 1) % 8), 40 + 33 * ((i - 1) / 8), 33, 33);
}

RECT ExpectedArrangeRect(int j)
{
    if (j == 0)
        return Rect(330, 40, 49, 33);
    return Rect(390 + 49 * ((j - 1) % 4), 40 + 33 * ((j - 1) / 4), 49, 33);
}

bool Inside(const RECT& rc, int x, int y)
{
    return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom;
}

int ExpectedPatternAt(int x, int y)
{
    for (int i = 0; i < KV_PATTERN_COUNT; i++)
        if (Inside(ExpectedPatternRect(i), x, y))
            return i;
    return -1;
}

int ExpectedArrangeAt(int x, int y)
{
    for (int j = 0; j < KV_ARRANGE_COUNT; j++)
        if (Inside(ExpectedArrangeRect(j), x, y))
            return j;
    return -1;
}

// Every rectangle edge with its neighbours, so each boundary is probed from both sides.
std::vector<int> EdgeProbes(bool bX)
{
    std::vector<int> v = { 0, 599 };
    auto add = [&v](const RECT& rc, bool bHorizontal) {
        int a = bHorizontal ? rc.left : rc.top;
        int b = bHorizontal ? rc.right : rc.bottom;
        for (int d = -1; d <= 1; d++) {
            v.push_back(a + d);
            v.push_back(b + d);
        }
        v.push_back((a + b) / 2);
    };
    for (int i = 0; i < KV_PATTERN_COUNT; i++)
        add(ExpectedPatternRect(i), bX);
    for (int j = 0; j < KV_ARRANGE_COUNT; j++)
        add(ExpectedArrangeRect(j), bX);
    return v;
}

POINT Pt(int x, int y)
{
    POINT pt = { x, y };
    return pt;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return ::EqualRect(&a, &b) != FALSE;
}

std::string Describe(const RECT& rc)
{
    char sz[64];
    wsprintfA(sz, "(%ld,%ld,%ld,%ld)", rc.left, rc.top, rc.right, rc.bottom);
    return sz;
}

} // namespace

// ---- Geometry -------------------------------------------------------------------------------

TEST(CtrlPanelGeometry, ButtonRectanglesFollowThePanelLayout)
{
    for (int i = 0; i < KV_PATTERN_COUNT; i++) {
        RECT rc = CCtrlWindow::PatternButtonRect(i);
        EXPECT_TRUE(SameRect(rc, ExpectedPatternRect(i)))
            << "pattern " << i << " " << Describe(rc);
    }
    for (int j = 0; j < KV_ARRANGE_COUNT; j++) {
        RECT rc = CCtrlWindow::ArrangeButtonRect(j);
        EXPECT_TRUE(SameRect(rc, ExpectedArrangeRect(j)))
            << "arrange " << j << " " << Describe(rc);
    }
    // Landmarks: the last buttons of each row.
    EXPECT_TRUE(SameRect(CCtrlWindow::PatternButtonRect(8), Rect(281, 40, 33, 33)));
    EXPECT_TRUE(SameRect(CCtrlWindow::PatternButtonRect(16), Rect(281, 73, 33, 33)));
    EXPECT_TRUE(SameRect(CCtrlWindow::ArrangeButtonRect(4), Rect(537, 40, 49, 33)));
    EXPECT_TRUE(SameRect(CCtrlWindow::ArrangeButtonRect(8), Rect(537, 73, 49, 33)));
}

TEST(CtrlPanelGeometry, HitTestsAgreeOnEveryEdge)
{
    std::vector<int> xs = EdgeProbes(true);
    std::vector<int> ys = EdgeProbes(false);
    for (int x : xs) {
        for (int y : ys) {
            ASSERT_EQ(CCtrlWindow::PatternAt(Pt(x, y)), ExpectedPatternAt(x, y)) << x << "," << y;
            ASSERT_EQ(CCtrlWindow::ArrangeAt(Pt(x, y)), ExpectedArrangeAt(x, y)) << x << "," << y;
        }
    }
}

TEST(CtrlPanelGeometry, LeftAndTopEdgesAreInsideRightAndBottomOutside)
{
    EXPECT_EQ(CCtrlWindow::PatternAt(Pt(10, 40)), 0);
    EXPECT_EQ(CCtrlWindow::PatternAt(Pt(42, 72)), 0);
    EXPECT_EQ(CCtrlWindow::PatternAt(Pt(43, 40)), -1);
    EXPECT_EQ(CCtrlWindow::PatternAt(Pt(50, 40)), 1);
    EXPECT_EQ(CCtrlWindow::PatternAt(Pt(83, 40)), 2);
    EXPECT_EQ(CCtrlWindow::PatternAt(Pt(82, 72)), 1);
    EXPECT_EQ(CCtrlWindow::PatternAt(Pt(50, 73)), 9);
    EXPECT_EQ(CCtrlWindow::PatternAt(Pt(313, 105)), 16);
    EXPECT_EQ(CCtrlWindow::ArrangeAt(Pt(330, 40)), 0);
    EXPECT_EQ(CCtrlWindow::ArrangeAt(Pt(378, 72)), 0);
    EXPECT_EQ(CCtrlWindow::ArrangeAt(Pt(390, 40)), 1);
    EXPECT_EQ(CCtrlWindow::ArrangeAt(Pt(439, 40)), 2);
    EXPECT_EQ(CCtrlWindow::ArrangeAt(Pt(390, 73)), 5);
    EXPECT_EQ(CCtrlWindow::ArrangeAt(Pt(585, 105)), 8);
}

TEST(CtrlPanelGeometry, GapsAndMarginsHitNothing)
{
    struct Span { int x0, x1, y0, y1; };
    const Span gaps[] = {
        { 43, 49, 40, 105 },    // between pattern 0 and pattern 1
        { 10, 49, 73, 105 },    // below pattern 0
        { 314, 329, 40, 105 },  // between the pattern block and Arrange None
        { 379, 389, 40, 105 },  // between Arrange None and mode 1
        { 330, 389, 73, 105 },  // below Arrange None
        { 586, 599, 40, 105 },  // right of the Arrange block
        { 0, 599, 106, 169 },   // below both blocks
        { 0, 599, 0, 39 },      // the header bar
        { 0, 9, 40, 105 },      // left margin
    };
    for (const Span& g : gaps) {
        for (int x = g.x0; x <= g.x1; x += (x == g.x1 || g.x1 - g.x0 < 16) ? 1 : 7) {
            for (int y = g.y0; y <= g.y1; y += (y == g.y1 || g.y1 - g.y0 < 16) ? 1 : 5) {
                ASSERT_EQ(CCtrlWindow::PatternAt(Pt(x, y)), -1) << x << "," << y;
                ASSERT_EQ(CCtrlWindow::ArrangeAt(Pt(x, y)), -1) << x << "," << y;
            }
            ASSERT_EQ(CCtrlWindow::PatternAt(Pt(x, g.y1)), -1) << x << "," << g.y1;
            ASSERT_EQ(CCtrlWindow::ArrangeAt(Pt(x, g.y1)), -1) << x << "," << g.y1;
        }
    }
}

// ---- The real window ------------------------------------------------------------------------

namespace {

// One message the control window posted to the render thread.
struct Post {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::string input;   // the settings text of the input a WMU_SET_INPUT carries
    bool operator==(const Post& o) const
    {
        return msg == o.msg && wParam == o.wParam && lParam == o.lParam && input == o.input;
    }
};

std::ostream& operator<<(std::ostream& os, const Post& p)
{
    return os << "{WM_USER+" << (p.msg - WM_USER) << ", " << p.wParam << ", " << p.lParam << ", '" << p.input << "'}";
}

typedef std::vector<Post> Posts;

// Stands in for the render thread: keeps every thread message posted to it, in order, and hands them
// over on request. It deletes itself when the control window stops it.
class CPostRecorder : public CProThread
{
public:
    CPostRecorder() : m_hHanded(::CreateEventA(NULL, FALSE, FALSE, NULL)) {}
    ~CPostRecorder() override { ::CloseHandle(m_hHanded); }

    BOOL InitInstance() override { return TRUE; }

    // Waits for messages until the quit event, which it takes as the real thread would.
    int Run() override
    {
        HANDLE hQuit = theShared.m_evQuit;
        while (::MsgWaitForMultipleObjects(1, &hQuit, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG msg;
            while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
                Keep(msg);
        }
        return ExitInstance();
    }

    // Everything posted since the last call. A marker posted last tells when all of it has arrived.
    Posts Take()
    {
        if (!::PostThreadMessageA(m_nThreadID, kMarker, 0, 0) || ::WaitForSingleObject(m_hHanded, 10000) != WAIT_OBJECT_0)
            ADD_FAILURE() << "the recorder did not answer";
        return m_handed;   // written by the recorder before it set the event
    }

private:
    static const UINT kMarker = WM_APP + 0x77;

    void Keep(const MSG& msg)
    {
        if (msg.message == WMU_SET_INPUT) {
            CInputName* pInput = (CInputName*)msg.lParam;   // the render thread's to delete
            m_kept.push_back({ msg.message, msg.wParam, 0, (LPCSTR)pInput->ToText() });
            delete pInput;
            return;
        }
        if (msg.message != kMarker) {
            m_kept.push_back({ msg.message, msg.wParam, msg.lParam });
            return;
        }
        m_handed.swap(m_kept);
        m_kept.clear();
        ::SetEvent(m_hHanded);
    }

    HANDLE m_hHanded;
    Posts m_kept;
    Posts m_handed;
};

class CtrlWindowTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (m_pWnd && ::IsWindow(m_hWnd))
            m_pWnd->DestroyWindow();   // the frame deletes itself and stops the recorder
        theRenderLink.Stop();
    }

    // A control window as the start-up makes it, with a recorder where the render thread would be.
    CCtrlWindow* Open(int nMonitors)
    {
        theShared.m_nMonitors = nMonitors;
        m_pWnd = new CCtrlWindow;
        if (!m_pWnd->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW)) {
            m_pWnd = NULL;
            return NULL;
        }
        m_hWnd = m_pWnd->m_hWnd;
        MSG msg;
        while (::PeekMessageA(&msg, m_hWnd, WMU_START_DISPLAY, WMU_START_DISPLAY, PM_REMOVE)) {
        }
        m_pRecorder = new CPostRecorder;
        if (!theRenderLink.Start(m_pRecorder))
            return NULL;
        return m_pWnd;
    }

    void Click(UINT msg, int x, int y)
    {
        ::SendMessageA(m_hWnd, msg, 0, MAKELPARAM(x, y));
    }

    void Command(UINT nID)
    {
        ::SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(nID, 1), 0);   // as an accelerator sends it
    }

    Posts Posted() { return m_pRecorder->Take(); }

    HMENU WindowMenu() const
    {
        return ::GetSubMenu(::GetMenu(m_hWnd), 4);   // File, Pattern, Arrange, Sound, Window
    }

    AppStateGuard m_appState;
    CCtrlWindow* m_pWnd = NULL;
    HWND m_hWnd = NULL;
    CPostRecorder* m_pRecorder = NULL;
};

const Posts kNothing;

Post Pattern(int i) { return { WMU_SELECT_PATTERN, (WPARAM)i, 0 }; }
Post Arrange(int j) { return { WMU_SET_ARRANGE, (WPARAM)j, 0 }; }
Post Place(int nMonitor, int nSize) { return { WMU_PLACE_DISPLAY, (WPARAM)nMonitor, (LPARAM)nSize }; }

// Reads 33-pixel-high blocks of a bitmap resource for comparison with the screen.
class ResourceBitmap
{
public:
    explicit ResourceBitmap(UINT nID)
    {
        m_hBitmap = ::LoadBitmapA(::GetModuleHandleA(NULL), MAKEINTRESOURCEA(nID));
        m_hDC = ::CreateCompatibleDC(NULL);
        m_hOld = m_hBitmap ? ::SelectObject(m_hDC, m_hBitmap) : NULL;
    }
    ~ResourceBitmap()
    {
        if (m_hOld)
            ::SelectObject(m_hDC, m_hOld);
        ::DeleteDC(m_hDC);
        if (m_hBitmap)
            ::DeleteObject(m_hBitmap);
    }
    bool Loaded() const { return m_hBitmap != NULL; }
    COLORREF At(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

private:
    HBITMAP m_hBitmap;
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// Number of pixels of the w x h block at (x, y) in the window's client area that differ from
// the block at (sx, sy) of the source bitmap.
int CountDifferences(HDC hWindowDC, int x, int y, const ResourceBitmap& src, int sx, int sy,
                     int w, int h)
{
    int n = 0;
    for (int dy = 0; dy < h; dy++)
        for (int dx = 0; dx < w; dx++)
            if (::GetPixel(hWindowDC, x + dx, y + dy) != src.At(sx + dx, sy + dy))
                n++;
    return n;
}

int CountDifferences(const ResourceBitmap& a, int ax, int ay, int bx, int by, int w, int h)
{
    int n = 0;
    for (int dy = 0; dy < h; dy++)
        for (int dx = 0; dx < w; dx++)
            if (a.At(ax + dx, ay + dy) != a.At(bx + dx, by + dy))
                n++;
    return n;
}

} // namespace

TEST_F(CtrlWindowTest, SetUpSizesTheClientToThePanelAndNamesTheWindow)
{
    ASSERT_NE(Open(1), nullptr);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    EXPECT_EQ(rc.right - rc.left, 600);
    EXPECT_EQ(rc.bottom - rc.top, 170);
    char szTitle[64] = "";
    ::GetWindowTextA(m_hWnd, szTitle, sizeof(szTitle));
    EXPECT_STREQ(szTitle, "Kalvora");
    LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
    EXPECT_EQ(style & WS_THICKFRAME, 0) << "the panel cannot be resized";
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
    EXPECT_EQ(::GetMenuItemCount(::GetMenu(m_hWnd)), 5);   // File, Pattern, Arrange, Sound, Window
    EXPECT_EQ(m_pWnd->m_nCurPattern, 0);
    EXPECT_EQ(m_pWnd->m_nCurArrange, 0);
}

TEST_F(CtrlWindowTest, OneMonitorGreysTheMonitorSubmenu)
{
    ASSERT_NE(Open(1), nullptr);
    HMENU hWindow = WindowMenu();
    ASSERT_NE(hWindow, (HMENU)NULL);
    HMENU hMonitors = ::GetSubMenu(hWindow, 5);
    ASSERT_NE(hMonitors, (HMENU)NULL) << "position 5 holds the monitor submenu";
    EXPECT_EQ(::GetMenuItemID(hMonitors, 0), (UINT)ID_MONITOR_FIRST);
    EXPECT_NE(::GetMenuState(hWindow, 5, MF_BYPOSITION) & MF_GRAYED, 0u);
    EXPECT_EQ(::GetMenuItemCount(hMonitors), 5) << "nothing is removed, only greyed";
}

TEST_F(CtrlWindowTest, MonitorItemsBeyondTheCountAreRemoved)
{
    const struct { int monitors; int items; } cases[] = { { 2, 2 }, { 3, 3 }, { 4, 4 }, { 5, 5 }, { 6, 5 } };
    for (const auto& c : cases) {
        ASSERT_NE(Open(c.monitors), nullptr);
        HMENU hWindow = WindowMenu();
        HMENU hMonitors = ::GetSubMenu(hWindow, 5);
        ASSERT_NE(hMonitors, (HMENU)NULL);
        EXPECT_EQ(::GetMenuState(hWindow, 5, MF_BYPOSITION) & MF_GRAYED, 0u) << c.monitors;
        EXPECT_EQ(::GetMenuItemCount(hMonitors), c.items) << c.monitors;
        for (int n = 0; n < KV_MAX_MONITORS; n++) {
            UINT state = ::GetMenuState(hMonitors, ID_MONITOR_FIRST + n, MF_BYCOMMAND);
            if (n < c.items)
                EXPECT_NE(state, (UINT)-1) << c.monitors << " monitors, item " << n;
            else
                EXPECT_EQ(state, (UINT)-1) << c.monitors << " monitors, item " << n;
        }
        m_pWnd->DestroyWindow();
        m_pWnd = NULL;
    }
}

TEST_F(CtrlWindowTest, LeftClicksSelectPatternsAndModes)
{
    ASSERT_NE(Open(1), nullptr);
    Click(WM_LBUTTONDOWN, 440, 80);   // Arrange 6, "Static 5sec"
    EXPECT_EQ(m_pWnd->m_nCurArrange, 6);
    EXPECT_EQ(m_pWnd->m_nCurPattern, 0);
    EXPECT_EQ(Posted(), Posts({ Arrange(6) }));

    Click(WM_LBUTTONDOWN, 150, 90);   // pattern 12
    EXPECT_EQ(m_pWnd->m_nCurPattern, 12);
    EXPECT_EQ(m_pWnd->m_nCurArrange, 0) << "choosing a pattern switches Arrange off";
    EXPECT_EQ(Posted(), Posts({ Pattern(12), Arrange(0) }));

    Click(WM_LBUTTONDOWN, 340, 50);   // Arrange None
    EXPECT_EQ(m_pWnd->m_nCurArrange, 0);
    Click(WM_LBUTTONDOWN, 585, 105);  // Arrange 8, bottom right pixel
    EXPECT_EQ(m_pWnd->m_nCurArrange, 8);
    EXPECT_EQ(m_pWnd->m_nCurPattern, 12);
    EXPECT_EQ(Posted(), Posts({ Arrange(0), Arrange(8) }));

    Click(WM_LBUTTONDOWN, 12, 42);    // pattern 0
    Click(WM_LBUTTONDOWN, 12, 42);    // the current pattern again: posted again all the same
    EXPECT_EQ(m_pWnd->m_nCurPattern, 0);
    EXPECT_EQ(m_pWnd->m_nCurArrange, 0);
    EXPECT_EQ(Posted(), Posts({ Pattern(0), Arrange(0), Pattern(0), Arrange(0) }));
}

TEST_F(CtrlWindowTest, ClicksBetweenButtonsChangeNothing)
{
    ASSERT_NE(Open(1), nullptr);
    Click(WM_LBUTTONDOWN, 60, 50);    // pattern 1
    Click(WM_LBUTTONDOWN, 400, 50);   // Arrange 1
    ASSERT_EQ(m_pWnd->m_nCurPattern, 1);
    ASSERT_EQ(m_pWnd->m_nCurArrange, 1);
    ASSERT_EQ(Posted(), Posts({ Pattern(1), Arrange(0), Arrange(1) }));
    const POINT misses[] = { { 45, 50 }, { 320, 50 }, { 385, 50 }, { 200, 120 }, { 200, 20 },
                             { 20, 90 }, { 350, 90 }, { 590, 60 } };
    for (const POINT& pt : misses) {
        Click(WM_LBUTTONDOWN, pt.x, pt.y);
        Click(WM_RBUTTONDOWN, pt.x, pt.y);
        EXPECT_EQ(m_pWnd->m_nCurPattern, 1) << pt.x << "," << pt.y;
        EXPECT_EQ(m_pWnd->m_nCurArrange, 1) << pt.x << "," << pt.y;
    }
    for (int i = 0; i < KV_PATTERN_COUNT; i++)
        EXPECT_EQ(theShared.m_nPatternEnable[i], 0) << i;
    EXPECT_EQ(Posted(), kNothing);
}

TEST_F(CtrlWindowTest, RightClicksToggleTheMarkOfThePatternOnly)
{
    ASSERT_NE(Open(1), nullptr);
    Click(WM_RBUTTONDOWN, 290, 100);  // pattern 16
    EXPECT_EQ(theShared.m_nPatternEnable[16], 1);
    Click(WM_RBUTTONDOWN, 20, 50);    // pattern 0 can be marked too
    EXPECT_EQ(theShared.m_nPatternEnable[0], 1);
    for (int i = 1; i < 16; i++)
        EXPECT_EQ(theShared.m_nPatternEnable[i], 0) << i;
    EXPECT_EQ(m_pWnd->m_nCurPattern, 0) << "marking does not select";
    Click(WM_RBUTTONDOWN, 281, 73);
    EXPECT_EQ(theShared.m_nPatternEnable[16], 0);
    Click(WM_RBUTTONDOWN, 400, 50);   // an Arrange button has no mark
    for (int i = 1; i < KV_PATTERN_COUNT; i++)
        EXPECT_EQ(theShared.m_nPatternEnable[i], 0) << i;
    EXPECT_EQ(Posted(), kNothing) << "the scheduler reads the marks itself";
}

TEST_F(CtrlWindowTest, DisplayReportsUpdateTheShownState)
{
    ASSERT_NE(Open(1), nullptr);
    Click(WM_LBUTTONDOWN, 400, 80);   // Arrange 5
    ::SendMessageA(m_hWnd, WMU_PATTERN_CHANGED, 9, 0);
    EXPECT_EQ(m_pWnd->m_nCurPattern, 9);
    EXPECT_EQ(m_pWnd->m_nCurArrange, 5) << "an automatic switch leaves Arrange alone";
    ::SendMessageA(m_hWnd, WMU_ARRANGE_CHANGED, 3, 0);
    EXPECT_EQ(m_pWnd->m_nCurArrange, 3);
    EXPECT_EQ(m_pWnd->m_nCurPattern, 9);
    EXPECT_EQ(Posted(), Posts({ Arrange(5) })) << "reports are not sent back to the display";
}

TEST_F(CtrlWindowTest, PanelPaintsCurrentMarkedAndNormalButtons)
{
    ResourceBitmap icons(IDB_PATTERN_ICONS);
    ResourceBitmap buttons(IDB_ARRANGE_BUTTONS);
    ASSERT_TRUE(icons.Loaded());
    ASSERT_TRUE(buttons.Loaded());
    // The rows must differ, or the comparison below could not tell them apart.
    ASSERT_GT(CountDifferences(icons, 33 * 5, 0, 33 * 5, 33, 33, 33), 0);
    ASSERT_GT(CountDifferences(icons, 33 * 7, 0, 33 * 7, 66, 33, 33), 0);
    ASSERT_GT(CountDifferences(buttons, 49 * 2, 0, 49 * 2, 33, 49, 33), 0);

    ASSERT_NE(Open(1), nullptr);
    Click(WM_LBUTTONDOWN, 190, 50);   // pattern 5 current
    Click(WM_LBUTTONDOWN, 450, 50);   // Arrange 2 selected
    Click(WM_RBUTTONDOWN, 250, 50);   // pattern 7 marked
    Click(WM_RBUTTONDOWN, 190, 50);   // pattern 5 marked as well: current wins
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::InvalidateRect(m_hWnd, NULL, FALSE);
    ::UpdateWindow(m_hWnd);

    HDC hDC = ::GetDC(m_hWnd);
    ASSERT_NE(hDC, (HDC)NULL);
    RECT rc5 = ExpectedPatternRect(5), rc7 = ExpectedPatternRect(7), rc6 = ExpectedPatternRect(6);
    RECT rcA2 = ExpectedArrangeRect(2), rcA3 = ExpectedArrangeRect(3);
    EXPECT_EQ(CountDifferences(hDC, rc5.left, rc5.top, icons, 33 * 5, 33, 33, 33), 0) << "current";
    EXPECT_EQ(CountDifferences(hDC, rc7.left, rc7.top, icons, 33 * 7, 66, 33, 33), 0) << "marked";
    EXPECT_EQ(CountDifferences(hDC, rc6.left, rc6.top, icons, 33 * 6, 0, 33, 33), 0) << "normal";
    EXPECT_EQ(CountDifferences(hDC, rcA2.left, rcA2.top, buttons, 49 * 2, 33, 49, 33), 0)
        << "selected mode";
    EXPECT_EQ(CountDifferences(hDC, rcA3.left, rcA3.top, buttons, 49 * 3, 0, 49, 33), 0)
        << "other mode";

    // A report from the display repaints the new current button.
    ::SendMessageA(m_hWnd, WMU_PATTERN_CHANGED, 6, 0);
    ::UpdateWindow(m_hWnd);
    EXPECT_EQ(CountDifferences(hDC, rc6.left, rc6.top, icons, 33 * 6, 33, 33, 33), 0);
    EXPECT_EQ(CountDifferences(hDC, rc5.left, rc5.top, icons, 33 * 5, 66, 33, 33), 0);
    ::ReleaseDC(m_hWnd, hDC);
}

TEST_F(CtrlWindowTest, MonitorAndSizeCommandsPlaceTheDisplayOnlyWhenSomethingChanges)
{
    theShared.m_nMonitor = 0;
    theShared.m_nWindowSize = 0;
    ASSERT_NE(Open(1), nullptr);
    // One monitor: Shift+Ctrl+2 to 5 name monitors that don't exist, and the display would refuse them.
    for (int n = 1; n < KV_MAX_MONITORS; n++)
        Command(ID_MONITOR_FIRST + n);
    EXPECT_EQ(theShared.m_nMonitor, 0);
    Command(ID_MONITOR_FIRST);        // the monitor already set
    Command(ID_SIZE_NORMAL);          // the size already set
    EXPECT_EQ(Posted(), kNothing);
    // Window sizes still reach the display afterwards.
    Command(ID_SIZE_HALF);
    Command(ID_SIZE_HALF);
    Command(ID_SIZE_FIT);
    EXPECT_EQ(theShared.m_nWindowSize, 2);
    EXPECT_EQ(Posted(), Posts({ Place(0, 1), Place(0, 2) }));
    m_pWnd->DestroyWindow();

    ASSERT_NE(Open(2), nullptr);
    Command(ID_MONITOR_FIRST + 1);
    Command(ID_MONITOR_FIRST + 2);
    Command(ID_SIZE_NONE);
    EXPECT_EQ(theShared.m_nMonitor, 1);
    EXPECT_EQ(Posted(), Posts({ Place(1, 2), Place(1, -1) }));
}

// The Sound menu lists the default, then every input by the system's name, made afresh at each opening; a choice
// keeps the name for the settings file and tells the render thread the device number; the step keys go round.
TEST_F(CtrlWindowTest, SoundMenuListsTheInputsAndChoicesReachTheRenderThread)
{
    ASSERT_NE(Open(1), nullptr);
    HMENU hSound = ::GetSubMenu(::GetMenu(m_hWnd), 3);
    ASSERT_NE(hSound, (HMENU)NULL);
    const int nItemsBefore = ::GetMenuItemCount(hSound);
    for (int nOpening = 0; nOpening < 2; nOpening++)
        ::SendMessageA(m_hWnd, WM_INITMENUPOPUP, (WPARAM)hSound, 3);
    const UINT nDevices = ::waveInGetNumDevs();
    ASSERT_GE(nDevices, 1u) << "the test's sound server offers inputs";
    EXPECT_EQ(::GetMenuItemCount(hSound), nItemsBefore + (int)nDevices) << "listed once, however often opened";
    char szText[64] = "";
    ::GetMenuStringA(hSound, 0, szText, sizeof(szText), MF_BYPOSITION);
    EXPECT_STREQ(szText, "Default Device");
    EXPECT_NE(::GetMenuState(hSound, ID_INPUT_DEFAULT, MF_BYCOMMAND) & MF_CHECKED, 0u) << "a fresh start";
    for (UINT n = 0; n < nDevices; n++) {
        WAVEINCAPSA caps = {};
        ASSERT_EQ(::waveInGetDevCapsA(n, &caps, sizeof(caps)), (MMRESULT)MMSYSERR_NOERROR);
        ::GetMenuStringA(hSound, 1 + n, szText, sizeof(szText), MF_BYPOSITION);
        EXPECT_STREQ(szText, caps.szPname) << "device " << n;
        EXPECT_EQ(::GetMenuItemID(hSound, 1 + n), ID_INPUT_FIRST + n);
    }

    // What the computer plays comes after the devices; Wine cannot record its output, so there it is greyed and
    // the step key passes it by.
    EXPECT_EQ(::GetMenuItemID(hSound, 1 + nDevices), (UINT)ID_INPUT_LOOPBACK);
    if (::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != NULL)
        EXPECT_NE(::GetMenuState(hSound, ID_INPUT_LOOPBACK, MF_BYCOMMAND) & MF_GRAYED, 0u);

    const UINT nLast = nDevices - 1;
    WAVEINCAPSA caps = {};
    ::waveInGetDevCapsA(nLast, &caps, sizeof(caps));
    Command(ID_INPUT_FIRST + nLast);
    EXPECT_STREQ((LPCSTR)theShared.m_input.GetName(), caps.szPname);
    const std::string strSaved = (LPCSTR)theShared.m_input.ToText();
    Command(ID_NEXT_INPUT);   // from the last device back round to the default
    EXPECT_TRUE(theShared.m_input == CInputName::Default());
    EXPECT_EQ(Posted(), Posts({ { WMU_SET_INPUT, 0, 0, strSaved }, { WMU_SET_INPUT, 0, 0, "" } }));

    // Sensitivity x1 on a fresh start; x8, then the step key: Auto, then x1 again.
    EXPECT_NE(::GetMenuState(hSound, ID_SENSITIVITY_FIRST, MF_BYCOMMAND) & MF_CHECKED, 0u);
    Command(ID_SENSITIVITY_FIRST + 3);
    Command(ID_NEXT_SENSITIVITY);
    Command(ID_NEXT_SENSITIVITY);
    EXPECT_EQ(Posted(), Posts({ { WMU_SET_SENSITIVITY, 8, 0 }, { WMU_SET_SENSITIVITY, 0, 0 },
                                { WMU_SET_SENSITIVITY, 1, 0 } }));
}
