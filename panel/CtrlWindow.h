// CCtrlWindow: the main window; picture buttons and menu that steer the display through the render thread.
#pragma once
#include <afxwin.h>
#include "sound/InputName.h"

class CCtrlWindow : public CFrameWnd
{
public:
    CCtrlWindow();
    ~CCtrlWindow() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    // Button geometry in client pixels; -1 when the point is on no button.
    static RECT PatternButtonRect(int nPattern);
    static RECT ArrangeButtonRect(int nMode);
    static int PatternAt(POINT pt);
    static int ArrangeAt(POINT pt);

    CString m_strClassName;   // the window class to register under, when the application gives one
    int m_nCurPattern;
    int m_nCurArrange;
    CBitmap m_bmpPanel;
    CBitmap m_bmpPatternIcons;
    CBitmap m_bmpArrangeButtons;
    HICON m_hIcon;

    DECLARE_MESSAGE_MAP()

    // Handlers (public so the tests can drive them).
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnRButtonDown(UINT nFlags, CPoint point) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    LRESULT OnPatternChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnArrangeChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnStartDisplay(WPARAM wParam, LPARAM lParam);
    void OnPatternCommand(UINT nID);
    void OnArrangeCommand(UINT nID);
    void OnMonitorCommand(UINT nID);
    void OnSizeCommand(UINT nID);
    void OnColorCommand(UINT nID);
    void OnControlWindow();
    void OnArrangeUser();
    void OnScreenColor();
    void OnInputCommand(UINT nID);
    void OnSensitivityCommand(UINT nID);
    void OnLoopbackCommand();
    void OnNextInput();
    void OnNextSensitivity();

protected:
    int OnCreate(LPCREATESTRUCTA pcs) override;
    void OnDestroy() override;
    void OnPaint();
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnUpdatePattern(CCmdUI* pCmdUI);
    void OnUpdateArrange(CCmdUI* pCmdUI);
    void OnUpdateMonitor(CCmdUI* pCmdUI);
    void OnUpdateSize(CCmdUI* pCmdUI);
    void OnUpdateControlWindow(CCmdUI* pCmdUI);
    void OnUpdateInput(CCmdUI* pCmdUI);
    void OnUpdateSensitivity(CCmdUI* pCmdUI);
    void OnInitMenuPopup(HMENU hMenu) override;

private:
    void FitToPanel();
    void AdjustMonitorMenu();
    void DrawPanel(CDC* pDC);
    void SelectPattern(int nPattern);
    void SelectArrange(int nMode);
    BOOL RetryDisplay();
    void ChooseInput(const CInputName& input);
    static BOOL LoopbackAvailable();
    void ChooseSensitivity(int nIndex);
    static void FillInputMenu(HMENU hSoundMenu);
};
