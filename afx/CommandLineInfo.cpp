// CCommandLineInfo: switches that start the program without its start-up picture.
#include "CommandLineInfo.h"

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL)
{
    if (!bFlag)
        return;
    // Started by automation, or asked explicitly: no picture.
    if (lstrcmpiA(pszParam, "Embedding") == 0 || lstrcmpiA(pszParam, "Automation") == 0 ||
        lstrcmpiA(pszParam, "nosplash") == 0)
        m_bShowSplash = FALSE;
}
