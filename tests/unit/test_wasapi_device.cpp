// CWasapiDevice under the wave-input protocol: its refusals, its buffer handling, and real capture from the sound server.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "sound/WasapiDevice.h"

namespace {

const SWaveApi& Dev() { return CWasapiDevice::Api(); }

// Wine's ntdll exports wine_get_version; Windows' does not.
bool OnWine()
{
    HMODULE hNtdll = ::GetModuleHandleA("ntdll.dll");
    return hNtdll != NULL && ::GetProcAddress(hNtdll, "wine_get_version") != NULL;
}

WAVEFORMATEX Mono16(WORD wBits = 16, WORD nChannels = 1)
{
    WAVEFORMATEX wfx = { WAVE_FORMAT_PCM, nChannels, 11025, 0, (WORD)(nChannels * wBits / 8), wBits, 0 };
    wfx.nAvgBytesPerSec = wfx.nSamplesPerSec * wfx.nBlockAlign;
    return wfx;
}

class WasapiDevice : public ::testing::Test
{
protected:
    enum { BLOCKS = 5, SAMPLES = 200 };

    void SetUp() override
    {
        m_hWnd = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
        ASSERT_TRUE(m_hWnd != NULL);
        ZeroMemory(m_hdr, sizeof(m_hdr));
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

    MMRESULT OpenDevice(UINT uDevice, WAVEFORMATEX wfx = Mono16(), DWORD fdwOpen = CALLBACK_WINDOW)
    {
        return Dev().pfnOpen(&m_h, uDevice, &wfx, (DWORD_PTR)m_hWnd, 0, fdwOpen);
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
    WAVEHDR m_hdr[BLOCKS];
    short m_data[BLOCKS][SAMPLES];
};

// Plays a constant sample value into the default output for as long as it lives.
class ConstantPlayer
{
public:
    ConstantPlayer(short nValue, int nSeconds) : m_samples(11025 * nSeconds, nValue), m_hdr()
    {
        WAVEFORMATEX wfx = Mono16();
        if (::waveOutOpen(&m_hOut, WAVE_MAPPER, &wfx, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
            m_hOut = NULL;
            return;
        }
        m_hdr.lpData = (LPSTR)&m_samples[0];
        m_hdr.dwBufferLength = (DWORD)(m_samples.size() * sizeof(short));
        ::waveOutPrepareHeader(m_hOut, &m_hdr, sizeof(m_hdr));
        ::waveOutWrite(m_hOut, &m_hdr, sizeof(m_hdr));
    }
    ~ConstantPlayer()
    {
        if (m_hOut == NULL)
            return;
        ::waveOutReset(m_hOut);
        ::waveOutUnprepareHeader(m_hOut, &m_hdr, sizeof(m_hdr));
        ::waveOutClose(m_hOut);
    }
    bool IsPlaying() const { return m_hOut != NULL; }

private:
    HWAVEOUT m_hOut = NULL;
    std::vector<short> m_samples;
    WAVEHDR m_hdr;
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

// As waveInOpen: nothing opened, nothing posted, the handle untouched.
TEST_F(WasapiDevice, OpenRefusesWhatWaveInRefuses)
{
    struct Case { const char* name; UINT uDevice; WAVEFORMATEX wfx; DWORD fdwOpen; MMRESULT mmr; };
    const Case cases[] = {
        { "device number past the last", CWasapiDevice::DEVICES, Mono16(), CALLBACK_WINDOW, MMSYSERR_BADDEVICEID },
        { "function callback", CWasapiDevice::DEFAULT_CAPTURE, Mono16(), CALLBACK_FUNCTION, MMSYSERR_INVALFLAG },
        { "stereo", CWasapiDevice::DEFAULT_CAPTURE, Mono16(16, 2), CALLBACK_WINDOW, WAVERR_BADFORMAT },
        { "8-bit", CWasapiDevice::DEFAULT_CAPTURE, Mono16(8), CALLBACK_WINDOW, WAVERR_BADFORMAT },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OpenDevice(c.uDevice, c.wfx, c.fdwOpen), c.mmr);
        EXPECT_TRUE(m_h == NULL);
    }
    MSG msg;
    EXPECT_FALSE(NextNotice(&msg, 50));
}

// Each failure of its own has a text of its own; the system's codes get the system's texts.
TEST_F(WasapiDevice, EveryOwnErrorHasItsOwnText)
{
    std::map<std::string, MMRESULT> texts;
    for (MMRESULT mmr = CWasapiDevice::ERR_BASE; mmr < CWasapiDevice::ERR_END; mmr++) {
        char sz[256] = "";
        EXPECT_EQ(Dev().pfnGetErrorText(mmr, sz, sizeof(sz)), (MMRESULT)MMSYSERR_NOERROR) << mmr;
        EXPECT_GT(strlen(sz), 10u) << mmr;
        EXPECT_TRUE(texts.insert(std::make_pair(std::string(sz), mmr)).second) << mmr << " shares " << sz;
    }
    char szOwn[256] = "", szSystem[256] = "";
    Dev().pfnGetErrorText(MMSYSERR_BADDEVICEID, szOwn, sizeof(szOwn));
    ::waveInGetErrorTextA(MMSYSERR_BADDEVICEID, szSystem, sizeof(szSystem));
    EXPECT_STREQ(szOwn, szSystem);
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

// The test's sound server records what is played into its default sink (kv.monitor). Sample value 16448 is
// level 16448 / 128 = 128; buffers of 200 samples at 11025 Hz come every 200 / 11.025 = 18.1 ms.
TEST_F(WasapiDevice, RecordsTheDefaultSourceAtTheRightLevelAndRate)
{
    ConstantPlayer player(16448, 5);
    ASSERT_TRUE(player.IsPlaying()) << "no sound output";
    ASSERT_EQ(OpenDevice(CWasapiDevice::DEFAULT_CAPTURE), (MMRESULT)MMSYSERR_NOERROR) << "no sound server?";
    QueueAll();
    ASSERT_EQ(Dev().pfnStart(m_h), (MMRESULT)MMSYSERR_NOERROR);

    std::map<int, int> levels;   // level of the measured sample -> buffers
    std::vector<DWORD> times;
    const DWORD dwEnd = ::timeGetTime() + 3000;
    MSG msg;
    while ((LONG)(::timeGetTime() - dwEnd) < 0 && NextNotice(&msg, 500)) {
        if (msg.message != MM_WIM_DATA)
            continue;
        WAVEHDR* pHdr = (WAVEHDR*)msg.lParam;
        ASSERT_EQ(pHdr->dwBytesRecorded, (DWORD)(2 * SAMPLES));
        times.push_back(::timeGetTime());
        levels[abs(((short*)pHdr->lpData)[99]) / 128]++;
        ASSERT_EQ(Dev().pfnAddBuffer(m_h, pHdr, sizeof(WAVEHDR)), (MMRESULT)MMSYSERR_NOERROR);
    }
    ASSERT_GT(times.size(), 40u) << "buffers stopped coming";
    const int nAt128 = levels[127] + levels[128] + levels[129];
    int nCommonLevel = 0, nCommonCount = 0;
    for (const auto& lv : levels) {
        if (lv.first != 0 && lv.second > nCommonCount) {
            nCommonLevel = lv.first;
            nCommonCount = lv.second;
        }
    }
    EXPECT_GE(nAt128, 30) << "most common level besides silence: " << nCommonLevel;
    EXPECT_NEAR(nCommonLevel, 128, 1);
    // Loosely, for slow machines: from the tenth buffer on, between half and twice the 18.1 ms.
    const double dMsPerBuffer = (double)(times.back() - times[9]) / (times.size() - 10);
    EXPECT_GT(dMsPerBuffer, 9.0);
    EXPECT_LT(dMsPerBuffer, 36.0);
}
