// The wave-input calls capture makes, as one table: the system's by default, a test's to make any call fail.
#pragma once

#include <windows.h>
#include <mmsystem.h>

struct SWaveApi
{
    MMRESULT (WINAPI* pfnOpen)(LPHWAVEIN, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD);
    MMRESULT (WINAPI* pfnStart)(HWAVEIN);
    MMRESULT (WINAPI* pfnReset)(HWAVEIN);
    MMRESULT (WINAPI* pfnClose)(HWAVEIN);
    MMRESULT (WINAPI* pfnPrepareHeader)(HWAVEIN, LPWAVEHDR, UINT);
    MMRESULT (WINAPI* pfnUnprepareHeader)(HWAVEIN, LPWAVEHDR, UINT);
    MMRESULT (WINAPI* pfnAddBuffer)(HWAVEIN, LPWAVEHDR, UINT);
    MMRESULT (WINAPI* pfnGetErrorText)(MMRESULT, LPSTR, UINT);
    // Shows a failure's text to the user (a stop-icon message box in the program).
    void (*pfnShowError)(LPCSTR pszText);

    // The real multimedia functions and message box.
    static const SWaveApi& System();
};
