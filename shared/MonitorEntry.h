// MonitorEntry: one monitor found at start-up; a zero handle marks an unused entry.
#pragma once
#include <windows.h>

const int KV_MAX_MONITORS = 5;

struct MonitorEntry
{
    DWORD hMonitor;   // the platform's monitor handle, 0 when unused
    RECT rc;          // the monitor's area in desktop coordinates
};
