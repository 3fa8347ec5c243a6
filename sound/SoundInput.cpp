// CSoundInput: the chosen input and its stand-in in two captures, handed over once the chosen one flows.
#include "sound/SoundInput.h"
#include "sound/ClosedHandles.h"
#include "core/MusicAnalyzer.h"

namespace {
const UINT_PTR kWatchTimer = 1;
}

CSoundInput::CSoundInput()
    : m_pClient(NULL), m_nCurrent(0), m_bErrorAnnounced(FALSE), m_dwLastTaken(0), m_dwLongestGap(0)
{
}

// The devices go before the window: their last notices would find no one.
CSoundInput::~CSoundInput()
{
    m_capture[0].Stop();
    m_capture[1].Stop();
}

BEGIN_MESSAGE_MAP(CSoundInput, CWnd)
    ON_MESSAGE(MM_WIM_OPEN, OnWimOpen)
    ON_MESSAGE(MM_WIM_DATA, OnWimData)
    ON_MESSAGE(MM_WIM_CLOSE, OnWimClose)
    ON_WM_TIMER()
END_MESSAGE_MAP()

BOOL CSoundInput::Create(ISoundClient* pClient)
{
    m_pClient = pClient;
    return CreateMessageOnly("KalvoraSoundInput");
}

void CSoundInput::SetApis(const SWaveApi* pWave, const SWaveApi* pLoopback)
{
    m_capture[0].SetApis(pWave, pLoopback);
    m_capture[1].SetApis(pWave, pLoopback);
}

void CSoundInput::SetInput(const CInputName& input, DWORD dwNow)
{
    if (input == m_chosen)
        return;
    m_chosen = input;
    Next().Stop();
    if (!Current().IsWanted() || Current().IsLost())
        Current().SetInput(input, dwNow);   // nothing is drawn from it: no reason to wait
    else if (Current().GetInput() != input) {
        Next().SetInput(input, dwNow);
        Next().Start(m_hWnd, dwNow);   // a failure is retried in the background while Current draws on
    }
    Settle(dwNow);
    AnnounceErrors();
}

// The watch runs only while recording is wanted: a paused display wakes for nothing.
BOOL CSoundInput::Start(DWORD dwNow)
{
    if (m_hWnd)
        SetTimer(kWatchTimer, CWaveCapture::WATCH_MS);
    Current().SetInput(m_chosen, dwNow);
    Current().Start(m_hWnd, dwNow);
    Settle(dwNow);
    AnnounceErrors();
    return Current().IsRecording();
}

void CSoundInput::Stop()
{
    if (m_hWnd)
        KillTimer(kWatchTimer);
    Next().Stop();
    Current().Stop();
    Current().SetInput(m_chosen, 0);
}

void CSoundInput::Watch(DWORD dwNow)
{
    Current().Watch(dwNow);
    Next().Watch(dwNow);
    Settle(dwNow);
}

// After every change: the chosen input is in Current or pending in Next, and whatever Current records is drawn.
void CSoundInput::Settle(DWORD dwNow)
{
    if (!Current().IsWanted())
        return;
    if (Next().IsWanted() && Next().GetInput() == Current().GetInput())
        Next().Stop();   // the input pending is the one drawing already
    if (Current().IsLost() && Current().GetInput() != CInputName::Default())
        StandIn(dwNow);
}

// The input drawn from is away: the default device stands in. When it was the chosen one, it goes on being
// retried as the next, and takes over again once it flows.
void CSoundInput::StandIn(DWORD dwNow)
{
    if (!Next().IsWanted()) {
        m_nCurrent = 1 - m_nCurrent;
        Current().SetInput(CInputName::Default(), dwNow);
        Current().Start(m_hWnd, dwNow);
    } else {
        Current().SetInput(CInputName::Default(), dwNow);
    }
    // The user chose no stand-in: its failures are not told.
    MMRESULT mmr;
    const SWaveApi* pApi;
    Current().TakeError(&mmr, &pApi);
}

void CSoundInput::HandOver()
{
    Current().Stop();
    m_nCurrent = 1 - m_nCurrent;
}

void CSoundInput::AnnounceErrors()
{
    if (m_bErrorAnnounced || m_pClient == NULL)
        return;
    MMRESULT mmr;
    const SWaveApi* pApi;
    for (CWaveCapture& capture : m_capture) {
        if (!capture.PeekError(&mmr, &pApi))
            continue;
        m_bErrorAnnounced = TRUE;
        m_pClient->OnSoundErrorWaiting();
        return;
    }
}

BOOL CSoundInput::TakeErrorText(CString& strText)
{
    m_bErrorAnnounced = FALSE;
    MMRESULT mmr;
    const SWaveApi* pApi;
    if (!Current().TakeError(&mmr, &pApi) && !Next().TakeError(&mmr, &pApi))
        return FALSE;
    AnnounceErrors();   // the other capture's, if it has one, comes next
    char szText[256];
    if (pApi->pfnGetErrorText(mmr, szText, sizeof(szText)) != MMSYSERR_NOERROR)
        return FALSE;
    strText = szText;
    return TRUE;
}

LRESULT CSoundInput::OnWimOpen(WPARAM wParam, LPARAM)
{
    Current().OnWimOpen((HWAVEIN)wParam);
    Next().OnWimOpen((HWAVEIN)wParam);
    return 0;
}

LRESULT CSoundInput::OnWimData(WPARAM wParam, LPARAM lParam)
{
    short samples[CMusicAnalyzer::BUFFER_SAMPLES];
    if (TakeBuffer((HWAVEIN)wParam, (WAVEHDR*)lParam, samples) && m_pClient)
        m_pClient->OnSoundBuffer(samples);
    return 0;
}

BOOL CSoundInput::TakeBuffer(HWAVEIN hWaveIn, WAVEHDR* pHdr, short* pSamples)
{
    if (Current().OnWimData(hWaveIn, pHdr, pSamples)) {
        NoteBuffer();
        return TRUE;
    }
    if (!Next().OnWimData(hWaveIn, pHdr, pSamples) || !Next().IsFlowing())
        return FALSE;
    HandOver();
    NoteBuffer();
    return TRUE;
}

// Both captures hear every notice; a closed handle's last notice is taken once for both.
LRESULT CSoundInput::OnWimClose(WPARAM wParam, LPARAM)
{
    const HWAVEIN hWaveIn = (HWAVEIN)wParam;
    if (CClosedHandles::Contains(hWaveIn)) {
        if (CClosedHandles::Take(hWaveIn)) {
            Current().OnCloseNotice(hWaveIn);
            Next().OnCloseNotice(hWaveIn);
        }
        return 0;
    }
    Current().OnWimClose(hWaveIn);
    Next().OnWimClose(hWaveIn);
    Settle(CWaveCapture::Now());
    return 0;
}

void CSoundInput::OnTimer(UINT_PTR nID)
{
    if (nID == kWatchTimer)
        Watch(CWaveCapture::Now());
}

void CSoundInput::NoteBuffer()
{
    const DWORD dwNow = CWaveCapture::Now();
    if (m_dwLastTaken != 0 && dwNow - m_dwLastTaken > m_dwLongestGap)
        m_dwLongestGap = dwNow - m_dwLastTaken;
    m_dwLastTaken = dwNow;
}

DWORD CSoundInput::TakeLongestGap()
{
    DWORD dwGap = m_dwLongestGap;
    m_dwLongestGap = 0;
    return dwGap;
}
