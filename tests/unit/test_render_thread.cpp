// Unit tests of the render thread's message protocol, with a real render thread, display window and capture.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "shared/SharedState.h"
#include "shared/KvMessages.h"
#include "display/ProThread.h"
#include "res/resource.h"

namespace {

const DWORD kDeadlineMs = 15000;   // generous: the thread opens a window and a capture device
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
// A spot of the analysis panel's value column below its last row: repainted with the background every frame.
const POINT kPanelSpot = { 290, 200 };
// A spot the panel never draws (left of the graph, below the rows): only a clear of the screen changes it.
const POINT kBareSpot = { 10, 460 };

bool WaitUntil(const std::function<bool()>& done, DWORD dwTimeout = kDeadlineMs)
{
    DWORD dwStart = ::GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (::GetTickCount() - dwStart > dwTimeout)
            return false;
        ::Sleep(10);
    }
}

// Takes one thread message of this number from the test thread's queue; wParam must match when nWant >= 0.
bool TakeMessage(UINT msg, int nWant, WPARAM* pwParam = NULL)
{
    MSG m;
    while (::PeekMessageA(&m, NULL, msg, msg, PM_REMOVE)) {
        if (pwParam)
            *pwParam = m.wParam;
        if (nWant < 0 || (int)m.wParam == nWant)
            return true;
    }
    return false;
}

void DrainAnnouncements()
{
    MSG m;
    while (::PeekMessageA(&m, NULL, WMU_PATTERN_CHANGED, WMU_ARRANGE_CHANGED, PM_REMOVE)) {
    }
    while (::PeekMessageA(&m, NULL, WMU_TOGGLE_CTRL, WMU_TOGGLE_CTRL, PM_REMOVE)) {
    }
}

BOOL CALLBACK FindThreadWindow(HWND hWnd, LPARAM lParam)
{
    if (::IsWindowVisible(hWnd)) {
        *(HWND*)lParam = hWnd;
        return FALSE;
    }
    return TRUE;
}

// A render thread that never ran: its requests meet no display.
class BareThread : public CProThread
{
public:
    // A thread message through the thread's message map: TRUE when the map took it and answered 0.
    BOOL Take(UINT msg, WPARAM wParam, LPARAM lParam)
    {
        LRESULT lr = -1;
        return ProcessWindowMessage(NULL, msg, wParam, lParam, lr) && lr == 0;
    }
};

// Starts a real render thread per test and stops it through the quit and done events.
class RenderThread : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_nSavedMonitors = theShared.m_nMonitors;
        CopyMemory(m_savedMonitors, theShared.m_monitors, sizeof(m_savedMonitors));
        ZeroMemory(theShared.m_monitors, sizeof(theShared.m_monitors));
        theShared.m_monitors[0].hMonitor = 1;
        ::SetRect(&theShared.m_monitors[0].rc, 0, 0, 1280, 1024);
        theShared.m_nMonitors = 1;
        theShared.m_evQuit.ResetEvent();
        theShared.m_evThreadDone.ResetEvent();
        DrainAnnouncements();
    }

    void TearDown() override
    {
        if (m_hKeep) {
            if (::WaitForSingleObject(m_hKeep, 0) == WAIT_TIMEOUT)
                StopThread();
            ::CloseHandle(m_hKeep);
        }
        theShared.m_evQuit.ResetEvent();
        theShared.m_evThreadDone.ResetEvent();
        DrainAnnouncements();
        theShared.m_nMonitors = m_nSavedMonitors;
        CopyMemory(theShared.m_monitors, m_savedMonitors, sizeof(m_savedMonitors));
    }

    void StartThread()
    {
        CProThread* pThread = new CProThread;
        ASSERT_TRUE(pThread->CreateThread(0, 0, NULL, &m_hKeep, &m_dwId));
        ASSERT_NE(m_hKeep, (HANDLE)NULL);
        ASSERT_TRUE(WaitUntil([this] {
            HWND h = NULL;
            ::EnumThreadWindows(m_dwId, FindThreadWindow, (LPARAM)&h);
            m_hWnd = h;
            return h != NULL;
        })) << "the render thread made no visible display window";
    }

    // Asks the thread to quit and waits for its done event and its end.
    void StopThread()
    {
        theShared.m_evQuit.SetEvent();
        EXPECT_EQ(::WaitForSingleObject(theShared.m_evThreadDone, kDeadlineMs), WAIT_OBJECT_0) << "no done event";
        EXPECT_EQ(::WaitForSingleObject(m_hKeep, kDeadlineMs), WAIT_OBJECT_0) << "the thread did not end";
    }

    void Post(UINT msg, WPARAM wParam, LPARAM lParam = 0)
    {
        ASSERT_TRUE(::PostThreadMessageA(m_dwId, msg, wParam, lParam));
    }

    std::string Title() const
    {
        WCHAR sz[64] = L"";
        ::InternalGetWindowText(m_hWnd, sz, 64);
        char szA[64] = "";
        ::WideCharToMultiByte(CP_ACP, 0, sz, -1, szA, sizeof(szA), NULL, NULL);
        return szA;
    }

    bool WaitTitle(const std::string& title)
    {
        return WaitUntil([&] { return Title() == title; });
    }

    COLORREF Pixel(POINT pt) const
    {
        HDC hdc = ::GetDC(m_hWnd);
        COLORREF cr = ::GetPixel(hdc, pt.x, pt.y);
        ::ReleaseDC(m_hWnd, hdc);
        return cr;
    }

    bool WaitPixel(POINT pt, COLORREF cr, DWORD dwTimeout = kDeadlineMs)
    {
        return WaitUntil([&] { return Pixel(pt) == cr; }, dwTimeout);
    }

    bool WaitAnnouncement(UINT msg, int nWant)
    {
        return WaitUntil([&] { return TakeMessage(msg, nWant); });
    }

    SIZE ClientSize() const
    {
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        SIZE s = { rc.right - rc.left, rc.bottom - rc.top };
        return s;
    }

    // An Arrange command that changes nothing on the screen and is answered in the test thread's queue:
    // once the answer is there, every request posted before it has been handled.
    void Sync(int nMode)
    {
        Post(WMU_FORWARD_COMMAND, ID_ARRANGE_FIRST + nMode);
        ASSERT_TRUE(WaitAnnouncement(WMU_ARRANGE_CHANGED, nMode)) << "no answer to Arrange mode " << nMode;
    }

    HANDLE m_hKeep = NULL;
    DWORD m_dwId = 0;
    HWND m_hWnd = NULL;
    int m_nSavedMonitors = 0;
    MonitorEntry m_savedMonitors[KV_MAX_MONITORS];
};

} // namespace

TEST_F(RenderThread, StartsWithADisplayAndEndsOnTheQuitEvent)
{
    StartThread();
    SIZE s = ClientSize();
    EXPECT_EQ(s.cx, 640);
    EXPECT_EQ(s.cy, 480);
    StopThread();
    EXPECT_FALSE(::IsWindow(m_hWnd));
}

TEST_F(RenderThread, SelectPatternReachesTheDisplayWithoutAnnouncement)
{
    StartThread();
    Post(WMU_SELECT_PATTERN, 3);
    ASSERT_TRUE(WaitTitle("Pattern3")) << "title " << Title();
    EXPECT_NE(::FindWindowA(NULL, "Pattern3"), (HWND)NULL);
    Sync(7);
    // A selection from the control window is not echoed back to it.
    EXPECT_FALSE(TakeMessage(WMU_PATTERN_CHANGED, -1));
    Post(WMU_SELECT_PATTERN, 17);   // no such pattern
    Post(WMU_SELECT_PATTERN, 16);
    ASSERT_TRUE(WaitTitle("Pattern16")) << "title " << Title();
    StopThread();
}

TEST_F(RenderThread, ForwardedPatternCommandIsShownAndAnnounced)
{
    StartThread();
    Post(WMU_FORWARD_COMMAND, ID_PATTERN_FIRST + 5);
    EXPECT_TRUE(WaitTitle("Pattern5")) << "title " << Title();
    EXPECT_TRUE(WaitAnnouncement(WMU_PATTERN_CHANGED, 5));
    StopThread();
}

TEST_F(RenderThread, StaticOneSecondArrangeSwitchesPatternsWhileSoundArrives)
{
    StartThread();
    Post(WMU_SELECT_PATTERN, 3);
    ASSERT_TRUE(WaitTitle("Pattern3"));
    Post(WMU_SET_ARRANGE, 5);
    // A frame is drawn per sound buffer; a second later one of them switches to another pattern.
    ASSERT_TRUE(WaitUntil([this] { return Title() != "Pattern3"; })) << "still " << Title();
    std::string title = Title();
    int nNew = atoi(title.c_str() + 7);
    EXPECT_EQ(title.compare(0, 7, "Pattern"), 0) << title;
    EXPECT_GE(nNew, 1);
    EXPECT_LE(nNew, 16);
    EXPECT_TRUE(WaitAnnouncement(WMU_PATTERN_CHANGED, -1)) << "the automatic switch was not announced";
    StopThread();
}

TEST_F(RenderThread, ForwardedArrangeCommandIsAnnounced)
{
    StartThread();
    Post(WMU_FORWARD_COMMAND, ID_ARRANGE_FIRST + 6);
    EXPECT_TRUE(WaitAnnouncement(WMU_ARRANGE_CHANGED, 6));
    StopThread();
}

TEST_F(RenderThread, ForwardedHomeKeyTurnsTheBackgroundWhiteWithoutClearing)
{
    StartThread();
    Post(WMU_SELECT_PATTERN, 0);
    ASSERT_TRUE(WaitTitle("Pattern0"));
    ASSERT_TRUE(WaitPixel(kPanelSpot, kBlack));
    ASSERT_EQ(Pixel(kBareSpot), kBlack);
    Post(WMU_FORWARD_KEY, VK_HOME, 1);
    // The next frames paint the panel on the new background, but nothing clears the rest of the screen.
    EXPECT_TRUE(WaitPixel(kPanelSpot, kWhite)) << std::hex << Pixel(kPanelSpot);
    EXPECT_EQ(Pixel(kBareSpot), kBlack);
    Post(WMU_FORWARD_KEY, VK_HOME, 1);
    EXPECT_TRUE(WaitPixel(kPanelSpot, kBlack)) << std::hex << Pixel(kPanelSpot);
    StopThread();
}

TEST_F(RenderThread, BackColourClearsTheWholeScreen)
{
    StartThread();
    Post(WMU_SELECT_PATTERN, 0);
    ASSERT_TRUE(WaitTitle("Pattern0"));
    const COLORREF crBack = RGB(0, 0, 200);
    Post(WMU_SET_BACKCOLOR, crBack);
    EXPECT_TRUE(WaitPixel(kBareSpot, crBack)) << std::hex << Pixel(kBareSpot);
    EXPECT_TRUE(WaitPixel(kPanelSpot, crBack)) << std::hex << Pixel(kPanelSpot);
    EXPECT_EQ(Pixel(POINT{ 639, 479 }), crBack);
    StopThread();
}

TEST_F(RenderThread, PlaceDisplayIgnoresUnknownMonitorsWithTheirSize)
{
    theShared.m_nMonitors = 0;
    StartThread();
    Post(WMU_PLACE_DISPLAY, 0, 1);   // no monitors at all: dropped
    Sync(6);
    SIZE s = ClientSize();
    EXPECT_EQ(s.cx, 640);
    EXPECT_EQ(s.cy, 480);

    theShared.m_nMonitors = 1;
    Post(WMU_PLACE_DISPLAY, 1, 1);   // monitor 1 of 1: dropped, Half Size with it
    Sync(7);
    s = ClientSize();
    EXPECT_EQ(s.cx, 640);
    EXPECT_EQ(s.cy, 480);

    Post(WMU_PLACE_DISPLAY, 0, 1);
    EXPECT_TRUE(WaitUntil([this] { return ClientSize().cx == 320 && ClientSize().cy == 240; }))
        << ClientSize().cx << "x" << ClientSize().cy;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    POINT pt = { 0, 0 };
    ::ClientToScreen(m_hWnd, &pt);
    EXPECT_EQ(pt.x, 50);
    EXPECT_EQ(pt.y, 50);
    StopThread();
}

TEST_F(RenderThread, PauseStopsFramesUntilResumed)
{
    StartThread();
    Post(WMU_SELECT_PATTERN, 0);
    ASSERT_TRUE(WaitTitle("Pattern0"));
    ASSERT_TRUE(WaitPixel(kPanelSpot, kBlack));
    Post(WMU_PAUSE, 1);
    Post(WMU_FORWARD_KEY, VK_HOME, 1);
    Sync(6);
    // Paused: the new background would show on the next frame, and none comes.
    ::Sleep(1000);
    EXPECT_EQ(Pixel(kPanelSpot), kBlack);
    Post(WMU_PAUSE, 0);
    EXPECT_TRUE(WaitPixel(kPanelSpot, kWhite)) << std::hex << Pixel(kPanelSpot);
    StopThread();
}

TEST_F(RenderThread, PauseFollowedAtOnceByQuitStillEnds)
{
    StartThread();
    Post(WMU_PAUSE, 1);
    StopThread();
    EXPECT_FALSE(::IsWindow(m_hWnd));
}

namespace {
// Stands between the display and its window procedure: counts the closes it gets and keeps it open.
volatile LONG g_nCloses = 0;
WNDPROC g_pfnDisplayProc = NULL;

LRESULT CALLBACK CountClosesAndStayOpen(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE) {
        ::InterlockedIncrement(&g_nCloses);
        return 0;
    }
    return ::CallWindowProcA(g_pfnDisplayProc, hWnd, msg, wParam, lParam);
}
}

TEST_F(RenderThread, TwoQuickQuitRequestsEndTheThreadOnce)
{
    StartThread();
    // With the display kept open, the loop goes on turning, and every close it posts can be counted.
    g_nCloses = 0;
    g_pfnDisplayProc = (WNDPROC)::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)CountClosesAndStayOpen);
    ASSERT_NE(g_pfnDisplayProc, (WNDPROC)NULL);
    theShared.m_evQuit.SetEvent();
    theShared.m_evQuit.SetEvent();
    ASSERT_TRUE(WaitUntil([] { return g_nCloses >= 1; })) << "no close for the quit request";
    // Round trips through the thread's queue, with idle turns and their quit checks between them.
    for (int i = 0; i < 4; i++)
        Sync(6 + i % 2);
    ::Sleep(500);
    Sync(6);
    EXPECT_EQ(g_nCloses, 1) << "one quit signal must give one close";

    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)g_pfnDisplayProc);
    StopThread();
    EXPECT_EQ(g_nCloses, 1);
    // The done event was set exactly once: taking it in StopThread left it clear.
    EXPECT_EQ(::WaitForSingleObject(theShared.m_evThreadDone, 0), (DWORD)WAIT_TIMEOUT);
    EXPECT_FALSE(::IsWindow(m_hWnd));
}

TEST(RenderThreadWithoutDisplay, RequestsAreDroppedAndPauseIsStillRecorded)
{
    int nSavedMonitors = theShared.m_nMonitors;
    theShared.m_nMonitors = 1;
    BareThread thread;
    ASSERT_EQ(thread.m_pDisplay, (CKalvora*)NULL);
    EXPECT_TRUE(thread.Take(WMU_SELECT_PATTERN, 3, 0));
    EXPECT_TRUE(thread.Take(WMU_SET_ARRANGE, 5, 0));
    EXPECT_TRUE(thread.Take(WMU_FORWARD_KEY, VK_HOME, 1));
    EXPECT_TRUE(thread.Take(WMU_PLACE_DISPLAY, 0, 1));
    EXPECT_TRUE(thread.Take(WMU_SET_BACKCOLOR, 0xFFFFFF, 0));
    EXPECT_TRUE(thread.Take(WMU_FORWARD_COMMAND, ID_PATTERN_FIRST + 5, 0));
    EXPECT_TRUE(thread.Take(WMU_SET_INPUT, 1, 0));
    EXPECT_TRUE(thread.Take(WMU_SET_SENSITIVITY, 2, 0));
    EXPECT_FALSE(thread.Take(WMU_PATTERN_CHANGED, 3, 0)) << "not a request the thread takes";
    EXPECT_TRUE(thread.Take(WMU_PAUSE, 1, 0));
    EXPECT_TRUE(thread.m_bPaused);
    EXPECT_TRUE(thread.Take(WMU_PAUSE, 0, 0));
    EXPECT_FALSE(thread.m_bPaused);
    EXPECT_FALSE(TakeMessage(WMU_PATTERN_CHANGED, -1));
    theShared.m_nMonitors = nSavedMonitors;
}
