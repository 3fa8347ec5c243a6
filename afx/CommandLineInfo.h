// CCommandLineInfo: what the program takes from its command line (only whether to show the splash).
#pragma once
#include <windows.h>

class CCommandLineInfo
{
public:
    virtual ~CCommandLineInfo() {}
    // One argument; bFlag when it started with '/' or '-' (which is stripped).
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    BOOL m_bShowSplash = TRUE;
};
