// Unit tests of the pattern table: one entry per pattern, in order, and the dispatch through it.
#include "PatternTest.h"
#include <string>

namespace {

class PatternSetTest : public PatternTest
{
protected:
    CPatternSet m_set;
};

TEST_F(PatternSetTest, OneEntryPerPatternNamedAfterItsRendererAndNoneOutside)
{
    for (int p = 0; p < KV_PATTERN_COUNT; p++) {
        const CPatternSet::SEntry* pEntry = CPatternSet::Entry(p);
        ASSERT_NE(pEntry, nullptr) << "pattern " << p;
        EXPECT_EQ(std::string(pEntry->pszName), "DrawPattern" + std::to_string(p));
        EXPECT_NE(pEntry->pfnInit, nullptr);
        EXPECT_NE(pEntry->pfnDraw, nullptr);
    }
    EXPECT_EQ(CPatternSet::Entry(-1), nullptr);
    EXPECT_EQ(CPatternSet::Entry(KV_PATTERN_COUNT), nullptr);
}

TEST_F(PatternSetTest, StartingAPatternEmptiesThePenAndBrushCacheAndStartsItsOwnState)
{
    m_cv.m_gdi.SolidBrush(RGB(1, 2, 3));
    ASSERT_GT(m_cv.m_gdi.Count(), 0);
    m_set.m_panel.m_nGraphX = 300;
    m_set.Init(0, m_cv, Input(0));
    EXPECT_EQ(m_cv.m_gdi.Count(), 0);
    EXPECT_EQ(m_set.m_panel.m_nGraphX, 20);   // pattern 0's graph starts at its first column

    m_set.m_orbit.m_ring.nCount = 7;
    m_set.Init(1, m_cv, Input(0));
    EXPECT_EQ(m_set.m_orbit.m_ring.nCount, 0);   // the ring's erase list starts empty
}

TEST_F(PatternSetTest, DrawReachesThePatternsRendererAndNothingOutsideTheTable)
{
    m_set.Init(1, m_cv, Input(0));
    m_set.Draw(KV_PATTERN_COUNT, m_cv, Input(255), DC());
    m_set.Draw(-1, m_cv, Input(255), DC());
    EXPECT_EQ(m_surface->CountOther(m_cv.m_crBack), 0);
    // Pattern 1 at level 255: discs of 255 / 3 = 85 pixels on a ring of radius 255 * 240 / 255 = 240.
    m_set.Draw(1, m_cv, Input(255), DC());
    EXPECT_GT(m_surface->CountOther(m_cv.m_crBack), 0);
    EXPECT_GT(m_set.m_orbit.m_ring.nCount, 0);
}

}  // namespace
