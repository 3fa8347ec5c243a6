// The program's private messages between the main thread, the control window, the render thread and the display.
#pragma once
#include <windows.h>

enum KvMessage : UINT {
    WMU_SELECT_PATTERN   = WM_USER + 20,   // wParam pattern 0..16
    WMU_SET_ARRANGE      = WM_USER + 21,   // wParam Arrange mode 0..8
    WMU_FORWARD_KEY      = WM_USER + 22,   // wParam virtual key, lParam key data
    WMU_PLACE_DISPLAY    = WM_USER + 23,   // wParam monitor index, lParam size mode
    WMU_SET_BACKCOLOR    = WM_USER + 24,   // wParam COLORREF
    WMU_FORWARD_COMMAND  = WM_USER + 25,   // wParam command ID
    WMU_PATTERN_CHANGED  = WM_USER + 40,   // wParam new pattern
    WMU_ARRANGE_CHANGED  = WM_USER + 41,   // wParam new Arrange mode
    WMU_START_DISPLAY    = WM_USER + 60,   // splash gone: start the render thread
    WMU_TOGGLE_CTRL      = WM_USER + 80,   // hide or show the control window
    WMU_PAUSE            = WM_USER + 81,   // wParam 1 pause, 0 resume
};

const int KV_PATTERN_COUNT = 17;
const int KV_ARRANGE_COUNT = 9;
const int KV_MAX_MONITORS = 5;
