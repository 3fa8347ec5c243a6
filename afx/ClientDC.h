// CClientDC: the client-area context of a window, released when it ends.
#pragma once
#include "DC.h"
#include "Wnd.h"

class CClientDC : public CDC
{
public:
    explicit CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : NULL) { Attach(::GetDC(m_hWnd)); }
    ~CClientDC() override
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, Detach());
    }

private:
    HWND m_hWnd;
};
