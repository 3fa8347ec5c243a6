// CKalvora: sound input handlers, forwarded to the capture; each buffer taken feeds the core and allows a frame.
#include "engine/Kalvora.h"
#include "app/KalvoraApp.h"

BOOL CKalvora::StartWaveIn()
{
    return m_capture.Start(m_hWnd, ::timeGetTime());
}

BOOL CKalvora::StopWaveIn()
{
    m_capture.Stop();
    m_evSound.ResetEvent();   // no frame for sound recorded before the stop
    return TRUE;
}

LRESULT CKalvora::OnWimOpen(WPARAM wParam, LPARAM)
{
    m_capture.OnWimOpen((HWAVEIN)wParam);
    return 0;
}

LRESULT CKalvora::OnWimData(WPARAM wParam, LPARAM lParam)
{
    short samples[CMusicAnalyzer::BUFFER_SAMPLES];
    if (m_capture.OnWimData((HWAVEIN)wParam, (WAVEHDR*)lParam, samples)) {
        m_core.AddBuffer(samples);
        m_evSound.SetEvent();
        m_stats.BufferArrived();
    }
    return 0;
}

LRESULT CKalvora::OnWimClose(WPARAM wParam, LPARAM)
{
    m_capture.OnWimClose((HWAVEIN)wParam);
    return 0;
}

void CKalvora::OnTimer(UINT_PTR nID)
{
    if (nID == kCaptureWatchTimer)
        m_capture.Watch(::timeGetTime());
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
        return CGdiObject::GetLiveCount() - m_core.m_gdi.Count();
    case KV_COUNT_WAVE_BLOCKS:
        return CWaveCapture::GetLiveBlocks();
    case KV_COUNT_ABANDONED_BLOCKS:
        return CWaveCapture::GetAbandonedBlocks();
    case KV_COUNT_KERNEL_HANDLES:
        return KernelHandleCount();
    case KV_COUNT_LONGEST_GAP_MS:
        return (LRESULT)m_capture.TakeLongestGap();
    case KV_COUNT_LONGEST_OPEN_MS:
        return (LRESULT)CWaveCapture::TakeLongestOpen();
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

LRESULT CKalvora::OnSetInput(WPARAM wParam, LPARAM)
{
    m_capture.SetDevice((UINT)wParam, ::timeGetTime());
    return 0;
}

LRESULT CKalvora::OnSetSensitivity(WPARAM wParam, LPARAM)
{
    m_core.m_gain.SetMode((int)wParam);
    return 0;
}

// The input and the sensitivity are the main thread's settings: a key for them on the display goes there.
void CKalvora::OnSoundStepCommand(UINT nID)
{
    ::PostThreadMessageA(theApp.m_nThreadID, WMU_MAIN_COMMAND, nID, 0);
}
