// CWaveCapture: one input kept recording in five rotating buffers, looked up by name at every open, retried quietly.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include "sound/InputName.h"
#include "sound/WaveApi.h"
#include "sound/WaveBlockRing.h"
#include "sound/WaveInHandle.h"

// Owned by the sound input on the render thread, which hands it the device's notices. Start and Stop are the
// user's wishes; while capture is wanted, a device that stalls, fails or is missing is closed and reopened quietly
// until buffers flow again, and a renumbered device is found by its name wherever it is now.
class CWaveCapture
{
public:
    enum { STALL_MS = 600, FIRST_SOUND_MS = 5000, RETRY_MAX_MS = 1000, WATCH_MS = 200 };
    // A device flows once it has delivered FLOW_BUFFERS over FLOW_MS: its first buffers can come in a burst and the
    // next ones only seconds later. Only a flowing device is held to the STALL_MS watch.
    enum { FLOW_BUFFERS = 5, FLOW_MS = 300 };

    CWaveCapture();
    ~CWaveCapture();

    // The tables devices are opened with: the system's wave input for the default and named devices, and the
    // device that records what the computer plays (NULL where there is none).
    void SetApis(const SWaveApi* pWave, const SWaveApi* pLoopback);
    // A change while capture is wanted opens the new input at once.
    void SetInput(const CInputName& input, DWORD dwNow);
    const CInputName& GetInput() const { return m_input; }

    // Opens and starts the input, with the window that is to receive its notices. FALSE when it failed: it is
    // tried again in the background, and a failure of a device that is there waits in TakeError.
    BOOL Start(HWND hWndCallback, DWORD dwNow);
    // Ends capture and closes the device; buffers still on their way back are then ignored.
    void Stop();

    void OnWimOpen(HWAVEIN hWaveIn);
    // Takes a returned buffer. TRUE when it was the one expected next: its samples are copied to pSamples
    // (200 of them) and the block is freed and replaced.
    BOOL OnWimData(HWAVEIN hWaveIn, WAVEHDR* pHdr, short* pSamples);
    // A close notice: of a device closed here it lets a device with the same handle listen; of the live device,
    // which closed by itself, it is a loss.
    void OnWimClose(HWAVEIN hWaveIn);
    void OnCloseNotice(HWAVEIN hWaveIn) { m_handle.OnCloseNoticePassed(hWaveIn); }
    // Called every WATCH_MS or so: closes a stalled device and retries a lost one.
    void Watch(DWORD dwNow);

    BOOL IsWanted() const { return m_bWanted; }
    BOOL IsLost() const { return m_bLost; }
    BOOL IsRecording() const { return m_bRecording; }
    BOOL IsFlowing() const { return m_bFlowing; }
    // A failure of an open the user asked for (a start, a resume, a new input), not yet told: its code and the
    // table whose texts explain it. A device that is missing is not a failure to tell: it is waited for.
    BOOL TakeError(MMRESULT* pmmr, const SWaveApi** ppApi);
    BOOL PeekError(MMRESULT* pmmr, const SWaveApi** ppApi) const;

    // The millisecond clock that times buffers, stalls and retries: the multimedia timer, or a test's (NULL for the
    // timer again).
    static void SetClock(DWORD (*pfnNow)());
    static DWORD Now() { return s_pfnNow(); }

    CWaveInHandle m_handle;
    CWaveBlockRing m_ring;

private:
    MMRESULT Open(DWORD dwNow);
    void OpenAsked(DWORD dwNow);
    void Close();
    void Lose(DWORD dwNow);
    void NoteBuffer(DWORD dwNow);

    const SWaveApi* m_pWaveApi;
    const SWaveApi* m_pLoopbackApi;
    CInputName m_input;
    HWND m_hWndCallback;
    BOOL m_bWanted;      // started and not stopped since: a lost device is reopened
    BOOL m_bLost;        // closed after a stall, an error or while missing, waiting for the next try
    BOOL m_bRecording;   // open: a returned buffer is replaced
    BOOL m_bFlowing;     // FLOW_BUFFERS have come over FLOW_MS since the device was opened
    BOOL m_bMissing;     // the last open found no device of the name
    int m_nBuffers;      // buffers since the open
    DWORD m_dwFirstBuffer;
    DWORD m_dwLastSound; // time of the last buffer back, or of the opening
    DWORD m_dwRetryAt;
    DWORD m_dwRetryGap;  // grows from 0 to RETRY_MAX_MS while the device stays away
    MMRESULT m_mmrError;
    const SWaveApi* m_pErrorApi;

    static DWORD (*s_pfnNow)();
};
