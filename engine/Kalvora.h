// CKalvora: the display window; owns sound input, the analyser, the scheduler and all pattern state.
#pragma once
#include <afxwin.h>
#include "patterns/Patterns.h"
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

    // Pattern 0, the analysis panel.
    void DrawPattern0(CDC* pDC);
    void SetPanelMapping(CDC* pDC);
    BOOL MakePanelFonts();

    // Patterns 1 to 16: each renderer draws one frame of its pattern from the analyser's latest values.
    SPatternInput PatternInput() const;
    void DrawCurrentPattern(CDC* pDC);
    void DrawPattern1(CDC* pDC) { m_orbit.DrawPattern1(*this, PatternInput(), pDC); }
    void DrawPattern2(CDC* pDC) { m_orbit.DrawPattern2(*this, PatternInput(), pDC); }
    void DrawPattern3(CDC* pDC) { m_dots.DrawPattern3(*this, PatternInput(), pDC); }
    void DrawPattern4(CDC* pDC) { m_dots.DrawPattern4(*this, PatternInput(), pDC); }
    void DrawPattern5(CDC* pDC) { m_grid.DrawPattern5(*this, PatternInput(), pDC); }
    void DrawPattern6(CDC* pDC) { m_grid.DrawPattern6(*this, PatternInput(), pDC); }
    void DrawPattern7(CDC* pDC) { m_stars.DrawPattern7(*this, PatternInput(), pDC); }
    void DrawPattern8(CDC* pDC) { m_stars.DrawPattern8(*this, PatternInput(), pDC); }
    void DrawPattern9(CDC* pDC) { m_sinking.DrawPattern9(*this, PatternInput(), pDC); }
    void DrawPattern10(CDC* pDC) { m_sinking.DrawPattern10(*this, PatternInput(), pDC); }
    void DrawPattern11(CDC* pDC) { m_swarm.DrawPattern11(*this, PatternInput(), pDC); }
    void DrawPattern12(CDC* pDC) { m_swarm.DrawPattern12(*this, PatternInput(), pDC); }
    void DrawPattern13(CDC* pDC) { m_lattice.DrawPattern13(*this, PatternInput(), pDC); }
    void DrawPattern14(CDC* pDC) { m_lattice.DrawPattern14(*this, PatternInput(), pDC); }
    void DrawPattern15(CDC* pDC) { m_bubbles.DrawPattern15(*this, PatternInput(), pDC); }
    void DrawPattern16(CDC* pDC) { m_flyers.DrawPattern16(*this, PatternInput(), pDC); }

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
    // Pattern 0
    int m_nGraphX;
    CFont m_fontTitle;
    CFont m_fontRow;
    // Patterns 1 to 16, a pair of patterns per member; all their state lives in the window object.
    COrbitPatterns m_orbit;
    CDotPatterns m_dots;
    CGridPatterns m_grid;
    CStarPatterns m_stars;
    CSinkingPatterns m_sinking;
    CSwarmCometPatterns m_swarm;
    CLatticePatterns m_lattice;
    CBubblePattern m_bubbles;
    CFlyerPattern m_flyers;
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
    void DrawPanelRow(CDC* pDC, int nRow, int nValue);
    static LRESULT KernelHandleCount();
};
