// The display's back buffer: only what a frame drew reaches the window, repaints and size changes show the picture.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "DibSurface.h"
#include "engine/BackBuffer.h"
#include "engine/Kalvora.h"
#include "res/resource.h"

namespace {

const COLORREF kWindowOld = RGB(9, 9, 9);   // what the window showed before
const COLORREF kBack = RGB(0, 0, 0);

// Present copies the frame's drawing, and only it: a 10 x 10 square at (20, 30) and a pixel at (99, 5) make one
// copy of their bounds, (20, 5) to (100, 40); pixels outside stay as the window had them.
TEST(BackBuffer, PresentCopiesWhatTheFrameDrewAndNothingElse)
{
    CBackBuffer back;
    ASSERT_TRUE(back.Resize(120, 60, kBack));
    DibSurface window(120, 60);
    window.Fill(kWindowOld);
    CDC* pDC = back.Begin();
    pDC->FillSolidRect(20, 30, 10, 10, RGB(255, 0, 0));
    ::SetPixel(*pDC, 99, 5, RGB(0, 255, 0));
    ASSERT_TRUE(back.Present(window.DC()));
    EXPECT_EQ(window.At(25, 35), RGB(255, 0, 0));
    EXPECT_EQ(window.At(99, 5), RGB(0, 255, 0));
    EXPECT_EQ(window.At(60, 20), kBack) << "inside the bounds: the picture's background";
    const POINT outside[] = { { 19, 20 }, { 100, 20 }, { 50, 4 }, { 50, 40 }, { 0, 0 }, { 119, 59 } };
    for (const POINT& pt : outside)
        EXPECT_EQ(window.At(pt.x, pt.y), kWindowOld) << pt.x << ", " << pt.y;
    // Nothing drawn since: nothing copied.
    back.Begin();
    EXPECT_FALSE(back.Present(window.DC()));
}

// A renderer's own mapping (pattern 0 scales a 640 x 480 panel to the window) must not shift what is copied.
TEST(BackBuffer, BoundsAreReadInWindowPixelsWhateverMappingWasLeft)
{
    CBackBuffer back;
    ASSERT_TRUE(back.Resize(320, 240, kBack));
    DibSurface window(320, 240);
    window.Fill(kWindowOld);
    CDC* pDC = back.Begin();
    pDC->SetMapMode(MM_ANISOTROPIC);
    pDC->SetWindowExt(640, 480);
    pDC->SetViewportExt(320, 240);
    pDC->FillSolidRect(200, 200, 40, 40, RGB(0, 0, 255));   // 100..120 on the window, half the logical size
    ASSERT_TRUE(back.Present(window.DC()));
    EXPECT_EQ(window.At(110, 110), RGB(0, 0, 255));
    EXPECT_EQ(window.At(99, 110), kWindowOld);
    EXPECT_EQ(window.At(120, 110), kWindowOld);
    // The next drawing starts in window pixels again, as a fresh window DC would.
    back.Begin()->FillSolidRect(0, 0, 2, 2, RGB(0, 0, 255));
    ASSERT_TRUE(back.Present(window.DC()));
    EXPECT_EQ(window.At(1, 1), RGB(0, 0, 255));
    EXPECT_EQ(window.At(2, 2), kWindowOld);
}

// A larger picture keeps the old one where both overlap and shows the background in the part gained.
TEST(BackBuffer, AResizeKeepsTheOldPictureAndFillsTheRest)
{
    CBackBuffer back;
    ASSERT_TRUE(back.Resize(40, 30, kBack));
    back.Begin()->FillSolidRect(30, 20, 10, 10, RGB(255, 255, 0));
    ASSERT_TRUE(back.Resize(80, 50, RGB(0, 0, 128)));
    DibSurface window(80, 50);
    back.Paint(window.DC(), RECT{ 0, 0, 80, 50 });
    EXPECT_EQ(window.At(39, 29), RGB(255, 255, 0));
    EXPECT_EQ(window.At(10, 10), kBack);
    EXPECT_EQ(window.At(40, 10), RGB(0, 0, 128)) << "a stale band where the picture grew";
    EXPECT_EQ(window.At(10, 30), RGB(0, 0, 128));
}

// The real display: frames of a pattern on the window equal the picture in memory; after the window was covered
// (a repaint of the whole client area) and after a change of size it shows the picture again, with no stale band.
class BackBufferDisplay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pDisplay = new CKalvora;
        ASSERT_TRUE(m_pDisplay->CreateDisplay()) << "no display or no capture device";
        m_pDisplay->m_input.Stop();   // the test feeds the sound itself
    }
    void TearDown() override
    {
        if (m_pDisplay)
            m_pDisplay->DestroyWindow();
        Pump();
    }
    static void Pump()
    {
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    }
    // Frames at changing levels, each drawn at once.
    void Frames(int n)
    {
        std::vector<short> samples(200);
        for (int i = 0; i < n; i++) {
            samples[99] = (short)(128 * (40 + (i * 37) % 200));
            m_pDisplay->m_core.AddBuffer(samples.data());
            m_pDisplay->m_evSound.SetEvent();
            m_pDisplay->RenderFrame();
        }
    }
    // The pixels the window shows and those of the picture in memory that differ.
    int WindowDiffers()
    {
        RECT rc;
        ::GetClientRect(m_pDisplay->m_hWnd, &rc);
        DibSurface window(rc.right, rc.bottom), picture(rc.right, rc.bottom);
        HDC hdc = ::GetDC(m_pDisplay->m_hWnd);
        ::BitBlt(*window.DC(), 0, 0, rc.right, rc.bottom, hdc, 0, 0, SRCCOPY);
        ::ReleaseDC(m_pDisplay->m_hWnd, hdc);
        m_pDisplay->m_back.Paint(picture.DC(), rc);
        int n = 0;
        for (int y = 0; y < rc.bottom; y++)
            for (int x = 0; x < rc.right; x++)
                n += window.At(x, y) != picture.At(x, y);
        return n;
    }
    CKalvora* m_pDisplay = NULL;
};

TEST_F(BackBufferDisplay, TheWindowShowsThePictureAfterFramesARepaintAndASizeChange)
{
    const int patterns[] = { 0, 3, 4, 16 };
    for (int nPattern : patterns) {
        SCOPED_TRACE(nPattern);
        m_pDisplay->OnPatternCommand(ID_PATTERN_FIRST + nPattern);
        Frames(30);
        Pump();
        EXPECT_EQ(WindowDiffers(), 0) << "after frames";
        // What another window left on this one when it moved away, then the repaint that uncovering asks for.
        HDC hdc = ::GetDC(m_pDisplay->m_hWnd);
        ::PatBlt(hdc, 0, 0, 200, 150, WHITENESS);
        ::ReleaseDC(m_pDisplay->m_hWnd, hdc);
        ASSERT_GT(WindowDiffers(), 0);
        ::InvalidateRect(m_pDisplay->m_hWnd, NULL, TRUE);
        ::UpdateWindow(m_pDisplay->m_hWnd);
        EXPECT_EQ(WindowDiffers(), 0) << "after a repaint";
    }
    m_pDisplay->SetSizeMode(1);   // half size, then normal again: the picture shrinks and grows
    m_pDisplay->SetSizeMode(0);
    Frames(30);
    Pump();
    EXPECT_EQ(m_pDisplay->m_back.Width(), CVisualizer::NORMAL_WIDTH);
    EXPECT_EQ(WindowDiffers(), 0) << "after a change of size";
}

} // namespace
