// CSharedState: what the main thread and the render thread share: the settings, the shutdown events, the marks.
#pragma once
#include <afxwin.h>
#include "shared/SettingsRecord.h"
#include "patterns/PatternCount.h"

// The settings and marks are written by the main thread and read by the render thread one value at a time
// (volatile, no lock); the chosen input is the main thread's alone and reaches the render thread as copies.
class CSharedState : public CSettingsRecord
{
public:
    CSharedState();

    // Posts a message of the protocol to the main thread (the application's queue); FALSE when it could not.
    BOOL PostToMainThread(UINT msg, WPARAM wParam, LPARAM lParam) const;

    CEvent m_evQuit;          // the main thread asks the render thread to end
    CEvent m_evThreadDone;    // the render thread has closed its display
    volatile int m_nPatternEnable[KV_PATTERN_COUNT];   // above 0: marked for the Arrange modes' choice
};

// The one instance, made with the program's other objects (app/KalvoraApp.cpp).
extern CSharedState theShared;
