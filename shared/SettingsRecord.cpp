// CSettingsRecord: KALVORA.INI lookup, reading and writing, and the monitor table.
#include "shared/SettingsRecord.h"
#include "core/ArrangeScheduler.h"
#include "core/InputGain.h"
#include "res/resource.h"
#include <cstdlib>
#include <vector>

namespace {
const char kSection[] = "Init";
const DWORD kPseudoMonitor = 0x12340042;   // the single screen when the system can't enumerate
// Folder values pass through untouched; a long one is kept whole rather than cut.
const DWORD kFolderBuffer = 32768;
}

CSettingsRecord::CSettingsRecord()
    : m_bCtrlHidden(FALSE), m_nDynamicUser(KV_DEFAULT_THRESHOLD), m_nStaticUser(KV_DEFAULT_TEMPO), m_crBackScreen(0),
      m_nWindowSize(0),
      m_nMonitor(0), m_nMonitors(0), m_nSensitivity(1)
{
    ZeroMemory(m_monitors, sizeof(m_monitors));
}

int CSettingsRecord::SizeModeOf(UINT nID)
{
    static const int kModes[] = { -1, 0, 1, 2 };   // in the order of the commands: None, Normal, Half, Fit
    return kModes[nID - ID_SIZE_NONE];
}

void CSettingsRecord::FindSettingsFile()
{
    CString strName;
    if (!strName.LoadString(IDS_INIFILE))
        return;
    char szPath[MAX_PATH];
    DWORD n = ::SearchPathA(NULL, strName, ".INI", MAX_PATH, szPath, NULL);
    if (n > 0 && n < MAX_PATH)
        m_strIniPath.Format("%s", szPath);
}

void CSettingsRecord::ReadFolder(LPCSTR pszKey, CString& strValue)
{
    std::vector<char> buf(kFolderBuffer);
    ::GetPrivateProfileStringA(kSection, pszKey, "NG", buf.data(), kFolderBuffer, m_strIniPath);
    // "NG" (missing) and other values of one or two characters are not folders.
    if (lstrlenA(buf.data()) > 2)
        strValue = buf.data();
}

int CSettingsRecord::ReadInt(LPCSTR pszKey, int nDefault)
{
    char buf[64] = "";
    ::GetPrivateProfileStringA(kSection, pszKey, "", buf, sizeof(buf), m_strIniPath);
    char* pEnd = NULL;
    long long v = strtoll(buf, &pEnd, 10);
    // Text that is not a number keeps the default, as a missing key does.
    if (pEnd == buf || v < -2147483648LL || v > 4294967295LL)
        return nDefault;
    return (int)(unsigned)(long long)v;
}

void CSettingsRecord::ReadSettings()
{
    if (m_strIniPath.IsEmpty())
        return;
    if (::GetFileAttributesA(m_strIniPath) == INVALID_FILE_ATTRIBUTES)
        return;
    ReadFolder("BackGround", m_strBackGround);
    ReadFolder("Pattern16", m_strPattern16);
    ReadFolder("Pattern17", m_strPattern17);
    ReadFolder("Pattern22", m_strPattern22);
    m_nDynamicUser = ReadInt("DynamicUser", KV_DEFAULT_THRESHOLD);
    m_nStaticUser = CArrangeScheduler::SaneTempo(ReadInt("StaticUser", 30));
    int nColour = ReadInt("BackScreenColor", 0);
    m_crBackScreen = (nColour >= 0 && nColour <= 0xFFFFFF) ? (COLORREF)nColour : 0;
    ReadSoundSettings();
}

int CSettingsRecord::ParseSensitivity(LPCSTR pszText)
{
    int nMode = 1;
    CInputGain::ModeFromText(pszText, &nMode);
    return nMode;
}

void CSettingsRecord::ReadSoundSettings()
{
    char buf[MAX_PATH] = "";
    ::GetPrivateProfileStringA(kSection, "InputDevice", "", buf, sizeof(buf), m_strIniPath);
    m_input = CInputName::FromText(buf, ReadInt("InputDeviceOrdinal", 1));
    ::GetPrivateProfileStringA(kSection, "Sensitivity", "", buf, sizeof(buf), m_strIniPath);
    m_nSensitivity = ParseSensitivity(buf);
}

// Appended after the seven keys of old, which keep their order.
void CSettingsRecord::WriteSoundSettings()
{
    ::WritePrivateProfileStringA(kSection, "InputDevice", m_input.ToText(), m_strIniPath);
    // Only the second and later of equal names need it: files stay as they were for everyone else.
    if (m_input.GetOrdinal() > 1)
        WriteInt("InputDeviceOrdinal", m_input.GetOrdinal());
    else
        ::WritePrivateProfileStringA(kSection, "InputDeviceOrdinal", NULL, m_strIniPath);
    ::WritePrivateProfileStringA(kSection, "Sensitivity", CInputGain::ModeText(m_nSensitivity), m_strIniPath);
}

void CSettingsRecord::WriteInt(LPCSTR pszKey, int nValue)
{
    CString str;
    str.Format("%d", nValue);
    ::WritePrivateProfileStringA(kSection, pszKey, str, m_strIniPath);
}

void CSettingsRecord::WriteSettings()
{
    if (m_strIniPath.IsEmpty())
        return;
    // A file the user marked read-only is left as it is, also where the system would allow the write.
    DWORD dwAttr = ::GetFileAttributesA(m_strIniPath);
    if (dwAttr != INVALID_FILE_ATTRIBUTES && (dwAttr & FILE_ATTRIBUTE_READONLY))
        return;
    ::WritePrivateProfileStringA(kSection, "BackGround", m_strBackGround, m_strIniPath);
    ::WritePrivateProfileStringA(kSection, "Pattern16", m_strPattern16, m_strIniPath);
    ::WritePrivateProfileStringA(kSection, "Pattern17", m_strPattern17, m_strIniPath);
    ::WritePrivateProfileStringA(kSection, "Pattern22", m_strPattern22, m_strIniPath);
    WriteInt("DynamicUser", m_nDynamicUser);
    WriteInt("StaticUser", m_nStaticUser);
    WriteInt("BackScreenColor", (int)m_crBackScreen);
    WriteSoundSettings();
}

BOOL CALLBACK CSettingsRecord::OnMonitorFound(HMONITOR hMonitor, HDC, LPRECT prc, LPARAM lParam)
{
    CSettingsRecord* pThis = (CSettingsRecord*)lParam;
    for (MonitorEntry& entry : pThis->m_monitors) {
        if (entry.hMonitor == 0) {
            entry.hMonitor = (DWORD)(UINT_PTR)hMonitor;
            entry.rc = *prc;
            break;
        }
    }
    return TRUE;   // a sixth monitor and beyond are ignored, but the walk goes on
}

void CSettingsRecord::EnumMonitors()
{
    typedef BOOL(WINAPI * EnumFn)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
    static const char* const kNames[] = { "GetSystemMetrics", "MonitorFromWindow", "MonitorFromRect",
                                          "MonitorFromPoint", "GetMonitorInfoA", "EnumDisplayDevicesA" };
    HMODULE hUser = ::GetModuleHandleA("USER32");
    EnumFn pfnEnum = hUser ? (EnumFn)(void*)::GetProcAddress(hUser, "EnumDisplayMonitors") : NULL;
    BOOL bAll = pfnEnum != NULL;
    for (const char* pszName : kNames)
        bAll = bAll && ::GetProcAddress(hUser, pszName) != NULL;
    BOOL bOk;
    if (bAll) {
        bOk = pfnEnum(NULL, NULL, OnMonitorFound, (LPARAM)this);
    } else {
        RECT rc = { 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN) };
        bOk = OnMonitorFound((HMONITOR)(UINT_PTR)kPseudoMonitor, NULL, &rc, (LPARAM)this);
    }
    if (!bOk)
        return;
    int n = 0;
    while (n < KV_MAX_MONITORS && m_monitors[n].hMonitor != 0)
        n++;
    m_nMonitors = n;
}
