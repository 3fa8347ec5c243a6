// CWaveInputs: wave-input devices listed and looked up through waveInGetNumDevs and waveInGetDevCapsA.
#include "sound/WaveInputs.h"

int CWaveInputs::Count()
{
    UINT n = ::waveInGetNumDevs();
    return n > (UINT)MAX_DEVICES ? (int)MAX_DEVICES : (int)n;
}

BOOL CWaveInputs::Name(UINT uDevice, CString& strName)
{
    WAVEINCAPSA caps;
    ZeroMemory(&caps, sizeof(caps));
    if (::waveInGetDevCapsA(uDevice, &caps, sizeof(caps)) != MMSYSERR_NOERROR)
        return FALSE;
    caps.szPname[MAXPNAMELEN - 1] = '\0';
    strName = caps.szPname;
    return TRUE;
}

UINT CWaveInputs::Find(LPCSTR pszName)
{
    if (pszName == NULL || *pszName == '\0')
        return WAVE_MAPPER;
    const int nCount = Count();
    for (int n = 0; n < nCount; n++) {
        CString strName;
        if (Name((UINT)n, strName) && lstrcmpA(strName, pszName) == 0)
            return (UINT)n;
    }
    return WAVE_MAPPER;
}
