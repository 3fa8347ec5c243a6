// CWaveCapture: opens the input by name, keeps its rotation going, watches for stalls and retries what is lost.
#include "sound/WaveCapture.h"
#include "sound/ClosedHandles.h"
#include "sound/WaveInputs.h"

namespace {
const DWORD kFirstRetryGapMs = 250;
// The device that records what the computer plays is the only one of its table.
const UINT kLoopbackDevice = 0;

DWORD SystemNow()
{
    return ::timeGetTime();
}
}

DWORD (*CWaveCapture::s_pfnNow)() = SystemNow;

void CWaveCapture::SetClock(DWORD (*pfnNow)())
{
    s_pfnNow = pfnNow ? pfnNow : SystemNow;
}

CWaveCapture::CWaveCapture()
    : m_pWaveApi(&SWaveApi::System()), m_pLoopbackApi(NULL), m_hWndCallback(NULL), m_bWanted(FALSE),
      m_bLost(FALSE), m_bRecording(FALSE), m_bFlowing(FALSE), m_bMissing(FALSE), m_nBuffers(0), m_dwFirstBuffer(0),
      m_dwLastSound(0), m_dwRetryAt(0), m_dwRetryGap(0), m_mmrError(MMSYSERR_NOERROR), m_pErrorApi(NULL)
{
}

CWaveCapture::~CWaveCapture()
{
    Close();
}

void CWaveCapture::SetApis(const SWaveApi* pWave, const SWaveApi* pLoopback)
{
    m_pWaveApi = pWave;
    m_pLoopbackApi = pLoopback;
}

BOOL CWaveCapture::Start(HWND hWndCallback, DWORD dwNow)
{
    if (m_bRecording)
        return TRUE;   // a second resume must not open (and orphan) a second device
    m_hWndCallback = hWndCallback;
    m_bWanted = TRUE;
    m_dwRetryGap = 0;
    OpenAsked(dwNow);
    return !m_bLost;
}

void CWaveCapture::Stop()
{
    m_bWanted = FALSE;
    m_bLost = FALSE;
    Close();
}

void CWaveCapture::SetInput(const CInputName& input, DWORD dwNow)
{
    if (input == m_input)
        return;
    m_input = input;
    if (!m_bWanted)
        return;
    m_dwRetryGap = 0;
    OpenAsked(dwNow);
}

void CWaveCapture::OpenAsked(DWORD dwNow)
{
    const MMRESULT mmr = Open(dwNow);
    if (mmr == MMSYSERR_NOERROR)
        return;
    if (!m_bMissing && m_mmrError == MMSYSERR_NOERROR) {
        m_mmrError = mmr;
        m_pErrorApi = &m_handle.Api();
    }
    Lose(dwNow);   // keep trying in the background: the device may come back
}

BOOL CWaveCapture::PeekError(MMRESULT* pmmr, const SWaveApi** ppApi) const
{
    *pmmr = m_mmrError;
    *ppApi = m_pErrorApi;
    return m_mmrError != MMSYSERR_NOERROR;
}

BOOL CWaveCapture::TakeError(MMRESULT* pmmr, const SWaveApi** ppApi)
{
    if (!PeekError(pmmr, ppApi))
        return FALSE;
    m_mmrError = MMSYSERR_NOERROR;
    return TRUE;
}

// Specific devices go through the wave mapper too, which converts whatever the driver records to our format.
MMRESULT CWaveCapture::Open(DWORD dwNow)
{
    Close();
    m_bMissing = FALSE;
    const SWaveApi* pApi = m_pWaveApi;
    UINT uDevice = WAVE_MAPPER;
    DWORD dwFlags = 0;
    if (m_input.GetKind() == CInputName::DEVICE) {
        const int nDevice = CWaveInputs::Find(m_input, *m_pWaveApi);
        m_bMissing = nDevice < 0;
        if (m_bMissing)
            return MMSYSERR_BADDEVICEID;
        uDevice = (UINT)nDevice;
        dwFlags = WAVE_MAPPED;
    } else if (m_input.GetKind() == CInputName::LOOPBACK) {
        if (m_pLoopbackApi == NULL)
            return MMSYSERR_NODRIVER;
        pApi = m_pLoopbackApi;
        uDevice = kLoopbackDevice;
    }
    const MMRESULT mmr = m_handle.Open(*pApi, uDevice, dwFlags, m_hWndCallback, m_ring);
    if (mmr != MMSYSERR_NOERROR)
        return mmr;
    m_bRecording = TRUE;
    m_bLost = FALSE;
    m_bFlowing = FALSE;
    m_nBuffers = 0;
    m_dwLastSound = dwNow;
    return MMSYSERR_NOERROR;   // buffers are queued when the device reports itself open
}

void CWaveCapture::Close()
{
    m_bRecording = FALSE;   // buffers that still come back are not replaced
    m_handle.Close(m_ring);
}

void CWaveCapture::Lose(DWORD dwNow)
{
    Close();
    m_bLost = TRUE;
    // The first try comes at once (a server that restarts is often back already), later ones less often.
    m_dwRetryAt = dwNow + m_dwRetryGap;
    m_dwRetryGap = m_dwRetryGap == 0 ? kFirstRetryGapMs : m_dwRetryGap * 2;
    if (m_dwRetryGap > RETRY_MAX_MS)
        m_dwRetryGap = RETRY_MAX_MS;
}

void CWaveCapture::Watch(DWORD dwNow)
{
    if (!m_bWanted)
        return;
    if (m_bLost) {
        if ((LONG)(dwNow - m_dwRetryAt) >= 0 && Open(dwNow) != MMSYSERR_NOERROR)
            Lose(dwNow);
        return;
    }
    const LONG nLimit = m_bFlowing ? STALL_MS : FIRST_SOUND_MS;
    if (m_bRecording && (LONG)(dwNow - m_dwLastSound) > nLimit)
        Lose(dwNow);
}

void CWaveCapture::OnWimOpen(HWAVEIN hWaveIn)
{
    if (!m_handle.Owns(hWaveIn) || !m_bRecording)
        return;   // the notice of a device closed since
    for (int i = 0; i < CWaveBlockRing::BLOCKS; i++) {
        if (m_ring.Add(m_handle.Api(), hWaveIn) != MMSYSERR_NOERROR) {
            Lose(Now());   // a short rotation would never fill again: start afresh
            return;
        }
    }
}

BOOL CWaveCapture::OnWimData(HWAVEIN hWaveIn, WAVEHDR* pHdr, short* pSamples)
{
    if (!m_handle.Owns(hWaveIn))
        return FALSE;   // from a device closed since: its blocks are no longer ours to touch
    const BOOL bTaken = m_ring.Take(m_handle.Api(), hWaveIn, pHdr, pSamples);
    if (bTaken)
        NoteBuffer(Now());
    // A buffer that can't be queued again would shrink the rotation for good: start afresh instead.
    if (m_bRecording && m_ring.Add(m_handle.Api(), hWaveIn) != MMSYSERR_NOERROR)
        Lose(Now());
    return bTaken;
}

void CWaveCapture::NoteBuffer(DWORD dwNow)
{
    m_dwLastSound = dwNow;
    if (m_nBuffers++ == 0)
        m_dwFirstBuffer = dwNow;
    if (!m_bFlowing && m_nBuffers >= FLOW_BUFFERS && dwNow - m_dwFirstBuffer >= FLOW_MS) {
        m_bFlowing = TRUE;
        m_dwRetryGap = 0;   // a device that came back is tried at once when it goes again
    }
}

void CWaveCapture::OnWimClose(HWAVEIN hWaveIn)
{
    if (CClosedHandles::Contains(hWaveIn)) {
        if (CClosedHandles::Take(hWaveIn))
            OnCloseNotice(hWaveIn);
        return;
    }
    // The device closed by itself: the blocks may be freed only once it has been reset and closed here.
    if (m_handle.Owns(hWaveIn))
        Lose(Now());
}
