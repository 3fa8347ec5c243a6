// CBitmap: bitmaps made for a device context.
#include "Bitmap.h"
#include "DC.h"

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight)
{
    return Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}
