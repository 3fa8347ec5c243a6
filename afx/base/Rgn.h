// CRgn: an owned GDI region.
#pragma once
#include "GdiObject.h"

class CRgn : public CGdiObject
{
public:
    BOOL CreateFromData(const RGNDATA* pData, DWORD nBytes) { return Attach(::ExtCreateRegion(NULL, nBytes, pData)); }
    int OffsetRgn(int x, int y) { return ::OffsetRgn((HRGN)m_hObject, x, y); }
    operator HRGN() const { return (HRGN)m_hObject; }
};
