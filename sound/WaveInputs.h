// CWaveInputs: the system's wave-input devices, by number and by the name the system gives them.
#pragma once

#include <afxwin.h>

class CWaveInputs
{
public:
    enum { MAX_DEVICES = 16 };

    // Devices present now, at most MAX_DEVICES: numbers 0 .. Count() - 1 in the system's order.
    static int Count();
    static BOOL Name(UINT uDevice, CString& strName);
    // The device of that name, or WAVE_MAPPER (the system's default) when the name is empty or no device
    // present has it.
    static UINT Find(LPCSTR pszName);
};
