// CKalvora: the display window; owns sound input, the analyser, the scheduler and all pattern state.
#pragma once
#include <afxwin.h>
#include "patterns/PatternSet.h"
#include "sound/MusicAnalyzer.h"
#include "sound/SoundInput.h"
#include "sound/InputGain.h"
#include "engine/KvMessages.h"
#include "engine/FrameStats.h"

class CKalvora : public CFrameWnd, public CPatternCanvas
{
public:
    CKalvora();
    ~CKalvora() override;

    // Creates, sizes and shows the window and starts sound input; on failure the window (and object) is gone.
    BOOL CreateDisplay();
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Placement (render thread only).
    void SetSizeMode(int nMode);
    void SetMonitor(int nMonitor);
    void ClearScreen();

    // Frames and the scheduler. A frame is composed at a moment of the millisecond clock: the live display's
    // is timeGetTime, an offline render's the time of the sound block in its file.
    BOOL RenderFrame();
    void ComposeFrame(DWORD dwNow, CDC* pDC);
    void ChoosePattern(int nPattern, DWORD dwNow);
    void ChooseArrange(int nMode, DWORD dwNow);
    void CheckArrange(DWORD dwNow);
    void NextPattern();
    void InitPattern();
    void ResetPatternParams();
    void ShowPatternTitle();
    int StaticPeriod(int nMode) const;

    // Sound input, kept by m_capture: start and stop are the user's (and the window's) wishes.
    BOOL StartWaveIn();
    BOOL StopWaveIn();
    enum { kCaptureWatchTimer = 1 };

    // The patterns, drawn from the analyser's latest values.
    SPatternInput PatternInput() const;
    void DrawCurrentPattern(CDC* pDC);

    // Tap tempo with an explicit tick count.
    void OnTap(DWORD dwTick);

    // Selection
    int m_nPattern;
    int m_nArrange;
    // Keyboard
    HACCEL m_hAccel;
    // Tempo
    DWORD m_dwTap[4];
    int m_nTapPos;
    int m_nBeatPeriod;
    // Scheduler
    DWORD m_dwNextSwitch;
    int m_nDynThreshold;
    // Every pattern's state; all of it lives in the window object.
    CPatternSet m_patterns;
    // Sound input
    CEvent m_evSound;
    CSoundInput m_capture;
    CInputGain m_gain;        // the user's sensitivity, applied to each buffer before the analyser sees it
    CMusicAnalyzer m_analyzer;
    // Placement
    int m_nSizeMode;
    int m_nMonitorIndex;
    RECT m_rcRestore;
    // Icon
    HICON m_hIcon;
    // Off-screen target of an offline render, which has no window; NULL for the live display.
    CDC* m_pOffscreenDC;
    // Frame cost and delay; records only in benchmark builds.
    CFrameStats m_stats;

    DECLARE_MESSAGE_MAP()

    // Handlers (public so the tests can drive them without a message loop).
    LRESULT OnSelectPattern(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetArrange(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetBackColor(WPARAM wParam, LPARAM lParam);
    LRESULT OnSoundSwitch(WPARAM wParam, LPARAM lParam);
    LRESULT OnWimOpen(WPARAM wParam, LPARAM lParam);
    LRESULT OnWimData(WPARAM wParam, LPARAM lParam);
    LRESULT OnWimClose(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryCounts(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetInput(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetSensitivity(WPARAM wParam, LPARAM lParam);
    void OnSoundStepCommand(UINT nID);
    void OnTimer(UINT_PTR nID);
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
    void PlaceClientRect(RECT rcClient);
    void SelectPattern(int nPattern);
    void AnnounceToMain(UINT msg, WPARAM wParam);
    static LRESULT KernelHandleCount();
};
