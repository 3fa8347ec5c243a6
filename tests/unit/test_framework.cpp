// Framework layer: thread messages survive modal loops, and frames delete themselves only after their last message.
#include <gtest/gtest.h>
#include <afxwin.h>
#include "app/AboutDlg.h"

namespace {

const UINT WM_PROBE = WM_APP + 101;

// A thread that opens a modal loop and has a thread message posted to itself while it is up.
class CModalProbeThread : public CWinThread
{
public:
    enum Kind { kMessageBox, kDialog, kMenu };
    explicit CModalProbeThread(Kind kind) : m_kind(kind) { m_bAutoDelete = FALSE; }

    BOOL InitInstance() override
    {
        c_pCurrent = this;
        ::SetTimer(NULL, 0, 50, OnTick);
        m_bInModal = TRUE;
        if (m_kind == kMessageBox) {
            ::MessageBoxA(NULL, "probe", "probe", MB_OK);
        } else if (m_kind == kMenu) {
            HWND hOwner = ::CreateWindowA("STATIC", "menu owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL, NULL,
                                          NULL, NULL);
            HMENU hMenu = ::CreatePopupMenu();
            ::AppendMenuA(hMenu, MF_STRING, 1, "item");
            ::SetForegroundWindow(hOwner);
            ::TrackPopupMenu(hMenu, TPM_RETURNCMD, 10, 10, 0, hOwner, NULL);
            ::DestroyMenu(hMenu);
            ::DestroyWindow(hOwner);
        } else {
            CAboutDlg dlg;
            dlg.DoModal();
        }
        m_bInModal = FALSE;
        return FALSE;
    }

    LRESULT OnProbe(WPARAM wParam, LPARAM)
    {
        m_nProbes++;
        m_bSeenInModal = m_bSeenInModal || m_bInModal;
        m_nLastValue = (int)wParam;
        return 0;
    }

    DECLARE_MESSAGE_MAP()

    Kind m_kind;
    volatile BOOL m_bInModal = FALSE;
    volatile BOOL m_bSeenInModal = FALSE;
    volatile int m_nProbes = 0;
    volatile int m_nLastValue = 0;
    int m_nTicks = 0;

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
    {
        CModalProbeThread* pThis = c_pCurrent;
        ++pThis->m_nTicks;
        if (pThis->m_nTicks == 2)
            ::PostThreadMessageA(::GetCurrentThreadId(), WM_PROBE, 42, 0);
        if (pThis->m_nTicks >= 6 && pThis->m_kind == kMenu) {
            ::EndMenu();
        } else if (pThis->m_nTicks >= 6) {
            // Close whatever modal window this thread has up.
            HWND hBox = ::GetActiveWindow();
            if (hBox)
                ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        }
    }
    static thread_local CModalProbeThread* c_pCurrent;
};

thread_local CModalProbeThread* CModalProbeThread::c_pCurrent = nullptr;

BEGIN_MESSAGE_MAP(CModalProbeThread, CWinThread)
    ON_THREAD_MESSAGE(WM_PROBE, OnProbe)
END_MESSAGE_MAP()

void RunProbe(CModalProbeThread& thread)
{
    HANDLE hKeep = NULL;
    ASSERT_TRUE(thread.CreateThread(0, 0, NULL, &hKeep, NULL));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hKeep, 20000)) << "modal loop never closed";
    ::CloseHandle(hKeep);
}

TEST(FrameworkModalLoops, ThreadMessageReachesTheMapWhileAMessageBoxIsUp)
{
    CModalProbeThread thread(CModalProbeThread::kMessageBox);
    RunProbe(thread);
    EXPECT_EQ(1, thread.m_nProbes);
    EXPECT_TRUE(thread.m_bSeenInModal);
    EXPECT_EQ(42, thread.m_nLastValue);
}

TEST(FrameworkModalLoops, ThreadMessageReachesTheMapWhileADialogIsUp)
{
    CModalProbeThread thread(CModalProbeThread::kDialog);
    RunProbe(thread);
    EXPECT_EQ(1, thread.m_nProbes);
    EXPECT_TRUE(thread.m_bSeenInModal);
}

// A frame that destroys itself from inside one of its own handlers and then still uses itself.
class CSelfClosingFrame : public CFrameWnd
{
public:
    ~CSelfClosingFrame() override { c_nDeleted++; }

    void OnClose()
    {
        DestroyWindow();
        // Still inside the outermost message: the object must be alive here.
        m_nAfterDestroy = c_nDeleted;
        c_nAliveAfterDestroy = m_nAfterDestroy + 1;
    }

    DECLARE_MESSAGE_MAP()

    int m_nAfterDestroy = -1;
    static int c_nDeleted;
    static int c_nAliveAfterDestroy;
};

int CSelfClosingFrame::c_nDeleted = 0;
int CSelfClosingFrame::c_nAliveAfterDestroy = 0;


BEGIN_MESSAGE_MAP(CSelfClosingFrame, CFrameWnd)
    if (uMsg == WM_CLOSE) { OnClose(); lResult = 0; return TRUE; }
END_MESSAGE_MAP()

TEST(FrameworkModalLoops, ThreadMessageReachesTheMapWhileAMenuIsTracked)
{
    CModalProbeThread thread(CModalProbeThread::kMenu);
    RunProbe(thread);
    EXPECT_EQ(1, thread.m_nProbes);
    EXPECT_TRUE(thread.m_bSeenInModal);
}

TEST(FrameworkWindows, FrameDeletesItselfOnlyAfterTheOutermostMessage)
{
    CSelfClosingFrame::c_nDeleted = 0;
    CSelfClosingFrame::c_nAliveAfterDestroy = 0;
    CSelfClosingFrame* pFrame = new CSelfClosingFrame;
    RECT rc = { 0, 0, 200, 100 };
    ASSERT_TRUE(pFrame->Create(NULL, "self-closing", WS_OVERLAPPEDWINDOW, rc));
    HWND hWnd = pFrame->m_hWnd;
    ::SendMessageA(hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, CSelfClosingFrame::c_nAliveAfterDestroy) << "deleted before its handler returned";
    EXPECT_EQ(1, CSelfClosingFrame::c_nDeleted) << "not deleted after the window went";
    EXPECT_FALSE(::IsWindow(hWnd));
}

TEST(FrameworkWindows, DestroyedFromOutsideDeletesAtOnce)
{
    CSelfClosingFrame::c_nDeleted = 0;
    CSelfClosingFrame* pFrame = new CSelfClosingFrame;
    RECT rc = { 0, 0, 200, 100 };
    ASSERT_TRUE(pFrame->Create(NULL, "outside", WS_OVERLAPPEDWINDOW, rc));
    ::DestroyWindow(pFrame->m_hWnd);
    EXPECT_EQ(1, CSelfClosingFrame::c_nDeleted);
}

TEST(FrameworkSync, AutoResetEventIsTakenOnceThroughTheLock)
{
    CEvent ev;
    ev.SetEvent();
    CSingleLock first(&ev);
    EXPECT_TRUE(first.Lock(0));
    CSingleLock second(&ev);
    EXPECT_FALSE(second.Lock(0)) << "an auto-reset event must be consumed by one take";
}

TEST(FrameworkGdi, WrappersDeleteTheirHandles)
{
    LONG nBefore = CGdiObject::GetLiveCount();
    HGDIOBJ hPen;
    {
        CPen pen(PS_SOLID, 1, RGB(1, 2, 3));
        CBrush brush(RGB(4, 5, 6));
        hPen = pen.m_hObject;
        EXPECT_EQ(nBefore + 2, CGdiObject::GetLiveCount());
    }
    EXPECT_EQ(nBefore, CGdiObject::GetLiveCount());
    LOGPEN lp;
    EXPECT_EQ(0, ::GetObjectA(hPen, sizeof(lp), &lp)) << "pen handle still alive after its wrapper";
}

TEST(FrameworkString, FormatAndResourceStrings)
{
    CString s;
    s.Format("Pattern%d", 16);
    EXPECT_STREQ("Pattern16", (LPCSTR)s);
    CString r;
    EXPECT_TRUE(r.LoadString(128));
    EXPECT_STREQ("KALVORA.INI", (LPCSTR)r);
    EXPECT_FALSE(r.LoadString(4242));
    EXPECT_TRUE(r.IsEmpty());
}

}  // namespace
