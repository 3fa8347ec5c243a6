// CArrangeDlg: the Dynamic User threshold and the Static User tempo.
#pragma once
#include <afxwin.h>

class CArrangeDlg : public CDialog
{
public:
    explicit CArrangeDlg(CWnd* pParent = NULL);

    UINT m_nDynamic;   // 0..255
    UINT m_nStatic;    // 1..300 beats per minute

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // The two pictures: the dialog owns them, its picture controls only show them.
    CBitmap m_bmpLegend;
    CBitmap m_bmpTitle;
};
