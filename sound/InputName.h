// CInputName: an input as the user chose it: the default device, a device by its name, or what the computer plays.
#pragma once

#include <afxwin.h>

// A value: the control window holds the choice, the settings file keeps it as text and the render thread opens
// whatever device has that name now. Device numbers are never kept: they change when devices come and go.
class CInputName
{
public:
    enum Kind { DEFAULT, DEVICE, LOOPBACK };

    CInputName() : m_nKind(DEFAULT), m_nOrdinal(1) {}
    static CInputName Default() { return CInputName(); }
    static CInputName Loopback();
    // The nOrdinal-th device (from 1) of that name in the system's order: two devices may share a name.
    static CInputName Device(LPCSTR pszName, int nOrdinal = 1);

    Kind GetKind() const { return m_nKind; }
    const CString& GetName() const { return m_strName; }
    int GetOrdinal() const { return m_nOrdinal; }
    bool operator==(const CInputName& other) const;
    bool operator!=(const CInputName& other) const { return !(*this == other); }

    // The settings file's text: empty for the default, a device's name in double quotes (which the profile reader
    // strips, keeping spaces and quotes inside), and for what the computer plays a text longer than any wave
    // device's name can be. FromText reads these and the bare names that earlier versions wrote; the place among
    // equal names is kept beside it.
    CString ToText() const;
    static CInputName FromText(LPCSTR pszText, int nOrdinal = 1);

private:
    Kind m_nKind;
    CString m_strName;
    int m_nOrdinal;
};
