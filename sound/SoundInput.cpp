// CSoundInput: two captures, the one in use and a newly chosen one that replaces it at its first buffer.
#include "sound/SoundInput.h"

CSoundInput::CSoundInput()
    : m_nCurrent(0), m_hWndCallback(NULL), m_nNextTaken(0), m_dwNextFirst(0), m_dwNextChosen(0),
      m_dwLastTaken(0), m_dwLongestGap(0)
{
}

void CSoundInput::SetApi(const SWaveApi* pApi)
{
    m_capture[0].SetApi(pApi);
    m_capture[1].SetApi(pApi);
}

UINT CSoundInput::GetDevice() const
{
    const CWaveCapture& next = m_capture[1 - m_nCurrent];
    return next.IsWanted() ? next.GetDevice() : m_capture[m_nCurrent].GetDevice();
}

void CSoundInput::SetDevice(UINT uDevice, DWORD dwNow)
{
    if (uDevice == GetDevice())
        return;
    Next().Stop();
    if (uDevice == Current().GetDevice())
        return;   // back to the device still recording before the chosen one took over
    if (!Current().IsWanted() || Current().IsLost()) {
        Current().SetDevice(uDevice, dwNow);   // nothing is drawn from it: no reason to wait
        return;
    }
    Next().SetDevice(uDevice, dwNow);
    m_nNextTaken = 0;
    m_dwNextChosen = dwNow;
    if (!Next().Start(m_hWndCallback, dwNow))
        HandOver();   // the chosen device failed (and said so): it is the one retried from now on
}

BOOL CSoundInput::Start(HWND hWndCallback, DWORD dwNow)
{
    m_hWndCallback = hWndCallback;
    return Current().Start(hWndCallback, dwNow);
}

// A pause settles a pending change: the chosen device is the one the resume opens.
void CSoundInput::Stop()
{
    if (Next().IsWanted()) {
        Next().Stop();
        Current().Stop();
        Current().SetDevice(Next().GetDevice(), 0);
        return;
    }
    Current().Stop();
}

void CSoundInput::HandOver()
{
    Current().Stop();
    m_nCurrent = 1 - m_nCurrent;
}

void CSoundInput::OnWimOpen(HWAVEIN hWaveIn)
{
    Current().OnWimOpen(hWaveIn);
    Next().OnWimOpen(hWaveIn);
}

BOOL CSoundInput::OnWimData(HWAVEIN hWaveIn, WAVEHDR* pHdr, short* pSamples)
{
    if (Current().OnWimData(hWaveIn, pHdr, pSamples)) {
        NoteBuffer();
        return TRUE;
    }
    if (!Next().OnWimData(hWaveIn, pHdr, pSamples))
        return FALSE;
    // A device's first buffers can come in a burst and the next ones only seconds later: it takes over once
    // its buffers have kept coming for a while.
    const DWORD dwNow = ::timeGetTime();
    if (m_nNextTaken++ == 0)
        m_dwNextFirst = dwNow;
    if (m_nNextTaken < HANDOVER_BUFFERS || dwNow - m_dwNextFirst < HANDOVER_MS)
        return FALSE;
    HandOver();
    NoteBuffer();
    return TRUE;
}

void CSoundInput::OnWimClose(HWAVEIN hWaveIn)
{
    if (CWaveCapture::IsClosedHandle(hWaveIn)) {
        if (CWaveCapture::TakeClosedHandle(hWaveIn)) {
            Current().OnCloseNotice(hWaveIn);
            Next().OnCloseNotice(hWaveIn);
        }
        return;
    }
    Current().OnWimClose(hWaveIn);
    Next().OnWimClose(hWaveIn);
}

void CSoundInput::Watch(DWORD dwNow)
{
    Current().Watch(dwNow);
    if (!Next().IsWanted())
        return;
    Next().Watch(dwNow);
    if (Next().IsLost())
        m_nNextTaken = 0;   // reopened by its own watch: its buffers are counted afresh
    if (dwNow - m_dwNextChosen > GIVE_UP_MS)
        HandOver();   // it won't deliver: the chosen device is the one retried from now on
}

void CSoundInput::NoteBuffer()
{
    const DWORD dwNow = ::timeGetTime();
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
