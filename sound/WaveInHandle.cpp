// CWaveInHandle: open and start, reset and close, with the closed handle noted until its last notice has passed.
#include "sound/WaveInHandle.h"
#include "sound/ClosedHandles.h"
#include "core/MusicAnalyzer.h"

volatile LONG CWaveInHandle::s_nAbandonedHandles = 0;
DWORD CWaveInHandle::s_dwLongestOpen = 0;

CWaveInHandle::CWaveInHandle()
    : m_wfx(), m_pApi(&SWaveApi::System()), m_hWaveIn(NULL), m_hWndCallback(NULL), m_bOldNotices(FALSE)
{
}

void CWaveInHandle::NoteSystemTime(DWORD dwBefore)
{
    const DWORD dw = ::timeGetTime() - dwBefore;
    if (dw > s_dwLongestOpen)
        s_dwLongestOpen = dw;
}

DWORD CWaveInHandle::TakeLongestOpen()
{
    DWORD dw = s_dwLongestOpen;
    s_dwLongestOpen = 0;
    return dw;
}

MMRESULT CWaveInHandle::Open(const SWaveApi& api, UINT uDevice, DWORD dwFlags, HWND hWndCallback,
                             CWaveBlockRing& ring)
{
    Close(ring);
    m_pApi = &api;
    m_hWndCallback = hWndCallback;
    m_wfx.wFormatTag = WAVE_FORMAT_PCM;
    m_wfx.nChannels = 1;
    m_wfx.nSamplesPerSec = CMusicAnalyzer::SAMPLE_RATE;
    m_wfx.nAvgBytesPerSec = 2 * CMusicAnalyzer::SAMPLE_RATE;
    m_wfx.nBlockAlign = 2;
    m_wfx.wBitsPerSample = 16;
    m_wfx.cbSize = 0;
    HWAVEIN hWaveIn = NULL;
    const DWORD dwBefore = ::timeGetTime();
    MMRESULT mmr = api.pfnOpen(&hWaveIn, uDevice, &m_wfx, (DWORD_PTR)hWndCallback, 0, CALLBACK_WINDOW | dwFlags);
    if (mmr == MMSYSERR_NOERROR) {
        m_hWaveIn = hWaveIn;
        m_bOldNotices = CClosedHandles::Contains(hWaveIn);
        mmr = api.pfnStart(hWaveIn);
    }
    NoteSystemTime(dwBefore);
    if (m_hWaveIn != NULL && mmr != MMSYSERR_NOERROR)
        Close(ring);
    return mmr;
}

void CWaveInHandle::Close(CWaveBlockRing& ring)
{
    if (m_hWaveIn == NULL)
        return;
    const DWORD dwBefore = ::timeGetTime();
    const BOOL bReset = m_pApi->pfnReset(m_hWaveIn) == MMSYSERR_NOERROR;
    if (bReset)
        ring.FreeAll(*m_pApi, m_hWaveIn);
    // A device whose sound server has gone refuses the reset but closes; only then may its buffers be freed.
    if (m_pApi->pfnClose(m_hWaveIn) == MMSYSERR_NOERROR) {
        ring.FreeAll(*m_pApi, m_hWaveIn);
        CClosedHandles::Note(m_hWaveIn, m_hWndCallback);
    } else {
        if (!bReset)
            ring.AbandonAll();
        ::InterlockedIncrement(&s_nAbandonedHandles);
    }
    NoteSystemTime(dwBefore);
    m_hWaveIn = NULL;
    m_bOldNotices = FALSE;
    ring.Restart();
}

void CWaveInHandle::OnCloseNoticePassed(HWAVEIN hWaveIn)
{
    if (hWaveIn == m_hWaveIn)
        m_bOldNotices = FALSE;
}
