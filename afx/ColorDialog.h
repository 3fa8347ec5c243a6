// CColorDialog: the system's colour picker, modal, starting from a given colour.
#pragma once
#include <windows.h>
#include <commdlg.h>

class CWnd;

class CColorDialog
{
public:
    explicit CColorDialog(COLORREF crInit = 0, DWORD dwFlags = 0, CWnd* pParent = NULL);
    virtual ~CColorDialog() {}

    INT_PTR DoModal();
    COLORREF GetColor() const { return m_cc.rgbResult; }

    // The 16 custom colours the dialog edits in place; they last for the run of the program.
    static COLORREF* GetSavedCustomColors();

    CHOOSECOLORA m_cc;
};
