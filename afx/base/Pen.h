// CPen: an owned GDI pen.
#pragma once
#include "GdiObject.h"

class CPen : public CGdiObject
{
public:
    CPen() {}
    CPen(int nStyle, int nWidth, COLORREF cr) { CreatePen(nStyle, nWidth, cr); }
    BOOL CreatePen(int nStyle, int nWidth, COLORREF cr) { return Attach(::CreatePen(nStyle, nWidth, cr)); }
    operator HPEN() const { return (HPEN)m_hObject; }
};
