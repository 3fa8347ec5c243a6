// AppStateGuard: tests change the application's shared settings and marks; this puts them back afterwards.
#pragma once
#include "shared/SharedState.h"

class AppStateGuard
{
public:
    // Snapshots the shared fields; with bClearMarks the pattern marks start all unmarked.
    explicit AppStateGuard(bool bClearMarks = true)
    {
        for (int i = 0; i < KV_PATTERN_COUNT; i++) {
            m_nEnable[i] = theShared.m_nPatternEnable[i];
            if (bClearMarks)
                theShared.m_nPatternEnable[i] = 0;
        }
        m_bCtrlHidden = theShared.m_bCtrlHidden;
        m_nDynamicUser = theShared.m_nDynamicUser;
        m_nStaticUser = theShared.m_nStaticUser;
        m_crBackScreen = theShared.m_crBackScreen;
        m_nWindowSize = theShared.m_nWindowSize;
        m_nMonitor = theShared.m_nMonitor;
        m_nMonitors = theShared.m_nMonitors;
        CopyMemory(m_monitors, theShared.m_monitors, sizeof(m_monitors));
        m_input = theShared.m_input;
        m_nSensitivity = theShared.m_nSensitivity;
    }

    ~AppStateGuard()
    {
        for (int i = 0; i < KV_PATTERN_COUNT; i++)
            theShared.m_nPatternEnable[i] = m_nEnable[i];
        theShared.m_bCtrlHidden = m_bCtrlHidden;
        theShared.m_nDynamicUser = m_nDynamicUser;
        theShared.m_nStaticUser = m_nStaticUser;
        theShared.m_crBackScreen = m_crBackScreen;
        theShared.m_nWindowSize = m_nWindowSize;
        theShared.m_nMonitor = m_nMonitor;
        theShared.m_nMonitors = m_nMonitors;
        CopyMemory(theShared.m_monitors, m_monitors, sizeof(m_monitors));
        theShared.m_input = m_input;
        theShared.m_nSensitivity = m_nSensitivity;
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
