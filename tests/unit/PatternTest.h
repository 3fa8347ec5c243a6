// PatternTest: a pattern's canvas and a DIB section to draw it into, with scripted analyser values.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>
#include <memory>
#include "patterns/PatternSet.h"
#include "patterns/PatternFrame.h"
#include "DibSurface.h"

// Renderers are driven without a window: the canvas is what they see of the display.
class PatternTest : public ::testing::Test
{
protected:
    void SetUp() override { UseSize(640, 480); }

    void UseSize(int cx, int cy)
    {
        m_surface.reset(new DibSurface(cx, cy));
        ASSERT_TRUE(m_surface->Ok());
        m_surface->Fill(m_cv.m_crBack);
        ::SetRect(&m_cv.m_rcClient, 0, 0, cx, cy);
        srand(1);   // the C runtime's sequence is per thread: seed the thread that draws
    }

    // Hue spread 1 and whiteness range 1 make every colour draw land on the centre: hue 180, whiteness 0.
    void PlainColours()
    {
        m_cv.m_nHueRange = 1;
        m_cv.m_nWhiteMin = m_cv.m_nWhiteMax = 0;
        m_cv.m_nWhiteRange = 1;
    }

    static SPatternInput Input(int level, int delta = 0)
    {
        SPatternInput in;
        in.nLevel = level;
        in.nDelta = delta;
        return in;
    }

    CDC* DC() { return m_surface->DC(); }
    COLORREF At(int x, int y) const { return m_surface->At(x, y); }
    static RECT Rect(int l, int t, int r, int b) { RECT rc = { l, t, r, b }; return rc; }

    CPatternCanvas m_cv;
    std::unique_ptr<DibSurface> m_surface;
};

inline bool operator==(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != 0; }
inline std::ostream& operator<<(std::ostream& os, const RECT& rc)
{
    return os << "(" << rc.left << ", " << rc.top << ", " << rc.right << ", " << rc.bottom << ")";
}
