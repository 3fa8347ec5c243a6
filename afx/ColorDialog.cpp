// CColorDialog: ChooseColor with the initial colour preselected.
#include "ColorDialog.h"
#include "Wnd.h"

CColorDialog::CColorDialog(COLORREF crInit, DWORD dwFlags, CWnd* pParent)
{
    for (COLORREF& cr : m_crCustom)
        cr = RGB(255, 255, 255);
    m_cc = CHOOSECOLORA();
    m_cc.lStructSize = sizeof(m_cc);
    m_cc.hwndOwner = pParent ? pParent->m_hWnd : NULL;
    m_cc.rgbResult = crInit;
    m_cc.lpCustColors = m_crCustom;
    m_cc.Flags = dwFlags | CC_RGBINIT;
}

INT_PTR CColorDialog::DoModal()
{
    return ::ChooseColorA(&m_cc) ? IDOK : IDCANCEL;
}
