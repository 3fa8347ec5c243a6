// The program's private messages between the main thread, the control window, the render thread and the display.
#pragma once
#include <windows.h>
#include "patterns/PatternCount.h"

enum KvMessage : UINT {
    WMU_SELECT_PATTERN   = WM_USER + 20,   // wParam pattern 0..16
    WMU_SET_ARRANGE      = WM_USER + 21,   // wParam Arrange mode 0..8
    WMU_FORWARD_KEY      = WM_USER + 22,   // wParam virtual key, lParam key data
    WMU_PLACE_DISPLAY    = WM_USER + 23,   // wParam monitor index, lParam size mode
    WMU_SET_BACKCOLOR    = WM_USER + 24,   // wParam COLORREF
    WMU_FORWARD_COMMAND  = WM_USER + 25,   // wParam command ID
    WMU_SET_INPUT        = WM_USER + 26,   // lParam a new CInputName, which the render thread deletes
    WMU_SET_SENSITIVITY  = WM_USER + 27,   // wParam gain 1, 2, 4 or 8, or 0 for the automatic gain
    WMU_SOUND_ERROR      = WM_USER + 28,   // to the display from itself: a sound input failure waits to be shown
    WMU_PATTERN_CHANGED  = WM_USER + 40,   // wParam new pattern
    WMU_ARRANGE_CHANGED  = WM_USER + 41,   // wParam new Arrange mode
    WMU_MAIN_COMMAND     = WM_USER + 42,   // wParam a command of the control window, chosen on the display
    WMU_SOUND_MESSAGE    = WM_USER + 43,   // lParam a new CString, a sound input failure for the main thread to show
    WMU_START_DISPLAY    = WM_USER + 60,   // splash gone: start the render thread
    WMU_TOGGLE_CTRL      = WM_USER + 80,   // hide or show the control window
    WMU_PAUSE            = WM_USER + 81,   // wParam 1 pause, 0 resume
    WMU_QUERY_COUNTS     = WM_USER + 90,   // sent to the display: wParam a KvCount; returns that count
};

// What the display answers to WMU_QUERY_COUNTS: counts of things that a leak would make grow, read by the
// end-to-end tests from outside the process.
enum KvCount : WPARAM {
    KV_COUNT_GDI_OBJECTS = 0,       // the program's own pens, brushes, fonts and bitmaps alive, less those
                                    // the patterns' cache keeps by design (a bounded number)
    KV_COUNT_WAVE_BLOCKS = 1,       // sound buffer blocks allocated and not yet freed
    KV_COUNT_ABANDONED_BLOCKS = 2,  // blocks left to devices that would not let go of them
    KV_COUNT_KERNEL_HANDLES = 3,    // the process's kernel handles, or -1 where the system can't tell
    KV_COUNT_LONGEST_GAP_MS = 4,    // the longest wait between two sound buffers since the last such query
    KV_COUNT_LONGEST_OPEN_MS = 5,   // the longest open or close of a device by the system, since the last query
};

