// The wave-input calls capture makes, as one table: the system's by default, a test's to script any device.
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
    // The devices there are now, each with its name; NULL in a table that opens a device of its own kind.
    UINT (WINAPI* pfnGetNumDevs)();
    MMRESULT (WINAPI* pfnGetDevCaps)(UINT_PTR, LPWAVEINCAPSA, UINT);

    // The real multimedia functions.
    static const SWaveApi& System();
};
