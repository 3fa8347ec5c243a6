// Capture through a scripted wave device: calls that fail mid-rotation, a device that won't let go, retries.
#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <map>

#include "engine/Kalvora.h"
#include "sound/SoundInput.h"

namespace {

// The scripted device: hands out a new handle per open, keeps the queued headers in order and fails the
// calls a test asks to fail.
struct FakeDevice
{
    int nOpens = 0;
    int nBoxes = 0;
    int nFailOpens = 0;        // the next this many opens fail
    int nAddsBeforeFailure = -1;       // AddBuffer calls that succeed before one fails; -1: never fails
    int nPreparesBeforeFailure = -1;
    bool bResetFails = false;
    bool bCloseFails = false;
    bool bReuseHandle = false;  // the next open gives the handle closed last, as a system may
    HWND hPostTo = NULL;        // when set, the device posts its notices there as a real one does
    HWAVEIN hClosed = NULL;
    HWAVEIN hOpen = NULL;                          // the device opened last
    std::map<HWAVEIN, std::deque<WAVEHDR*>> queues;   // each device's queued buffers, oldest first
    std::deque<WAVEHDR*>& Queued(HWAVEIN h = NULL) { return queues[h ? h : hOpen]; }
    void Post(UINT uMsg, HWAVEIN h, WAVEHDR* pHdr = NULL)
    {
        if (hPostTo)
            ::PostMessageA(hPostTo, uMsg, (WPARAM)h, (LPARAM)pHdr);
    }
    // The device fills its oldest queued buffer and posts it back.
    void Deliver(HWAVEIN h)
    {
        WAVEHDR* pHdr = Queued(h).front();
        Queued(h).pop_front();
        Post(MM_WIM_DATA, h, pHdr);
    }
};
FakeDevice g_dev;

MMRESULT WINAPI FakeOpen(LPHWAVEIN phWaveIn, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD)
{
    g_dev.nOpens++;
    if (g_dev.nFailOpens > 0) {
        g_dev.nFailOpens--;
        return MMSYSERR_BADDEVICEID;
    }
    g_dev.hOpen = *phWaveIn = g_dev.bReuseHandle ? g_dev.hClosed : (HWAVEIN)(UINT_PTR)(0x1000 + g_dev.nOpens);
    g_dev.Post(MM_WIM_OPEN, g_dev.hOpen);
    return MMSYSERR_NOERROR;
}
MMRESULT WINAPI FakeStart(HWAVEIN) { return MMSYSERR_NOERROR; }
MMRESULT WINAPI FakeReset(HWAVEIN h)
{
    if (g_dev.bResetFails)
        return MMSYSERR_NODRIVER;
    while (!g_dev.Queued(h).empty())
        g_dev.Deliver(h);
    return MMSYSERR_NOERROR;
}
MMRESULT WINAPI FakeClose(HWAVEIN h)
{
    if (g_dev.bCloseFails)
        return MMSYSERR_NODRIVER;
    g_dev.hClosed = h;
    g_dev.Post(MM_WIM_CLOSE, h);
    return MMSYSERR_NOERROR;
}
MMRESULT WINAPI FakePrepare(HWAVEIN, LPWAVEHDR, UINT)
{
    if (g_dev.nPreparesBeforeFailure == 0) {
        g_dev.nPreparesBeforeFailure = -1;
        return MMSYSERR_NOMEM;
    }
    if (g_dev.nPreparesBeforeFailure > 0)
        g_dev.nPreparesBeforeFailure--;
    return MMSYSERR_NOERROR;
}
MMRESULT WINAPI FakeUnprepare(HWAVEIN, LPWAVEHDR, UINT) { return MMSYSERR_NOERROR; }
MMRESULT WINAPI FakeAdd(HWAVEIN h, LPWAVEHDR pHdr, UINT)
{
    if (g_dev.nAddsBeforeFailure == 0) {
        g_dev.nAddsBeforeFailure = -1;
        return MMSYSERR_NOMEM;
    }
    if (g_dev.nAddsBeforeFailure > 0)
        g_dev.nAddsBeforeFailure--;
    g_dev.Queued(h).push_back(pHdr);
    return MMSYSERR_NOERROR;
}
MMRESULT WINAPI FakeErrorText(MMRESULT, LPSTR psz, UINT cch)
{
    lstrcpynA(psz, "scripted failure", (int)cch);
    return MMSYSERR_NOERROR;
}
void FakeBox(LPCSTR) { g_dev.nBoxes++; }

const SWaveApi kFakeApi = { FakeOpen, FakeStart, FakeReset, FakeClose, FakePrepare,
                            FakeUnprepare, FakeAdd, FakeErrorText, FakeBox };

// The render thread's loop: hands every queued notice of the window to the capture; counts the buffers taken.
template <class TCapture>
int HandNotices(HWND hWnd, TCapture& capture)
{
    int nTaken = 0;
    short samples[200];
    MSG msg;
    while (::PeekMessageA(&msg, hWnd, MM_WIM_OPEN, MM_WIM_DATA, PM_REMOVE)) {
        const HWAVEIN h = (HWAVEIN)msg.wParam;
        if (msg.message == MM_WIM_OPEN)
            capture.OnWimOpen(h);
        else if (msg.message == MM_WIM_CLOSE)
            capture.OnWimClose(h);
        else if (capture.OnWimData(h, (WAVEHDR*)msg.lParam, samples))
            nTaken++;
    }
    return nTaken;
}

class WaveCapture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_dev = FakeDevice();
        m_nLiveBefore = CWaveCapture::GetLiveBlocks();
        m_capture.SetApi(&kFakeApi);
    }
    void TearDown() override
    {
        g_dev.bResetFails = g_dev.bCloseFails = false;
        m_capture.Stop();
        EXPECT_EQ(CWaveCapture::GetLiveBlocks(), m_nLiveBefore) << "blocks leaked or freed twice";
    }

    // The device reports itself open; the capture queues its buffers.
    void DeviceOpened() { m_capture.OnWimOpen(g_dev.hOpen); }

    // The device gives back its oldest queued buffer; TRUE when capture took it as the next one.
    bool ReturnOne()
    {
        if (g_dev.Queued().empty())
            return false;
        WAVEHDR* pHdr = g_dev.Queued().front();
        g_dev.Queued().pop_front();
        short samples[200];
        return m_capture.OnWimData(g_dev.hOpen, pHdr, samples) != FALSE;
    }

    // Buffers flow: twelve in a row are taken, the rotation stays full and in step.
    void ExpectFlowing()
    {
        for (int i = 0; i < 12; i++)
            ASSERT_TRUE(ReturnOne()) << "buffer " << i << " not taken";
        EXPECT_EQ(g_dev.Queued().size(), 5u);
        EXPECT_EQ(m_capture.m_nAddBlock, m_capture.m_nDoneBlock);
        EXPECT_EQ(CWaveCapture::GetLiveBlocks() - m_nLiveBefore, 5);
    }

    void StartRunning()
    {
        ASSERT_TRUE(m_capture.Start(NULL, ::timeGetTime()));
        DeviceOpened();
        ASSERT_EQ(g_dev.Queued().size(), 5u);
    }

    CWaveCapture m_capture;
    LONG m_nLiveBefore = 0;
};

} // namespace

// Each failure leaves the two rotation positions apart; the reopened device must start its rotation afresh,
// or its first buffer matches no slot and the device is dropped again, every retry, for ever.
TEST_F(WaveCapture, AFailedCallMidRotationIsCuredByTheNextRetry)
{
    struct Case { const char* name; int nAdds; int nPrepares; int nReturnsFirst; };
    // Two buffers back and re-queued (adds 6 and 7 of the device), then the third re-queue fails: 5 + 2 = 7 adds
    // succeed. A prepare fails the same way at the 8th. The open itself queues only three: 3 adds succeed.
    const Case cases[] = { { "add mid-rotation", 7, -1, 3 }, { "prepare mid-rotation", -1, 7, 3 },
                           { "open queues three", 3, -1, 0 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_dev = FakeDevice();
        g_dev.nAddsBeforeFailure = c.nAdds;
        g_dev.nPreparesBeforeFailure = c.nPrepares;
        ASSERT_TRUE(m_capture.Start(NULL, ::timeGetTime()));
        DeviceOpened();
        for (int i = 0; i < c.nReturnsFirst; i++)
            ReturnOne();
        EXPECT_TRUE(m_capture.IsLost()) << "the failure went unnoticed";
        EXPECT_EQ(CWaveCapture::GetLiveBlocks(), m_nLiveBefore);
        m_capture.Watch(::timeGetTime());   // the first retry comes at once
        ASSERT_EQ(g_dev.nOpens, 2);
        DeviceOpened();
        ExpectFlowing();
        EXPECT_EQ(g_dev.nBoxes, 0) << "recovery is silent";
        m_capture.Stop();
    }
}

// A device that refuses both the reset and the close is given up with its blocks (never freed under it), and
// the resume opens a new device instead of reporting Kalvora's own handle as "already in use".
TEST_F(WaveCapture, ADeviceThatWontResetOrCloseIsAbandonedOnce)
{
    StartRunning();
    ReturnOne();
    const LONG nBlocksBefore = CWaveCapture::GetAbandonedBlocks();
    const LONG nHandlesBefore = CWaveCapture::GetAbandonedHandles();
    g_dev.bResetFails = g_dev.bCloseFails = true;
    m_capture.Stop();
    EXPECT_EQ(m_capture.m_hWaveIn, (HWAVEIN)NULL);
    EXPECT_EQ(CWaveCapture::GetAbandonedBlocks() - nBlocksBefore, 5);
    EXPECT_EQ(CWaveCapture::GetAbandonedHandles() - nHandlesBefore, 1);
    EXPECT_EQ(CWaveCapture::GetLiveBlocks(), m_nLiveBefore);

    g_dev.bResetFails = g_dev.bCloseFails = false;
    ASSERT_TRUE(m_capture.Start(NULL, ::timeGetTime()));
    // Late news of the abandoned device changes nothing.
    m_capture.OnWimClose((HWAVEIN)(UINT_PTR)0x1001);
    DeviceOpened();
    ExpectFlowing();
    EXPECT_EQ(g_dev.nBoxes, 0);
    EXPECT_EQ(CWaveCapture::GetAbandonedBlocks() - nBlocksBefore, 5) << "abandoning must stay bounded";
}

// A device that is away: one message at the start, then quiet tries at once, after 250 ms, 500 ms, and then
// every second, until it is back.
TEST_F(WaveCapture, AMissingDeviceIsReportedOnceAndTriedAgainSoonThenEverySecond)
{
    g_dev.nFailOpens = 100;
    const DWORD t0 = 1000000;
    EXPECT_FALSE(m_capture.Start(NULL, t0));
    EXPECT_EQ(g_dev.nBoxes, 1);
    // Tries are due at t0 (+0), then 250 ms after the last (t0+250), 500 ms (t0+750), 1000 ms (t0+1750, t0+2750).
    const DWORD dueAt[] = { 0, 250, 750, 1750, 2750 };
    for (int i = 0; i < 5; i++) {
        m_capture.Watch(t0 + dueAt[i] - 1);
        EXPECT_EQ(g_dev.nOpens, 1 + i) << "too early before try " << i;
        m_capture.Watch(t0 + dueAt[i]);
        EXPECT_EQ(g_dev.nOpens, 2 + i) << "try " << i;
    }
    EXPECT_EQ(g_dev.nBoxes, 1) << "a device that stays away is reported once";
    g_dev.nFailOpens = 0;
    m_capture.Watch(t0 + 3750);
    DeviceOpened();
    ExpectFlowing();
}

// A running device that stops sending is dropped after a little over half a second and reopened at once.
TEST_F(WaveCapture, AStalledDeviceIsReopenedAtOnceAndAStopEndsTheTries)
{
    StartRunning();
    ASSERT_TRUE(ReturnOne());
    const DWORD t = ::timeGetTime();
    m_capture.Watch(t + 500);
    EXPECT_FALSE(m_capture.IsLost()) << "half a second without sound is not a stall";
    m_capture.Watch(t + 700);
    EXPECT_TRUE(m_capture.IsLost());
    m_capture.Watch(t + 900);
    EXPECT_EQ(g_dev.nOpens, 2);
    DeviceOpened();
    ExpectFlowing();

    g_dev.nFailOpens = 100;
    m_capture.Watch(::timeGetTime() + 700);
    m_capture.Stop();
    const int nOpens = g_dev.nOpens;
    m_capture.Watch(::timeGetTime() + 10000);
    EXPECT_EQ(g_dev.nOpens, nOpens) << "a stopped capture must stay closed";
    EXPECT_EQ(g_dev.nBoxes, 0);
}

// The display window measures sample 99 of every buffer the device returns, and no other: each buffer below
// holds one value at index 99 and another everywhere else.
TEST_F(WaveCapture, TheDisplayMeasuresSample99OfEachReturnedBuffer)
{
    CKalvora* pDisplay = new CKalvora;
    pDisplay->m_capture.SetApi(&kFakeApi);
    ASSERT_TRUE(pDisplay->CreateDisplay());
    const HWND hWnd = pDisplay->m_hWnd;
    ::SendMessageA(hWnd, MM_WIM_OPEN, (WPARAM)g_dev.hOpen, 0);
    ASSERT_EQ(g_dev.Queued().size(), 5u);
    // |16448| / 128 = 128 at index 99 against 255 elsewhere (|-32768| / 128 = 256, held at 255);
    // |-2560| / 128 = 20 at index 99 against |12800| / 128 = 100 elsewhere.
    const short buffers[2][2] = { { 16448, -32768 }, { -2560, 12800 } };
    const int expected[2] = { 128, 20 };
    for (int b = 0; b < 2; b++) {
        WAVEHDR* pHdr = g_dev.Queued().front();
        g_dev.Queued().pop_front();
        short* pData = (short*)pHdr->lpData;
        for (int i = 0; i < 200; i++)
            pData[i] = i == 99 ? buffers[b][0] : buffers[b][1];
        ::SendMessageA(hWnd, MM_WIM_DATA, (WPARAM)g_dev.hOpen, (LPARAM)pHdr);
        EXPECT_EQ(pDisplay->m_core.m_analyzer.m_nLevel, expected[b]) << "buffer " << b;
        EXPECT_EQ(::WaitForSingleObject(pDisplay->m_evSound, 0), (DWORD)WAIT_OBJECT_0) << "no frame allowed";
    }
    // A buffer of a device closed since is not measured.
    ::SendMessageA(hWnd, MM_WIM_DATA, (WPARAM)(UINT_PTR)0x0999, (LPARAM)g_dev.Queued().front());
    EXPECT_EQ(::WaitForSingleObject(pDisplay->m_evSound, 0), (DWORD)WAIT_TIMEOUT);
    pDisplay->DestroyWindow();
}

// A newly chosen device takes over once its buffers flow: until then the old one goes on recording, so the picture
// never waits for the switch. A chosen device that fails is reported once and becomes the one retried.
TEST_F(WaveCapture, ANewInputTakesOverOnceItsBuffersFlowAndAFailedOneIsRetried)
{
    CSoundInput input;
    input.SetApi(&kFakeApi);
    ASSERT_TRUE(input.Start(NULL, ::timeGetTime()));
    const HWAVEIN hOld = g_dev.hOpen;
    input.OnWimOpen(hOld);
    short samples[200];
    auto returnFrom = [&](HWAVEIN h) {
        WAVEHDR* pHdr = g_dev.Queued(h).front();
        g_dev.Queued(h).pop_front();
        return input.OnWimData(h, pHdr, samples) != FALSE;
    };
    input.SetDevice(3, ::timeGetTime());
    const HWAVEIN hNew = g_dev.hOpen;
    ASSERT_NE(hNew, hOld);
    EXPECT_EQ(input.GetDevice(), 3u);
    input.OnWimOpen(hNew);
    // A burst of five at once is not yet a flow (Wine's first buffers can come so, then none for seconds).
    for (int i = 0; i < CSoundInput::HANDOVER_BUFFERS; i++) {
        EXPECT_TRUE(returnFrom(hOld)) << "the old device records until the new one delivers steadily";
        EXPECT_FALSE(returnFrom(hNew)) << "buffer " << i << " of the new device";
        EXPECT_EQ(input.Current().m_hWaveIn, hOld);
    }
    ::Sleep(CSoundInput::HANDOVER_MS);
    EXPECT_TRUE(returnFrom(hNew));
    EXPECT_EQ(input.Current().m_hWaveIn, hNew) << "buffers that keep coming hand over";
    EXPECT_FALSE(input.Next().IsWanted());
    EXPECT_EQ(CWaveCapture::GetLiveBlocks() - m_nLiveBefore, 5) << "the old device's blocks are freed";

    g_dev.nFailOpens = 100;
    input.SetDevice(5, ::timeGetTime());
    EXPECT_EQ(g_dev.nBoxes, 1);
    EXPECT_EQ(input.Current().GetDevice(), 5u);
    EXPECT_TRUE(input.Current().IsLost()) << "the chosen device is the one retried";
    EXPECT_EQ(CWaveCapture::GetLiveBlocks(), m_nLiveBefore);
    g_dev.nFailOpens = 0;
    input.Watch(::timeGetTime());
    input.OnWimOpen(g_dev.hOpen);
    EXPECT_TRUE(returnFrom(g_dev.hOpen));
    EXPECT_EQ(g_dev.nBoxes, 1);
    input.Stop();
}

// Wine hands out the handle it took back last. The notices of the closed device are still queued when the next
// opens with the same handle; they must not be taken for the new device's, nor make it queue extra buffers.
TEST_F(WaveCapture, ANewDeviceWithTheClosedOnesHandleIgnoresItsLastNotices)
{
    g_dev.hPostTo = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    ASSERT_TRUE(m_capture.Start(g_dev.hPostTo, ::timeGetTime()));
    EXPECT_EQ(HandNotices(g_dev.hPostTo, m_capture), 0);
    ASSERT_EQ(g_dev.Queued().size(), 5u);
    const HWAVEIN h = g_dev.hOpen;
    m_capture.Stop();   // the reset posts the five buffers back, then the close its notice
    g_dev.bReuseHandle = true;
    ASSERT_TRUE(m_capture.Start(g_dev.hPostTo, ::timeGetTime()));
    ASSERT_EQ(g_dev.hOpen, h);
    // Queued now: five old buffers, the old close, the new open; only the last may queue buffers.
    EXPECT_EQ(HandNotices(g_dev.hPostTo, m_capture), 0);
    EXPECT_FALSE(m_capture.IsLost());
    EXPECT_EQ(g_dev.Queued().size(), 5u) << "the old device's notices queued buffers of their own";
    ExpectFlowing();
    EXPECT_EQ(g_dev.nBoxes, 0);
    m_capture.Stop();
    HandNotices(g_dev.hPostTo, m_capture);
    ::DestroyWindow(g_dev.hPostTo);
}

// The hand-over happens while the new device's next buffers are already waiting in the queue (the render thread
// was drawing): closing the old device must not take them away, or the new device's rotation breaks and it is
// reopened, which stops the sound for a second or two.
TEST_F(WaveCapture, AHandOverKeepsTheNewDevicesWaitingBuffers)
{
    g_dev.hPostTo = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    CSoundInput input;
    input.SetApi(&kFakeApi);
    ASSERT_TRUE(input.Start(g_dev.hPostTo, ::timeGetTime()));
    const HWAVEIN hOld = g_dev.hOpen;
    input.SetDevice(3, ::timeGetTime());
    const HWAVEIN hNew = g_dev.hOpen;
    HandNotices(g_dev.hPostTo, input);
    ASSERT_EQ(g_dev.Queued(hNew).size(), 5u);
    for (int i = 0; i < CSoundInput::HANDOVER_BUFFERS - 1; i++) {
        g_dev.Deliver(hOld);
        g_dev.Deliver(hNew);
        EXPECT_EQ(HandNotices(g_dev.hPostTo, input), 1) << "only the old device's buffer is drawn from";
    }
    ::Sleep(CSoundInput::HANDOVER_MS);
    // The fifth buffer hands over; the sixth and seventh wait behind it.
    for (int i = 0; i < 3; i++)
        g_dev.Deliver(hNew);
    EXPECT_EQ(HandNotices(g_dev.hPostTo, input), 3);
    EXPECT_EQ(input.Current().m_hWaveIn, hNew);
    for (int round = 0; round < 4; round++) {
        for (int i = 0; i < 3; i++)
            g_dev.Deliver(hNew);
        EXPECT_EQ(HandNotices(g_dev.hPostTo, input), 3) << "round " << round;
    }
    EXPECT_FALSE(input.Current().IsLost());
    EXPECT_EQ(g_dev.nOpens, 2) << "the new device was reopened";
    EXPECT_EQ(CWaveCapture::GetLiveBlocks() - m_nLiveBefore, 5);
    // Back to the default device before the chosen one delivers: the default goes on, nothing else opens.
    input.SetDevice(WAVE_MAPPER, ::timeGetTime());
    input.SetDevice(3, ::timeGetTime());
    EXPECT_EQ(g_dev.nOpens, 3);
    EXPECT_EQ(input.Current().m_hWaveIn, hNew);
    EXPECT_FALSE(input.Next().IsWanted());
    input.Stop();
    HandNotices(g_dev.hPostTo, input);
    ::DestroyWindow(g_dev.hPostTo);
}
