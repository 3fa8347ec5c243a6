// CAboutDlg: dialog 100, nothing read back.
#include "app/AboutDlg.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
