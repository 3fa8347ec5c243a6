// CWaveCapture: five rotating 200-sample buffers, a watch for stalls and quiet retries of a lost device.
#include "sound/WaveCapture.h"
#include "sound/MusicAnalyzer.h"

namespace {
const int kHeaderBytes = 32;   // the WAVEHDR at the start of each block
const int kDataBytes = 2 * CMusicAnalyzer::BUFFER_SAMPLES;   // 16-bit mono
const DWORD kFirstRetryGapMs = 250;
static_assert(sizeof(WAVEHDR) == kHeaderBytes, "block layout assumes a 32-byte header");
}

volatile LONG CWaveCapture::s_nLiveBlocks = 0;
volatile LONG CWaveCapture::s_nAbandonedBlocks = 0;
volatile LONG CWaveCapture::s_nAbandonedHandles = 0;
DWORD CWaveCapture::s_dwLongestOpen = 0;
CWaveCapture::SClosedHandle CWaveCapture::s_closed[CLOSED_HANDLES];
int CWaveCapture::s_nClosed = 0;

void CWaveCapture::NoteSystemTime(DWORD dwBefore)
{
    const DWORD dw = ::timeGetTime() - dwBefore;
    if (dw > s_dwLongestOpen)
        s_dwLongestOpen = dw;
}

DWORD CWaveCapture::TakeLongestOpen()
{
    DWORD dw = s_dwLongestOpen;
    s_dwLongestOpen = 0;
    return dw;
}

CWaveCapture::CWaveCapture()
    : m_hWaveIn(NULL), m_bRecording(FALSE), m_nAddBlock(0), m_nDoneBlock(0), m_wfx(), m_nBlockSize(0),
      m_pApi(&SWaveApi::System()), m_hWndCallback(NULL), m_uDevice(WAVE_MAPPER), m_bWanted(FALSE),
      m_bLost(FALSE), m_bFlowing(FALSE), m_bReporting(FALSE), m_bOldNotices(FALSE), m_dwLastSound(0), m_dwRetryAt(0),
      m_dwRetryGap(0)
{
    ZeroMemory(m_pWaveBlock, sizeof(m_pWaveBlock));
}

CWaveCapture::~CWaveCapture()
{
    Close();
}

BOOL CWaveCapture::Start(HWND hWndCallback, DWORD dwNow)
{
    if (m_hWaveIn != NULL && m_bRecording)
        return TRUE;   // a second resume must not open (and orphan) a second device
    m_hWndCallback = hWndCallback;
    m_bWanted = TRUE;
    m_dwRetryGap = 0;
    MMRESULT mmr = Open(dwNow);
    if (mmr != MMSYSERR_NOERROR) {
        ReportError(mmr);
        Lose(dwNow);   // keep trying in the background: the device may come back
        return FALSE;
    }
    return TRUE;
}

void CWaveCapture::Stop()
{
    m_bWanted = FALSE;
    m_bLost = FALSE;
    Close();
}

void CWaveCapture::SetDevice(UINT uDevice, DWORD dwNow)
{
    if (uDevice == m_uDevice)
        return;
    m_uDevice = uDevice;
    if (!m_bWanted)
        return;
    m_dwRetryGap = 0;
    MMRESULT mmr = Open(dwNow);
    if (mmr != MMSYSERR_NOERROR) {
        ReportError(mmr);
        Lose(dwNow);
    }
}

MMRESULT CWaveCapture::Open(DWORD dwNow)
{
    Close();
    m_wfx.wFormatTag = WAVE_FORMAT_PCM;
    m_wfx.nChannels = 1;
    m_wfx.nSamplesPerSec = CMusicAnalyzer::SAMPLE_RATE;
    m_wfx.nAvgBytesPerSec = 2 * CMusicAnalyzer::SAMPLE_RATE;
    m_wfx.nBlockAlign = 2;
    m_wfx.wBitsPerSample = 16;
    m_wfx.cbSize = 0;
    m_nBlockSize = kHeaderBytes + kDataBytes;
    HWAVEIN hWaveIn = NULL;
    const DWORD dwBefore = ::timeGetTime();
    MMRESULT mmr = m_pApi->pfnOpen(&hWaveIn, m_uDevice, &m_wfx, (DWORD_PTR)m_hWndCallback, 0, CALLBACK_WINDOW);
    if (mmr == MMSYSERR_NOERROR) {
        m_hWaveIn = hWaveIn;
        m_bOldNotices = IsClosedHandle(hWaveIn);
        mmr = m_pApi->pfnStart(m_hWaveIn);
    }
    NoteSystemTime(dwBefore);
    if (m_hWaveIn == NULL)
        return mmr;
    if (mmr != MMSYSERR_NOERROR) {
        Close();
        return mmr;
    }
    m_bRecording = TRUE;
    m_bLost = FALSE;
    m_bFlowing = FALSE;
    m_dwLastSound = dwNow;
    return MMSYSERR_NOERROR;   // buffers are queued when the device reports itself open
}

// Never leaves a handle behind: one that refuses both the reset and the close is given up, with the
// blocks it may still write into, so that the next open is not refused because of it.
void CWaveCapture::Close()
{
    m_bRecording = FALSE;   // buffers that still come back are not replaced
    if (m_hWaveIn == NULL)
        return;
    const DWORD dwBefore = ::timeGetTime();
    const BOOL bReset = m_pApi->pfnReset(m_hWaveIn) == MMSYSERR_NOERROR;
    if (bReset)
        FreeAllBlocks();
    // A device whose sound server has gone refuses the reset but closes; only then may its buffers be freed.
    if (m_pApi->pfnClose(m_hWaveIn) == MMSYSERR_NOERROR) {
        FreeAllBlocks();
        NoteClosedHandle(m_hWaveIn, m_hWndCallback);
    } else {
        if (!bReset)
            AbandonAllBlocks();
        ::InterlockedIncrement(&s_nAbandonedHandles);
    }
    NoteSystemTime(dwBefore);
    m_hWaveIn = NULL;
    m_bOldNotices = FALSE;
    // The next device starts its rotation afresh, whatever this one left behind.
    m_nAddBlock = 0;
    m_nDoneBlock = 0;
}

// The reset and the close have posted this device's last buffers and its close notice, and they stay
// queued behind whatever else is waiting (another device's buffers among it, which must not be lost). The
// system may give the same handle to the next device opened before they are handled: that device ignores
// what comes on its handle until the closed one's notice has passed (notices are handled in the order they
// were posted, and the old device posted all of its own before the new one was opened).
void CWaveCapture::NoteClosedHandle(HWAVEIN hWaveIn, HWND hWnd)
{
    if (hWnd == NULL || !::IsWindow(hWnd))
        return;   // no notice will come
    if (s_nClosed == CLOSED_HANDLES)
        RemoveClosedHandle(0);   // a notice that never came
    s_closed[s_nClosed].hWaveIn = hWaveIn;
    s_closed[s_nClosed].hWnd = hWnd;
    s_nClosed++;
}

void CWaveCapture::RemoveClosedHandle(int i)
{
    MoveMemory(s_closed + i, s_closed + i + 1, (s_nClosed - i - 1) * sizeof(SClosedHandle));
    s_nClosed--;
}

BOOL CWaveCapture::IsClosedHandle(HWAVEIN hWaveIn)
{
    for (int i = s_nClosed - 1; i >= 0; i--) {
        if (!::IsWindow(s_closed[i].hWnd))
            RemoveClosedHandle(i);   // its notices went with the window
        else if (s_closed[i].hWaveIn == hWaveIn)
            return TRUE;
    }
    return FALSE;
}

// Two closes of one handle (given anew in between) owe two notices.
BOOL CWaveCapture::TakeClosedHandle(HWAVEIN hWaveIn)
{
    for (int i = 0; i < s_nClosed; i++) {
        if (s_closed[i].hWaveIn != hWaveIn)
            continue;
        RemoveClosedHandle(i);
        return !IsClosedHandle(hWaveIn);
    }
    return FALSE;
}

void CWaveCapture::OnCloseNotice(HWAVEIN hWaveIn)
{
    if (hWaveIn == m_hWaveIn)
        m_bOldNotices = FALSE;
}

void CWaveCapture::Lose(DWORD dwNow)
{
    Close();
    m_bLost = TRUE;
    // The first try comes at once (a server that restarts is often back already), later ones less often.
    m_dwRetryAt = dwNow + m_dwRetryGap;
    m_dwRetryGap = m_dwRetryGap == 0 ? kFirstRetryGapMs : m_dwRetryGap * 2;
    if (m_dwRetryGap > RETRY_MAX_MS)
        m_dwRetryGap = RETRY_MAX_MS;
}

void CWaveCapture::Watch(DWORD dwNow)
{
    if (!m_bWanted || m_bReporting)
        return;
    if (m_bLost) {
        if ((LONG)(dwNow - m_dwRetryAt) >= 0 && Open(dwNow) != MMSYSERR_NOERROR)
            Lose(dwNow);
        return;
    }
    const LONG nLimit = m_bFlowing ? STALL_MS : FIRST_SOUND_MS;
    if (m_bRecording && (LONG)(dwNow - m_dwLastSound) > nLimit)
        Lose(dwNow);
}

MMRESULT CWaveCapture::AddWaveBuffer()
{
    if (m_pWaveBlock[m_nAddBlock] != NULL)
        return MMSYSERR_ALLOCATED;
    HGLOBAL hBlock = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, (SIZE_T)m_nBlockSize);
    LPBYTE pBlock = hBlock ? (LPBYTE)::GlobalLock(hBlock) : NULL;
    if (pBlock == NULL) {
        if (hBlock)
            ::GlobalFree(hBlock);
        return MMSYSERR_NOMEM;
    }
    m_pWaveBlock[m_nAddBlock] = pBlock;
    ::InterlockedIncrement(&s_nLiveBlocks);
    WAVEHDR* pHdr = (WAVEHDR*)pBlock;
    ZeroMemory(pHdr, sizeof(WAVEHDR));
    pHdr->lpData = (LPSTR)(pBlock + kHeaderBytes);
    pHdr->dwBufferLength = (DWORD)(m_nBlockSize - kHeaderBytes);
    MMRESULT mmr = m_pApi->pfnPrepareHeader(m_hWaveIn, pHdr, sizeof(WAVEHDR));
    if (mmr != MMSYSERR_NOERROR)
        return mmr;
    mmr = m_pApi->pfnAddBuffer(m_hWaveIn, pHdr, sizeof(WAVEHDR));
    if (mmr != MMSYSERR_NOERROR)
        return mmr;
    m_nAddBlock = (m_nAddBlock + 1) % BLOCKS;
    return MMSYSERR_NOERROR;
}

void CWaveCapture::FreeBlock(int nSlot)
{
    LPBYTE pBlock = m_pWaveBlock[nSlot];
    if (pBlock == NULL)
        return;
    m_pApi->pfnUnprepareHeader(m_hWaveIn, (WAVEHDR*)pBlock, sizeof(WAVEHDR));
    HGLOBAL hBlock = ::GlobalHandle(pBlock);
    ::GlobalUnlock(hBlock);
    ::GlobalFree(hBlock);
    m_pWaveBlock[nSlot] = NULL;
    ::InterlockedDecrement(&s_nLiveBlocks);
}

void CWaveCapture::FreeAllBlocks()
{
    for (int i = 0; i < BLOCKS; i++)
        FreeBlock(i);
}

void CWaveCapture::AbandonAllBlocks()
{
    for (int i = 0; i < BLOCKS; i++) {
        if (m_pWaveBlock[i] == NULL)
            continue;
        m_pWaveBlock[i] = NULL;
        ::InterlockedDecrement(&s_nLiveBlocks);
        ::InterlockedIncrement(&s_nAbandonedBlocks);
    }
}

void CWaveCapture::OnWimOpen(HWAVEIN hWaveIn)
{
    if (hWaveIn != m_hWaveIn || !m_bRecording || m_bOldNotices)
        return;   // the notice of a device closed since
    for (int i = 0; i < BLOCKS; i++) {
        if (AddWaveBuffer() != MMSYSERR_NOERROR) {
            Lose(::timeGetTime());   // a short rotation would never fill again: start afresh
            return;
        }
    }
}

BOOL CWaveCapture::OnWimData(HWAVEIN hWaveIn, WAVEHDR* pHdr, short* pSamples)
{
    if (hWaveIn != m_hWaveIn || m_hWaveIn == NULL || m_bOldNotices)
        return FALSE;   // from a device closed since: its blocks are no longer ours to touch
    BOOL bTaken = FALSE;
    // Buffers come back in the order they were queued; any other one matches no expected slot and is left.
    if (pHdr != NULL && (LPBYTE)pHdr == m_pWaveBlock[m_nDoneBlock]) {
        CopyMemory(pSamples, (LPBYTE)pHdr + kHeaderBytes, kDataBytes);
        FreeBlock(m_nDoneBlock);
        m_nDoneBlock = (m_nDoneBlock + 1) % BLOCKS;
        m_dwLastSound = ::timeGetTime();
        m_bFlowing = TRUE;
        m_dwRetryGap = 0;
        bTaken = TRUE;
    }
    // A buffer that can't be queued again would shrink the rotation for good: start afresh instead.
    if (m_bRecording && AddWaveBuffer() != MMSYSERR_NOERROR)
        Lose(::timeGetTime());
    return bTaken;
}

void CWaveCapture::OnWimClose(HWAVEIN hWaveIn)
{
    if (IsClosedHandle(hWaveIn)) {
        if (TakeClosedHandle(hWaveIn))
            OnCloseNotice(hWaveIn);
        return;
    }
    if (hWaveIn == m_hWaveIn)
        FreeAllBlocks();
}

void CWaveCapture::ReportError(MMRESULT mmr)
{
    // One box at a time: the box's own message loop goes on handling wave messages and timers.
    if (m_bReporting)
        return;
    char szText[256];
    if (m_pApi->pfnGetErrorText(mmr, szText, sizeof(szText)) != MMSYSERR_NOERROR)
        return;
    m_bReporting = TRUE;
    m_pApi->pfnShowError(szText);
    m_bReporting = FALSE;
}
