// CKalvora: sound input; each buffer taken feeds the core and allows a frame, a failure is shown after the change.
#include "display/Kalvora.h"
#include "shared/SharedState.h"

BOOL CKalvora::StartWaveIn()
{
    return m_input.Start(::timeGetTime());
}

BOOL CKalvora::StopWaveIn()
{
    m_input.Stop();
    m_evSound.ResetEvent();   // no frame for sound recorded before the stop
    return TRUE;
}

void CKalvora::SetInput(const CInputName& input)
{
    m_input.SetInput(input, ::timeGetTime());
}

void CKalvora::OnSoundBuffer(short* pSamples)
{
    m_core.AddBuffer(pSamples);
    m_evSound.SetEvent();
    m_stats.BufferArrived();
}

void CKalvora::OnSoundErrorWaiting()
{
    PostMessage(WMU_SOUND_ERROR);
}

// The main thread shows it: a box there keeps this thread drawing, and the user choosing, while it is up.
LRESULT CKalvora::OnSoundError(WPARAM, LPARAM)
{
    CString strText;
    if (!m_input.TakeErrorText(strText))
        return 0;
    CString* pText = new CString(strText);
    if (!theShared.PostToMainThread(WMU_SOUND_MESSAGE, 0, (LPARAM)pText))
        delete pText;
    return 0;
}

// At the start, when no input could be opened: the display ends after the box, and nothing changes meanwhile.
void CKalvora::ShowSoundError()
{
    CString strText;
    if (m_input.TakeErrorText(strText))
        AfxMessageBox(strText, MB_ICONSTOP, 0);
}

LRESULT CKalvora::OnSoundSwitch(WPARAM wParam, LPARAM)
{
    if (wParam == 0)
        StartWaveIn();
    else
        StopWaveIn();
    return 0;
}

LRESULT CKalvora::OnQueryCounts(WPARAM wParam, LPARAM)
{
    switch (wParam) {
    case KV_COUNT_GDI_OBJECTS:
        return CGdiObject::GetLiveCount() - m_core.m_canvas.m_gdi.Count();
    case KV_COUNT_WAVE_BLOCKS:
        return CWaveBlockRing::GetLiveBlocks();
    case KV_COUNT_ABANDONED_BLOCKS:
        return CWaveBlockRing::GetAbandonedBlocks();
    case KV_COUNT_KERNEL_HANDLES:
        return KernelHandleCount();
    case KV_COUNT_LONGEST_GAP_MS:
        return (LRESULT)m_input.TakeLongestGap();
    case KV_COUNT_LONGEST_OPEN_MS:
        return (LRESULT)CWaveInHandle::TakeLongestOpen();
    default:
        return -1;
    }
}

// Looked up at run time: not every system has it.
LRESULT CKalvora::KernelHandleCount()
{
    typedef BOOL(WINAPI * HandleCountFn)(HANDLE, PDWORD);
    HMODULE hKernel = ::GetModuleHandleA("kernel32.dll");
    HandleCountFn pfn = hKernel ? (HandleCountFn)(void*)::GetProcAddress(hKernel, "GetProcessHandleCount") : NULL;
    DWORD dwCount = 0;
    if (pfn == NULL || !pfn(::GetCurrentProcess(), &dwCount))
        return -1;
    return (LRESULT)dwCount;
}

LRESULT CKalvora::OnSetSensitivity(WPARAM wParam, LPARAM)
{
    m_core.m_gain.SetMode((int)wParam);
    return 0;
}

// The input and the sensitivity are the main thread's settings: a key for them on the display goes there.
void CKalvora::OnSoundStepCommand(UINT nID)
{
    theShared.PostToMainThread(WMU_MAIN_COMMAND, nID, 0);
}
