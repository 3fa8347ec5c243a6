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
    void DoDataExchange(CDataExchange* pDX) override;
};
