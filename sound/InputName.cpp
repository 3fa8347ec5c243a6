// CInputName: the input choice as a value and as the settings file's text.
#include "sound/InputName.h"

namespace {
// Wave devices' names are at most 31 characters: this one is no device's.
const char kLoopbackText[] = "<what the computer plays, WASAPI loopback>";
static_assert(sizeof(kLoopbackText) - 1 > MAXPNAMELEN - 1, "the loopback text must be longer than any device name");
}

CInputName CInputName::Loopback()
{
    CInputName input;
    input.m_nKind = LOOPBACK;
    return input;
}

CInputName CInputName::Device(LPCSTR pszName, int nOrdinal)
{
    CInputName input;
    input.m_nKind = DEVICE;
    input.m_strName = pszName;
    input.m_nOrdinal = nOrdinal < 1 ? 1 : nOrdinal;
    return input;
}

bool CInputName::operator==(const CInputName& other) const
{
    if (m_nKind != other.m_nKind)
        return false;
    return m_nKind != DEVICE || (m_nOrdinal == other.m_nOrdinal && lstrcmpA(m_strName, other.m_strName) == 0);
}

CString CInputName::ToText() const
{
    switch (m_nKind) {
    case LOOPBACK:
        return kLoopbackText;
    case DEVICE: {
        CString strText = "\"";
        strText += m_strName;
        strText += "\"";
        return strText;
    }
    default:
        return "";
    }
}

CInputName CInputName::FromText(LPCSTR pszText, int nOrdinal)
{
    if (pszText == NULL || *pszText == '\0')
        return Default();
    if (lstrcmpA(pszText, kLoopbackText) == 0)
        return Loopback();
    return Device(pszText, nOrdinal);   // the profile reader has taken the quotes off already
}
