// CWaveInputs: wave-input devices listed and looked up through the device count and capabilities calls.
#include "sound/WaveInputs.h"

int CWaveInputs::Count(const SWaveApi& api)
{
    if (api.pfnGetNumDevs == NULL)
        return 0;
    UINT n = api.pfnGetNumDevs();
    return n > (UINT)MAX_DEVICES ? (int)MAX_DEVICES : (int)n;
}

BOOL CWaveInputs::Name(UINT uDevice, CString& strName, const SWaveApi& api)
{
    WAVEINCAPSA caps;
    ZeroMemory(&caps, sizeof(caps));
    if (api.pfnGetDevCaps == NULL || api.pfnGetDevCaps(uDevice, &caps, sizeof(caps)) != MMSYSERR_NOERROR)
        return FALSE;
    caps.szPname[MAXPNAMELEN - 1] = '\0';
    strName = caps.szPname;
    return TRUE;
}

BOOL CWaveInputs::InputOf(UINT uDevice, CInputName& input, const SWaveApi& api)
{
    CString strName;
    if (!Name(uDevice, strName, api))
        return FALSE;
    int nOrdinal = 1;
    for (UINT n = 0; n < uDevice; n++) {
        CString strOther;
        if (Name(n, strOther, api) && lstrcmpA(strOther, strName) == 0)
            nOrdinal++;
    }
    input = CInputName::Device(strName, nOrdinal);
    return TRUE;
}

int CWaveInputs::Find(const CInputName& input, const SWaveApi& api)
{
    if (input.GetKind() != CInputName::DEVICE)
        return -1;
    const int nCount = Count(api);
    int nSeen = 0;
    for (int n = 0; n < nCount; n++) {
        CString strName;
        if (Name((UINT)n, strName, api) && lstrcmpA(strName, input.GetName()) == 0 && ++nSeen == input.GetOrdinal())
            return n;
    }
    return -1;
}
