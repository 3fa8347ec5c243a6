// CDialog: the dialog procedure that feeds the message map, OK/Cancel and data exchange.
#include "Dialog.h"
#include "DataExchange.h"
#include "Bitmap.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParent) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParent) {}

INT_PTR CDialog::DoModal()
{
    // The dialog manager disables the owner until the dialog ends: the user can't reach it meanwhile.
    HWND hOwner = GetSafeOwner(m_pParentWnd);
    return ::DialogBoxParamW(::GetModuleHandleA(NULL), MAKEINTRESOURCEW(m_nIDTemplate), hOwner, DlgProc,
                             (LPARAM)this);
}

INT_PTR CALLBACK CDialog::DlgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == NULL && msg == WM_INITDIALOG) {
        pWnd = (CDialog*)lParam;
        pWnd->Attach(hWnd);
    }
    if (pWnd == NULL)
        return FALSE;
    LRESULT lResult = pWnd->Dispatch(msg, wParam, lParam);
    if (msg == WM_INITDIALOG)
        return (INT_PTR)lResult;
    // The map's verdict travels in the result: handlers that want the dialog manager's default
    // processing leave it at zero.
    return (INT_PTR)lResult;
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM)
{
    return 0;   // the dialog manager does the rest
}

BOOL CDialog::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (uMsg == WM_INITDIALOG) {
        lResult = OnInitDialog();
        return TRUE;
    }
    if (uMsg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            lResult = TRUE;
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            lResult = TRUE;
            return TRUE;
        }
    }
    return CWnd::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult);
}

BOOL CDialog::OnInitDialog()
{
    CenterWindow();   // over the owner, as users expect a dialog to open
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;   // the user was told; the dialog stays open
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

BOOL CDialog::ShowPicture(int nIDC, CBitmap& bitmap, UINT nIDBitmap)
{
    HWND hPicture = ::GetDlgItem(m_hWnd, nIDC);
    if (hPicture == NULL || !bitmap.LoadBitmap(nIDBitmap))
        return FALSE;
    ::SendMessageA(hPicture, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bitmap.m_hObject);
    return TRUE;
}
