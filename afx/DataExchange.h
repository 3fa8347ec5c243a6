// CDataExchange: moves dialog fields to and from controls and stops at the first invalid entry.
#pragma once
#include <windows.h>

class CDialog;

class CDataExchange
{
public:
    CDataExchange(CDialog* pDlg, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlg), m_nIDLast(0), m_bFailed(FALSE) {}

    // The control that the next checks refer to.
    HWND PrepareEditCtrl(int nIDC);
    // Reports nothing itself: the caller has told the user; focus goes back to the last field.
    void Fail();

    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
    int m_nIDLast;
    BOOL m_bFailed;
};

// Unsigned number in an edit control. Rejects text that is not a whole unsigned number.
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
// Rejects a value outside [minVal, maxVal] with the standard message.
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
