// CKalvora: wave capture in five rotating buffers, one analysed sample and one frame permission per buffer.
#include "engine/Kalvora.h"

namespace {
const int kBlocks = 5;
const int kHeaderBytes = 32;        // the WAVEHDR at the start of each block
const int kDataBytes = 2 * CMusicAnalyzer::BUFFER_SAMPLES;   // 16-bit mono
static_assert(sizeof(WAVEHDR) == kHeaderBytes, "block layout assumes a 32-byte header");
}

volatile LONG CKalvora::s_nLiveWaveBlocks = 0;

// Capture that should run but has lost its device is reopened quietly: a sound server that restarts or
// a microphone plugged in again brings the picture back without the user doing anything.
namespace {
const DWORD kStallMs = 1000;        // no buffer back for this long: the device has gone
const DWORD kFirstSoundMs = 5000;   // a freshly opened device may take seconds before its first buffer
const DWORD kRetryMs = 1500;
}

BOOL CKalvora::StartWaveIn()
{
    if (m_hWaveIn != NULL && m_bRecording)
        return TRUE;   // a second resume must not open (and orphan) a second device
    m_bCaptureWanted = TRUE;
    MMRESULT mmr = OpenCapture();
    if (mmr != MMSYSERR_NOERROR) {
        ReportWaveError(mmr);
        LoseCapture(::timeGetTime());   // keep trying in the background: the device may come back
        return FALSE;
    }
    return TRUE;
}

MMRESULT CKalvora::OpenCapture()
{
    // A device a failed stop left open would make this one "already in use".
    if (!CloseCapture())
        return MMSYSERR_ALLOCATED;
    m_wfx.wFormatTag = WAVE_FORMAT_PCM;
    m_wfx.nChannels = 1;
    m_wfx.nSamplesPerSec = CMusicAnalyzer::SAMPLE_RATE;
    m_wfx.nAvgBytesPerSec = 2 * CMusicAnalyzer::SAMPLE_RATE;
    m_wfx.nBlockAlign = 2;
    m_wfx.wBitsPerSample = 16;
    m_wfx.cbSize = 0;
    m_nBlockSize = kHeaderBytes + kDataBytes;
    HWAVEIN hWaveIn = NULL;
    MMRESULT mmr = ::waveInOpen(&hWaveIn, WAVE_MAPPER, &m_wfx, (DWORD_PTR)m_hWnd, 0, CALLBACK_WINDOW);
    if (mmr != MMSYSERR_NOERROR)
        return mmr;
    m_hWaveIn = hWaveIn;
    mmr = ::waveInStart(m_hWaveIn);
    if (mmr != MMSYSERR_NOERROR) {
        CloseCapture();
        return mmr;
    }
    m_bRecording = TRUE;
    m_bCaptureLost = FALSE;
    m_bSoundFlowing = FALSE;
    m_dwLastSound = ::timeGetTime();
    return MMSYSERR_NOERROR;   // buffers are queued when the device reports itself open
}

MMRESULT CKalvora::AddWaveBuffer()
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
    ::InterlockedIncrement(&s_nLiveWaveBlocks);
    WAVEHDR* pHdr = (WAVEHDR*)pBlock;
    ZeroMemory(pHdr, sizeof(WAVEHDR));
    pHdr->lpData = (LPSTR)(pBlock + kHeaderBytes);
    pHdr->dwBufferLength = (DWORD)(m_nBlockSize - kHeaderBytes);
    MMRESULT mmr = ::waveInPrepareHeader(m_hWaveIn, pHdr, sizeof(WAVEHDR));
    if (mmr != MMSYSERR_NOERROR)
        return mmr;
    mmr = ::waveInAddBuffer(m_hWaveIn, pHdr, sizeof(WAVEHDR));
    if (mmr != MMSYSERR_NOERROR)
        return mmr;
    m_nAddBlock = (m_nAddBlock + 1) % kBlocks;
    return MMSYSERR_NOERROR;
}

void CKalvora::FreeWaveBlock(int nSlot)
{
    LPBYTE pBlock = m_pWaveBlock[nSlot];
    if (pBlock == NULL)
        return;
    ::waveInUnprepareHeader(m_hWaveIn, (WAVEHDR*)pBlock, sizeof(WAVEHDR));
    HGLOBAL hBlock = ::GlobalHandle(pBlock);
    ::GlobalUnlock(hBlock);
    ::GlobalFree(hBlock);
    m_pWaveBlock[nSlot] = NULL;
    ::InterlockedDecrement(&s_nLiveWaveBlocks);
}

LRESULT CKalvora::OnWimOpen(WPARAM, LPARAM)
{
    for (int i = 0; i < kBlocks; i++) {
        if (AddWaveBuffer() != MMSYSERR_NOERROR) {
            LoseCapture(::timeGetTime());
            break;
        }
    }
    return 0;
}

LRESULT CKalvora::OnWimData(WPARAM, LPARAM lParam)
{
    WAVEHDR* pHdr = (WAVEHDR*)lParam;
    // Buffers come back in the order they were queued; any other one (or one from before a
    // reset) matches no expected slot and is left alone.
    if (pHdr != NULL && (LPBYTE)pHdr == m_pWaveBlock[m_nDoneBlock]) {
        const short* pSamples = (const short*)((LPBYTE)pHdr + kHeaderBytes);
        m_analyzer.AddBuffer(pSamples);
        m_evSound.SetEvent();
        m_stats.BufferArrived();
        FreeWaveBlock(m_nDoneBlock);
        m_nDoneBlock = (m_nDoneBlock + 1) % kBlocks;
        m_dwLastSound = ::timeGetTime();
        m_bSoundFlowing = TRUE;
    }
    // A buffer that can't be queued again would shrink the rotation for good: start afresh instead.
    if (m_bRecording && AddWaveBuffer() != MMSYSERR_NOERROR)
        LoseCapture(::timeGetTime());
    return 0;
}

LRESULT CKalvora::OnWimClose(WPARAM, LPARAM)
{
    FreeAllWaveBlocks();
    return 0;
}

BOOL CKalvora::StopWaveIn()
{
    m_bCaptureWanted = FALSE;
    m_bCaptureLost = FALSE;
    CloseCapture();
    return TRUE;
}

void CKalvora::FreeAllWaveBlocks()
{
    for (int i = 0; i < kBlocks; i++)
        FreeWaveBlock(i);
}

BOOL CKalvora::CloseCapture()
{
    m_bRecording = FALSE;   // buffers that still come back are not replaced
    if (m_hWaveIn == NULL)
        return TRUE;
    const BOOL bReset = ::waveInReset(m_hWaveIn) == MMSYSERR_NOERROR;
    m_evSound.ResetEvent();   // no frame for sound recorded before the stop
    if (bReset)
        FreeAllWaveBlocks();
    // A device whose sound server has gone refuses the reset but closes; only then may its buffers be
    // freed. One that won't close keeps its buffers and is tried again.
    if (::waveInClose(m_hWaveIn) != MMSYSERR_NOERROR)
        return FALSE;
    m_hWaveIn = NULL;
    FreeAllWaveBlocks();
    // The reset and the close have posted the returned buffers and the close notice of this
    // device. Left queued, they would reach a device opened by a quick resume: replacements
    // queued into it and, with the close notice, its live buffers freed under it.
    MSG msg;
    while (::PeekMessageA(&msg, m_hWnd, MM_WIM_OPEN, MM_WIM_DATA, PM_REMOVE)) {
    }
    return TRUE;
}

void CKalvora::LoseCapture(DWORD dwNow)
{
    CloseCapture();
    m_bCaptureLost = TRUE;
    m_dwRetryAt = dwNow + kRetryMs;
}

void CKalvora::WatchCapture(DWORD dwNow)
{
    if (!m_bCaptureWanted || m_bReportingWave)
        return;
    if (m_bCaptureLost) {
        if ((LONG)(dwNow - m_dwRetryAt) >= 0 && OpenCapture() != MMSYSERR_NOERROR)
            LoseCapture(dwNow);
        return;
    }
    const DWORD dwLimit = m_bSoundFlowing ? kStallMs : kFirstSoundMs;
    if (m_bRecording && dwNow - m_dwLastSound > dwLimit)
        LoseCapture(dwNow);
}

void CKalvora::OnTimer(UINT_PTR nID)
{
    if (nID == kCaptureWatchTimer)
        WatchCapture(::timeGetTime());
}

LRESULT CKalvora::OnSoundSwitch(WPARAM wParam, LPARAM)
{
    if (wParam == 0)
        StartWaveIn();
    else
        StopWaveIn();
    return 0;
}

void CKalvora::ReportWaveError(MMRESULT mmr)
{
    // One box at a time: the box's own message loop goes on handling wave messages and timers.
    if (m_bReportingWave)
        return;
    char szText[256];
    if (::waveInGetErrorTextA(mmr, szText, sizeof(szText)) != MMSYSERR_NOERROR)
        return;
    m_bReportingWave = TRUE;
    AfxMessageBox(szText, MB_ICONSTOP, 0);
    m_bReportingWave = FALSE;
}
