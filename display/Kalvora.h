// CKalvora: the display window; shows the core's picture, takes the keys and commands, places itself on monitors.
#pragma once
#include <afxwin.h>
#include "core/Visualizer.h"
#include "sound/SoundInput.h"
#include "shared/KvMessages.h"
#include "display/FrameStats.h"

class CKalvora : public CFrameWnd, private ISoundClient
{
public:
    CKalvora();
    ~CKalvora() override;

    // Creates, sizes and shows the window and starts recording the input; on failure the window (and object) is
    // gone.
    BOOL CreateDisplay(const CInputName& input = CInputName::Default());
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Placement (render thread only).
    void SetSizeMode(int nMode);
    void SetMonitor(int nMonitor);
    void ClearScreen();

    // A frame of the core into the window, when a sound buffer has come since the last one.
    BOOL RenderFrame();
    void ShowPatternTitle();

    // Sound input, kept by m_input: start and stop are the user's (and the window's) wishes.
    BOOL StartWaveIn();
    BOOL StopWaveIn();
    void SetInput(const CInputName& input);

    // Tap tempo with an explicit tick count.
    void OnTap(DWORD dwTick);

    // The picture's engine: canvas, analyser, patterns and scheduler.
    CVisualizer m_core;
    // Keyboard
    HACCEL m_hAccel;
    // Sound input
    CEvent m_evSound;
    CSoundInput m_input;
    // Placement
    int m_nSizeMode;
    int m_nMonitorIndex;
    RECT m_rcRestore;
    // Icon
    HICON m_hIcon;
    // Frame cost and delay; records only in benchmark builds.
    CFrameStats m_stats;
    // Set when this thread announced a pattern (or a mode) the control window may not have seen when it
    // made its next request; that request is then confirmed back, so a crossing never leaves the panel
    // lighting what the display no longer shows.
    BOOL m_bPatternAnnounced;
    BOOL m_bArrangeAnnounced;

    DECLARE_MESSAGE_MAP()

    // Handlers (public so the tests can drive them without a message loop).
    LRESULT OnSelectPattern(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetArrange(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetBackColor(WPARAM wParam, LPARAM lParam);
    LRESULT OnSoundSwitch(WPARAM wParam, LPARAM lParam);
    LRESULT OnSoundError(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryCounts(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetSensitivity(WPARAM wParam, LPARAM lParam);
    void OnSoundStepCommand(UINT nID);
    void OnPatternCommand(UINT nID);
    void OnArrangeCommand(UINT nID);
    void OnMonitorCommand(UINT nID);
    void OnSizeCommand(UINT nID);
    void OnColorCommand(UINT nID);
    void OnControlWindow();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;

protected:
    int OnCreate(LPCREATESTRUCTA pcs) override;
    void OnDestroy() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnGetMinMaxInfo(MINMAXINFO* pMMI);

private:
    void OnSoundBuffer(short* pSamples) override;
    void OnSoundErrorWaiting() override;
    void ShowSoundError();
    void PlaceClientRect(RECT rcClient);
    void UseSizeMode(int nMode);
    void AnnounceToMain(UINT msg, WPARAM wParam);
    void ConfirmRequest(UINT msg, WPARAM wParam);
    // The core's announcement of a pattern the Arrange modes chose.
    static void OnCoreAnnounce(void* pOwner, int nPattern);
    static LRESULT KernelHandleCount();
};
