// CAboutDlg: dialog 100 with its picture; nothing read back; the version line comes from the build's version number.
#include "app/AboutDlg.h"
#include "res/resource.h"
#include "KvVersion.h"

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent) {}

BOOL CAboutDlg::OnInitDialog()
{
    ShowPicture(IDC_ABOUT_PICTURE, m_bmpPicture, IDB_SPLASH);
    // The template leaves the line empty so that the resource script needs no second copy of the version.
    ::SetDlgItemTextA(m_hWnd, IDC_VERSION, "Version " KV_VERSION_TEXT);
    return CDialog::OnInitDialog();
}
