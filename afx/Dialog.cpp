// CDialog: the dialog procedure that feeds the message map, OK/Cancel and data exchange.
#include "Dialog.h"
#include "DataExchange.h"
#include "Bitmap.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParent)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParent), m_bDefaulted(FALSE)
{
}

INT_PTR CDialog::DoModal()
{
    // The dialog manager disables the owner until the dialog ends: the user can't reach it meanwhile.
    HWND hOwner = GetSafeOwner(m_pParentWnd);
    return ::DialogBoxParamW(::GetModuleHandleA(NULL), MAKEINTRESOURCEW(m_nIDTemplate), hOwner, DlgProc,
                             (LPARAM)this);
}

namespace {
// Messages whose answer is the dialog procedure's own result rather than a "handled" flag.
BOOL AnswersDirectly(UINT msg)
{
    return msg == WM_INITDIALOG || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) ||
           msg == WM_COMPAREITEM || msg == WM_VKEYTOITEM || msg == WM_CHARTOITEM || msg == WM_QUERYDRAGICON;
}
}

INT_PTR CALLBACK CDialog::DlgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CDialog* pDlg = (CDialog*)FromHandlePermanent(hWnd);
    if (pDlg == NULL && msg == WM_INITDIALOG) {
        pDlg = (CDialog*)lParam;
        pDlg->Attach(hWnd);
    }
    if (pDlg == NULL)
        return FALSE;
    // Messages sent from inside a handler nest here: each keeps its own verdict.
    BOOL bOuterDefaulted = pDlg->m_bDefaulted;
    pDlg->m_bDefaulted = FALSE;
    LRESULT lResult = pDlg->Dispatch(msg, wParam, lParam);
    BOOL bHandled = !pDlg->m_bDefaulted;
    pDlg->m_bDefaulted = bOuterDefaulted;
    if (AnswersDirectly(msg))
        return (INT_PTR)lResult;
    if (!bHandled)
        return FALSE;   // the dialog manager's default processing follows
    ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM)
{
    // Neither the map nor the handler took the message: the dialog manager does the rest.
    m_bDefaulted = TRUE;
    return 0;
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
