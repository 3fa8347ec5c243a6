// CCmdUI: one menu item offered to its update handler before the menu opens.
#pragma once
#include <windows.h>

class CCmdUI
{
public:
    UINT m_nID = 0;
    UINT m_nIndex = 0;
    HMENU m_hMenu = NULL;

    void Enable(BOOL bOn = TRUE)
    {
        ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    }
    void SetCheck(int nCheck = 1)
    {
        ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    }
};
