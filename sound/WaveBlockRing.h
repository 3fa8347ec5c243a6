// CWaveBlockRing: the five sound blocks a device fills in turn, each a header and 200 samples in one global block.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include "sound/WaveApi.h"

// Owned by one capture; a block is allocated when it is queued and freed when it has come back or the device
// has let go of it. A block the device would not give back is abandoned, never freed under it.
class CWaveBlockRing
{
public:
    enum { BLOCKS = 5, HEADER_BYTES = 32, DATA_BYTES = 400, BLOCK_BYTES = HEADER_BYTES + DATA_BYTES };

    CWaveBlockRing();

    // Allocates the next slot's block and queues it on the device.
    MMRESULT Add(const SWaveApi& api, HWAVEIN hWaveIn);
    // A returned header: TRUE when it is the block expected next; its samples are copied out and the block freed.
    // Any other header matches no expected slot and is left alone.
    BOOL Take(const SWaveApi& api, HWAVEIN hWaveIn, WAVEHDR* pHdr, short* pSamples);
    void FreeAll(const SWaveApi& api, HWAVEIN hWaveIn);
    void AbandonAll();
    // The next device starts its rotation afresh, whatever this one left behind.
    void Restart() { m_nAddBlock = m_nDoneBlock = 0; }

    // Over all rings of the process: blocks allocated and not yet freed, and blocks left to devices.
    static LONG GetLiveBlocks() { return s_nLiveBlocks; }
    static LONG GetAbandonedBlocks() { return s_nAbandonedBlocks; }

    LPBYTE m_pWaveBlock[BLOCKS];
    int m_nAddBlock;
    int m_nDoneBlock;

private:
    void Free(const SWaveApi& api, HWAVEIN hWaveIn, int nSlot);

    static volatile LONG s_nLiveBlocks;
    static volatile LONG s_nAbandonedBlocks;
};
