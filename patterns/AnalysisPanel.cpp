// CAnalysisPanel: pattern 0, the "Music analyzing" panel of the analyser's values, bars and dot graph.
#include "patterns/AnalysisPanel.h"
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

void CAnalysisPanel::InitPattern0(CPatternCanvas&, const SPatternInput&)
{
    m_nGraphX = kGraphFirstColumn;
}

void CAnalysisPanel::SetPanelMapping(const CPatternCanvas& cv, CDC* pDC) const
{
    if (!m_bScaled) {
        pDC->SetMapMode(MM_TEXT);
    } else {
        pDC->SetMapMode(MM_ANISOTROPIC);
        pDC->SetWindowExt(640, 480);
        pDC->SetViewportExt(cv.m_rcClient.right - cv.m_rcClient.left, cv.m_rcClient.bottom - cv.m_rcClient.top);
    }
    pDC->SetViewportOrg(0, 0);
}

void CAnalysisPanel::DrawPanelRow(const CPatternCanvas& cv, CDC* pDC, int nRow, int v) const
{
    const PanelRow& row = kRows[nRow];
    pDC->SetTextColor(kWhite);
    pDC->SetBkColor(cv.m_crBack);
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
    pDC->FillSolidRect(&rc, cv.m_crBack);
    ::SetRect(&rc, 250, row.y + 2, 250 + v, row.y + 18);
    pDC->FillSolidRect(&rc, cv.HsvToColor(row.nHue, row.nWhite, v * 50 / 255 + 50));
}

// The panel's two fonts come from the platform's stock font, which doesn't change while the program runs:
// they are made at the first frame and kept with the panel.
BOOL CAnalysisPanel::MakePanelFonts()
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

void CAnalysisPanel::DrawPattern0(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    SetPanelMapping(cv, pDC);
    if (!MakePanelFonts())
        return;

    {
        CSelectGuard font(pDC, m_fontTitle);
        pDC->SetTextColor(kWhite);
        pDC->TextOut(10, 0, "Music analyzing");
    }

    pDC->FillSolidRect(0, 30, 640, 1, kWhite);

    if (m_fontRow.m_hObject != NULL) {
        CSelectGuard font(pDC, m_fontRow);
        pDC->SetBkMode(OPAQUE);
        RECT rcColumn = { 200, 50, 300, 210 };
        pDC->FillSolidRect(&rcColumn, cv.m_crBack);
        const int nValues[kRowCount] = { (int)in.dwCount, in.nLevel, in.nDelta, (int)in.dwAvgLevel,
                                         (int)in.dwAvgDelta, in.nNearLevel, in.nNearDelta };
        for (int i = 0; i < kRowCount; i++)
            DrawPanelRow(cv, pDC, i, nValues[i]);
    }

    int x = m_nGraphX;
    CGdiObject* pPenErase = cv.m_gdi.Pen(PS_SOLID, 0, cv.m_crBack);
    if (pPenErase) {
        CSelectGuard pen(pDC, *pPenErase);
        pDC->MoveTo(x, 210);
        pDC->LineTo(x, cv.m_rcClient.bottom);
    }

    pDC->SetPixel(x, kGraphBase, 0xFF0000);
    pDC->SetPixel(x, kGraphBase - in.nLevel / 2, kWhite);
    pDC->SetPixel(x, kGraphBase - in.nDelta / 2, 0xFFFF00);
    pDC->SetPixel(x, kGraphBase - (int)(in.dwAvgLevel / 2), 0x0000FF);
    pDC->SetPixel(x, kGraphBase - (int)(in.dwAvgDelta / 2), 0x00FF00);
    if (in.bSilence)
        m_nGraphX = kGraphFirstColumn;
    if (++m_nGraphX >= kGraphEnd)
        m_nGraphX = kGraphFirstColumn;
}
