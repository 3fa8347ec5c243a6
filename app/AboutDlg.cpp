// CAboutDlg: dialog 100 and its picture; nothing read back.
#include "app/AboutDlg.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent) {}

BOOL CAboutDlg::OnInitDialog()
{
    ShowPicture(IDC_ABOUT_PICTURE, m_bmpPicture, IDB_SPLASH);
    return CDialog::OnInitDialog();
}
