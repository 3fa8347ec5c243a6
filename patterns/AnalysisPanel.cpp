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

const int kTitleTop = 0;
const int kLabelLeft = 10;
const int kValueLeft = 200;     // the value column, wiped every frame
const int kValueRight = 230;    // where the values' text is cut off
const int kColumnRight = 300;   // how far a new picture's wipe reaches
const int kGraphTop = 210;      // the dot graph's column, wiped every frame
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
    m_labels.bValid = FALSE;
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

void CAnalysisPanel::DrawPanelRow(const CPatternCanvas& cv, CDC* pDC, int nRow, int v, BOOL bLabel) const
{
    const PanelRow& row = kRows[nRow];
    pDC->SetTextColor(kWhite);
    pDC->SetBkColor(cv.m_crBack);
    if (bLabel)
        pDC->TextOut(kLabelLeft, row.y, row.pszLabel);
    char szValue[16];
    wsprintfA(szValue, "%d", v);
    RECT rcValue = { kValueLeft, row.y, kValueRight, row.y + 20 };
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
        pDC->TextOut(kLabelLeft, kTitleTop, "Music analyzing");
    }

    pDC->FillSolidRect(0, 30, 640, 1, kWhite);

    if (m_fontRow.m_hObject != NULL) {
        CSelectGuard font(pDC, m_fontRow);
        pDC->SetBkMode(OPAQUE);
        const BOOL bHolds = StampHolds(cv);
        const int nStanding = bHolds ? m_labels.nStanding : 0;
        WipeValues(cv, pDC, bHolds);
        const int nValues[kRowCount] = { (int)in.dwCount, in.nLevel, in.nDelta, (int)in.dwAvgLevel,
                                         (int)in.dwAvgDelta, in.nNearLevel, in.nNearDelta };
        for (int i = 0; i < kRowCount; i++)
            DrawPanelRow(cv, pDC, i, nValues[i], i >= nStanding);
        if (!bHolds)
            NoteLabels(cv, pDC);
    }

    int x = m_nGraphX;
    CGdiObject* pPenErase = cv.m_gdi.Pen(PS_SOLID, 0, cv.m_crBack);
    if (pPenErase) {
        CSelectGuard pen(pDC, *pPenErase);
        pDC->MoveTo(x, kGraphTop);
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

BOOL CAnalysisPanel::StampHolds(const CPatternCanvas& cv) const
{
    return m_labels.bValid && m_labels.crBack == cv.m_crBack && ::EqualRect(&m_labels.rcClient, &cv.m_rcClient) &&
           m_labels.bScaled == m_bScaled && m_labels.nPaintedOver == cv.m_nPaintedOver;
}

// The whole column when the stamp is new. While it holds, each frame paints the same pixels right of the values
// (the same labels, the markers, each bar's full length) and nothing else reaches there, so what the wipe would
// leave as background is background still: only the values' own cells, whose digits change, are wiped.
void CAnalysisPanel::WipeValues(const CPatternCanvas& cv, CDC* pDC, BOOL bStampHolds) const
{
    RECT rcColumn = { kValueLeft, kRows[0].y, bStampHolds ? kValueRight : kColumnRight, kGraphTop };
    pDC->FillSolidRect(&rcColumn, cv.m_crBack);
}

// Called with the row font selected, after every label was drawn.
void CAnalysisPanel::NoteLabels(const CPatternCanvas& cv, CDC* pDC)
{
    m_labels.crBack = cv.m_crBack;
    m_labels.rcClient = cv.m_rcClient;
    m_labels.bScaled = m_bScaled;
    m_labels.nPaintedOver = cv.m_nPaintedOver;
    m_labels.nStanding = LabelsClearOfRedrawing(pDC);
    m_labels.bValid = TRUE;
}

// Every frame the title is drawn over itself and the value column and the graph are wiped: a label that
// reaches into any of them is drawn every frame, as it always was, and so is every label below it, whose top
// its box covers. One unit of room is kept for the rounding of a stretched panel; text that can't be measured
// counts as reaching. Returns how many labels from the top may stand.
int CAnalysisPanel::LabelsClearOfRedrawing(CDC* pDC)
{
    {
        CSelectGuard font(pDC, m_fontTitle);
        const SIZE sizeTitle = pDC->GetTextExtent("Music analyzing");
        if (sizeTitle.cy <= 0 || kTitleTop + sizeTitle.cy >= kRows[0].y - 1)
            return 0;
    }
    for (int i = 0; i < kRowCount; i++) {
        const SIZE size = pDC->GetTextExtent(kRows[i].pszLabel);
        if (size.cx <= 0 || kLabelLeft + size.cx >= kValueLeft - 1 || kRows[i].y + size.cy >= kGraphTop - 1)
            return i;
    }
    return kRowCount;
}
