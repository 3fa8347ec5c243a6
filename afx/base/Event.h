// CEvent: a Win32 event; auto-reset unless asked otherwise.
#pragma once
#include "SyncObject.h"

class CEvent : public CSyncObject
{
public:
    explicit CEvent(BOOL bInitiallyOwn = FALSE, BOOL bManualReset = FALSE, LPCSTR pszName = NULL,
                    LPSECURITY_ATTRIBUTES psa = NULL)
    {
        m_hObject = ::CreateEventA(psa, bManualReset, bInitiallyOwn, pszName);
    }
    BOOL SetEvent() { return ::SetEvent(m_hObject); }
    BOOL ResetEvent() { return ::ResetEvent(m_hObject); }
    // Taking an event needs no release.
    BOOL Unlock() override { return TRUE; }
};
