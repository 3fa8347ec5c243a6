// CBrush: an owned solid GDI brush.
#pragma once
#include "GdiObject.h"

class CBrush : public CGdiObject
{
public:
    CBrush() {}
    explicit CBrush(COLORREF cr) { CreateSolidBrush(cr); }
    BOOL CreateSolidBrush(COLORREF cr) { return Attach(::CreateSolidBrush(cr)); }
    operator HBRUSH() const { return (HBRUSH)m_hObject; }
};
