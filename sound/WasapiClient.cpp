// CWasapiClient: the endpoint, its audio client and capture service, and the packets read from them.
// The interface and class ids that MinGW's libuuid lacks are defined here, once for the whole program.
#include <initguid.h>   // before the headers whose ids it defines
#include "sound/WasapiClient.h"
#include <mmdeviceapi.h>
#include <audioclient.h>

namespace {
// The stream's buffer: long enough that a worker held up for a while loses nothing (100-ns units).
const REFERENCE_TIME kBufferDuration = 2000000;   // 200 ms

template <class T>
void ReleaseOf(T*& p)
{
    if (p != NULL)
        p->Release();
    p = NULL;
}
}

CWasapiClient::CWasapiClient()
    : m_bLoopback(FALSE), m_pEnumerator(NULL), m_pDevice(NULL), m_pClient(NULL), m_pCapture(NULL), m_pwfx(NULL),
      m_pszId(NULL)
{
}

CWasapiClient::~CWasapiClient()
{
    Close();
}

HRESULT CWasapiClient::Open(BOOL bLoopback)
{
    Close();
    m_bLoopback = bLoopback;
    HRESULT hr = OpenEndpoint();
    if (SUCCEEDED(hr))
        hr = OpenStream();
    if (FAILED(hr))
        Close();
    return hr;
}

HRESULT CWasapiClient::OpenEndpoint()
{
    HRESULT hr = ::CoCreateInstance(CLSID_MMDeviceEnumerator, NULL, CLSCTX_ALL, IID_IMMDeviceEnumerator,
                                    (void**)&m_pEnumerator);
    if (SUCCEEDED(hr))
        hr = m_pEnumerator->GetDefaultAudioEndpoint(m_bLoopback ? eRender : eCapture, eConsole, &m_pDevice);
    if (SUCCEEDED(hr))
        hr = m_pDevice->GetId(&m_pszId);
    return hr;
}

// Wine 8 accepts the loopback flag here and opens a playback stream; only the capture service then fails, with
// AUDCLNT_E_WRONG_ENDPOINT_TYPE, as Windows would for a playback stream without the flag.
HRESULT CWasapiClient::OpenStream()
{
    HRESULT hr = m_pDevice->Activate(IID_IAudioClient, CLSCTX_ALL, NULL, (void**)&m_pClient);
    if (SUCCEEDED(hr))
        hr = m_pClient->GetMixFormat(&m_pwfx);
    if (SUCCEEDED(hr)) {
        const DWORD dwFlags = m_bLoopback ? AUDCLNT_STREAMFLAGS_LOOPBACK : 0;
        hr = m_pClient->Initialize(AUDCLNT_SHAREMODE_SHARED, dwFlags, kBufferDuration, 0, m_pwfx, NULL);
    }
    if (SUCCEEDED(hr))
        hr = m_pClient->GetService(IID_IAudioCaptureClient, (void**)&m_pCapture);
    return hr;
}

void CWasapiClient::Close()
{
    ReleaseOf(m_pCapture);
    ReleaseOf(m_pClient);
    ReleaseOf(m_pDevice);
    ReleaseOf(m_pEnumerator);
    ::CoTaskMemFree(m_pwfx);
    m_pwfx = NULL;
    ::CoTaskMemFree(m_pszId);
    m_pszId = NULL;
}

HRESULT CWasapiClient::Start()
{
    return m_pClient ? m_pClient->Start() : E_UNEXPECTED;
}

// A stopped stream is also emptied, so that a later start does not begin with old sound.
HRESULT CWasapiClient::Stop()
{
    if (m_pClient == NULL)
        return E_UNEXPECTED;
    HRESULT hr = m_pClient->Stop();
    if (SUCCEEDED(hr))
        hr = m_pClient->Reset();
    return hr;
}

HRESULT CWasapiClient::NextPacket(const BYTE** ppData, UINT32* pnFrames)
{
    *ppData = NULL;
    *pnFrames = 0;
    if (m_pCapture == NULL)
        return E_UNEXPECTED;
    UINT32 nNext = 0;
    HRESULT hr = m_pCapture->GetNextPacketSize(&nNext);
    if (FAILED(hr) || nNext == 0)
        return FAILED(hr) ? hr : S_FALSE;
    BYTE* pData = NULL;
    DWORD dwFlags = 0;
    hr = m_pCapture->GetBuffer(&pData, pnFrames, &dwFlags, NULL, NULL);
    if (hr == AUDCLNT_S_BUFFER_EMPTY)
        return S_FALSE;
    if (FAILED(hr))
        return hr;
    *ppData = (dwFlags & AUDCLNT_BUFFERFLAGS_SILENT) ? NULL : pData;
    return S_OK;
}

HRESULT CWasapiClient::ReleasePacket(UINT32 nFrames)
{
    return m_pCapture ? m_pCapture->ReleaseBuffer(nFrames) : E_UNEXPECTED;
}

HRESULT CWasapiClient::GetDefaultId(LPWSTR* ppszId)
{
    *ppszId = NULL;
    IMMDevice* pDevice = NULL;
    HRESULT hr = m_pEnumerator->GetDefaultAudioEndpoint(m_bLoopback ? eRender : eCapture, eConsole, &pDevice);
    if (SUCCEEDED(hr)) {
        hr = pDevice->GetId(ppszId);
        pDevice->Release();
    }
    return hr;
}

// No default endpoint at all counts as a change too: the stream's own device has gone.
BOOL CWasapiClient::IsDefaultChanged()
{
    if (m_pEnumerator == NULL || m_pszId == NULL)
        return FALSE;
    LPWSTR pszId = NULL;
    if (FAILED(GetDefaultId(&pszId)))
        return TRUE;
    const BOOL bChanged = lstrcmpW(pszId, m_pszId) != 0;
    ::CoTaskMemFree(pszId);
    return bChanged;
}
