// CDialog: a modal dialog from a template, created with the wide functions so Japanese texts survive.
#pragma once
#include "Wnd.h"

class CDataExchange;
class CBitmap;

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = NULL);

    // Runs the dialog over its parent, or over the thread's main window when it has none.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }
    // Controls to fields (TRUE, validating) or fields to controls (FALSE).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    // Loads a bitmap resource into bitmap and shows it in picture control nIDC. The control only borrows
    // it: bitmap, a member of the dialog, deletes it once the window is gone.
    BOOL ShowPicture(int nIDC, CBitmap& bitmap, UINT nIDBitmap);

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    // Reports to the dialog manager whether the map handled a message (TRUE, its answer in
    // DWLP_MSGRESULT) or left it to the manager's default processing (FALSE).
    static INT_PTR CALLBACK DlgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    BOOL m_bDefaulted;   // the message being dispatched reached DefWindowProc
};
