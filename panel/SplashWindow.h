// CSplashWindow: the start-up picture; its closing starts the display.
#pragma once
#include <afxwin.h>

class CSplashWindow : public CWnd
{
public:
    ~CSplashWindow() override;

    static void EnableSplashScreen(BOOL bEnable);
    static void ShowSplashScreen(CWnd* pParent);
    // TRUE when the message closed the splash and is swallowed.
    static BOOL PreTranslateAppMessage(MSG* pMsg);
    static BOOL IsShowing() { return c_pSplashWnd != NULL; }

    DECLARE_MESSAGE_MAP()

protected:
    CSplashWindow() {}
    BOOL Create(CWnd* pParent);
    void HideSplashScreen();
    void PostNcDestroy() override { delete this; }

    int OnCreate(LPCREATESTRUCTA pcs) override;
    void OnPaint();
    void OnTimer(UINT_PTR nIDEvent);

    CBitmap m_bitmap;

private:
    void Close();
    static BOOL c_bShowSplashWnd;
    static CSplashWindow* c_pSplashWnd;
};
