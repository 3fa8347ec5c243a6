// CKalvora: pattern 0, the "Music analyzing" panel of the analyser's values, bars and dot graph.
#include "engine/Kalvora.h"
#include <cstring>

namespace {
struct PanelRow {
    const char* pszLabel;
    int y;
    BOOL bBar;
    COLORREF crMarker;
    int nHue;
    int nWhite;
};

const PanelRow kRows[] = {
    { "Frame", 50, FALSE, 0, 0, 0 },
    { "Level", 70, TRUE, 0xFFFFFF, 0, 100 },
    { "Deleta volume", 90, TRUE, 0xFFFF00, 180, 0 },
    { "Average of level", 110, TRUE, 0x0000FF, 0, 0 },
    { "Average delta volume", 130, TRUE, 0x00FF00, 120, 0 },
    { "Near level", 150, FALSE, 0, 0, 0 },
    { "Near delta level", 170, FALSE, 0, 0, 0 },
};
const int kRowCount = sizeof(kRows) / sizeof(kRows[0]);

const int kGraphBase = 400;
const int kGraphFirstColumn = 20;
const int kGraphEnd = 640;
const COLORREF kWhite = 0xFFFFFF;

// The platform doesn't change while the program runs: ask once, not every frame.
int BaseFontIndex()
{
    static const int nIndex = [] {
        OSVERSIONINFOA vi;
        vi.dwOSVersionInfoSize = sizeof(vi);
        BOOL bNT = ::GetVersionExA(&vi) && vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
        return bNT ? DEVICE_DEFAULT_FONT : DEFAULT_GUI_FONT;
    }();
    return nIndex;
}
}

void CKalvora::SetPanelMapping(CDC* pDC)
{
    if (m_nSizeMode == 0) {
        pDC->SetMapMode(MM_TEXT);
    } else {
        pDC->SetMapMode(MM_ANISOTROPIC);
        pDC->SetWindowExt(640, 480);
        pDC->SetViewportExt(m_rcClient.right - m_rcClient.left, m_rcClient.bottom - m_rcClient.top);
    }
    pDC->SetViewportOrg(0, 0);
}

void CKalvora::DrawPanelRow(CDC* pDC, int nRow, int v)
{
    const PanelRow& row = kRows[nRow];
    pDC->SetTextColor(kWhite);
    pDC->SetBkColor(m_crBack);
    pDC->TextOut(10, row.y, row.pszLabel);
    char szValue[16];
    wsprintfA(szValue, "%d", v);
    RECT rcValue = { 200, row.y, 230, row.y + 20 };
    pDC->DrawText(szValue, &rcValue, DT_RIGHT | DT_SINGLELINE);
    if (!row.bBar)
        return;
    RECT rc = { 240, row.y + 2, 245, row.y + 18 };
    pDC->FillSolidRect(&rc, row.crMarker);
    ::SetRect(&rc, 250 + v, row.y + 2, 505, row.y + 18);
    pDC->FillSolidRect(&rc, m_crBack);
    ::SetRect(&rc, 250, row.y + 2, 250 + v, row.y + 18);
    pDC->FillSolidRect(&rc, HsvToColor(row.nHue, row.nWhite, v * 50 / 255 + 50));
}

// The panel's two fonts come from the platform's stock font, which doesn't change while the program runs:
// they are made at the first frame and kept with the window.
BOOL CKalvora::MakePanelFonts()
{
    if (m_fontTitle.m_hObject && m_fontRow.m_hObject)
        return TRUE;
    HGDIOBJ hBase = ::GetStockObject(BaseFontIndex());
    LOGFONTA lfBase;
    if (hBase == NULL || ::GetObjectA(hBase, sizeof(lfBase), &lfBase) == 0)
        return FALSE;
    LOGFONTA lf = lfBase;
    lf.lfHeight *= 2;
    lf.lfWeight = 0;
    if (!m_fontTitle.CreateFontIndirect(&lf))
        return FALSE;
    lf = lfBase;
    lf.lfHeight = -20;
    lf.lfWeight = 0;
    m_fontRow.CreateFontIndirect(&lf);
    return TRUE;
}

void CKalvora::DrawPattern0(CDC* pDC)
{
    SetPanelMapping(pDC);
    if (!MakePanelFonts())
        return;

    HGDIOBJ hOldFont = pDC->SelectObject(&m_fontTitle);
    pDC->SetTextColor(kWhite);
    pDC->TextOut(10, 0, "Music analyzing");
    pDC->SelectObject(hOldFont);

    pDC->FillSolidRect(0, 30, 640, 1, kWhite);

    const BOOL bRowFont = m_fontRow.m_hObject != NULL;
    if (bRowFont) {
        hOldFont = pDC->SelectObject(&m_fontRow);
        pDC->SetBkMode(OPAQUE);
        RECT rcColumn = { 200, 50, 300, 210 };
        pDC->FillSolidRect(&rcColumn, m_crBack);
        const int nValues[kRowCount] = { (int)m_analyzer.m_nCount, m_analyzer.m_nLevel, m_analyzer.m_nDelta,
                                         (int)m_analyzer.m_nAvgLevel, (int)m_analyzer.m_nAvgDelta,
                                         m_analyzer.m_nNearLevel, m_analyzer.m_nNearDelta };
        for (int i = 0; i < kRowCount; i++)
            DrawPanelRow(pDC, i, nValues[i]);
    }

    int x = m_nGraphX;
    CGdiObject* pPenErase = m_gdi.Pen(PS_SOLID, 0, m_crBack);
    if (pPenErase) {
        HGDIOBJ hOldPen = pDC->SelectObject(pPenErase);
        pDC->MoveTo(x, 210);
        pDC->LineTo(x, m_rcClient.bottom);
        pDC->SelectObject(hOldPen);
    }

    pDC->SetPixel(x, kGraphBase, 0xFF0000);
    pDC->SetPixel(x, kGraphBase - m_analyzer.m_nLevel / 2, kWhite);
    pDC->SetPixel(x, kGraphBase - m_analyzer.m_nDelta / 2, 0xFFFF00);
    pDC->SetPixel(x, kGraphBase - (int)(m_analyzer.m_nAvgLevel / 2), 0x0000FF);
    pDC->SetPixel(x, kGraphBase - (int)(m_analyzer.m_nAvgDelta / 2), 0x00FF00);
    if (m_analyzer.m_bSilenceReset)
        m_nGraphX = kGraphFirstColumn;
    if (++m_nGraphX >= kGraphEnd)
        m_nGraphX = kGraphFirstColumn;

    if (bRowFont)
        pDC->SelectObject(hOldFont);
}
