#include "viewgeometry.h"

#include <gtest/gtest.h>

namespace {

// 400 x 400 positions in a 200 x 200 view: half a pixel per light year, so
// pixel p shows light years 1000 + 2p and 1000 + 2p + 1 on each axis.
TViewGeometry Half() { return TViewGeometry(QRect(1000, 1000, 400, 400), QSize(200, 200)); }

} // namespace

TEST(ViewGeometry, SizeClassSquares)
{
    const struct {
        int SizeIndex;
        int Last;
    } rows[] = {{0, 1398}, {1, 1798}, {2, 2198}, {3, 2598}, {4, 2998}, {-1, 1398}, {7, 2998}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.SizeIndex);
        EXPECT_EQ(SizeClassSquare(row.SizeIndex), QRect(QPoint(1000, 1000), QPoint(row.Last, row.Last)));
    }
}

// Worked by hand: the scale, the pixels of positions and the positions of
// pixels, fitted, zoomed and fitted to a picture.
TEST(ViewGeometry, PixelsAndPositions)
{
    // A Tiny square (399 positions) in 1218 x 818 with a margin of 10: the
    // height decides, 798 / 399 = 2 pixels per light year, centred across
    // at (1218 - 798) / 2 = 210.
    const TViewGeometry tiny(SizeClassSquare(0), QSize(1218, 818), 10);
    TViewGeometry zoomed = Half();
    zoomed.ZoomAbout(QPointF(100, 100), 4); // about light year (1200, 1200): scale 2, origin (-300, -300)
    // A Huge square fitted to a 2000 x 1000 picture: 1000 / 1999 pixels per
    // light year, the square 1000 pixels wide from x = 500.
    const TViewGeometry picture(SizeClassSquare(4), QSize(2000, 1000));
    const struct {
        const char *What;
        const TViewGeometry &G;
        double Scale;
        QPointF Origin;
        QPoint Pixel, PositionAtPixel; // PositionAt(Pixel)
        QPoint Position, PixelOfPosition; // PixelOf(Position)
    } rows[] = {
        {"tiny, first pixel", tiny, 2, {210, 10}, {210, 10}, {1000, 1000}, {1000, 1000}, {211, 11}},
        {"tiny, light year's second pixel", tiny, 2, {210, 10}, {211, 11}, {1000, 1000}, {1398, 1398}, {1007, 807}},
        {"tiny, next light year", tiny, 2, {210, 10}, {212, 13}, {1001, 1001}, {1001, 1002}, {213, 15}},
        {"tiny, left of the square", tiny, 2, {210, 10}, {209, 9}, {999, 999}, {999, 1000}, {209, 11}},
        {"half", Half(), 0.5, {0, 0}, {0, 0}, {1001, 1001}, {1020, 1007}, {10, 3}},
        {"half, both in one pixel", Half(), 0.5, {0, 0}, {10, 3}, {1021, 1007}, {1021, 1006}, {10, 3}},
        {"zoomed", zoomed, 2, {-300, -300}, {100, 100}, {1200, 1200}, {1200, 1200}, {101, 101}},
        {"zoomed, same light year", zoomed, 2, {-300, -300}, {101, 101}, {1200, 1200}, {1201, 1200}, {103, 101}},
        {"picture", picture, 1000.0 / 1999, {500, 0}, {500, 0}, {1000, 1000}, {2998, 2998}, {1499, 999}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.What);
        EXPECT_DOUBLE_EQ(row.G.Scale(), row.Scale);
        EXPECT_NEAR(row.G.Origin().x(), row.Origin.x(), 1e-9);
        EXPECT_NEAR(row.G.Origin().y(), row.Origin.y(), 1e-9);
        EXPECT_EQ(row.G.PositionAt(row.Pixel), row.PositionAtPixel);
        EXPECT_EQ(row.G.PixelOf(row.Position), row.PixelOfPosition);
    }
    EXPECT_EQ(Half().VisiblePositions(), QRect(1000, 1000, 400, 400));
    EXPECT_EQ(zoomed.VisiblePositions(), QRect(QPoint(1150, 1150), QPoint(1249, 1249)));
    const QRectF area = picture.AreaOf(SizeClassSquare(4));
    EXPECT_NEAR(area.left(), 500, 1e-9);
    EXPECT_NEAR(area.right(), 1500, 1e-9);
    EXPECT_NEAR(area.bottom(), 1000, 1e-9);
}

// Zoomed in, every light year has pixels of its own that map back to it;
// zoomed out, every pixel maps to a light year drawn in it.
TEST(ViewGeometry, ExactToTheLightYearAtAnyZoom)
{
    for (const double factor : {0.3, 0.8, 1.0, 2.6, 7.3, 40.0, 300.0}) {
        SCOPED_TRACE(factor);
        TViewGeometry g(SizeClassSquare(1), QSize(801, 613), 8);
        g.ZoomAbout(QPointF(333.3, 222.7), factor);
        const QRect seen = g.VisiblePositions();
        ASSERT_FALSE(seen.isEmpty());
        if (g.Scale() >= 1) {
            for (int x = seen.left(); x <= seen.right(); ++x)
                for (int y = seen.top(); y <= seen.bottom(); y += 7)
                    ASSERT_EQ(g.PositionAt(g.PixelOf({x, y})), QPoint(x, y));
        }
        if (g.Scale() <= 1) {
            for (int px = 0; px < 801; ++px)
                for (int py = 0; py < 613; py += 5)
                    ASSERT_EQ(g.PixelOf(g.PositionAt({px, py})), QPoint(px, py));
        }
    }
}

TEST(ViewGeometry, ZoomLimitsPanAndResize)
{
    // Zooming about a pixel's centre keeps the light year under it: pixel
    // (40, 60) shows (1081, 1121) at half a pixel per light year, and still
    // does at 1.5.
    TViewGeometry g = Half();
    g.ZoomAbout(QPointF(40.5, 60.5), 3);
    EXPECT_EQ(g.PositionAt({40, 60}), QPoint(1081, 1121));
    EXPECT_FALSE(g.Fitted());
    g.ZoomAbout(QPointF(40, 60), 1000);
    EXPECT_EQ(g.Scale(), TViewGeometry::MaxScale);
    g.ZoomAbout(QPointF(40, 60), 1e-6);
    EXPECT_EQ(g.Scale(), 0.125); // a quarter of the fitted 0.5

    // Panning far right holds the view's centre on the left edge.
    g = Half();
    g.PanBy(QPointF(10000, 0));
    EXPECT_EQ(g.Origin(), QPointF(100, 0));

    // A zoomed view keeps the light year at its centre, (1200, 1200), when
    // resized; a fitted one is fitted again.
    g = Half();
    g.ZoomAbout(QPointF(100, 100), 4);
    g.Resize(QSize(400, 300));
    EXPECT_EQ(g.Origin(), QPointF(-200, -250));
    g.Fit();
    g.Resize(QSize(800, 600));
    EXPECT_EQ(g.Scale(), 1.5);
    EXPECT_EQ(g.Origin(), QPointF(100, 0));
}
