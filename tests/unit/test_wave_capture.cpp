// Capture through a scripted wave device: failing calls, a device that won't let go, retries, renumbered and
// missing devices, switches of input and failures told while the user goes on choosing.
#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "display/Kalvora.h"
#include "sound/SoundInput.h"

namespace {

// The scripted device: hands out a new handle per open, keeps the queued headers in order, lists devices by name
// and fails the calls a test asks to fail.
struct FakeDevice
{
    int nOpens = 0;
    int nFailOpens = 0;        // the next this many opens fail
    int nAddsBeforeFailure = -1;       // AddBuffer calls that succeed before one fails; -1: never fails
    int nPreparesBeforeFailure = -1;
    bool bResetFails = false;
    bool bCloseFails = false;
    bool bReuseHandle = false;  // the next open gives the handle closed last, as a system may
    HWND hPostTo = NULL;        // when set, the device posts its notices there as a real one does
    HWAVEIN hClosed = NULL;
    HWAVEIN hOpen = NULL;                          // the device opened last
    std::vector<UINT> opened;                      // the device number of every open, in order
    std::vector<DWORD> openFlags;
    std::vector<std::string> names = { "Mic", "USB Audio", "Line In" };   // the system's device list
    std::vector<std::string> failing;              // names whose opens fail ("" for the default)
    std::map<HWAVEIN, std::deque<WAVEHDR*>> queues;   // each device's queued buffers, oldest first
    std::map<HWAVEIN, UINT> deviceOf;
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
    std::string NameOf(UINT uDevice) const { return uDevice == WAVE_MAPPER ? "" : names.at(uDevice); }
    // The handle of the device of that name opened last, or NULL.
    HWAVEIN OpenOf(const std::string& name) const
    {
        for (auto it = deviceOf.rbegin(); it != deviceOf.rend(); ++it)
            if (NameOf(it->second) == name && queues.count(it->first))
                return it->first;
        return NULL;
    }
};
FakeDevice g_dev;

MMRESULT WINAPI FakeOpen(LPHWAVEIN phWaveIn, UINT uDevice, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD dwFlags)
{
    g_dev.nOpens++;
    g_dev.opened.push_back(uDevice);
    g_dev.openFlags.push_back(dwFlags);
    if (uDevice != WAVE_MAPPER && uDevice >= g_dev.names.size())
        return MMSYSERR_BADDEVICEID;
    bool bFails = g_dev.nFailOpens > 0;
    for (const std::string& name : g_dev.failing)
        bFails = bFails || name == g_dev.NameOf(uDevice);
    if (bFails) {
        if (g_dev.nFailOpens > 0)
            g_dev.nFailOpens--;
        return MMSYSERR_ALLOCATED;
    }
    g_dev.hOpen = *phWaveIn = g_dev.bReuseHandle ? g_dev.hClosed : (HWAVEIN)(UINT_PTR)(0x1000 + g_dev.nOpens);
    g_dev.deviceOf[g_dev.hOpen] = uDevice;
    g_dev.queues[g_dev.hOpen].clear();
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
    g_dev.queues.erase(h);
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
UINT WINAPI FakeNumDevs() { return (UINT)g_dev.names.size(); }
MMRESULT WINAPI FakeDevCaps(UINT_PTR uDevice, LPWAVEINCAPSA pCaps, UINT)
{
    if (uDevice >= g_dev.names.size())
        return MMSYSERR_BADDEVICEID;
    lstrcpynA(pCaps->szPname, g_dev.names[uDevice].c_str(), MAXPNAMELEN);
    return MMSYSERR_NOERROR;
}

const SWaveApi kFakeApi = { FakeOpen, FakeStart, FakeReset, FakeClose, FakePrepare,
                            FakeUnprepare, FakeAdd, FakeErrorText, FakeNumDevs, FakeDevCaps };

// The render thread's loop for a lone capture: hands every queued notice of the window to it; counts the buffers
// taken.
int HandNotices(HWND hWnd, CWaveCapture& capture)
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
        m_nLiveBefore = CWaveBlockRing::GetLiveBlocks();
        m_capture.SetApis(&kFakeApi, NULL);
    }
    void TearDown() override
    {
        g_dev.bResetFails = g_dev.bCloseFails = false;
        m_capture.Stop();
        EXPECT_EQ(CWaveBlockRing::GetLiveBlocks(), m_nLiveBefore) << "blocks leaked or freed twice";
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
        EXPECT_EQ(m_capture.m_ring.m_nAddBlock, m_capture.m_ring.m_nDoneBlock);
        EXPECT_EQ(CWaveBlockRing::GetLiveBlocks() - m_nLiveBefore, 5);
    }

    void StartRunning()
    {
        ASSERT_TRUE(m_capture.Start(NULL, ::timeGetTime()));
        DeviceOpened();
        ASSERT_EQ(g_dev.Queued().size(), 5u);
    }

    bool ErrorWaits()
    {
        MMRESULT mmr;
        const SWaveApi* pApi;
        return m_capture.TakeError(&mmr, &pApi) != FALSE;
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
        EXPECT_EQ(CWaveBlockRing::GetLiveBlocks(), m_nLiveBefore);
        m_capture.Watch(::timeGetTime());   // the first retry comes at once
        ASSERT_EQ(g_dev.nOpens, 2);
        DeviceOpened();
        ExpectFlowing();
        EXPECT_FALSE(ErrorWaits()) << "recovery is silent";
        m_capture.Stop();
    }
}

// A device that refuses both the reset and the close is given up with its blocks (never freed under it), and
// the resume opens a new device instead of reporting Kalvora's own handle as "already in use".
TEST_F(WaveCapture, ADeviceThatWontResetOrCloseIsAbandonedOnce)
{
    StartRunning();
    ReturnOne();
    const LONG nBlocksBefore = CWaveBlockRing::GetAbandonedBlocks();
    const LONG nHandlesBefore = CWaveInHandle::GetAbandonedHandles();
    g_dev.bResetFails = g_dev.bCloseFails = true;
    m_capture.Stop();
    EXPECT_EQ(m_capture.m_handle.Get(), (HWAVEIN)NULL);
    EXPECT_EQ(CWaveBlockRing::GetAbandonedBlocks() - nBlocksBefore, 5);
    EXPECT_EQ(CWaveInHandle::GetAbandonedHandles() - nHandlesBefore, 1);
    EXPECT_EQ(CWaveBlockRing::GetLiveBlocks(), m_nLiveBefore);

    g_dev.bResetFails = g_dev.bCloseFails = false;
    ASSERT_TRUE(m_capture.Start(NULL, ::timeGetTime()));
    // Late news of the abandoned device changes nothing.
    m_capture.OnWimClose((HWAVEIN)(UINT_PTR)0x1001);
    DeviceOpened();
    ExpectFlowing();
    EXPECT_FALSE(ErrorWaits());
    EXPECT_EQ(CWaveBlockRing::GetAbandonedBlocks() - nBlocksBefore, 5) << "abandoning must stay bounded";
}

// A device that fails: its failure waits to be told once, then quiet tries at once, after 250 ms, 500 ms, and then
// every second, until it is back.
TEST_F(WaveCapture, AFailingDeviceIsToldOnceAndTriedAgainSoonThenEverySecond)
{
    g_dev.nFailOpens = 100;
    const DWORD t0 = 1000000;
    EXPECT_FALSE(m_capture.Start(NULL, t0));
    EXPECT_TRUE(ErrorWaits());
    // Tries are due at t0 (+0), then 250 ms after the last (t0+250), 500 ms (t0+750), 1000 ms (t0+1750, t0+2750).
    const DWORD dueAt[] = { 0, 250, 750, 1750, 2750 };
    for (int i = 0; i < 5; i++) {
        m_capture.Watch(t0 + dueAt[i] - 1);
        EXPECT_EQ(g_dev.nOpens, 1 + i) << "too early before try " << i;
        m_capture.Watch(t0 + dueAt[i]);
        EXPECT_EQ(g_dev.nOpens, 2 + i) << "try " << i;
    }
    EXPECT_FALSE(ErrorWaits()) << "a device that stays away is told of once";
    g_dev.nFailOpens = 0;
    m_capture.Watch(t0 + 3750);
    DeviceOpened();
    ExpectFlowing();
}

// A flowing device that stops sending is dropped after a little over half a second and reopened at once; a device
// that gave only a first burst is not yet flowing and is given the first-sound time, not dropped in a loop.
TEST_F(WaveCapture, AStalledDeviceIsReopenedAtOnceButABurstIsNotAFlow)
{
    StartRunning();
    ASSERT_TRUE(ReturnOne());
    DWORD t = ::timeGetTime();
    m_capture.Watch(t + 700);
    EXPECT_FALSE(m_capture.IsLost()) << "one buffer and a pause: dropped before it could flow";
    for (int i = 0; i < CWaveCapture::FLOW_BUFFERS; i++) {
        if (i == CWaveCapture::FLOW_BUFFERS - 1)
            ::Sleep(CWaveCapture::FLOW_MS);
        ASSERT_TRUE(ReturnOne());
    }
    ASSERT_TRUE(m_capture.IsFlowing());
    t = ::timeGetTime();
    m_capture.Watch(t + 500);
    EXPECT_FALSE(m_capture.IsLost()) << "half a second without sound is not a stall";
    m_capture.Watch(t + 700);
    EXPECT_TRUE(m_capture.IsLost());
    m_capture.Watch(t + 900);
    EXPECT_EQ(g_dev.nOpens, 2);
    DeviceOpened();
    ExpectFlowing();

    g_dev.nFailOpens = 100;
    m_capture.Watch(::timeGetTime() + CWaveCapture::FIRST_SOUND_MS + 100);
    m_capture.Stop();
    const int nOpens = g_dev.nOpens;
    m_capture.Watch(::timeGetTime() + 10000);
    EXPECT_EQ(g_dev.nOpens, nOpens) << "a stopped capture must stay closed";
    EXPECT_FALSE(ErrorWaits());
}

// A device that closes by itself is lost: reset and closed here before its blocks are freed, then reopened.
TEST_F(WaveCapture, AnUnexpectedCloseIsALossThatFreesTheBlocksAfterTheClose)
{
    StartRunning();
    const int nOpens = g_dev.nOpens;
    m_capture.OnWimClose(g_dev.hOpen);
    EXPECT_TRUE(m_capture.IsLost());
    EXPECT_EQ(CWaveBlockRing::GetLiveBlocks(), m_nLiveBefore) << "reset and closed, then freed";
    m_capture.Watch(::timeGetTime());
    EXPECT_EQ(g_dev.nOpens, nOpens + 1);
    DeviceOpened();
    ExpectFlowing();
}

// Devices are opened by name wherever the system lists them now, through the mapper so the format is converted;
// a device that is gone is retried, and nothing else is opened under its name.
TEST_F(WaveCapture, ADeviceIsFoundByNameAtItsNewNumberAndAMissingOneIsRetried)
{
    g_dev.names = { "Mic", "USB Audio", "USB Audio" };
    m_capture.SetInput(CInputName::Device("USB Audio", 2), 0);
    StartRunning();
    EXPECT_EQ(g_dev.opened.back(), 2u);
    EXPECT_EQ(g_dev.openFlags.back() & WAVE_MAPPED, (DWORD)WAVE_MAPPED);

    g_dev.names = { "USB Audio", "USB Audio" };   // the microphone unplugged: the list is numbered anew
    m_capture.OnWimClose(g_dev.hOpen);
    m_capture.Watch(::timeGetTime());
    EXPECT_EQ(g_dev.opened.back(), 1u) << "the second USB Audio, now number 1";
    DeviceOpened();
    ExpectFlowing();

    g_dev.names = { "Mic" };   // both gone; device 1 does not exist, device 0 is another
    m_capture.OnWimClose(g_dev.hOpen);
    const int nOpens = g_dev.nOpens;
    for (DWORD t = 0; t < 3000; t += 200)
        m_capture.Watch(::timeGetTime() + t);
    EXPECT_EQ(g_dev.nOpens, nOpens) << "opened whatever took its number";
    EXPECT_TRUE(m_capture.IsLost());
    EXPECT_FALSE(ErrorWaits()) << "a missing device is waited for, not told of";
    g_dev.names = { "USB Audio", "Mic", "USB Audio" };
    m_capture.Watch(::timeGetTime() + 5000);
    EXPECT_EQ(g_dev.opened.back(), 2u);
}

// The display window measures sample 99 of every buffer the device returns, and no other: each buffer below
// holds one value at index 99 and another everywhere else.
TEST_F(WaveCapture, TheDisplayMeasuresSample99OfEachReturnedBuffer)
{
    CKalvora* pDisplay = new CKalvora;
    pDisplay->m_input.SetApis(&kFakeApi, NULL);
    ASSERT_TRUE(pDisplay->CreateDisplay());
    const HWND hWnd = pDisplay->m_input.m_hWnd;
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
    EXPECT_FALSE(ErrorWaits());
    m_capture.Stop();
    HandNotices(g_dev.hPostTo, m_capture);
    ::DestroyWindow(g_dev.hPostTo);
}

namespace {

// The clock of the sound input tests: time passes when a test says so.
DWORD g_dwNow = 0;
DWORD FakeNow()
{
    return g_dwNow;
}

// The display's side of the sound input: counts the buffers, and shows a failure as a box would, from a posted
// message of its own; what the user does while that box is up is the test's.
class ScriptedClient : public ISoundClient
{
public:
    void OnSoundBuffer(short*) override { nBuffers++; }
    void OnSoundErrorWaiting() override { ::PostMessageA(hWnd, kErrorMsg, 0, 0); }

    static const UINT kErrorMsg = WM_APP + 0x55;
    HWND hWnd = NULL;
    int nBuffers = 0;
};

class SoundInput : public WaveCapture
{
protected:
    void SetUp() override
    {
        WaveCapture::SetUp();
        g_dwNow = 5000000;
        CWaveCapture::SetClock(FakeNow);
        m_input.SetApis(&kFakeApi, NULL);
        ASSERT_TRUE(m_input.Create(&m_client));
        m_client.hWnd = m_input.m_hWnd;
        g_dev.hPostTo = m_input.m_hWnd;
    }
    void TearDown() override
    {
        m_input.Stop();
        Pump();
        CWaveCapture::SetClock(NULL);
        WaveCapture::TearDown();
    }

    // The render thread's loop: the devices' notices go through the input's window; a failure is "shown" by
    // calling onBox while it would be up. Returns the buffers drawn from.
    int Pump(const std::function<void()>& onBox = nullptr)
    {
        const int nBefore = m_client.nBuffers;
        MSG msg;
        while (::PeekMessageA(&msg, m_input.m_hWnd, 0, 0, PM_REMOVE)) {
            if (msg.message != ScriptedClient::kErrorMsg) {
                ::DispatchMessageA(&msg);
                continue;
            }
            CString strText;
            if (m_input.TakeErrorText(strText)) {
                m_nBoxes++;
                if (onBox)
                    onBox();
            }
        }
        return m_client.nBuffers - nBefore;
    }

    // Every device open now delivers one buffer.
    int DeliverAll()
    {
        for (auto& q : g_dev.queues)
            if (!q.second.empty())
                g_dev.Deliver(q.first);
        return Pump();
    }

    // The chosen input is held by a capture that wants it, recording or being retried; whatever else records is
    // drawn from until the chosen one flows.
    void ExpectOneWantedInput(const CInputName& chosen)
    {
        EXPECT_TRUE(m_input.GetInput() == chosen);
        CWaveCapture& holder = m_input.Current().GetInput() == chosen ? m_input.Current() : m_input.Next();
        EXPECT_TRUE(holder.GetInput() == chosen) << "no capture holds the chosen input";
        EXPECT_TRUE(holder.IsWanted() && (holder.IsRecording() || holder.IsLost())) << "the chosen input is dropped";
        EXPECT_TRUE(m_input.Current().IsWanted()) << "nothing draws";
        if (m_input.Next().IsWanted())
            EXPECT_TRUE(m_input.Next().GetInput() == chosen);
    }

    ScriptedClient m_client;
    CSoundInput m_input;
    int m_nBoxes = 0;
};

} // namespace

// A newly chosen input takes over once its buffers flow: until then the old one goes on recording, so the picture
// never waits for the switch. A chosen input that fails is told once and retried while the old one draws on.
TEST_F(SoundInput, ANewInputTakesOverOnceItsBuffersFlowAndAFailedOneIsRetriedWhileTheOldDraws)
{
    ASSERT_TRUE(m_input.Start(g_dwNow));
    Pump();
    const HWAVEIN hOld = g_dev.hOpen;
    m_input.SetInput(CInputName::Device("Line In"), g_dwNow);
    const HWAVEIN hNew = g_dev.hOpen;
    ASSERT_NE(hNew, hOld);
    Pump();
    // A burst of five at once is not yet a flow (Wine's first buffers can come so, then none for seconds).
    for (int i = 0; i < CWaveCapture::FLOW_BUFFERS; i++) {
        g_dev.Deliver(hOld);
        g_dev.Deliver(hNew);
        EXPECT_EQ(Pump(), 1) << "only the old device is drawn from, buffer " << i;
        EXPECT_EQ(m_input.Current().m_handle.Get(), hOld);
    }
    g_dwNow += CWaveCapture::FLOW_MS;
    g_dev.Deliver(hNew);
    EXPECT_EQ(Pump(), 1);
    EXPECT_EQ(m_input.Current().m_handle.Get(), hNew) << "buffers that keep coming hand over";
    EXPECT_FALSE(m_input.Next().IsWanted());
    EXPECT_EQ(CWaveBlockRing::GetLiveBlocks() - m_nLiveBefore, 5) << "the old device's blocks are freed";

    g_dev.failing = { "USB Audio" };
    m_input.SetInput(CInputName::Device("USB Audio"), g_dwNow);
    g_dev.Deliver(hNew);
    EXPECT_EQ(Pump(), 1) << "the old input draws on";
    EXPECT_EQ(m_nBoxes, 1);
    EXPECT_TRUE(m_input.Next().IsLost()) << "the chosen input is the one retried";
    g_dev.failing.clear();
    m_input.Watch(g_dwNow);
    const HWAVEIN hUsb = g_dev.OpenOf("USB Audio");
    ASSERT_NE(hUsb, (HWAVEIN)NULL);
    Pump();
    for (int i = 0; i < CWaveCapture::FLOW_BUFFERS; i++) {
        if (i == CWaveCapture::FLOW_BUFFERS - 1)
            g_dwNow += CWaveCapture::FLOW_MS;
        g_dev.Deliver(hUsb);
        Pump();
    }
    EXPECT_EQ(m_input.Current().m_handle.Get(), hUsb);
    EXPECT_EQ(m_nBoxes, 1) << "a retry that works is silent";
}

// The hand-over happens while the new device's next buffers are already waiting in the queue (the render thread
// was drawing): closing the old device must not take them away, or the new device's rotation breaks and it is
// reopened, which stops the sound for a second or two.
TEST_F(SoundInput, AHandOverKeepsTheNewDevicesWaitingBuffers)
{
    ASSERT_TRUE(m_input.Start(g_dwNow));
    const HWAVEIN hOld = g_dev.hOpen;
    m_input.SetInput(CInputName::Device("Line In"), g_dwNow);
    const HWAVEIN hNew = g_dev.hOpen;
    Pump();
    ASSERT_EQ(g_dev.Queued(hNew).size(), 5u);
    for (int i = 0; i < CWaveCapture::FLOW_BUFFERS - 1; i++) {
        g_dev.Deliver(hOld);
        g_dev.Deliver(hNew);
        EXPECT_EQ(Pump(), 1) << "only the old device's buffer is drawn from";
    }
    g_dwNow += CWaveCapture::FLOW_MS;
    // The fifth buffer hands over; the sixth and seventh wait behind it.
    for (int i = 0; i < 3; i++)
        g_dev.Deliver(hNew);
    EXPECT_EQ(Pump(), 3);
    EXPECT_EQ(m_input.Current().m_handle.Get(), hNew);
    for (int round = 0; round < 4; round++) {
        for (int i = 0; i < 3; i++)
            g_dev.Deliver(hNew);
        EXPECT_EQ(Pump(), 3) << "round " << round;
    }
    EXPECT_FALSE(m_input.Current().IsLost());
    EXPECT_EQ(g_dev.nOpens, 2) << "the new device was reopened";
    EXPECT_EQ(CWaveBlockRing::GetLiveBlocks() - m_nLiveBefore, 5);
    // Back to the default device before the chosen one delivers: the current one goes on, nothing else opens.
    m_input.SetInput(CInputName::Default(), g_dwNow);
    m_input.SetInput(CInputName::Device("Line In"), g_dwNow);
    EXPECT_EQ(g_dev.nOpens, 3);
    EXPECT_EQ(m_input.Current().m_handle.Get(), hNew);
    EXPECT_FALSE(m_input.Next().IsWanted());
}

// The chosen input is missing (a saved device unplugged): the default stands in without a word, and the chosen one
// takes over once it is back and flows.
TEST_F(SoundInput, TheDefaultStandsInForAMissingInputUntilItIsBack)
{
    g_dev.names = { "Mic" };
    m_input.SetInput(CInputName::Device("USB Audio"), g_dwNow);
    ASSERT_TRUE(m_input.Start(g_dwNow)) << "the default stands in at once";
    EXPECT_EQ(g_dev.opened, std::vector<UINT>({ WAVE_MAPPER }));
    Pump();
    EXPECT_EQ(DeliverAll(), 1);
    EXPECT_EQ(m_nBoxes, 0);
    ExpectOneWantedInput(CInputName::Device("USB Audio"));

    g_dev.names = { "Mic", "USB Audio" };
    m_input.Watch(g_dwNow += 2000);
    EXPECT_EQ(g_dev.opened.back(), 1u);
    Pump();
    for (int i = 0; i < CWaveCapture::FLOW_BUFFERS; i++) {
        if (i == CWaveCapture::FLOW_BUFFERS - 1)
            g_dwNow += CWaveCapture::FLOW_MS;
        EXPECT_GE(DeliverAll(), 1) << "the picture waited, buffer " << i;
    }
    EXPECT_TRUE(m_input.Current().GetInput() == CInputName::Device("USB Audio"));
    EXPECT_FALSE(m_input.Next().IsWanted()) << "the stand-in is closed";
}

// Failures are told after the change, from a posted message, while the user goes on: whatever is chosen or left to
// time out while the box is up, one wanted input is recording or being retried, and it draws once its device
// delivers.
TEST_F(SoundInput, ChoicesAndTimeWhileAFailureIsShownEndWithTheLastChoiceRecording)
{
    const CInputName usb = CInputName::Device("USB Audio"), line = CInputName::Device("Line In");
    const CInputName mic = CInputName::Device("Mic");
    struct Case {
        const char* name;
        std::vector<CInputName> whileUp;   // chosen while the box for the failing USB Audio is up
        DWORD dwWaitUpMs;                  // time passing while it is up (the old give-up was 10 s)
        bool bStillFailing;                // USB Audio still fails while the box is up
        int nBoxes;
    };
    const Case cases[] = {
        { "another choice while up", { line }, 0, false, 1 },
        { "stepping round to the default", { line, mic, CInputName::Default() }, 0, false, 1 },
        { "eleven seconds up", {}, 11000, false, 1 },
        { "a choice, then time", { mic }, 11000, false, 1 },
        { "away and back to the failing one", { line, usb }, 3000, true, 2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_input.SetInput(CInputName::Default(), 0);
        ASSERT_TRUE(m_input.Start(g_dwNow));
        Pump();
        g_dev.failing = { "USB Audio" };
        m_input.SetInput(usb, g_dwNow);
        CInputName last = usb;
        const int nBoxesBefore = m_nBoxes;
        bool bUp = false;
        Pump([&]() {
            if (bUp)
                return;   // a later box: the user just dismisses it
            bUp = true;
            if (!c.bStillFailing)
                g_dev.failing.clear();
            for (const CInputName& input : c.whileUp) {
                m_input.SetInput(input, g_dwNow);
                last = input;
            }
            for (DWORD t = 0; t < c.dwWaitUpMs; t += CWaveCapture::WATCH_MS)
                m_input.Watch(g_dwNow += CWaveCapture::WATCH_MS);
        });
        EXPECT_EQ(m_nBoxes - nBoxesBefore, c.nBoxes);
        ExpectOneWantedInput(last);
        // The devices come back and the retries find them; whatever is open delivers until the chosen input has
        // taken over.
        g_dev.failing.clear();
        for (int i = 0; i < 10 && (m_input.Current().IsLost() || m_input.Next().IsLost()); i++)
            m_input.Watch(g_dwNow += CWaveCapture::RETRY_MAX_MS);
        Pump();
        for (int i = 0; i < CWaveCapture::FLOW_BUFFERS + 1; i++) {
            if (i == CWaveCapture::FLOW_BUFFERS - 1)
                g_dwNow += CWaveCapture::FLOW_MS;
            EXPECT_GE(DeliverAll(), 1) << "the picture waited, buffer " << i;
        }
        EXPECT_TRUE(m_input.Current().GetInput() == last);
        EXPECT_TRUE(m_input.Current().IsFlowing());
        EXPECT_FALSE(m_input.Next().IsWanted());
        EXPECT_EQ(m_nBoxes - nBoxesBefore, c.nBoxes) << "a recovery was told of";
        m_input.Stop();
        Pump();
        EXPECT_EQ(CWaveBlockRing::GetLiveBlocks(), m_nLiveBefore);
    }
}
