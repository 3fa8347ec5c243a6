// CSoundInput: the recording the display draws from; a newly chosen device takes over once it delivers.
#pragma once

#include "sound/WaveCapture.h"

// Owned by the display window on the render thread, which forwards the device callbacks to it. A device that
// is opened may take a second or two before its buffers flow, so a change of device keeps the old one
// recording until the new one delivers steadily (or has failed): the picture never waits for the switch.
class CSoundInput
{
public:
    CSoundInput();
    // A newly chosen device takes over once it has delivered HANDOVER_BUFFERS over HANDOVER_MS; one that
    // hasn't after GIVE_UP_MS takes over all the same and is retried as a lost device.
    enum { HANDOVER_BUFFERS = 5, HANDOVER_MS = 300, GIVE_UP_MS = 10000 };

    void SetApi(const SWaveApi* pApi);
    // The device to record from (WAVE_MAPPER for the system's default); takes effect at once when running.
    void SetDevice(UINT uDevice, DWORD dwNow);
    UINT GetDevice() const;

    BOOL Start(HWND hWndCallback, DWORD dwNow);
    void Stop();
    void OnWimOpen(HWAVEIN hWaveIn);
    // TRUE when the buffer was taken: its samples are in pSamples.
    BOOL OnWimData(HWAVEIN hWaveIn, WAVEHDR* pHdr, short* pSamples);
    void OnWimClose(HWAVEIN hWaveIn);
    void Watch(DWORD dwNow);
    // The longest time between two buffers taken since the last call, across changes of device.
    DWORD TakeLongestGap();

    // The device recording now, and the one chosen to follow it (not wanted while there is none).
    CWaveCapture& Current() { return m_capture[m_nCurrent]; }
    CWaveCapture& Next() { return m_capture[1 - m_nCurrent]; }

private:
    void HandOver();
    void NoteBuffer();

    CWaveCapture m_capture[2];
    int m_nCurrent;
    HWND m_hWndCallback;
    int m_nNextTaken;      // buffers the chosen device has delivered while the old one still records
    DWORD m_dwNextFirst;   // when the first of them came
    DWORD m_dwNextChosen;  // when that device was chosen
    DWORD m_dwLastTaken;   // 0 before the first buffer
    DWORD m_dwLongestGap;
};
