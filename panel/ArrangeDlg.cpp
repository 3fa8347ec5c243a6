// CArrangeDlg: dialog 146, its two pictures and its two checked number fields.
#include "panel/ArrangeDlg.h"
#include "res/resource.h"

CArrangeDlg::CArrangeDlg(CWnd* pParent) : CDialog(IDD_ARRANGE_USER, pParent), m_nDynamic(0), m_nStatic(0) {}

BOOL CArrangeDlg::OnInitDialog()
{
    ShowPicture(IDC_DYNAMIC_LEGEND, m_bmpLegend, IDB_DYNAMIC_LEGEND);
    ShowPicture(IDC_ARRANGE_TITLE, m_bmpTitle, IDB_ARRANGE_TITLE);
    return CDialog::OnInitDialog();
}

void CArrangeDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_DYNAMIC_USER, m_nDynamic);
    DDV_MinMaxUInt(pDX, m_nDynamic, 0, 255);
    DDX_Text(pDX, IDC_STATIC_USER, m_nStatic);
    DDV_MinMaxUInt(pDX, m_nStatic, 1, 300);
}
