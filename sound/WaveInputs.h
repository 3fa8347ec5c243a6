// CWaveInputs: the system's wave-input devices, by number and by the name (and place among equal names) they have.
#pragma once

#include <afxwin.h>
#include "sound/InputName.h"
#include "sound/WaveApi.h"

class CWaveInputs
{
public:
    enum { MAX_DEVICES = 16 };

    // Devices present now, at most MAX_DEVICES: numbers 0 .. Count() - 1 in the system's order.
    static int Count(const SWaveApi& api = SWaveApi::System());
    static BOOL Name(UINT uDevice, CString& strName, const SWaveApi& api = SWaveApi::System());
    // Device n as a choice: its name and its place among the devices before it with the same name.
    static BOOL InputOf(UINT uDevice, CInputName& input, const SWaveApi& api = SWaveApi::System());
    // The number the device of that name and place has now; -1 when no device present has it.
    static int Find(const CInputName& input, const SWaveApi& api = SWaveApi::System());
};
