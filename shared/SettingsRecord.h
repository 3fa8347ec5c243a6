// CSettingsRecord: the settings kept in KALVORA.INI plus the run-time display placement and monitor table.
#pragma once
#include <afxwin.h>
#include "shared/MonitorEntry.h"
#include "sound/InputName.h"

class CSettingsRecord
{
public:
    CSettingsRecord();
    virtual ~CSettingsRecord() {}

    // Takes an existing settings file from the search path, if there is one, instead of m_strIniPath.
    void FindSettingsFile();
    void ReadSettings();
    void WriteSettings();
    // Fills m_monitors and m_nMonitors.
    void EnumMonitors();

    // The window size (m_nWindowSize) a Window menu size command stands for: -1 None, 0 Normal, 1 Half, 2 Fit.
    static int SizeModeOf(UINT nID);
    // The sensitivity a file's text stands for: "1", "2", "4", "8" or "Auto"; anything else is 1.
    static int ParseSensitivity(LPCSTR pszText);

    CString m_strIniPath;
    CString m_strBackGround;
    CString m_strPattern16;
    CString m_strPattern17;
    CString m_strPattern22;
    volatile BOOL m_bCtrlHidden;
    volatile int m_nDynamicUser;
    volatile int m_nStaticUser;
    volatile COLORREF m_crBackScreen;
    volatile int m_nWindowSize;
    volatile int m_nMonitor;
    volatile int m_nMonitors;
    // Sound input: the input the user chose, kept as saved even while that device is missing (the main thread's:
    // the render thread gets copies); the sensitivity, a gain of 1, 2, 4 or 8, or 0 for the automatic gain.
    CInputName m_input;
    volatile int m_nSensitivity;
    MonitorEntry m_monitors[KV_MAX_MONITORS];

private:
    void ReadFolder(LPCSTR pszKey, CString& strValue);
    int ReadInt(LPCSTR pszKey, int nDefault);
    void WriteInt(LPCSTR pszKey, int nValue);
    void ReadSoundSettings();
    void WriteSoundSettings();
    static BOOL CALLBACK OnMonitorFound(HMONITOR hMonitor, HDC, LPRECT prc, LPARAM lParam);
};
