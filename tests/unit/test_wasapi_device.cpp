// CWasapiDevice under the wave-input protocol: its refusals, its buffer handling, and real capture from the sound server.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <vector>

#include "sound/WaveCapture.h"
#include "sound/ClosedHandles.h"
#include "sound/WasapiDevice.h"

namespace {

const SWaveApi& Dev() { return CWasapiDevice::Api(); }

// Wine's ntdll exports wine_get_version; Windows' does not.
bool OnWine()
{
    HMODULE hNtdll = ::GetModuleHandleA("ntdll.dll");
    return hNtdll != NULL && ::GetProcAddress(hNtdll, "wine_get_version") != NULL;
}

const WAVEFORMATEX kMono16 = { WAVE_FORMAT_PCM, 1, 11025, 2 * 11025, 2, 16, 0 };

class WasapiDevice : public ::testing::Test
{
protected:
    enum { BLOCKS = 5, SAMPLES = 200 };

    void SetUp() override
    {
        m_hWnd = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
        ASSERT_TRUE(m_hWnd != NULL);
        for (int i = 0; i < BLOCKS; i++) {
            m_hdr[i].lpData = (LPSTR)m_data[i];
            m_hdr[i].dwBufferLength = sizeof(m_data[i]);
        }
    }
    void TearDown() override
    {
        if (m_h != NULL) {
            Dev().pfnReset(m_h);
            EXPECT_EQ(Dev().pfnClose(m_h), (MMRESULT)MMSYSERR_NOERROR);
        }
        ::DestroyWindow(m_hWnd);
    }

    MMRESULT OpenDevice(UINT uDevice)
    {
        return Dev().pfnOpen(&m_h, uDevice, &kMono16, (DWORD_PTR)m_hWnd, 0, CALLBACK_WINDOW);
    }
    void QueueAll()
    {
        for (int i = 0; i < BLOCKS; i++) {
            ASSERT_EQ(Dev().pfnPrepareHeader(m_h, &m_hdr[i], sizeof(WAVEHDR)), (MMRESULT)MMSYSERR_NOERROR);
            ASSERT_EQ(Dev().pfnAddBuffer(m_h, &m_hdr[i], sizeof(WAVEHDR)), (MMRESULT)MMSYSERR_NOERROR);
        }
    }
    // The window's next device notice, waiting at most dwWaitMs for it.
    bool NextNotice(MSG* pMsg, DWORD dwWaitMs)
    {
        const DWORD dwEnd = ::timeGetTime() + dwWaitMs;
        for (;;) {
            if (::PeekMessageA(pMsg, m_hWnd, MM_WIM_OPEN, MM_WIM_DATA, PM_REMOVE))
                return true;
            if ((LONG)(::timeGetTime() - dwEnd) >= 0)
                return false;
            ::MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_POSTMESSAGE);
        }
    }

    HWND m_hWnd = NULL;
    HWAVEIN m_h = NULL;
    WAVEHDR m_hdr[BLOCKS] = {};
    short m_data[BLOCKS][SAMPLES];
};

// Plays a constant sample value into the default output for as long as it lives.
struct ConstantPlayer
{
    ConstantPlayer(short nValue, int nSeconds) : samples(11025 * nSeconds, nValue), hdr()
    {
        hdr.lpData = (LPSTR)&samples[0];
        hdr.dwBufferLength = (DWORD)(samples.size() * sizeof(short));
        if (::waveOutOpen(&hOut, WAVE_MAPPER, &kMono16, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
            hOut = NULL;
        else if (::waveOutPrepareHeader(hOut, &hdr, sizeof(hdr)) == MMSYSERR_NOERROR)
            ::waveOutWrite(hOut, &hdr, sizeof(hdr));
    }
    ~ConstantPlayer()
    {
        if (hOut == NULL)
            return;
        ::waveOutReset(hOut);
        ::waveOutUnprepareHeader(hOut, &hdr, sizeof(hdr));
        ::waveOutClose(hOut);
    }
    HWAVEOUT hOut = NULL;
    std::vector<short> samples;
    WAVEHDR hdr;
};

} // namespace

// Wine 8 opens a playback stream for the loopback flag and then refuses the capture service; Windows records.
TEST_F(WasapiDevice, LoopbackIsRefusedCleanlyOnWineAndOpensOnWindows)
{
    MSG msg;
    if (!OnWine()) {
        EXPECT_TRUE(CWasapiDevice::LoopbackSupported());
        ASSERT_EQ(OpenDevice(CWasapiDevice::LOOPBACK), (MMRESULT)MMSYSERR_NOERROR);
        ASSERT_TRUE(NextNotice(&msg, 2000));
        EXPECT_EQ(msg.message, (UINT)MM_WIM_OPEN);
        return;
    }
    EXPECT_FALSE(CWasapiDevice::LoopbackSupported());
    EXPECT_EQ(OpenDevice(CWasapiDevice::LOOPBACK), (MMRESULT)CWasapiDevice::ERR_NO_LOOPBACK);
    EXPECT_TRUE(m_h == NULL);
    char szText[256] = "";
    EXPECT_EQ(Dev().pfnGetErrorText(CWasapiDevice::ERR_NO_LOOPBACK, szText, sizeof(szText)),
              (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_TRUE(strstr(szText, "cannot record what the computer plays") != NULL) << szText;
    EXPECT_FALSE(NextNotice(&msg, 100)) << "a notice from a device that did not open";
}

// Not started, so nothing is filled: the header rules, then a reset giving every buffer back in order.
TEST_F(WasapiDevice, HeadersResetAndCloseFollowWaveIn)
{
    ASSERT_EQ(OpenDevice(CWasapiDevice::DEFAULT_CAPTURE), (MMRESULT)MMSYSERR_NOERROR) << "no sound server?";
    MSG msg;
    ASSERT_TRUE(NextNotice(&msg, 2000));
    EXPECT_EQ(msg.message, (UINT)MM_WIM_OPEN);
    EXPECT_EQ((HWAVEIN)msg.wParam, m_h);

    EXPECT_EQ(Dev().pfnAddBuffer(m_h, &m_hdr[0], sizeof(WAVEHDR)), (MMRESULT)WAVERR_UNPREPARED);
    QueueAll();
    EXPECT_EQ(m_hdr[0].dwFlags, (DWORD)(WHDR_PREPARED | WHDR_INQUEUE));
    EXPECT_EQ(Dev().pfnAddBuffer(m_h, &m_hdr[0], sizeof(WAVEHDR)), (MMRESULT)WAVERR_STILLPLAYING);
    EXPECT_EQ(Dev().pfnUnprepareHeader(m_h, &m_hdr[0], sizeof(WAVEHDR)), (MMRESULT)WAVERR_STILLPLAYING);
    EXPECT_EQ(Dev().pfnClose(m_h), (MMRESULT)WAVERR_STILLPLAYING);

    ASSERT_EQ(Dev().pfnReset(m_h), (MMRESULT)MMSYSERR_NOERROR);
    for (int i = 0; i < BLOCKS; i++) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(NextNotice(&msg, 2000));
        EXPECT_EQ(msg.message, (UINT)MM_WIM_DATA);
        EXPECT_EQ((HWAVEIN)msg.wParam, m_h);
        EXPECT_EQ((WAVEHDR*)msg.lParam, &m_hdr[i]) << "out of order";
        EXPECT_EQ(m_hdr[i].dwFlags, (DWORD)(WHDR_PREPARED | WHDR_DONE));
        EXPECT_EQ(m_hdr[i].dwBytesRecorded, 0u);
        EXPECT_EQ(Dev().pfnUnprepareHeader(m_h, &m_hdr[i], sizeof(WAVEHDR)), (MMRESULT)MMSYSERR_NOERROR);
        EXPECT_EQ(m_hdr[i].dwFlags, (DWORD)WHDR_DONE);
    }

    const HWAVEIN h = m_h;
    ASSERT_EQ(Dev().pfnClose(h), (MMRESULT)MMSYSERR_NOERROR);
    m_h = NULL;
    ASSERT_TRUE(NextNotice(&msg, 2000));
    EXPECT_EQ(msg.message, (UINT)MM_WIM_CLOSE);
    EXPECT_EQ((HWAVEIN)msg.wParam, h);
    EXPECT_EQ(Dev().pfnStart(h), (MMRESULT)MMSYSERR_INVALHANDLE);
}

// Capture's own rotation runs on the device unchanged. The test's sound server records what is played into its
// default sink (kv.monitor): sample value 16448 is level 16448 / 128 = 128, and 200-sample buffers at 11025 Hz
// come every 200 / 11.025 = 18.1 ms. A stop gives back every block.
TEST_F(WasapiDevice, CaptureRecordsTheDefaultSourceAtTheRightLevelAndRate)
{
    ConstantPlayer player(16448, 5);
    ASSERT_TRUE(player.hOut != NULL) << "no sound output";
    const LONG nLiveBefore = CWaveBlockRing::GetLiveBlocks();
    CWaveCapture capture;
    capture.SetApis(&CWasapiDevice::Api(), NULL);   // its default: the default recording device
    ASSERT_TRUE(capture.Start(m_hWnd, ::timeGetTime())) << "no sound server?";
    std::map<int, int> levels;   // level of the measured sample -> buffers
    std::vector<DWORD> times;
    short samples[SAMPLES];
    const DWORD dwEnd = ::timeGetTime() + 3000;
    MSG msg;
    while ((LONG)(::timeGetTime() - dwEnd) < 0 && NextNotice(&msg, 500)) {
        if (msg.message == MM_WIM_OPEN)
            capture.OnWimOpen((HWAVEIN)msg.wParam);
        if (msg.message == MM_WIM_DATA && capture.OnWimData((HWAVEIN)msg.wParam, (WAVEHDR*)msg.lParam, samples)) {
            times.push_back(::timeGetTime());
            levels[abs(samples[99]) / 128]++;
        }
        capture.Watch(::timeGetTime());
    }
    EXPECT_FALSE(capture.IsLost());
    capture.Stop();
    EXPECT_EQ(CWaveBlockRing::GetLiveBlocks(), nLiveBefore);
    ASSERT_GT(times.size(), 40u) << "buffers stopped coming";
    // Over half a second of it (the rest is the silence before the sound server starts playing).
    EXPECT_GE(levels[127] + levels[128] + levels[129], 30) << "buffers at level 64: " << levels[64]
                                                           << ", at 255: " << levels[255];
    // Loosely, for slow machines: from the tenth buffer on, between half and twice the 18.1 ms.
    const double dMsPerBuffer = (double)(times.back() - times[9]) / (times.size() - 10);
    EXPECT_GT(dMsPerBuffer, 9.0);
    EXPECT_LT(dMsPerBuffer, 36.0);
    // The close notice comes after the returned buffers, which are no longer capture's to touch.
    bool bClosed = false;
    while (!bClosed && NextNotice(&msg, 2000))
        bClosed = msg.message == MM_WIM_CLOSE && CClosedHandles::Take((HWAVEIN)msg.wParam);
    EXPECT_TRUE(bClosed);
}
