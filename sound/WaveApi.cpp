// The system's wave-input functions behind the capture seam.
#include "sound/WaveApi.h"

const SWaveApi& SWaveApi::System()
{
    static const SWaveApi api = {
        ::waveInOpen, ::waveInStart, ::waveInReset, ::waveInClose, ::waveInPrepareHeader,
        ::waveInUnprepareHeader, ::waveInAddBuffer, ::waveInGetErrorTextA, ::waveInGetNumDevs, ::waveInGetDevCapsA,
    };
    return api;
}
