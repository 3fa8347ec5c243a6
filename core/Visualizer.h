// CVisualizer: the picture's engine: canvas, analyser, input gain, patterns, Arrange scheduler, frame composition.
#pragma once
#include <afx.h>
#include "patterns/PatternSet.h"
#include "core/MusicAnalyzer.h"
#include "core/InputGain.h"
#include "core/ArrangeScheduler.h"

// Knows no window, thread or application object: its owner gives it each frame's time and device context,
// the settings it reads and where its announcements go. Used on one thread only (the render thread, or the
// offline renderer's). A pattern the user chooses is started here and cleared by the owner, on its own device
// context: a pattern's start draws nothing, so the picture is the same as clearing first.
class CVisualizer
{
public:
    // What the Arrange modes read of the user's settings. Each pointer is read one value at a time without a
    // lock, so another thread may change the values meanwhile; all of them must stay valid while the core lives.
    struct SSettings {
        const volatile int* pnMarks;        // KV_PATTERN_COUNT marks: above 0 when the pattern is marked
        const volatile int* pnStaticUser;   // Static User tempo, beats per minute
        const volatile int* pnDynamicUser;  // Dynamic User threshold of the level's change
    };
    // A pattern the Arrange modes changed to goes to the owner through this.
    typedef void (*PatternChangedFn)(void* pOwner, int nPattern);

    CVisualizer();

    void SetSettings(const SSettings& settings) { m_settings = settings; }
    void SetAnnounce(PatternChangedFn pfn, void* pOwner);
    // The display's Normal size. Pattern 0 is drawn at it and stretched to the canvas unless the canvas has it.
    enum { NORMAL_WIDTH = 640, NORMAL_HEIGHT = 480 };
    void SetPanelScaled(BOOL bScaled) { m_patterns.m_panel.m_bScaled = bScaled; }

    // One buffer of sound, the sensitivity applied before the analyser sees it.
    void AddBuffer(short* pSamples);
    // A frame at a moment of the millisecond clock: the live display's is timeGetTime, an offline render's
    // the time of the sound block in its file.
    void ComposeFrame(DWORD dwNow, CDC* pDC);
    void Clear(CDC* pDC);

    // The user's requests: FALSE when they change nothing; TRUE when the owner must clear the picture. A requested
    // pattern restarts the static period; a selected one (the display's own pattern commands) does not.
    BOOL ChoosePattern(int nPattern, DWORD dwNow);
    BOOL SelectPattern(int nPattern);
    // Reloads the user's tempo and threshold first, even for the current mode. (The display's own commands
    // set the mode alone, on m_scheduler.)
    void ChooseArrange(int nMode, DWORD dwNow);

    // The scheduler, once a frame: TRUE when it started another pattern, which the frame then clears first.
    BOOL CheckArrange(DWORD dwNow);
    void NextPattern();

    void InitPattern();
    void ResetPatternParams();
    SPatternInput PatternInput() const;
    void DrawCurrentPattern(CDC* pDC);

    // What the patterns draw with: colours, display flags, element stores, cached pens and brushes.
    CPatternCanvas m_canvas;
    // Selection
    int m_nPattern;
    // When the Arrange modes switch
    CArrangeScheduler m_scheduler;
    // Every pattern's state
    CPatternSet m_patterns;
    // Sound
    CInputGain m_gain;        // the user's sensitivity, applied to each buffer before the analyser sees it
    CMusicAnalyzer m_analyzer;

private:
    SSettings m_settings;
    PatternChangedFn m_pfnAnnounce;
    void* m_pOwner;
};
