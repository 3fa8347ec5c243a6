// CAboutDlg: the modal About box with the start-up picture and the program's version.
#pragma once
#include <afxwin.h>

class CAboutDlg : public CDialog
{
public:
    explicit CAboutDlg(CWnd* pParent = NULL);

protected:
    BOOL OnInitDialog() override;

    CBitmap m_bmpPicture;   // owned here; the picture control only shows it
};
