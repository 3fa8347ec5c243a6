// CWaveBlockRing: global blocks of a 32-byte header and 400 bytes of samples, queued and taken back in order.
#include "sound/WaveBlockRing.h"

static_assert(sizeof(WAVEHDR) == CWaveBlockRing::HEADER_BYTES, "block layout assumes a 32-byte header");

volatile LONG CWaveBlockRing::s_nLiveBlocks = 0;
volatile LONG CWaveBlockRing::s_nAbandonedBlocks = 0;

CWaveBlockRing::CWaveBlockRing() : m_nAddBlock(0), m_nDoneBlock(0)
{
    ZeroMemory(m_pWaveBlock, sizeof(m_pWaveBlock));
}

MMRESULT CWaveBlockRing::Add(const SWaveApi& api, HWAVEIN hWaveIn)
{
    if (m_pWaveBlock[m_nAddBlock] != NULL)
        return MMSYSERR_ALLOCATED;
    HGLOBAL hBlock = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, BLOCK_BYTES);
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
    pHdr->lpData = (LPSTR)(pBlock + HEADER_BYTES);
    pHdr->dwBufferLength = DATA_BYTES;
    MMRESULT mmr = api.pfnPrepareHeader(hWaveIn, pHdr, sizeof(WAVEHDR));
    if (mmr != MMSYSERR_NOERROR)
        return mmr;
    mmr = api.pfnAddBuffer(hWaveIn, pHdr, sizeof(WAVEHDR));
    if (mmr != MMSYSERR_NOERROR)
        return mmr;
    m_nAddBlock = (m_nAddBlock + 1) % BLOCKS;
    return MMSYSERR_NOERROR;
}

BOOL CWaveBlockRing::Take(const SWaveApi& api, HWAVEIN hWaveIn, WAVEHDR* pHdr, short* pSamples)
{
    if (pHdr == NULL || (LPBYTE)pHdr != m_pWaveBlock[m_nDoneBlock])
        return FALSE;
    CopyMemory(pSamples, (LPBYTE)pHdr + HEADER_BYTES, DATA_BYTES);
    Free(api, hWaveIn, m_nDoneBlock);
    m_nDoneBlock = (m_nDoneBlock + 1) % BLOCKS;
    return TRUE;
}

void CWaveBlockRing::Free(const SWaveApi& api, HWAVEIN hWaveIn, int nSlot)
{
    LPBYTE pBlock = m_pWaveBlock[nSlot];
    if (pBlock == NULL)
        return;
    api.pfnUnprepareHeader(hWaveIn, (WAVEHDR*)pBlock, sizeof(WAVEHDR));
    HGLOBAL hBlock = ::GlobalHandle(pBlock);
    ::GlobalUnlock(hBlock);
    ::GlobalFree(hBlock);
    m_pWaveBlock[nSlot] = NULL;
    ::InterlockedDecrement(&s_nLiveBlocks);
}

void CWaveBlockRing::FreeAll(const SWaveApi& api, HWAVEIN hWaveIn)
{
    for (int i = 0; i < BLOCKS; i++)
        Free(api, hWaveIn, i);
}

void CWaveBlockRing::AbandonAll()
{
    for (int i = 0; i < BLOCKS; i++) {
        if (m_pWaveBlock[i] == NULL)
            continue;
        m_pWaveBlock[i] = NULL;
        ::InterlockedDecrement(&s_nLiveBlocks);
        ::InterlockedIncrement(&s_nAbandonedBlocks);
    }
}
