// Every renderer, driven through the core's dispatch for a thousand frames of music-like input,
// gives back the device context's pen and brush and leaves no GDI object behind but those the canvas keeps.
#include <gtest/gtest.h>
#include <memory>
#include "core/Visualizer.h"
#include "DibSurface.h"

namespace {

// A beat every eighth buffer, soft passages, and a silent buffer now and then: levels 0..255, deltas
// above 30, 50, 100 and 200, so every branch of every pattern runs.
short MusicSample(int frame, unsigned& lcg)
{
    lcg = lcg * 1103515245u + 12345u;
    const int noise = (int)((lcg >> 16) % 60);
    int level;
    if (frame % 97 == 0)
        level = 0;
    else if (frame % 8 == 0)
        level = 200 + noise % 56;
    else if ((frame / 200) % 2)
        level = 90 + noise;   // a loud passage
    else
        level = 10 + noise / 2;
    return (short)(level * 128 + 64);
}

TEST(PatternResources, AThousandFramesOfEachPatternLeaveGdiAsTheyFoundIt)
{
    DibSurface surface(640, 480);
    ASSERT_TRUE(surface.Ok());
    std::unique_ptr<CVisualizer> display(new CVisualizer);
    ::SetRect(&display->m_canvas.m_rcClient, 0, 0, 640, 480);
    const HDC hdc = surface.DC()->GetSafeHdc();
    const HGDIOBJ hPen = ::GetCurrentObject(hdc, OBJ_PEN);
    const HGDIOBJ hBrush = ::GetCurrentObject(hdc, OBJ_BRUSH);
    srand(7);
    unsigned lcg = 1;
    for (int p = 1; p < KV_PATTERN_COUNT; p++) {
        SCOPED_TRACE(::testing::Message() << "pattern " << p);
        display->m_nPattern = p;
        display->InitPattern();
        surface.Fill(display->m_canvas.m_crBack);   // as a pattern change clears the screen
        const LONG nLive = CGdiObject::GetLiveCount();
        int nShown = 0;
        for (int f = 0; f < 1000; f++) {
            display->m_analyzer.AddSample(MusicSample(f, lcg));
            display->DrawCurrentPattern(surface.DC());
            if (f % 8 == 0 && nShown == 0)   // on a beat, until something has been seen
                nShown = surface.CountOther(display->m_canvas.m_crBack);
        }
        // Only the pens and brushes the canvas keeps for the next frame remain, no more than it may keep.
        EXPECT_LE(display->m_canvas.m_gdi.Count(), CGdiCache::CAPACITY + 2 + CGdiCache::SHAPES);
        EXPECT_EQ(CGdiObject::GetLiveCount() - display->m_canvas.m_gdi.Count(), nLive);
        EXPECT_EQ(::GetCurrentObject(hdc, OBJ_PEN), hPen);
        EXPECT_EQ(::GetCurrentObject(hdc, OBJ_BRUSH), hBrush);
        // A renderer that draws nothing would pass the checks above.
        EXPECT_GT(nShown, 0);
    }
}

}  // namespace
