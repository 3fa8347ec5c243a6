// CColorDialog: ChooseColor with the initial colour preselected and the custom colours of the run.
#include "ColorDialog.h"
#include "Wnd.h"

namespace {
// The user's custom colours, white until defined; shared by every colour dialog of the process.
struct CustomColourTable {
    COLORREF cr[16];
    CustomColourTable()
    {
        for (COLORREF& c : cr)
            c = RGB(255, 255, 255);
    }
};
}

COLORREF* CColorDialog::GetSavedCustomColors()
{
    static CustomColourTable s_table;
    return s_table.cr;
}

CColorDialog::CColorDialog(COLORREF crInit, DWORD dwFlags, CWnd* pParent)
{
    m_cc = CHOOSECOLORA();
    m_cc.lStructSize = sizeof(m_cc);
    m_cc.hwndOwner = pParent ? pParent->m_hWnd : NULL;
    m_cc.rgbResult = crInit;
    m_cc.lpCustColors = GetSavedCustomColors();
    m_cc.Flags = dwFlags | CC_RGBINIT;
}

INT_PTR CColorDialog::DoModal()
{
    return ::ChooseColorA(&m_cc) ? IDOK : IDCANCEL;
}
