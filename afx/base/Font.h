// CFont: an owned GDI font.
#pragma once
#include "GdiObject.h"

class CFont : public CGdiObject
{
public:
    BOOL CreateFontIndirect(const LOGFONTA* pLogFont) { return Attach(::CreateFontIndirectA(pLogFont)); }
    operator HFONT() const { return (HFONT)m_hObject; }
};
