// CSyncObject: a kernel object that a CSingleLock can take.
#pragma once
#include <windows.h>

class CSyncObject
{
public:
    CSyncObject() : m_hObject(NULL) {}
    virtual ~CSyncObject() { if (m_hObject) ::CloseHandle(m_hObject); }
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;

    operator HANDLE() const { return m_hObject; }
    virtual BOOL Lock(DWORD dwTimeout = INFINITE)
    {
        return ::WaitForSingleObject(m_hObject, dwTimeout) == WAIT_OBJECT_0;
    }
    virtual BOOL Unlock() = 0;

    HANDLE m_hObject;
};
