// CWasapiDevice: the wave-input calls, the worker's poll loop and the hand-over of filled buffers.
#include "sound/WasapiDevice.h"
#include <audioclient.h>

namespace {
const HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
const int kMaxDevices = 16;

// The open devices: a handle not among them is refused rather than followed into freed memory.
struct SRegistry
{
    CRITICAL_SECTION cs;
    CWasapiDevice* pDevices[kMaxDevices];
    SRegistry() : pDevices() { ::InitializeCriticalSection(&cs); }
};
SRegistry& Registry()
{
    static SRegistry s_registry;
    return s_registry;
}

const char* TextOf(MMRESULT mmr)
{
    switch (mmr) {
    case CWasapiDevice::ERR_NO_LOOPBACK:
        return "This system cannot record what the computer plays: its sound system does not offer loopback "
               "recording. Choose another input.";
    case CWasapiDevice::ERR_NO_PLAYBACK_DEVICE:
        return "There is no playback device whose sound could be recorded.";
    case CWasapiDevice::ERR_NO_RECORDING_DEVICE:
        return "There is no recording device.";
    case CWasapiDevice::ERR_UNREADABLE_FORMAT:
        return "The sound device uses a sample format that cannot be read.";
    case CWasapiDevice::ERR_SOUND_SYSTEM:
        return "The sound system refused to record from the device.";
    default:
        return NULL;
    }
}

MMRESULT ResultOf(HRESULT hr, BOOL bLoopback)
{
    if (SUCCEEDED(hr))
        return MMSYSERR_NOERROR;
    if (hr == AUDCLNT_E_WRONG_ENDPOINT_TYPE && bLoopback)
        return CWasapiDevice::ERR_NO_LOOPBACK;
    if (hr == kNotFound)
        return bLoopback ? CWasapiDevice::ERR_NO_PLAYBACK_DEVICE : CWasapiDevice::ERR_NO_RECORDING_DEVICE;
    if (hr == E_OUTOFMEMORY)
        return MMSYSERR_NOMEM;
    if (hr == AUDCLNT_E_DEVICE_IN_USE)
        return MMSYSERR_ALLOCATED;
    return CWasapiDevice::ERR_SOUND_SYSTEM;
}
}

const SWaveApi& CWasapiDevice::Api()
{
    // Its devices are the two above, not a list.
    static const SWaveApi api = { Open, Start, Reset, Close, Prepare, Unprepare, AddBuffer, GetErrorText, NULL, NULL };
    return api;
}

CWasapiDevice::CWasapiDevice(UINT uDevice, HWND hWnd, DWORD dwRate)
    : m_uDevice(uDevice), m_hWnd(hWnd), m_hThread(NULL), m_hWake(::CreateEventA(NULL, FALSE, FALSE, NULL)),
      m_hDone(::CreateEventA(NULL, FALSE, FALSE, NULL)), m_command(CMD_NONE), m_mmrResult(MMSYSERR_NOERROR),
      m_pHead(NULL), m_pTail(NULL), m_clock(dwRate), m_dwRate(dwRate), m_bRunning(FALSE), m_bDead(FALSE),
      m_dwLastCheck(0), m_nFifo(0)
{
    ::InitializeCriticalSection(&m_csCommand);
    ::InitializeCriticalSection(&m_csQueue);
}

CWasapiDevice::~CWasapiDevice()
{
    if (m_hThread)
        ::CloseHandle(m_hThread);
    ::CloseHandle(m_hWake);
    ::CloseHandle(m_hDone);
    ::DeleteCriticalSection(&m_csCommand);
    ::DeleteCriticalSection(&m_csQueue);
}

// ---- The registry of open devices

void CWasapiDevice::Register(CWasapiDevice* pDevice, BOOL bAdd)
{
    SRegistry& reg = Registry();
    ::EnterCriticalSection(&reg.cs);
    for (int i = 0; i < kMaxDevices; i++) {
        if (reg.pDevices[i] == (bAdd ? NULL : pDevice)) {
            reg.pDevices[i] = bAdd ? pDevice : NULL;
            break;
        }
    }
    ::LeaveCriticalSection(&reg.cs);
}

CWasapiDevice* CWasapiDevice::FromHandle(HWAVEIN hWaveIn)
{
    CWasapiDevice* pFound = NULL;
    SRegistry& reg = Registry();
    ::EnterCriticalSection(&reg.cs);
    for (int i = 0; i < kMaxDevices && pFound == NULL; i++) {
        if (hWaveIn != NULL && reg.pDevices[i] == (CWasapiDevice*)hWaveIn)
            pFound = reg.pDevices[i];
    }
    ::LeaveCriticalSection(&reg.cs);
    return pFound;
}

// ---- The wave-input calls (on the caller's thread)

MMRESULT CWasapiDevice::CheckFormat(LPCWAVEFORMATEX pwfx, DWORD fdwOpen)
{
    if ((fdwOpen & CALLBACK_TYPEMASK) != CALLBACK_WINDOW)
        return MMSYSERR_INVALFLAG;
    if (pwfx == NULL)
        return MMSYSERR_INVALPARAM;
    // Any rate: the converter makes it. Only 16-bit mono samples, though.
    if (pwfx->wFormatTag != WAVE_FORMAT_PCM || pwfx->nChannels != 1 || pwfx->wBitsPerSample != 16 ||
        pwfx->nSamplesPerSec == 0)
        return WAVERR_BADFORMAT;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI CWasapiDevice::Open(LPHWAVEIN phWaveIn, UINT uDevice, LPCWAVEFORMATEX pwfx, DWORD_PTR dwCallback,
                                    DWORD_PTR, DWORD fdwOpen)
{
    if (uDevice != LOOPBACK && uDevice != DEFAULT_CAPTURE)
        return MMSYSERR_BADDEVICEID;
    MMRESULT mmr = CheckFormat(pwfx, fdwOpen);
    if (mmr != MMSYSERR_NOERROR || (fdwOpen & WAVE_FORMAT_QUERY))
        return mmr;
    if (phWaveIn == NULL)
        return MMSYSERR_INVALPARAM;
    CWasapiDevice* pDevice = new CWasapiDevice(uDevice, (HWND)dwCallback, pwfx->nSamplesPerSec);
    mmr = pDevice->Launch();
    if (mmr != MMSYSERR_NOERROR) {
        delete pDevice;
        return mmr;
    }
    Register(pDevice, TRUE);
    *phWaveIn = (HWAVEIN)pDevice;
    pDevice->Post(MM_WIM_OPEN, NULL);
    return MMSYSERR_NOERROR;
}

// The worker opens the stream before the open returns, so that its failure is the open's.
MMRESULT CWasapiDevice::Launch()
{
    if (m_hWake == NULL || m_hDone == NULL)
        return MMSYSERR_NOMEM;
    DWORD dwId = 0;
    m_hThread = ::CreateThread(NULL, 0, ThreadProc, this, 0, &dwId);
    if (m_hThread == NULL)
        return MMSYSERR_NOMEM;
    ::WaitForSingleObject(m_hDone, INFINITE);
    if (m_mmrResult != MMSYSERR_NOERROR)
        ::WaitForSingleObject(m_hThread, INFINITE);   // it has released everything and ends
    return m_mmrResult;
}

MMRESULT CWasapiDevice::Command(ECommand cmd)
{
    ::EnterCriticalSection(&m_csCommand);
    m_command = cmd;
    ::SetEvent(m_hWake);
    if (cmd == CMD_QUIT)
        ::WaitForSingleObject(m_hThread, INFINITE);
    else
        ::WaitForSingleObject(m_hDone, INFINITE);
    const MMRESULT mmr = m_mmrResult;
    ::LeaveCriticalSection(&m_csCommand);
    return mmr;
}

void CWasapiDevice::Post(UINT uMsg, WAVEHDR* pHdr)
{
    // Without a window the notice would go to the posting thread's own queue, which nobody reads.
    if (m_hWnd != NULL)
        ::PostMessageA(m_hWnd, uMsg, (WPARAM)this, (LPARAM)pHdr);
}

MMRESULT WINAPI CWasapiDevice::Start(HWAVEIN hWaveIn)
{
    CWasapiDevice* pDevice = FromHandle(hWaveIn);
    return pDevice ? pDevice->Command(CMD_START) : MMSYSERR_INVALHANDLE;
}

MMRESULT WINAPI CWasapiDevice::Reset(HWAVEIN hWaveIn)
{
    CWasapiDevice* pDevice = FromHandle(hWaveIn);
    return pDevice ? pDevice->Command(CMD_RESET) : MMSYSERR_INVALHANDLE;
}

// As with waveIn, buffers still queued must be returned (Reset) first.
MMRESULT WINAPI CWasapiDevice::Close(HWAVEIN hWaveIn)
{
    CWasapiDevice* pDevice = FromHandle(hWaveIn);
    if (pDevice == NULL)
        return MMSYSERR_INVALHANDLE;
    if (pDevice->HasQueued())
        return WAVERR_STILLPLAYING;
    Register(pDevice, FALSE);
    pDevice->Command(CMD_QUIT);
    pDevice->Post(MM_WIM_CLOSE, NULL);
    delete pDevice;
    return MMSYSERR_NOERROR;
}

// A header call on an open device with a whole header: as waveIn checks them.
MMRESULT CWasapiDevice::CheckHeaderCall(HWAVEIN hWaveIn, LPWAVEHDR pHdr, UINT cbHdr)
{
    if (FromHandle(hWaveIn) == NULL)
        return MMSYSERR_INVALHANDLE;
    if (pHdr == NULL || cbHdr < sizeof(WAVEHDR))
        return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI CWasapiDevice::Prepare(HWAVEIN hWaveIn, LPWAVEHDR pHdr, UINT cbHdr)
{
    const MMRESULT mmr = CheckHeaderCall(hWaveIn, pHdr, cbHdr);
    if (mmr != MMSYSERR_NOERROR)
        return mmr;
    pHdr->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI CWasapiDevice::Unprepare(HWAVEIN hWaveIn, LPWAVEHDR pHdr, UINT cbHdr)
{
    const MMRESULT mmr = CheckHeaderCall(hWaveIn, pHdr, cbHdr);
    if (mmr != MMSYSERR_NOERROR)
        return mmr;
    if (pHdr->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    pHdr->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI CWasapiDevice::AddBuffer(HWAVEIN hWaveIn, LPWAVEHDR pHdr, UINT cbHdr)
{
    const MMRESULT mmr = CheckHeaderCall(hWaveIn, pHdr, cbHdr);
    if (mmr != MMSYSERR_NOERROR)
        return mmr;
    if (pHdr->lpData == NULL || pHdr->dwBufferLength < 2)
        return MMSYSERR_INVALPARAM;
    if (!(pHdr->dwFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    if (pHdr->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    return FromHandle(hWaveIn)->Enqueue(pHdr);
}

MMRESULT CWasapiDevice::Enqueue(LPWAVEHDR pHdr)
{
    ::EnterCriticalSection(&m_csQueue);
    pHdr->dwFlags = (pHdr->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    pHdr->dwBytesRecorded = 0;
    pHdr->lpNext = NULL;
    if (m_pTail != NULL)
        m_pTail->lpNext = pHdr;
    else
        m_pHead = pHdr;
    m_pTail = pHdr;
    ::LeaveCriticalSection(&m_csQueue);
    return MMSYSERR_NOERROR;
}

BOOL CWasapiDevice::HasQueued()
{
    ::EnterCriticalSection(&m_csQueue);
    const BOOL bQueued = m_pHead != NULL;
    ::LeaveCriticalSection(&m_csQueue);
    return bQueued;
}

MMRESULT WINAPI CWasapiDevice::GetErrorText(MMRESULT mmr, LPSTR pszText, UINT cchText)
{
    if (pszText == NULL || cchText == 0)
        return MMSYSERR_INVALPARAM;
    const char* pszOwn = TextOf(mmr);
    if (pszOwn == NULL)
        return ::waveInGetErrorTextA(mmr, pszText, cchText);
    ::lstrcpynA(pszText, pszOwn, (int)cchText);
    return MMSYSERR_NOERROR;
}

// ---- The worker thread

DWORD WINAPI CWasapiDevice::ThreadProc(LPVOID pParam)
{
    ((CWasapiDevice*)pParam)->Run();
    return 0;
}

void CWasapiDevice::Run()
{
    const HRESULT hrCom = ::CoInitializeEx(NULL, COINIT_MULTITHREADED);
    m_mmrResult = FAILED(hrCom) ? (MMRESULT)ERR_SOUND_SYSTEM : OpenStream();
    const BOOL bOpen = m_mmrResult == MMSYSERR_NOERROR;
    ::SetEvent(m_hDone);
    for (BOOL bOn = bOpen; bOn;) {
        if (::WaitForSingleObject(m_hWake, POLL_MS) == WAIT_OBJECT_0) {
            const ECommand cmd = m_command;
            bOn = cmd != CMD_QUIT;
            Obey(cmd);
        }
        if (bOn && m_bRunning)
            Poll(::timeGetTime());
    }
    m_client.Close();
    if (SUCCEEDED(hrCom))
        ::CoUninitialize();
}

MMRESULT CWasapiDevice::OpenStream()
{
    const BOOL bLoopback = m_uDevice == LOOPBACK;
    const HRESULT hr = m_client.Open(bLoopback);
    if (FAILED(hr))
        return ResultOf(hr, bLoopback);
    if (!m_converter.SetFormat(m_client.GetFormat(), m_dwRate)) {
        m_client.Close();
        return ERR_UNREADABLE_FORMAT;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT CWasapiDevice::StartStream(DWORD dwNow)
{
    if (m_bRunning)
        return MMSYSERR_NOERROR;
    const HRESULT hr = m_client.Start();
    if (FAILED(hr))
        return ResultOf(hr, m_uDevice == LOOPBACK);
    m_bRunning = TRUE;
    m_clock.Restart(dwNow);
    m_dwLastCheck = dwNow;
    return MMSYSERR_NOERROR;
}

// Quitting needs no reply: the caller waits for the thread's end.
void CWasapiDevice::Obey(ECommand cmd)
{
    m_mmrResult = MMSYSERR_NOERROR;
    if (cmd == CMD_START && !m_bDead)
        m_mmrResult = StartStream(::timeGetTime());
    else if (cmd == CMD_START)
        m_mmrResult = ERR_SOUND_SYSTEM;
    if (cmd == CMD_RESET || cmd == CMD_QUIT) {
        if (m_bRunning)
            m_client.Stop();
        m_bRunning = FALSE;
        ReturnAll();
    }
    if (cmd != CMD_QUIT)
        ::SetEvent(m_hDone);
}

// A lost stream (AUDCLNT_E_DEVICE_INVALIDATED and the like) goes quiet: capture notices the stall and reopens.
void CWasapiDevice::Poll(DWORD dwNow)
{
    if (m_bDead)
        return;
    const BOOL bPackets = ReadPackets(dwNow);
    if (m_bDead)
        return;
    if (!bPackets)
        AddSilence(m_clock.TakeDue(dwNow));
    Deliver();
    if ((DWORD)(dwNow - m_dwLastCheck) >= DEFAULT_CHECK_MS)
        FollowDefault(dwNow);
}

// TRUE when a packet came.
BOOL CWasapiDevice::ReadPackets(DWORD dwNow)
{
    BOOL bAny = FALSE;
    for (int i = 0; i < MAX_PACKETS_PER_POLL; i++) {
        const BYTE* pData = NULL;
        UINT32 nFrames = 0;
        HRESULT hr = m_client.NextPacket(&pData, &nFrames);
        if (hr == S_OK) {
            MakeRoom((int)((ULONGLONG)nFrames * m_dwRate / m_client.GetFormat()->nSamplesPerSec) + 2);
            m_nFifo += m_converter.Convert(pData, nFrames, m_fifo + m_nFifo, FIFO_SAMPLES - m_nFifo);
            hr = m_client.ReleasePacket(nFrames);
            bAny = TRUE;
        }
        if (FAILED(hr))
            m_bDead = TRUE;
        if (hr != S_OK)
            break;
    }
    if (bAny)
        m_clock.OnPacket(dwNow);
    return bAny;
}

// While capture has no buffer queued the samples pile up: the oldest give way, so what it gets next is recent.
void CWasapiDevice::MakeRoom(int nSamples)
{
    int nDrop = m_nFifo + nSamples - FIFO_SAMPLES;
    if (nDrop <= 0)
        return;
    if (nDrop > m_nFifo)
        nDrop = m_nFifo;
    ::MoveMemory(m_fifo, m_fifo + nDrop, (m_nFifo - nDrop) * sizeof(short));
    m_nFifo -= nDrop;
}

void CWasapiDevice::AddSilence(int nSamples)
{
    if (nSamples <= 0)
        return;
    MakeRoom(nSamples);
    ::ZeroMemory(m_fifo + m_nFifo, nSamples * sizeof(short));
    m_nFifo += nSamples;
    m_converter.Restart();   // the next packet does not lean on a frame from before the silence
}

// Whole buffers only, oldest queued first.
void CWasapiDevice::Deliver()
{
    for (;;) {
        ::EnterCriticalSection(&m_csQueue);
        WAVEHDR* pHdr = m_pHead;
        int nSamples = pHdr ? (int)(pHdr->dwBufferLength / 2) : 0;
        if (nSamples > FIFO_SAMPLES / 2)
            nSamples = FIFO_SAMPLES / 2;
        if (pHdr == NULL || m_nFifo < nSamples) {
            ::LeaveCriticalSection(&m_csQueue);
            return;
        }
        m_pHead = pHdr->lpNext;
        if (m_pHead == NULL)
            m_pTail = NULL;
        ::CopyMemory(pHdr->lpData, m_fifo, nSamples * sizeof(short));
        pHdr->dwBytesRecorded = (DWORD)(nSamples * sizeof(short));
        pHdr->dwFlags = (pHdr->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        ::LeaveCriticalSection(&m_csQueue);
        ::MoveMemory(m_fifo, m_fifo + nSamples, (m_nFifo - nSamples) * sizeof(short));
        m_nFifo -= nSamples;
        Post(MM_WIM_DATA, pHdr);
    }
}

// Every queued buffer goes back in order, unfilled (buffers are filled whole, so none was begun), and the
// samples not yet handed over are dropped.
void CWasapiDevice::ReturnAll()
{
    ::EnterCriticalSection(&m_csQueue);
    WAVEHDR* pHdr = m_pHead;
    m_pHead = m_pTail = NULL;
    ::LeaveCriticalSection(&m_csQueue);
    while (pHdr != NULL) {
        WAVEHDR* pNext = pHdr->lpNext;
        pHdr->dwBytesRecorded = 0;
        pHdr->dwFlags = (pHdr->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        Post(MM_WIM_DATA, pHdr);
        pHdr = pNext;
    }
    m_nFifo = 0;
    m_converter.Restart();
}

// The user chose another playback device: the stream moves to it. If that fails the stream goes quiet, as if lost.
void CWasapiDevice::FollowDefault(DWORD dwNow)
{
    m_dwLastCheck = dwNow;
    if (!m_client.IsDefaultChanged())
        return;
    m_client.Close();
    m_bRunning = FALSE;
    if (OpenStream() != MMSYSERR_NOERROR || StartStream(dwNow) != MMSYSERR_NOERROR)
        m_bDead = TRUE;
}

// ---- The loopback probe

DWORD WINAPI CWasapiDevice::ProbeProc(LPVOID)
{
    if (FAILED(::CoInitializeEx(NULL, COINIT_MULTITHREADED)))
        return FALSE;
    CWasapiClient client;
    const BOOL bOpened = SUCCEEDED(client.Open(TRUE));
    client.Close();
    ::CoUninitialize();
    return bOpened;
}

// On a thread of its own: the caller's thread may have COM set up otherwise, or not at all.
BOOL CWasapiDevice::LoopbackSupported()
{
    DWORD dwId = 0;
    HANDLE hThread = ::CreateThread(NULL, 0, ProbeProc, NULL, 0, &dwId);
    if (hThread == NULL)
        return FALSE;
    ::WaitForSingleObject(hThread, INFINITE);
    DWORD dwResult = FALSE;
    ::GetExitCodeThread(hThread, &dwResult);
    ::CloseHandle(hThread);
    return dwResult != FALSE;
}
