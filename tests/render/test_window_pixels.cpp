// Every pattern drawn onto a real window, a new client DC a frame as the display draws, paints what the offline
// renderer paints into its picture for the same sound and seed, pixel for pixel.
#include <gtest/gtest.h>

#include <windows.h>
#include <string.h>
#include <memory>

#include "render/OfflineRenderer.h"

namespace {

const int kFrames = 62;   // the last block, 61, is level 80 (61 % 18 = 7): every pattern shows something
const unsigned kSeed = 7;
const char kClass[] = "KvWindowPixelsTest";

// Sample 99 of block i, the one the analyser reads: levels (|s| / 128) swept up from quiet to loud and down
// again with a silent block now and then, so each pattern meets small and large elements, jumps and a reset.
void FillBlock(short* pSamples, int i)
{
    static const int kLevels[] = { 3, 9, 15, 22, 30, 45, 60, 80, 110, 150, 200, 120, 70, 35, 0, 18, 25, 95 };
    const int level = kLevels[i % (int)(sizeof(kLevels) / sizeof(kLevels[0]))];
    for (int s = 0; s < CMusicAnalyzer::BUFFER_SAMPLES; s++)
        pSamples[s] = (short)((s % 2 ? -1 : 1) * level * 128);
}

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
}

// A visible pop-up at the screen's corner, above the others, of the display's class style and with no background
// brush: the frames alone paint it. Destroyed with its owner.
struct WindowDestroyer {
    void operator()(HWND hWnd) const
    {
        ::DestroyWindow(hWnd);
        Pump();
    }
};
typedef std::unique_ptr<HWND__, WindowDestroyer> TestWindow;

TestWindow ShowTestWindow(int cx, int cy)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(NULL);
    wc.lpszClassName = kClass;
    ::RegisterClassA(&wc);
    TestWindow window(::CreateWindowExA(WS_EX_TOPMOST, kClass, "", WS_POPUP | WS_VISIBLE, 0, 0, cx, cy, NULL, NULL,
                                        wc.hInstance, NULL));
    Pump();
    return window;
}

// draw(pDC) on a client DC of the window taken for it alone, as the display takes one for each frame.
template <class Draw>
void WithClientDC(HWND hWnd, Draw draw)
{
    HDC hDC = ::GetDC(hWnd);
    CDC dc;
    dc.Attach(hDC);
    draw(&dc);
    dc.Detach();
    ::ReleaseDC(hWnd, hDC);
}

CRenderOptions Options(int nPattern, int cx, int cy)
{
    CRenderOptions opt;
    opt.m_nPattern = nPattern;
    opt.m_cx = cx;
    opt.m_cy = cy;
    opt.m_nSeed = kSeed;
    return opt;
}

// Pixels whose colour differs (the fourth byte is unused); the first one's place in *pnFirst.
int Differences(const BYTE* pA, const BYTE* pB, int nPixels, int* pnFirst)
{
    int n = 0;
    *pnFirst = -1;
    for (int i = 0; i < nPixels; i++, pA += 4, pB += 4) {
        if (pA[0] == pB[0] && pA[1] == pB[1] && pA[2] == pB[2])
            continue;
        if (n++ == 0)
            *pnFirst = i;
    }
    return n;
}

// The window's frames come from a second renderer started alike, so both draw from the same random sequence
// (the state is the thread's: the picture is rendered first, then the window from the same seed).
void ExpectWindowPaintsTheRenderersPicture(int nPattern, int cx, int cy)
{
    short samples[CMusicAnalyzer::BUFFER_SAMPLES];
    COfflineRenderer picture;
    ASSERT_TRUE(picture.Start(Options(nPattern, cx, cy)));
    for (int i = 0; i < kFrames; i++) {
        FillBlock(samples, i);
        picture.RenderBlock(samples, (DWORD)i);
    }

    TestWindow window = ShowTestWindow(cx, cy);
    ASSERT_NE(window.get(), (HWND)NULL);
    COfflineRenderer live;
    ASSERT_TRUE(live.Start(Options(nPattern, cx, cy)));
    // The window starts from the picture's cleared start.
    CDibCanvas& start = const_cast<CDibCanvas&>(live.Canvas());
    WithClientDC(window.get(), [&](CDC* pDC) { pDC->BitBlt(0, 0, cx, cy, start.DC(), 0, 0, SRCCOPY); });
    for (int i = 0; i < kFrames; i++) {
        FillBlock(samples, i);
        live.Core().AddBuffer(samples);
        WithClientDC(window.get(), [&](CDC* pDC) {
            live.Core().ComposeFrame(COfflineRenderer::BlockTime((DWORD)i), pDC);
        });
    }

    CDibCanvas shot;
    ASSERT_TRUE(shot.Create(cx, cy));
    WithClientDC(window.get(), [&](CDC* pDC) { shot.DC()->BitBlt(0, 0, cx, cy, pDC, 0, 0, SRCCOPY); });
    int nFirst = -1;
    EXPECT_EQ(Differences(shot.Bits(), picture.Canvas().Bits(), cx * cy, &nFirst), 0)
        << "pattern " << nPattern << " at " << cx << "x" << cy << ": first at (" << nFirst % cx << ", "
        << nFirst / cx << ")";
    // A picture still blank would compare equal to a window never drawn on.
    EXPECT_GT(Differences(shot.Bits(), live.Canvas().Bits(), cx * cy, &nFirst), 0) << "pattern " << nPattern;
}

} // namespace

// Every pattern at the normal size; at a larger one (other disc sizes, the scaled analysis panel) the patterns
// with the most elements and pattern 0's text.
TEST(WindowPixelsTest, PatternsOnAWindowPaintTheRenderersPictureForTheSameSoundAndSeed)
{
    for (int p = 0; p < KV_PATTERN_COUNT; p++)
        ExpectWindowPaintsTheRenderersPicture(p, CVisualizer::NORMAL_WIDTH, CVisualizer::NORMAL_HEIGHT);
    for (int p : { 0, 3, 4, 16 })
        ExpectWindowPaintsTheRenderersPicture(p, 1280, 720);
}
