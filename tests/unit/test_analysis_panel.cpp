// Unit tests of pattern 0, the analysis panel, drawn into a real 32-bit DIB and read back pixel by pixel.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "display/Kalvora.h"

namespace {

const COLORREF kUntouched = RGB(255, 0, 255);   // pre-fill: anything the panel did not draw stays magenta
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kCyan = RGB(0, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);

struct BarRow {
    const char* name;
    int y;
    COLORREF marker;
    int hue;
    int white;
};
const BarRow kLevelRow = { "Level", 70, kWhite, 0, 100 };
const BarRow kDeltaRow = { "Delta", 90, kCyan, 180, 0 };
const BarRow kAvgLevelRow = { "Average level", 110, kRed, 0, 0 };
const BarRow kAvgDeltaRow = { "Average delta", 130, kGreen, 120, 0 };

// The panel and its canvas, drawing into a top-down 32-bit DIB section through a memory DC.
class AnalysisPanel : public ::testing::Test
{
protected:
    void SetUp() override { MakeSurface(640, 480, FALSE); }

    void TearDown() override { FreeSurface(); }

    void MakeSurface(int cx, int cy, BOOL bScaled)
    {
        FreeSurface();
        m_cx = cx;
        m_cy = cy;
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = cx;
        bmi.bmiHeader.biHeight = -cy;   // top-down rows
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        m_hMemDC = ::CreateCompatibleDC(NULL);
        ASSERT_NE(m_hMemDC, (HDC)NULL);
        m_hBitmap = ::CreateDIBSection(m_hMemDC, &bmi, DIB_RGB_COLORS, (void**)&m_pBits, NULL, 0);
        ASSERT_NE(m_hBitmap, (HBITMAP)NULL);
        m_hOldBitmap = ::SelectObject(m_hMemDC, m_hBitmap);
        m_dc.Attach(m_hMemDC);
        m_dc.SetBkMode(TRANSPARENT);   // as the frame composer hands the context over
        m_cv.reset(new CPatternCanvas);
        m_panel.reset(new CAnalysisPanel);
        ::SetRect(&m_cv->m_rcClient, 0, 0, cx, cy);
        m_panel->m_bScaled = bScaled;
        m_panel->m_nGraphX = 20;
        Fill(kUntouched);
    }

    void FreeSurface()
    {
        m_panel.reset();
        m_cv.reset();
        if (m_hMemDC) {
            m_dc.Detach();
            ::SelectObject(m_hMemDC, m_hOldBitmap);
            ::DeleteObject(m_hBitmap);
            ::DeleteDC(m_hMemDC);
        }
        m_hMemDC = NULL;
        m_hBitmap = NULL;
        m_pBits = NULL;
    }

    void Fill(COLORREF cr)
    {
        ::GdiFlush();
        DWORD px = (DWORD)(GetRValue(cr) << 16 | GetGValue(cr) << 8 | GetBValue(cr));
        for (int i = 0; i < m_cx * m_cy; i++)
            m_pBits[i] = px;
    }

    COLORREF Pixel(int x, int y)
    {
        ::GdiFlush();
        DWORD p = m_pBits[y * m_cx + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    void SetValues(int level, int delta, int avgLevel, int avgDelta)
    {
        m_in.nLevel = level;
        m_in.nDelta = delta;
        m_in.dwAvgLevel = (DWORD)avgLevel;
        m_in.dwAvgDelta = (DWORD)avgDelta;
        m_in.dwCount = 17;
        m_in.nNearLevel = 3;
        m_in.nNearDelta = 4;
        m_in.bSilence = FALSE;
    }

    void Draw() { m_panel->DrawPattern0(*m_cv, m_in, &m_dc); }

    COLORREF BarColor(const BarRow& row, int v) const
    {
        return m_cv->HsvToColor(row.hue, row.white, v * 50 / 255 + 50);
    }

    // Marker, bar of length v and the cleared tail to 504, over all 16 rows of the bar.
    void ExpectBar(const BarRow& row, int v)
    {
        SCOPED_TRACE(::testing::Message() << row.name << " v=" << v);
        COLORREF crBar = BarColor(row, v);
        COLORREF crBack = m_cv->m_crBack;
        for (int y = row.y + 2; y <= row.y + 17; y++) {
            for (int x = 240; x <= 244; x++)
                ASSERT_EQ(Pixel(x, y), row.marker) << "marker at " << x << "," << y;
            for (int x = 250; x < 250 + v; x++)
                ASSERT_EQ(Pixel(x, y), crBar) << "bar at " << x << "," << y;
            for (int x = 250 + v; x <= 504; x++)
                ASSERT_EQ(Pixel(x, y), crBack) << "tail at " << x << "," << y;
            ASSERT_EQ(Pixel(505, y), kUntouched) << "beyond the bar at 505," << y;
        }
        // Sixteen rows high: the rows just above and below are not part of it.
        EXPECT_EQ(Pixel(400, row.y + 1), kUntouched);
        EXPECT_EQ(Pixel(400, row.y + 18), kUntouched);
    }

    int m_cx = 0, m_cy = 0;
    HDC m_hMemDC = NULL;
    HBITMAP m_hBitmap = NULL;
    HGDIOBJ m_hOldBitmap = NULL;
    DWORD* m_pBits = NULL;
    CDC m_dc;
    std::unique_ptr<CPatternCanvas> m_cv;
    std::unique_ptr<CAnalysisPanel> m_panel;
    SPatternInput m_in;
};

} // namespace

TEST_F(AnalysisPanel, BarsShowEachValueInItsRowColours)
{
    SetValues(100, 60, 150, 30);
    Draw();
    ExpectBar(kLevelRow, 100);
    ExpectBar(kDeltaRow, 60);
    ExpectBar(kAvgLevelRow, 150);
    ExpectBar(kAvgDeltaRow, 30);
    // The bar colours differ per row: a swapped hue or whiteness would show here.
    EXPECT_NE(BarColor(kLevelRow, 100), BarColor(kAvgLevelRow, 100));
}

TEST_F(AnalysisPanel, EmptyAndFullBars)
{
    SetValues(0, 0, 255, 255);
    Draw();
    ExpectBar(kLevelRow, 0);
    ExpectBar(kDeltaRow, 0);
    ExpectBar(kAvgLevelRow, 255);
    ExpectBar(kAvgDeltaRow, 255);
    // Full brightness of the pure hues (whiteness 0) and of the white level bar.
    EXPECT_EQ(Pixel(504, kAvgLevelRow.y + 9), kRed);
    EXPECT_EQ(Pixel(504, kAvgDeltaRow.y + 9), kGreen);

    SetValues(255, 255, 0, 0);
    Draw();
    EXPECT_EQ(Pixel(504, kLevelRow.y + 9), kWhite);
    EXPECT_EQ(Pixel(504, kDeltaRow.y + 9), kCyan);
    ExpectBar(kAvgLevelRow, 0);
}

TEST_F(AnalysisPanel, ShorterValueClearsTheStaleBar)
{
    m_cv->m_crBack = RGB(0, 0, 64);
    SetValues(200, 180, 220, 240);
    Draw();
    ExpectBar(kLevelRow, 200);
    SetValues(50, 10, 0, 239);
    Draw();
    ExpectBar(kLevelRow, 50);
    ExpectBar(kDeltaRow, 10);
    ExpectBar(kAvgLevelRow, 0);
    ExpectBar(kAvgDeltaRow, 239);
}

// Labels left standing, and the value column wiped only under the values, change no pixel: frames drawn with
// them equal frames that draw every label and wipe the whole column every time (as a picture painted over before
// each frame makes the panel do), at both panel sizes, and a background changed without a clear (the invert key)
// reaches the labels too. The frame count drops from four digits to one and back: its old digits must go.
TEST_F(AnalysisPanel, StandingLabelsAndNarrowWipeLeaveTheSamePixelsAsWholeFrames)
{
    for (const SIZE size : { SIZE{ 640, 480 }, SIZE{ 320, 240 } }) {
        std::vector<DWORD> pictures[2];
        for (int nPass = 0; nPass < 2; nPass++) {
            MakeSurface(size.cx, size.cy, size.cx != 640);
            for (int i = 0; i < 5; i++) {
                SetValues(40 * i, 255 - 50 * i, 7 * i, i);   // one digit: a long label shows past 200
                m_in.dwCount = (i % 2) ? 9 : 1000 + 111 * i;
                if (nPass == 1)
                    m_cv->m_nPaintedOver++;
                if (i == 3)
                    m_cv->m_crBack = RGB(0, 0, 64);
                Draw();
            }
            ::GdiFlush();
            pictures[nPass].assign(m_pBits, m_pBits + m_cx * m_cy);
        }
        EXPECT_TRUE(pictures[0] == pictures[1]) << size.cx << "x" << size.cy;
    }
}

TEST_F(AnalysisPanel, GraphDotsAtTheCurrentColumnOverAnErasedColumn)
{
    m_cv->m_crBack = RGB(0, 40, 0);
    m_panel->m_nGraphX = 600;
    SetValues(200, 61, 100, 21);
    Draw();
    const int x = 600;
    EXPECT_EQ(Pixel(x, 400), kBlue);
    EXPECT_EQ(Pixel(x, 300), kWhite);   // 400 - 200/2
    EXPECT_EQ(Pixel(x, 370), kCyan);    // 400 - 61/2, rounded down
    EXPECT_EQ(Pixel(x, 350), kRed);     // 400 - 100/2
    EXPECT_EQ(Pixel(x, 390), kGreen);   // 400 - 21/2
    // The rest of the column from 210 down is the background; above 210 and the neighbours are untouched.
    for (int y = 210; y < 480; y++) {
        if (y == 400 || y == 300 || y == 370 || y == 350 || y == 390)
            continue;
        ASSERT_EQ(Pixel(x, y), RGB(0, 40, 0)) << "erased column at y " << y;
    }
    EXPECT_EQ(Pixel(x, 209), kUntouched);
    EXPECT_EQ(Pixel(x - 1, 300), kUntouched);
    EXPECT_EQ(Pixel(x + 1, 400), kUntouched);
    EXPECT_EQ(m_panel->m_nGraphX, 601);
}

TEST_F(AnalysisPanel, GraphColumnWrapsAndRestartsAfterSilence)
{
    SetValues(10, 10, 10, 10);
    m_panel->m_nGraphX = 639;
    Draw();
    EXPECT_EQ(Pixel(639, 400), kBlue);
    EXPECT_EQ(m_panel->m_nGraphX, 20);
    Draw();
    EXPECT_EQ(Pixel(20, 400), kBlue);
    EXPECT_EQ(m_panel->m_nGraphX, 21);

    Fill(kUntouched);
    m_panel->m_nGraphX = 300;
    m_in.bSilence = TRUE;
    Draw();   // this frame still draws where the graph stood
    EXPECT_EQ(Pixel(300, 400), kBlue);
    EXPECT_EQ(m_panel->m_nGraphX, 21);
    m_in.bSilence = FALSE;
    Draw();
    EXPECT_EQ(Pixel(21, 400), kBlue);
    EXPECT_EQ(Pixel(20, 400), kUntouched);
    EXPECT_EQ(m_panel->m_nGraphX, 22);
}

TEST_F(AnalysisPanel, HalfSizeScalesThePanelToTheClientArea)
{
    MakeSurface(320, 240, TRUE);
    SetValues(200, 0, 0, 0);
    Draw();
    const COLORREF crBar = BarColor(kLevelRow, 200);
    // Logical bar 250..449 x 72..87 lands at about 125..224 x 36..43.
    EXPECT_EQ(Pixel(130, 40), crBar);
    EXPECT_EQ(Pixel(220, 40), crBar);
    EXPECT_EQ(Pixel(175, 37), crBar);
    EXPECT_EQ(Pixel(175, 42), crBar);
    EXPECT_EQ(Pixel(240, 40), m_cv->m_crBack);   // the cleared tail, to about 252
    EXPECT_EQ(Pixel(270, 40), kUntouched);
    EXPECT_NE(Pixel(175, 80), crBar);                  // where the unscaled bar would be
    EXPECT_EQ(Pixel(121, 40), kWhite);                 // the marker, logical 240..244
}

TEST_F(AnalysisPanel, NoGdiObjectsLeakOverManyFrames)
{
    SetValues(120, 30, 90, 12);
    Draw();   // the first frame may load fonts into the system's caches
    LONG nLive = CGdiObject::GetLiveCount();
    DWORD nGdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 1000; i++) {
        m_in.nLevel = i % 256;
        Draw();
    }
    EXPECT_EQ(CGdiObject::GetLiveCount(), nLive);
    if (nGdi != 0)
        EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), nGdi);
    else
        RecordProperty("gdi_object_count", "not reported by this system");
}

TEST(AnalysisPanelWindow, NoGdiObjectsLeakOverManyFramesOnARealWindow)
{
    CKalvora* pDisplay = new CKalvora;
    ASSERT_TRUE(pDisplay->CreateDisplay());
    pDisplay->m_core.m_nPattern = 0;
    pDisplay->m_core.m_patterns.m_panel.m_nGraphX = 20;
    pDisplay->m_core.m_analyzer.m_bSilenceReset = 0;
    pDisplay->m_core.m_analyzer.m_nLevel = 77;

    pDisplay->m_evSound.SetEvent();
    pDisplay->RenderFrame();
    LONG nLive = CGdiObject::GetLiveCount();
    DWORD nGdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 1000; i++) {
        pDisplay->m_evSound.SetEvent();
        pDisplay->RenderFrame();
    }
    // 1001 frames drawn from column 20: the graph wrapped once and stands at column 401.
    EXPECT_EQ(pDisplay->m_core.m_patterns.m_panel.m_nGraphX, 401);
    EXPECT_EQ(CGdiObject::GetLiveCount(), nLive);
    if (nGdi != 0)
        EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), nGdi);
    // Without a new sound buffer no frame is drawn.
    pDisplay->RenderFrame();
    EXPECT_EQ(pDisplay->m_core.m_patterns.m_panel.m_nGraphX, 401);
    pDisplay->DestroyWindow();
}

// The system erasing the window (an uncovered window without composition, a size change) wipes the labels; the
// next frame draws them again.
TEST(AnalysisPanelWindow, LabelsComeBackAfterTheSystemErasesTheWindow)
{
    CKalvora* pDisplay = new CKalvora;
    ASSERT_TRUE(pDisplay->CreateDisplay());
    pDisplay->m_core.m_nPattern = 0;
    pDisplay->m_core.m_analyzer.m_bSilenceReset = 0;
    const HWND hWnd = pDisplay->m_hWnd;
    // White pixels where the "Level" label stands: x 10..189, y 70..89.
    auto labelInk = [hWnd] {
        HDC hdc = ::GetDC(hWnd);
        int n = 0;
        for (int y = 70; y < 90; y++)
            for (int x = 10; x < 190; x++)
                n += ::GetPixel(hdc, x, y) == RGB(255, 255, 255) ? 1 : 0;
        ::ReleaseDC(hWnd, hdc);
        return n;
    };
    pDisplay->m_evSound.SetEvent();
    pDisplay->RenderFrame();
    EXPECT_GT(labelInk(), 20);
    ::RedrawWindow(hWnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
    EXPECT_EQ(labelInk(), 0) << "the system's erase did not reach the window";
    pDisplay->m_evSound.SetEvent();
    pDisplay->RenderFrame();
    EXPECT_GT(labelInk(), 20);
    pDisplay->DestroyWindow();
}
