// CGdiObject: handle ownership and the live-handle count.
#include "GdiObject.h"

volatile LONG CGdiObject::s_nLive = 0;

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (hObject == NULL)
        return FALSE;
    DeleteObject();
    m_hObject = hObject;
    ::InterlockedIncrement(&s_nLive);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ h = m_hObject;
    if (h != NULL)
        ::InterlockedDecrement(&s_nLive);
    m_hObject = NULL;
    return h;
}

BOOL CGdiObject::DeleteObject()
{
    HGDIOBJ h = Detach();
    return h != NULL && ::DeleteObject(h);
}

int CGdiObject::GetObject(int nCount, LPVOID pObject) const
{
    return m_hObject ? ::GetObjectA(m_hObject, nCount, pObject) : 0;
}
