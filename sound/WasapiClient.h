// CWasapiClient: one shared-mode WASAPI capture stream (loopback of the default playback device, or the default recording device).
#pragma once

#include <windows.h>
#include <mmsystem.h>

struct IMMDeviceEnumerator;
struct IMMDevice;
struct IAudioClient;
struct IAudioCaptureClient;

// The COM objects of one stream, all made, used and released on one thread, which has called CoInitializeEx.
// Failures are the HRESULTs of the system's calls, passed on as they are.
class CWasapiClient
{
public:
    CWasapiClient();
    ~CWasapiClient();

    // Loopback: what the default playback endpoint plays; otherwise the default recording endpoint (the same code,
    // less the flag). The stream records in the endpoint's own mix format (GetFormat).
    HRESULT Open(BOOL bLoopback);
    void Close();
    BOOL IsOpen() const { return m_pCapture != NULL; }

    HRESULT Start();
    HRESULT Stop();
    const WAVEFORMATEX* GetFormat() const { return m_pwfx; }

    // The next packet: S_OK with its frames (*ppData NULL when the system marks it silent), S_FALSE when none is
    // waiting. Each packet taken is given back with ReleasePacket before the next is asked for.
    HRESULT NextPacket(const BYTE** ppData, UINT32* pnFrames);
    HRESULT ReleasePacket(UINT32 nFrames);

    // TRUE when the system's default endpoint for this stream is no longer the one it was opened on.
    BOOL IsDefaultChanged();
    // The endpoint the stream was opened on (NULL while closed).
    LPCWSTR GetEndpointId() const { return m_pszId; }

private:
    HRESULT OpenEndpoint();
    HRESULT OpenStream();
    HRESULT GetDefaultId(LPWSTR* ppszId);

    BOOL m_bLoopback;
    IMMDeviceEnumerator* m_pEnumerator;
    IMMDevice* m_pDevice;
    IAudioClient* m_pClient;
    IAudioCaptureClient* m_pCapture;
    WAVEFORMATEX* m_pwfx;   // from GetMixFormat, freed with CoTaskMemFree
    LPWSTR m_pszId;         // the endpoint's id, from GetId
};
