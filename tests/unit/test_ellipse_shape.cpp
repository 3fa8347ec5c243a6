// A learned ellipse shape fills exactly the pixels GDI's own Ellipse paints, wherever the box lies, and so does a
// pen-less Ellipse over the box it gives; the cache keeps one per size and pen, holding no GDI object, for its life.
#include <gtest/gtest.h>
#include <afxwin.h>
#include <stdlib.h>
#include "DibSurface.h"
#include "patterns/GdiCache.h"

namespace {

const int W = 160, H = 120;

int Differing(const DibSurface& a, const DibSurface& b)
{
    int n = 0;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            n += a.At(x, y) != b.At(x, y);
    return n;
}

TEST(EllipseShape, FillAndPenlessBoxPaintWhatEllipsePaintsAtEveryPlaceEvenAcrossTheEdges)
{
    DibSurface byEllipse(W, H), byShape(W, H), byPenless(W, H);
    ASSERT_TRUE(byEllipse.Ok() && byShape.Ok() && byPenless.Ok());
    const COLORREF crBack = RGB(10, 20, 30), crInk = RGB(200, 150, 100);
    CBrush brush(crInk);
    const struct { int cx, cy, pen; } shapes[] = {
        { 5, 5, 2 }, { 6, 6, 2 }, { 17, 17, 2 }, { 55, 55, 2 }, { 30, 12, 2 }, { 9, 9, 1 }, { 40, 40, 3 },
        { 5, 5, 1 }, { 55, 55, 1 }, { 30, 12, 1 }, { 2, 2, 0 }, { 4, 4, 0 }, { 13, 13, 0 },
    };
    CPen penNull(PS_NULL, 0, crInk);
    int nPenlessPen1 = 0;
    srand(5);
    for (const auto& sh : shapes) {
        CEllipseShape shape;
        ASSERT_TRUE(shape.Learn(sh.cx, sh.cy, sh.pen));
        EXPECT_TRUE(shape.Is(sh.cx, sh.cy, sh.pen));
        EXPECT_FALSE(shape.Is(sh.cx, sh.cy, sh.pen + 1));
        CPen pen(sh.pen ? PS_SOLID : PS_NULL, sh.pen, crInk);
        int nPainted = 0;
        for (int n = 0; n < 12; n++) {
            // Places inside, and across every edge of the surface (a flyer enters and leaves at the edges).
            const int x = rand() % (W + 2 * sh.cx) - sh.cx;
            const int y = rand() % (H + 2 * sh.cy) - sh.cy;
            const RECT rc = { x, y, x + sh.cx, y + sh.cy };
            byEllipse.Fill(crBack);
            byShape.Fill(crBack);
            {
                CSelectGuard sel(byEllipse.DC(), pen, brush);
                byEllipse.DC()->Ellipse(&rc);
            }
            {
                CSelectGuard sel(byShape.DC(), brush);
                ASSERT_TRUE(shape.Fill(byShape.DC(), rc));
            }
            nPainted += byEllipse.CountOther(crBack);
            ASSERT_EQ(Differing(byShape, byEllipse), 0)
                << sh.cx << "x" << sh.cy << " pen " << sh.pen << " at " << x << "," << y;
            RECT rcBox;
            if (!shape.PenlessBox(rc, rcBox))
                continue;
            nPenlessPen1 += sh.pen == 1;
            byPenless.Fill(crBack);
            {
                CSelectGuard sel(byPenless.DC(), penNull, brush);
                byPenless.DC()->Ellipse(&rcBox);
            }
            ASSERT_EQ(Differing(byPenless, byEllipse), 0)
                << "pen-less " << sh.cx << "x" << sh.cy << " pen " << sh.pen << " at " << x << "," << y;
        }
        EXPECT_GT(nPainted, 0) << "no place showed any of the ellipse";
        // A rectangle reaches up and down through every wider row: a disc is about half as many as its rows.
        if (sh.cx == sh.cy && sh.cx > 10)
            EXPECT_LE(shape.Rectangles(), (sh.cy + 2 * sh.pen) / 2 + 2) << sh.cx << " pen " << sh.pen;
    }
    // GDI paints a one-colour disc outlined by a 1-pixel pen as it paints some pen-less one (under Wine, over the
    // same box): pattern 16 draws its flyers that way.
    EXPECT_EQ(nPenlessPen1, 4 * 12);
}

TEST(EllipseShape, CacheKeepsOneShapePerSizeAndPenForItsLifeAndFillsUp)
{
    const LONG nLive = CGdiObject::GetLiveCount();
    {
        CGdiCache cache;
        CEllipseShape* p20 = cache.EllipseShape(20, 20, 2);
        ASSERT_NE(p20, nullptr);
        EXPECT_EQ(cache.EllipseShape(20, 20, 2), p20);
        EXPECT_NE(cache.EllipseShape(20, 20, 1), p20);
        EXPECT_NE(cache.EllipseShape(21, 21, 2), p20);
        EXPECT_EQ(cache.ShapeCount(), 3);
        EXPECT_EQ(CGdiObject::GetLiveCount(), nLive) << "a shape holds no GDI object";
        for (int n = 3; n < CGdiCache::SHAPES; n++)
            ASSERT_NE(cache.EllipseShape(100 + n, 100 + n, 2), nullptr) << n;
        EXPECT_EQ(cache.EllipseShape(99, 99, 2), nullptr) << "a full store learns no more: the caller draws";
        EXPECT_NE(cache.EllipseShape(20, 20, 2), nullptr) << "what it has it still gives";
        EXPECT_EQ(cache.ShapeCount(), (int)CGdiCache::SHAPES);
        cache.Release();   // a pattern starts
        EXPECT_EQ(cache.EllipseShape(20, 20, 2), p20) << "shapes are learned once";
        EXPECT_EQ(cache.ShapeCount(), (int)CGdiCache::SHAPES);
        EXPECT_EQ(CGdiObject::GetLiveCount(), nLive);
    }
    EXPECT_EQ(CGdiObject::GetLiveCount(), nLive);
}

} // namespace
