// CKalvora: wave capture in five rotating buffers, one analysed sample and one frame permission per buffer.
#include "engine/Kalvora.h"

namespace {
const int kBlocks = 5;
const int kHeaderBytes = 32;        // the WAVEHDR at the start of each block
const int kDataBytes = 400;         // 200 samples of 16-bit mono
const int kAnalysedSample = 99;     // the one sample of each buffer that is measured
static_assert(sizeof(WAVEHDR) == kHeaderBytes, "block layout assumes a 32-byte header");
}

volatile LONG CKalvora::s_nLiveWaveBlocks = 0;

BOOL CKalvora::StartWaveIn()
{
    if (m_hWaveIn != NULL && m_bRecording)
        return TRUE;   // a second resume must not open (and orphan) a second device
    m_wfx.wFormatTag = WAVE_FORMAT_PCM;
    m_wfx.nChannels = 1;
    m_wfx.nSamplesPerSec = 11025;
    m_wfx.nAvgBytesPerSec = 22050;
    m_wfx.nBlockAlign = 2;
    m_wfx.wBitsPerSample = 16;
    m_wfx.cbSize = 0;
    m_nBlockSize = kHeaderBytes + kDataBytes;
    MMRESULT mmr = ::waveInOpen(&m_hWaveIn, WAVE_MAPPER, &m_wfx, (DWORD_PTR)m_hWnd, 0, CALLBACK_WINDOW);
    if (mmr == MMSYSERR_NOERROR)
        mmr = ::waveInStart(m_hWaveIn);
    if (mmr != MMSYSERR_NOERROR) {
        ReportWaveError(mmr);
        return FALSE;
    }
    m_bRecording = TRUE;
    return TRUE;   // buffers are queued when the device reports itself open
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
        MMRESULT mmr = AddWaveBuffer();
        if (mmr != MMSYSERR_NOERROR) {
            ReportWaveError(mmr);
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
        m_analyzer.AddSample(pSamples[kAnalysedSample]);
        m_evSound.SetEvent();
        FreeWaveBlock(m_nDoneBlock);
        m_nDoneBlock = (m_nDoneBlock + 1) % kBlocks;
    }
    if (m_bRecording) {
        MMRESULT mmr = AddWaveBuffer();
        if (mmr != MMSYSERR_NOERROR)
            ReportWaveError(mmr);
    }
    return 0;
}

LRESULT CKalvora::OnWimClose(WPARAM, LPARAM)
{
    for (int i = 0; i < kBlocks; i++)
        FreeWaveBlock(i);
    return 0;
}

BOOL CKalvora::StopWaveIn()
{
    if (m_hWaveIn == NULL)
        return TRUE;
    m_bRecording = FALSE;
    if (::waveInReset(m_hWaveIn) != MMSYSERR_NOERROR)
        return TRUE;
    m_evSound.ResetEvent();   // no frame for sound recorded before the stop
    for (int i = 0; i < kBlocks; i++)
        FreeWaveBlock(i);
    if (::waveInClose(m_hWaveIn) == MMSYSERR_NOERROR)
        m_hWaveIn = NULL;
    // The reset and the close have posted the returned buffers and the close notice of this
    // device. Left queued, they would reach a device opened by a quick resume: replacements
    // queued into it and, with the close notice, its live buffers freed under it.
    MSG msg;
    while (::PeekMessageA(&msg, m_hWnd, MM_WIM_OPEN, MM_WIM_DATA, PM_REMOVE)) {
    }
    return TRUE;
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
    char szText[256];
    if (::waveInGetErrorTextA(mmr, szText, sizeof(szText)) == MMSYSERR_NOERROR)
        AfxMessageBox(szText, MB_ICONSTOP, 0);
}
