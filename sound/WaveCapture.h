// CWaveCapture: a wave-input device kept recording in five rotating buffers, reopened when it is lost.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include "sound/WaveApi.h"

// Owned by the display window on the render thread, which forwards the device's MM_WIM_OPEN, MM_WIM_DATA and
// MM_WIM_CLOSE to it (the device calls back to that window). Start and Stop are the user's wishes; while
// capture is wanted, a device that stalls or fails is closed and reopened quietly until buffers flow again.
class CWaveCapture
{
public:
    enum { BLOCKS = 5 };
    enum { STALL_MS = 600, FIRST_SOUND_MS = 5000, RETRY_MAX_MS = 1000 };

    CWaveCapture();
    ~CWaveCapture();

    void SetApi(const SWaveApi* pApi) { m_pApi = pApi; }
    // The device to record from: WAVE_MAPPER (the system's default) or a wave-input device number.
    // A change while capture runs moves capture to the new device at once.
    void SetDevice(UINT uDevice, DWORD dwNow);
    UINT GetDevice() const { return m_uDevice; }

    // Opens and starts the device, with the window that is to receive its callbacks. On failure the
    // system's text is shown once and the device is tried again in the background.
    BOOL Start(HWND hWndCallback, DWORD dwNow);
    // Ends capture and closes the device; buffers still on their way back are then ignored.
    void Stop();

    void OnWimOpen(HWAVEIN hWaveIn);
    // Takes a returned buffer. TRUE when it was the one expected next: its samples are copied to pSamples
    // (BUFFER_SAMPLES of them) and the block is freed and replaced.
    BOOL OnWimData(HWAVEIN hWaveIn, WAVEHDR* pHdr, short* pSamples);
    void OnWimClose(HWAVEIN hWaveIn);
    // The close notice of a handle closed here is still owed (IsClosedHandle); taking one such notice, once
    // for every notice that reaches the window, says TRUE when it was the last one owed for that handle.
    static BOOL IsClosedHandle(HWAVEIN hWaveIn);
    static BOOL TakeClosedHandle(HWAVEIN hWaveIn);
    // A close notice taken above: a capture given that handle anew listens to it from now on.
    void OnCloseNotice(HWAVEIN hWaveIn);
    // Called every WATCH_MS or so: closes a stalled device and retries a lost one.
    void Watch(DWORD dwNow);
    enum { WATCH_MS = 200 };

    MMRESULT AddWaveBuffer();
    BOOL IsWanted() const { return m_bWanted; }
    BOOL IsLost() const { return m_bLost; }

    // Blocks allocated and not yet freed, and blocks (and handles) left to a device that would not let go
    // of them, over all captures of the process.
    static LONG GetLiveBlocks() { return s_nLiveBlocks; }
    static LONG GetAbandonedBlocks() { return s_nAbandonedBlocks; }
    static LONG GetAbandonedHandles() { return s_nAbandonedHandles; }
    // The longest time the system took to open and start, or to reset and close, a device since the last
    // call: the render thread waits for it, and on some systems it is seconds.
    static DWORD TakeLongestOpen();

    // The device and its buffer rotation (read by the tests).
    HWAVEIN m_hWaveIn;
    BOOL m_bRecording;
    LPBYTE m_pWaveBlock[BLOCKS];
    int m_nAddBlock;
    int m_nDoneBlock;
    WAVEFORMATEX m_wfx;
    int m_nBlockSize;

private:
    MMRESULT Open(DWORD dwNow);
    void Close();
    void Lose(DWORD dwNow);
    void FreeBlock(int nSlot);
    void FreeAllBlocks();
    void AbandonAllBlocks();
    static void NoteClosedHandle(HWAVEIN hWaveIn, HWND hWnd);
    static void RemoveClosedHandle(int i);
    void ReportError(MMRESULT mmr);
    static void NoteSystemTime(DWORD dwBefore);

    const SWaveApi* m_pApi;
    HWND m_hWndCallback;
    UINT m_uDevice;
    BOOL m_bWanted;      // started and not stopped since: a lost device is reopened
    BOOL m_bLost;        // closed after a stall or an error, waiting for the next try
    BOOL m_bFlowing;     // a buffer has come back since the device was opened
    BOOL m_bReporting;   // an error box is up
    BOOL m_bOldNotices;  // the handle was given anew while the notices of its last device are still queued
    DWORD m_dwLastSound; // time of the last buffer back, or of the opening
    DWORD m_dwRetryAt;
    DWORD m_dwRetryGap;  // grows from 0 to RETRY_MAX_MS while the device stays away

    static volatile LONG s_nLiveBlocks;
    static volatile LONG s_nAbandonedBlocks;
    static volatile LONG s_nAbandonedHandles;
    static DWORD s_dwLongestOpen;
    // Handles closed whose close notice has not come through yet, oldest first. Only the render thread
    // opens and closes devices, so no lock.
    // opens and closes devices, so no lock. A window that is gone owes nothing.
    struct SClosedHandle { HWAVEIN hWaveIn; HWND hWnd; };
    enum { CLOSED_HANDLES = 8 };
    static SClosedHandle s_closed[CLOSED_HANDLES];
    static int s_nClosed;
};
