// CFrameWnd: a top-level frame with a menu, accelerators and menu check marks; deletes itself when gone.
#pragma once
#include "Wnd.h"

#define FWS_ADDTOTITLE 0x00008000L

class CFrameWnd : public CWnd
{
public:
    CFrameWnd();
    ~CFrameWnd() override;

    static const RECT rectDefault;
    // The class that frames get unless PreCreateWindow names another.
    static LPCSTR GetDefaultClass();

    BOOL Create(LPCSTR pszClassName, LPCSTR pszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* pParent = NULL, LPCSTR pszMenuName = NULL,
                DWORD dwExStyle = 0, void* pContext = NULL);
    // Menu, accelerator table, class icon and title all come from resource nIDResource.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParent = NULL, void* pContext = NULL);

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

    HACCEL m_hAccelTable;

protected:
    void PostNcDestroy() override;
    virtual void OnInitMenuPopup(HMENU hMenu);

    UINT m_nIDResource;
};
