// CCmdTarget: root of everything that has a message map.
#pragma once
#include "MessageMap.h"

class CCmdTarget
{
public:
    virtual ~CCmdTarget() {}
    // The end of every chain of maps: nothing handled.
    virtual BOOL ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return FALSE; }
};
