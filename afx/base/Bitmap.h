// CBitmap: an owned GDI bitmap, from the module's resources or made compatible with a DC.
#pragma once
#include "GdiObject.h"

class CDC;

class CBitmap : public CGdiObject
{
public:
    BOOL LoadBitmap(UINT nIDResource)
    {
        return Attach(::LoadBitmapA(::GetModuleHandleA(NULL), MAKEINTRESOURCEA(nIDResource)));
    }
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    int GetBitmap(BITMAP* pBitmap) const { return GetObject(sizeof(BITMAP), pBitmap); }
    operator HBITMAP() const { return (HBITMAP)m_hObject; }
};
