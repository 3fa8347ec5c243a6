// CWaveInHandle: one open wave-input device, in the program's format, and a close that never leaves it behind.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include "sound/WaveApi.h"
#include "sound/WaveBlockRing.h"

// Owned by one capture. The device calls back to a window; which table opened it (the system's wave input or
// another kind of device speaking the same calls) is remembered for every later call on it.
class CWaveInHandle
{
public:
    CWaveInHandle();

    // Opens device uDevice of the table with 16-bit mono sound at 11025 samples a second and starts it; a device
    // that opens but will not start is closed again.
    MMRESULT Open(const SWaveApi& api, UINT uDevice, DWORD dwFlags, HWND hWndCallback, CWaveBlockRing& ring);
    // Resets and closes; the ring's blocks are freed once the device has let go of them. One that refuses both
    // the reset and the close is given up with the blocks it may still write into, so that the next open is not
    // refused because of it.
    void Close(CWaveBlockRing& ring);

    HWAVEIN Get() const { return m_hWaveIn; }
    const SWaveApi& Api() const { return *m_pApi; }
    // A notice on this handle that is this device's, not a closed device's that had the same handle.
    BOOL Owns(HWAVEIN hWaveIn) const { return hWaveIn != NULL && hWaveIn == m_hWaveIn && !m_bOldNotices; }
    void OnCloseNoticePassed(HWAVEIN hWaveIn);

    static LONG GetAbandonedHandles() { return s_nAbandonedHandles; }
    // The longest time the system took to open and start, or to reset and close, a device since the last call:
    // the render thread waits for it, and on some systems it is seconds.
    static DWORD TakeLongestOpen();

    WAVEFORMATEX m_wfx;

private:
    static void NoteSystemTime(DWORD dwBefore);

    const SWaveApi* m_pApi;
    HWAVEIN m_hWaveIn;
    HWND m_hWndCallback;
    BOOL m_bOldNotices;   // the handle was given anew while the notices of its last device are still queued

    static volatile LONG s_nAbandonedHandles;
    static DWORD s_dwLongestOpen;
};
