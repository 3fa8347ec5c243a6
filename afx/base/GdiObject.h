// CGdiObject: owns one GDI handle and deletes it; counts live handles so tests can see leaks.
#pragma once
#include <windows.h>

class CGdiObject
{
public:
    CGdiObject() : m_hObject(NULL) {}
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID pObject) const;

    // Handles created through these wrappers and not yet deleted, across all threads.
    static LONG GetLiveCount() { return s_nLive; }

    HGDIOBJ m_hObject;

private:
    static volatile LONG s_nLive;
};
