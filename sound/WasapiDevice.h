// CWasapiDevice: WASAPI capture (above all, loopback of what the computer plays) behind the wave-input calls.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include "sound/WaveApi.h"
#include "sound/MixConverter.h"
#include "sound/SilenceClock.h"
#include "sound/WasapiClient.h"

// Speaks waveIn's protocol (window callbacks only) so that capture's hand-over, pause, loss and retry work on it
// unchanged. Each open device is one object, its address the handle, with a worker thread that owns every COM
// object of the stream: the caller's thread never touches COM. The worker polls the stream, converts its packets
// to the format asked for, makes silence from the clock while the system sends none, and fills the queued buffers
// oldest first. It follows a change of the default endpoint by itself; a lost endpoint just stops the buffers,
// and capture's stall watch closes and reopens the device.
class CWasapiDevice
{
public:
    // Device numbers: what the default playback device plays, and the default recording device (the table's
    // "default device", so that a capture opening its default records from it).
    enum { LOOPBACK = 0 };
    static const UINT DEFAULT_CAPTURE = WAVE_MAPPER;
    // Failures of its own, beside the system's MMSYSERR_ and WAVERR_ codes (GetErrorText explains them).
    enum {
        ERR_BASE = 0x5700,
        ERR_NO_LOOPBACK = ERR_BASE,   // the system will not record a playback device
        ERR_NO_PLAYBACK_DEVICE,
        ERR_NO_RECORDING_DEVICE,
        ERR_UNREADABLE_FORMAT,        // the endpoint's mix format is none that CMixConverter reads
        ERR_SOUND_SYSTEM,             // any other refusal of the sound system
        ERR_END
    };
    enum { POLL_MS = 10, DEFAULT_CHECK_MS = 500 };

    // The wave-input calls on these devices (pfnShowError, where the table has it, stays empty).
    static const SWaveApi& Api();
    // Whether loopback can be opened on this system now (a quick probe on a thread of its own).
    static BOOL LoopbackSupported();

private:
    enum ECommand { CMD_NONE, CMD_START, CMD_RESET, CMD_QUIT };
    enum { FIFO_SAMPLES = 8192, MAX_PACKETS_PER_POLL = 64 };

    CWasapiDevice(UINT uDevice, HWND hWnd, DWORD dwRate);
    ~CWasapiDevice();

    static MMRESULT WINAPI Open(LPHWAVEIN phWaveIn, UINT uDevice, LPCWAVEFORMATEX pwfx, DWORD_PTR dwCallback,
                                DWORD_PTR dwInstance, DWORD fdwOpen);
    static MMRESULT WINAPI Start(HWAVEIN hWaveIn);
    static MMRESULT WINAPI Reset(HWAVEIN hWaveIn);
    static MMRESULT WINAPI Close(HWAVEIN hWaveIn);
    static MMRESULT WINAPI Prepare(HWAVEIN hWaveIn, LPWAVEHDR pHdr, UINT cbHdr);
    static MMRESULT WINAPI Unprepare(HWAVEIN hWaveIn, LPWAVEHDR pHdr, UINT cbHdr);
    static MMRESULT WINAPI AddBuffer(HWAVEIN hWaveIn, LPWAVEHDR pHdr, UINT cbHdr);
    static MMRESULT WINAPI GetErrorText(MMRESULT mmr, LPSTR pszText, UINT cchText);

    static MMRESULT CheckFormat(LPCWAVEFORMATEX pwfx, DWORD fdwOpen);
    static CWasapiDevice* FromHandle(HWAVEIN hWaveIn);
    static MMRESULT CheckHeaderCall(HWAVEIN hWaveIn, LPWAVEHDR pHdr, UINT cbHdr);
    static void Register(CWasapiDevice* pDevice, BOOL bAdd);
    static DWORD WINAPI ProbeProc(LPVOID);

    MMRESULT Launch();
    MMRESULT Command(ECommand cmd);
    void Post(UINT uMsg, WAVEHDR* pHdr);
    MMRESULT Enqueue(LPWAVEHDR pHdr);
    BOOL HasQueued();

    // On the worker thread.
    static DWORD WINAPI ThreadProc(LPVOID pParam);
    void Run();
    MMRESULT OpenStream();
    MMRESULT StartStream(DWORD dwNow);
    void Obey(ECommand cmd);
    void Poll(DWORD dwNow);
    BOOL ReadPackets(DWORD dwNow);
    void MakeRoom(int nSamples);
    void AddSilence(int nSamples);
    void Deliver();
    void ReturnAll();
    void FollowDefault(DWORD dwNow);

    UINT m_uDevice;
    HWND m_hWnd;
    HANDLE m_hThread;
    HANDLE m_hWake;          // a command is waiting
    HANDLE m_hDone;          // the worker has opened the stream, or obeyed a command
    CRITICAL_SECTION m_csCommand;   // one command at a time
    CRITICAL_SECTION m_csQueue;     // the queued headers, shared by the caller and the worker
    volatile ECommand m_command;
    MMRESULT m_mmrResult;    // of the opening, or of the last command
    WAVEHDR* m_pHead;        // queued headers, oldest first, chained through lpNext
    WAVEHDR* m_pTail;

    // Worker only.
    CWasapiClient m_client;
    CMixConverter m_converter;
    CSilenceClock m_clock;
    DWORD m_dwRate;
    BOOL m_bRunning;
    BOOL m_bDead;            // the stream failed: nothing more is delivered
    DWORD m_dwLastCheck;     // time the default endpoint was last compared
    short m_fifo[FIFO_SAMPLES];
    int m_nFifo;
};
