// CGdiCache: lookup, creation and release of the kept pens and brushes.
#include "patterns/GdiCache.h"

namespace {
enum { KIND_BRUSH, KIND_PEN };
}

CGdiObject* CGdiCache::Find(int nKind, int nStyle, int nWidth, COLORREF cr)
{
    for (int i = 0; i < m_nCount; i++) {
        SEntry& e = m_entry[i];
        if (e.cr == cr && e.nKind == nKind && e.nStyle == nStyle && e.nWidth == nWidth) {
            e.nFrame = m_nFrame;
            return e.pObject;
        }
    }
    return NULL;
}

int CGdiCache::InUse() const
{
    int n = 0;
    for (int i = 0; i < m_nCount; i++)
        n += m_entry[i].nFrame == m_nFrame;
    return n;
}

CGdiObject* CGdiCache::Add(int nKind, int nStyle, int nWidth, COLORREF cr)
{
    MakeRoom(1);
    CGdiObject* pObject = NULL;
    if (nKind == KIND_BRUSH) {
        CBrush* pBrush = new CBrush;
        pBrush->CreateSolidBrush(cr);
        pObject = pBrush;
    } else {
        CPen* pPen = new CPen;
        pPen->CreatePen(nStyle, nWidth, cr);
        pObject = pPen;
    }
    if (pObject->m_hObject == NULL) {
        delete pObject;
        return NULL;
    }
    SEntry& e = m_entry[m_nCount++];
    e.nKind = nKind;
    e.nStyle = nStyle;
    e.nWidth = nWidth;
    e.cr = cr;
    e.pObject = pObject;
    e.nFrame = m_nFrame;
    return pObject;
}

CGdiObject* CGdiCache::SolidBrush(COLORREF cr)
{
    CGdiObject* p = Find(KIND_BRUSH, 0, 0, cr);
    return p ? p : Add(KIND_BRUSH, 0, 0, cr);
}

CGdiObject* CGdiCache::Pen(int nStyle, int nWidth, COLORREF cr)
{
    CGdiObject* p = Find(KIND_PEN, nStyle, nWidth, cr);
    return p ? p : Add(KIND_PEN, nStyle, nWidth, cr);
}

CGdiObject* CGdiCache::EraseBrush(COLORREF crBack)
{
    if (m_brushErase.m_hObject == NULL || m_crErase != crBack) {
        m_brushErase.CreateSolidBrush(crBack);
        m_crErase = crBack;
    }
    return m_brushErase.m_hObject ? &m_brushErase : NULL;
}

CGdiObject* CGdiCache::NullPen(COLORREF crBack)
{
    if (m_penNull.m_hObject == NULL || m_crNullPen != crBack) {
        m_penNull.CreatePen(PS_NULL, 0, crBack);
        m_crNullPen = crBack;
    }
    return m_penNull.m_hObject ? &m_penNull : NULL;
}

int CGdiCache::ShapeSlot(int cx, int cy, int nPenWidth)
{
    // Knuth's multiplicative hash: the top 8 bits of the key times 2^32 / phi spread neighbouring sizes apart.
    const unsigned key = ((unsigned)cx << 20) ^ ((unsigned)cy << 8) ^ (unsigned)nPenWidth;
    return (int)((key * 2654435761u) >> 24);
}

CEllipseShape* CGdiCache::EllipseShape(int cx, int cy, int nPenWidth)
{
    int nSlot = ShapeSlot(cx, cy, nPenWidth);
    for (; m_shapeSlot[nSlot] != 0; nSlot = (nSlot + 1) % SHAPE_SLOTS) {
        CEllipseShape& shape = m_shape[m_shapeSlot[nSlot] - 1];
        if (shape.Is(cx, cy, nPenWidth))
            return &shape;
    }
    // The table is never full: at most SHAPES of its SHAPE_SLOTS are taken, so the probe above ends.
    if (m_nShapes == SHAPES || !m_shape[m_nShapes].Learn(cx, cy, nPenWidth, Pad()))
        return NULL;
    m_shapeSlot[nSlot] = (BYTE)(m_nShapes + 1);
    return &m_shape[m_nShapes++];
}

const CEllipseShape* CGdiCache::SmallShape(int cx, int cy)
{
    if (cx < 1 || cy < 1 || cx > SMALL || cy > SMALL)
        return NULL;
    CEllipseShape& shape = m_small[cx - 1][cy - 1];
    if (!shape.Is(cx, cy, 0) && !shape.Learn(cx, cy, 0, Pad()))
        return NULL;
    return &shape;
}

// Large enough for pattern 16's largest disc and its erase pen.
CDibCanvas* CGdiCache::Pad()
{
    const int kPadSize = 64;
    if (m_pad.Width() == 0 && !m_pad.Create(kPadSize, kPadSize))
        return NULL;
    return &m_pad;
}

void CGdiCache::Reserve(int n)
{
    MakeRoom(n);
}

void CGdiCache::MakeRoom(int n)
{
    if (m_nCount + n <= CAPACITY)
        return;
    ReleaseUnused();
    if (m_nCount + n > CAPACITY)
        ReleaseElements();
}

void CGdiCache::ReleaseUnused()
{
    int nKept = 0;
    for (int i = 0; i < m_nCount; i++) {
        if (m_entry[i].nFrame == m_nFrame)
            m_entry[nKept++] = m_entry[i];
        else
            delete m_entry[i].pObject;
    }
    m_nCount = nKept;
}

void CGdiCache::ReleaseElements()
{
    for (int i = 0; i < m_nCount; i++)
        delete m_entry[i].pObject;
    m_nCount = 0;
}

void CGdiCache::Release()
{
    ReleaseElements();
    m_brushErase.DeleteObject();
    m_penNull.DeleteObject();
}

int CGdiCache::Count() const
{
    return m_nCount + (m_brushErase.m_hObject != NULL) + (m_penNull.m_hObject != NULL);
}
