// The renderers' shared frame shape drawn into a real DIB section: erase, draw, no outline, nothing leaked.
#include <gtest/gtest.h>
#include <afxwin.h>
#include "patterns/PatternFrame.h"
#include "DibSurface.h"
#include "EmfRecords.h"

namespace {

class PatternFrameTest : public ::testing::Test
{
protected:
    static const int W = 200, H = 120;

    void SetUp() override
    {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = W;
        bmi.bmiHeader.biHeight = -H;   // top-down rows
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        m_hBitmap = ::CreateDIBSection(NULL, &bmi, DIB_RGB_COLORS, (void**)&m_pBits, NULL, 0);
        ASSERT_NE(m_hBitmap, nullptr);
        m_hMemDC = ::CreateCompatibleDC(NULL);
        m_hOld = ::SelectObject(m_hMemDC, m_hBitmap);
        m_dc.Attach(m_hMemDC);
        Fill(RGB(0, 0, 0));
    }

    void TearDown() override
    {
        m_dc.Detach();
        ::SelectObject(m_hMemDC, m_hOld);
        ::DeleteDC(m_hMemDC);
        ::DeleteObject(m_hBitmap);
    }

    void Fill(COLORREF cr)
    {
        RECT rc = { 0, 0, W, H };
        m_dc.FillSolidRect(&rc, cr);
        ::GdiFlush();
    }

    COLORREF At(int x, int y) const
    {
        ::GdiFlush();
        DWORD v = m_pBits[y * W + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }

    // A canvas with the given background and shapes flag, as a renderer hands it to its frame.
    CPatternCanvas& Canvas(COLORREF crBack, BOOL bDrawShapes = TRUE)
    {
        m_canvas.m_crBack = crBack;
        m_canvas.m_bDrawShapes = bDrawShapes;
        ::SetRect(&m_canvas.m_rcClient, 0, 0, W, H);
        return m_canvas;
    }

    // The records of iType that draw(frame) leaves on a recording context, its frame's background crBack.
    template <class Draw>
    int Recorded(DWORD iType, COLORREF crBack, Draw draw)
    {
        HDC hEmf = ::CreateEnhMetaFileA(NULL, NULL, NULL, NULL);
        if (hEmf == NULL)
            return -1;
        CDC dc;
        dc.Attach(hEmf);
        {
            CPatternFrame frame(&dc, Canvas(crBack));
            draw(frame);
        }
        dc.Detach();
        return CloseAndCountRecords(hEmf, iType);
    }

    CPatternCanvas m_canvas;
    RECT m_rcStore = {};
    HBITMAP m_hBitmap = NULL;
    HDC m_hMemDC = NULL;
    HGDIOBJ m_hOld = NULL;
    DWORD* m_pBits = nullptr;
    CDC m_dc;
};

TEST_F(PatternFrameTest, ErasesThePreviousElementsAndDrawsTheNewOnesWithoutOutline)
{
    const COLORREF back = RGB(0, 0, 0), red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    RECT old = { 10, 10, 60, 60 };
    {
        CPatternFrame frame(&m_dc, Canvas(back));
        frame.UseColor(red);
        frame.Draw(old, m_rcStore);
    }
    EXPECT_EQ(At(35, 35), red);
    EXPECT_EQ(At(35, 10), red) << "the top edge belongs to the element: no outline pen";

    RECT fresh = { 100, 20, 160, 80 };
    {
        CPatternFrame frame(&m_dc, Canvas(back));
        frame.Erase(&old, 1);
        frame.UseColor(blue);
        frame.Draw(fresh, m_rcStore);
    }
    EXPECT_EQ(At(35, 35), back) << "the previous element must be gone";
    EXPECT_EQ(At(35, 10), back) << "erasing covers exactly what was drawn";
    EXPECT_EQ(At(130, 50), blue);
}

TEST_F(PatternFrameTest, ShapesOffStillErasesButDrawsNothing)
{
    RECT rc = { 20, 20, 80, 80 };
    {
        CPatternFrame frame(&m_dc, Canvas(RGB(0, 0, 0)));
        frame.UseColor(RGB(0, 255, 0));
        frame.Draw(rc, m_rcStore);
    }
    RECT moved = { 90, 20, 150, 80 };
    {
        CPatternFrame frame(&m_dc, Canvas(RGB(0, 0, 0), FALSE));
        frame.Erase(rc);
        frame.UseColor(RGB(255, 255, 0));
        frame.Draw(moved, m_rcStore);
    }
    EXPECT_EQ(At(50, 50), RGB(0, 0, 0));
    EXPECT_EQ(At(120, 50), RGB(0, 0, 0)) << "nothing new may be drawn with shapes off";
    EXPECT_TRUE(::EqualRect(&m_rcStore, &moved)) << "still stored, so the next frame's erase stays in step";
}

TEST_F(PatternFrameTest, PerElementColoursAndInterleavedEraseKeepTheirOwnBrushes)
{
    RECT a = { 0, 0, 40, 40 }, b = { 50, 0, 90, 40 };
    Fill(RGB(255, 255, 255));
    {
        CPatternFrame frame(&m_dc, Canvas(RGB(255, 255, 255)));
        frame.UseColor(RGB(255, 0, 0));
        frame.Draw(a, m_rcStore);
        frame.Erase(a);                 // element by element: erase, then the next one in its colour
        frame.UseColor(RGB(0, 128, 0));
        frame.Draw(b, m_rcStore);
    }
    EXPECT_EQ(At(20, 20), RGB(255, 255, 255));
    EXPECT_EQ(At(70, 20), RGB(0, 128, 0));
}

TEST_F(PatternFrameTest, FrameGivesBackTheDcsObjectsAndBrushColourAndMakesNoObjectPerColour)
{
    HGDIOBJ hPenBefore = ::GetCurrentObject(m_hMemDC, OBJ_PEN);
    HGDIOBJ hBrushBefore = ::GetCurrentObject(m_hMemDC, OBJ_BRUSH);
    ::SetDCBrushColor(m_hMemDC, RGB(1, 2, 3));
    LONG nLive = CGdiObject::GetLiveCount();
    RECT rcs[3] = { { 0, 0, 10, 10 }, { 20, 20, 30, 30 }, { 40, 40, 50, 50 } };
    for (int i = 0; i < 1000; i++) {
        CPatternFrame frame(&m_dc, Canvas(RGB(0, 0, 0)));
        frame.Erase(rcs, 3);
        frame.UseColor(RGB(i & 0xFF, 10, 20));
        frame.Draw(rcs[i % 3], m_rcStore);
        frame.UseColor(RGB(5, i & 0xFF, 20));
        frame.Draw(rcs[(i + 1) % 3], m_rcStore);
    }
    // 512 colours were drawn: the frames kept only their null pen.
    EXPECT_EQ(m_canvas.m_gdi.Count(), 1);
    EXPECT_EQ(CGdiObject::GetLiveCount() - m_canvas.m_gdi.Count(), nLive);
    m_canvas.m_gdi.Release();
    EXPECT_EQ(CGdiObject::GetLiveCount(), nLive);
    EXPECT_EQ(::GetCurrentObject(m_hMemDC, OBJ_PEN), hPenBefore);
    EXPECT_EQ(::GetCurrentObject(m_hMemDC, OBJ_BRUSH), hBrushBefore);
    EXPECT_EQ(::GetDCBrushColor(m_hMemDC), RGB(1, 2, 3));
}

TEST_F(PatternFrameTest, DrawingFollowsTheColourAndTheBackground)
{
    RECT rc = { 20, 20, 80, 80 };
    CGdiObject* pRed = m_canvas.m_gdi.SolidBrush(RGB(255, 0, 0));
    EXPECT_EQ(m_canvas.m_gdi.SolidBrush(RGB(255, 0, 0)), pRed) << "the cache keeps one brush per colour";
    {
        CPatternFrame frame(&m_dc, Canvas(RGB(0, 0, 0)));
        frame.UseColor(RGB(255, 0, 0));
        frame.Draw(rc, m_rcStore);
        frame.UseColor(RGB(0, 0, 255));
        frame.Draw(rc, m_rcStore);
    }
    EXPECT_EQ(At(50, 50), RGB(0, 0, 255)) << "drawn in the colour given last";
    // A new background (the invert key, the colour dialog): erasing follows it.
    Fill(RGB(255, 255, 255));
    {
        CPatternFrame frame(&m_dc, Canvas(RGB(0, 0, 0)));
        frame.UseColor(RGB(0, 128, 0));
        frame.Draw(rc, m_rcStore);
    }
    {
        CPatternFrame frame(&m_dc, Canvas(RGB(255, 255, 255)));
        frame.Erase(rc);
    }
    EXPECT_EQ(At(50, 50), RGB(255, 255, 255)) << "erased to the new background, not the old black";
}

}  // namespace

// A full cache deletes what earlier frames asked for, not what this frame is still using (and may have selected).
TEST_F(PatternFrameTest, AFullCacheKeepsThisFramesObjectsAndDropsOlderOnes)
{
    CGdiCache& gdi = m_canvas.m_gdi;
    gdi.NextFrame();
    for (int i = 0; i < CGdiCache::CAPACITY - 1; i++)
        gdi.SolidBrush(RGB(i & 0xFF, i >> 8, 1));
    gdi.NextFrame();
    CGdiObject* pKept = gdi.SolidBrush(RGB(0, 0, 1));       // i = 0 above, asked for again this frame
    CGdiObject* pNew1 = gdi.SolidBrush(RGB(9, 9, 9));        // fills the last place: 256 of 256
    CGdiObject* pNew2 = gdi.SolidBrush(RGB(8, 8, 8));        // no room: the 254 unused ones go
    EXPECT_EQ(gdi.Count(), 3) << "pKept, pNew1 and pNew2 are left";
    EXPECT_EQ(gdi.SolidBrush(RGB(0, 0, 1)), pKept);
    EXPECT_EQ(gdi.SolidBrush(RGB(9, 9, 9)), pNew1);
    EXPECT_EQ(gdi.SolidBrush(RGB(8, 8, 8)), pNew2);
    EXPECT_FALSE(gdi.MayEmpty(CGdiCache::CAPACITY - 3));
    EXPECT_TRUE(gdi.MayEmpty(CGdiCache::CAPACITY - 2)) << "3 in use + 254 would overflow: only then all go";
    gdi.Release();
}

// The smallest discs (quiet music gives hundreds a frame) come out a single rectangle or nothing, which the frame
// paints without an Ellipse: the pixels must still be Ellipse's own, at every small size and across the edges.
TEST_F(PatternFrameTest, SmallestDiscsPaintWhatEllipsePaintsAndOneThatIsARectangleCostsNoEllipse)
{
    DibSurface reference(W, H);
    ASSERT_TRUE(reference.Ok());
    const COLORREF back = RGB(0, 0, 40), ink = RGB(250, 200, 10);
    CBrush brush(ink);
    CPen penNull(PS_NULL, 0, ink);
    for (int cy = 1; cy <= 6; cy++) {
        for (int cx = 1; cx <= 6; cx++) {
            Fill(back);
            reference.Fill(back);
            const RECT rcs[] = {
                { 20, 30, 20 + cx, 30 + cy }, { -1, 50, cx - 1, 50 + cy }, { W - 2, H - 2, W - 2 + cx, H - 2 + cy },
            };
            {
                CPatternFrame frame(&m_dc, Canvas(back));
                frame.UseColor(ink);
                for (const RECT& rc : rcs)
                    frame.Draw(rc, m_rcStore);
            }
            {
                CSelectGuard sel(reference.DC(), penNull, brush);
                for (const RECT& rc : rcs)
                    reference.DC()->Ellipse(&rc);
            }
            for (int y = 0; y < H; y++)
                for (int x = 0; x < W; x++)
                    ASSERT_EQ(At(x, y), reference.At(x, y)) << cx << "x" << cy << " at " << x << "," << y;
        }
    }
    // Under Wine a 2 by 2 disc is one pixel, and a 6 by 6 one has rounded corners: only the latter is an Ellipse.
    EXPECT_EQ(Recorded(EMR_ELLIPSE, back, [&](CPatternFrame& frame) {
                  frame.UseColor(ink);
                  frame.Draw(RECT{ 10, 10, 12, 12 }, m_rcStore);
                  frame.Draw(RECT{ 20, 20, 26, 26 }, m_rcStore);
              }),
              1);
}

// A picture of nothing but the last frame's elements is background again after EraseAll, as after Erase, whether
// it paints one box over all of them or one each; and it never draws an Ellipse for it.
TEST_F(PatternFrameTest, EraseAllLeavesTheBackgroundWithOneFillWhenCrowdedAndABoxEachWhenSparse)
{
    const COLORREF back = RGB(0, 0, 40), ink = RGB(250, 200, 10);
    // Twelve overlapping 10-pixel discs, one across the left edge and one given right to left: their common box,
    // at most the 200 x 120 client, is 24000 pixels, below twelve calls' worth (12 x 4096 = 49152): one fill.
    RECT crowded[12];
    for (int i = 0; i < 12; i++)
        crowded[i] = RECT{ i * 15 - 5, 20 + (i % 3) * 7, i * 15 + 5, 30 + (i % 3) * 7 };
    crowded[5] = RECT{ 85, 44, 75, 34 };
    // Two at opposite corners: the same 24000 pixels for two boxes of 100 each, above 2 x 4096: a box each.
    const RECT sparse[2] = { { 0, 0, 10, 10 }, { 190, 110, 200, 120 } };
    const struct { const RECT* p; int n; int nFills; } cases[] = { { crowded, 12, 1 }, { sparse, 2, 2 } };
    for (const auto& c : cases) {
        Fill(back);
        {
            CPatternFrame frame(&m_dc, Canvas(back));
            frame.UseColor(ink);
            for (int i = 0; i < c.n; i++)
                frame.Draw(c.p[i], m_rcStore);
        }
        ASSERT_EQ(At(c.p[1].left + 5, c.p[1].top + 5), ink);
        {
            CPatternFrame frame(&m_dc, Canvas(back));
            frame.EraseAll(c.p, c.n);
        }
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++)
                ASSERT_EQ(At(x, y), back) << c.n << " elements, at " << x << "," << y;
        EXPECT_EQ(Recorded(EMR_BITBLT, back, [&](CPatternFrame& frame) { frame.EraseAll(c.p, c.n); }), c.nFills)
            << c.n << " elements";
    }
}

// Element by element, frame after frame, over a cluster whose erases cut into the neighbours drawn just before:
// EraseAndDraw leaves each frame's picture exactly as Erase then Draw did, and erases by a box (no Ellipse) only
// where nothing drawn in the frame is near.
TEST_F(PatternFrameTest, EraseAndDrawPaintsWhatEraseThenDrawPaintsAndBoxesOnlyLoneElements)
{
    DibSurface reference(W, H);
    ASSERT_TRUE(reference.Ok());
    const COLORREF back = RGB(0, 0, 40), ink = RGB(250, 200, 10);
    CPatternCanvas refCanvas;
    refCanvas.m_crBack = back;
    refCanvas.m_bDrawShapes = TRUE;
    ::SetRect(&refCanvas.m_rcClient, 0, 0, W, H);
    Fill(back);
    reference.Fill(back);
    const int N = 12;
    RECT stored[N] = {}, refStored[N] = {};
    for (int f = 0; f < 8; f++) {
        CPatternFrame frame(&m_dc, Canvas(back)), refFrame(reference.DC(), refCanvas);
        frame.UseColor(ink);
        refFrame.UseColor(ink);
        for (int i = 0; i < N; i++) {
            // 14 pixels apart, 16 to 30 wide, rows moving: neighbours overlap in most frames.
            const int x = 5 + i * 14 + (f % 3) * 4, y = 20 + (f * 7 + i * 13) % 50, d = 16 + (f + i) % 15;
            const RECT rcNew = { x, y, x + d, y + d };
            const RECT rcOld = stored[i];
            frame.EraseAndDraw(rcOld, rcNew, stored[i]);
            refFrame.Erase(refStored[i]);
            refFrame.Draw(rcNew, refStored[i]);
        }
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++)
                ASSERT_EQ(At(x, y), reference.At(x, y)) << "frame " << f << " at " << x << "," << y;
    }

    // Far apart, each erase is a box; close, the second one's box meets the first one drawn: an Ellipse. So does
    // a box that meets an element kept on the picture unerased (cells 5 and 6 across; the second box reaches 5).
    const RECT apart[2] = { { 10, 10, 40, 40 }, { 150, 70, 180, 100 } };
    const RECT close[2] = { { 10, 10, 40, 40 }, { 45, 10, 75, 40 } };
    const RECT kept = { 185, 70, 215, 100 }, none = {};
    const struct { const RECT* p; RECT kept; int nEllipses; } cases[] = {
        { apart, none, 2 }, { close, none, 3 }, { apart, kept, 3 },   // 2 draws (+1 erase)
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Recorded(EMR_ELLIPSE, back, [&](CPatternFrame& frame) {
                      frame.KeepDrawn(c.kept);
                      frame.UseColor(ink);
                      for (int i = 0; i < 2; i++)
                          frame.EraseAndDraw(c.p[i], c.p[i], m_rcStore);
                  }),
                  c.nEllipses);
    }
}
