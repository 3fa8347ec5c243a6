// The system's wave-input functions and the stop-icon message box behind the capture seam.
#include "sound/WaveApi.h"
#include <afxwin.h>

namespace {
void ShowStopBox(LPCSTR pszText)
{
    AfxMessageBox(pszText, MB_ICONSTOP, 0);
}
}

const SWaveApi& SWaveApi::System()
{
    static const SWaveApi api = {
        ::waveInOpen, ::waveInStart, ::waveInReset, ::waveInClose, ::waveInPrepareHeader,
        ::waveInUnprepareHeader, ::waveInAddBuffer, ::waveInGetErrorTextA, ShowStopBox,
    };
    return api;
}
