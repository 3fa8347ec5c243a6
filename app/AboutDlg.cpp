// CAboutDlg: dialog 100 and its picture; nothing read back.
#include "app/AboutDlg.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog()
{
    ShowPicture(IDC_ABOUT_PICTURE, m_bmpPicture, IDB_SPLASH);
    return CDialog::OnInitDialog();
}
