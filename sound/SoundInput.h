// CSoundInput: the input the user chose, what draws while it is away, and the window the devices call back.
#pragma once

#include <afxwin.h>
#include "sound/SoundClient.h"
#include "sound/WaveCapture.h"

// Owned by the display on the render thread, with a message-only window of its own that receives the devices'
// notices and runs the watch. The chosen input is always held by one of two captures: the one drawn from
// (Current) or, while it does not flow yet, the next one, with Current still recording the input it replaces so
// that the picture never waits for a switch. A chosen input that is away (missing, failing, lost) is retried in the
// background while the input before it goes on, or the default device stands in for it.
class CSoundInput : public CWnd
{
public:
    CSoundInput();
    ~CSoundInput() override;

    // Makes the window on the calling thread and starts the watch; pClient receives the buffers.
    BOOL Create(ISoundClient* pClient);
    void SetApis(const SWaveApi* pWave, const SWaveApi* pLoopback);

    // The input to record from; takes effect at once while running.
    void SetInput(const CInputName& input, DWORD dwNow);
    const CInputName& GetInput() const { return m_chosen; }

    // TRUE when the input drawn from was opened (the chosen one, or the default standing in for a missing one).
    BOOL Start(DWORD dwNow);
    // A pause: settles a pending change, so that the resume opens the chosen input.
    void Stop();
    void Watch(DWORD dwNow);

    // The failure waiting to be told, in the system's words; FALSE when there is none (or it has no text).
    BOOL TakeErrorText(CString& strText);
    // The longest time between two buffers taken since the last call, across changes of input.
    DWORD TakeLongestGap();

    CWaveCapture& Current() { return m_capture[m_nCurrent]; }
    CWaveCapture& Next() { return m_capture[1 - m_nCurrent]; }

    DECLARE_MESSAGE_MAP()
    LRESULT OnWimOpen(WPARAM wParam, LPARAM lParam);
    LRESULT OnWimData(WPARAM wParam, LPARAM lParam);
    LRESULT OnWimClose(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nID);

private:
    BOOL TakeBuffer(HWAVEIN hWaveIn, WAVEHDR* pHdr, short* pSamples);
    void Settle(DWORD dwNow);
    void StandIn(DWORD dwNow);
    void HandOver();
    void NoteBuffer();
    void AnnounceErrors();

    ISoundClient* m_pClient;
    CWaveCapture m_capture[2];
    int m_nCurrent;
    CInputName m_chosen;
    BOOL m_bErrorAnnounced;
    DWORD m_dwLastTaken;   // 0 before the first buffer
    DWORD m_dwLongestGap;
};
