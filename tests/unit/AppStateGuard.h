// AppStateGuard: tests change the application's shared settings and marks; this puts them back afterwards.
#pragma once
#include "app/KalvoraApp.h"

class AppStateGuard
{
public:
    // Snapshots the shared fields; with bClearMarks the pattern marks start all unmarked.
    explicit AppStateGuard(bool bClearMarks = true)
    {
        for (int i = 0; i < KV_PATTERN_COUNT; i++) {
            m_nEnable[i] = theApp.m_nPatternEnable[i];
            if (bClearMarks)
                theApp.m_nPatternEnable[i] = 0;
        }
        m_bCtrlHidden = theApp.m_bCtrlHidden;
        m_nDynamicUser = theApp.m_nDynamicUser;
        m_nStaticUser = theApp.m_nStaticUser;
        m_crBackScreen = theApp.m_crBackScreen;
        m_nWindowSize = theApp.m_nWindowSize;
        m_nMonitor = theApp.m_nMonitor;
        m_nMonitors = theApp.m_nMonitors;
        CopyMemory(m_monitors, theApp.m_monitors, sizeof(m_monitors));
        m_input = theApp.m_input;
        m_nSensitivity = theApp.m_nSensitivity;
    }

    ~AppStateGuard()
    {
        for (int i = 0; i < KV_PATTERN_COUNT; i++)
            theApp.m_nPatternEnable[i] = m_nEnable[i];
        theApp.m_bCtrlHidden = m_bCtrlHidden;
        theApp.m_nDynamicUser = m_nDynamicUser;
        theApp.m_nStaticUser = m_nStaticUser;
        theApp.m_crBackScreen = m_crBackScreen;
        theApp.m_nWindowSize = m_nWindowSize;
        theApp.m_nMonitor = m_nMonitor;
        theApp.m_nMonitors = m_nMonitors;
        CopyMemory(theApp.m_monitors, m_monitors, sizeof(m_monitors));
        theApp.m_input = m_input;
        theApp.m_nSensitivity = m_nSensitivity;
    }

    AppStateGuard(const AppStateGuard&) = delete;
    AppStateGuard& operator=(const AppStateGuard&) = delete;

private:
    int m_nEnable[KV_PATTERN_COUNT];
    BOOL m_bCtrlHidden;
    int m_nDynamicUser;
    int m_nStaticUser;
    COLORREF m_crBackScreen;
    int m_nWindowSize;
    int m_nMonitor;
    int m_nMonitors;
    MonitorEntry m_monitors[KV_MAX_MONITORS];
    CInputName m_input;
    int m_nSensitivity;
};
