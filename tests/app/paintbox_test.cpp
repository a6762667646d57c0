#include "paintbox.h"

#include "map/mapfixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

struct TSpy {
    int Paints = 0;
    int Clicks = 0;
    std::vector<std::tuple<int, int, Qt::KeyboardModifiers>> Moves;
    std::vector<std::tuple<Qt::MouseButton, Qt::KeyboardModifiers, int, int>> Presses;
    explicit TSpy(TPaintBox &Box)
    {
        QObject::connect(&Box, &TPaintBox::Paint, [this] { ++Paints; });
        QObject::connect(&Box, &TPaintBox::Clicked, [this] { ++Clicks; });
        QObject::connect(&Box, &TPaintBox::MouseMoved,
                         [this](int x, int y, Qt::KeyboardModifiers m) { Moves.emplace_back(x, y, m); });
        QObject::connect(&Box, &TPaintBox::MousePressed,
                         [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
                             Presses.emplace_back(b, m, x, y);
                         });
    }
};

void Send(TPaintBox &Box, QEvent::Type Type, QPointF At, Qt::MouseButton Button,
          Qt::KeyboardModifiers Modifiers = Qt::NoModifier)
{
    const Qt::MouseButtons held = Type == QEvent::MouseButtonRelease || Type == QEvent::MouseMove
                                      ? Qt::MouseButtons()
                                      : Qt::MouseButtons(Button);
    QMouseEvent event(Type, At, Box.mapToGlobal(At), Button, held, Modifiers);
    QApplication::sendEvent(&Box, &event);
}

// What the box paints over a red field, in the region given.
QImage Rendered(TPaintBox &Box, const QRegion &Region = QRegion())
{
    QImage target(MapWidth, MapHeight, QImage::Format_RGB32);
    target.fill(qRgb(255, 0, 0));
    Box.render(&target, QPoint(), Region, QWidget::DrawChildren);
    return target;
}

} // namespace

TEST(PaintBox, ShowsThePictureOrNothing)
{
    TStarMap map;
    TPaintBox box(map);
    EXPECT_EQ(box.size(), QSize(273, 228));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_TRUE(box.hasMouseTracking());
    EXPECT_FALSE(box.autoFillBackground());

    // No picture: what lies beneath (the red field) shows everywhere.
    QImage red(MapWidth, MapHeight, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    EXPECT_EQ(Rendered(box), red);

    TScratch scratch;
    const QString path = WriteUniverse(scratch, "unit.xy", UnitStars());
    ASSERT_TRUE(PaintFile(map, path, 1050, 1060).has_value());
    EXPECT_EQ(Rendered(box), map.Image());

    ASSERT_TRUE(QFile::remove(path));
    ASSERT_FALSE(PaintFile(map, path, -1, -1).has_value());
    EXPECT_EQ(Rendered(box), red);
}

// Paints asked for from the image (pixels, the whole image) do not emit
// Paint; any other paint does, once.
TEST(PaintBox, PaintSignalOnlyForPaintsNotFromTheImage)
{
    TScratch scratch;
    TStarMap map;
    ASSERT_TRUE(PaintFile(map, WriteUniverse(scratch, "unit.xy", UnitStars()), -1, -1).has_value());
    TPaintBox box(map);
    TSpy spy(box);

    Rendered(box); // like the window uncovered
    EXPECT_EQ(spy.Paints, 1);

    box.RepaintPixel({10, 128});
    box.RepaintPixels({{0, 0}, {272, 78}});
    Rendered(box, QRegion(10, 128, 1, 1));
    Rendered(box, QRegion(0, 0, 1, 1) + QRegion(272, 78, 1, 1));
    EXPECT_EQ(spy.Paints, 1);
    Rendered(box, QRegion(10, 128, 1, 1)); // no longer asked for
    EXPECT_EQ(spy.Paints, 2);

    box.ShowImage();
    Rendered(box);
    EXPECT_EQ(spy.Paints, 2);

    box.show();
    QApplication::processEvents();
    const int shown = spy.Paints;
    box.RepaintPixel({10, 128});
    QApplication::processEvents();
    EXPECT_EQ(spy.Paints, shown);
    box.RepaintMap();
    EXPECT_EQ(spy.Paints, shown + 1); // at once, not at the next event loop turn
}

TEST(PaintBox, MouseSignals)
{
    TStarMap map;
    TPaintBox box(map);
    TSpy spy(box);

    Send(box, QEvent::MouseMove, {3.7, 5.2}, Qt::NoButton, Qt::ShiftModifier);
    Send(box, QEvent::MouseMove, {-0.5, 300.0}, Qt::NoButton); // outside, as under a held button
    using Move = std::tuple<int, int, Qt::KeyboardModifiers>;
    EXPECT_EQ(spy.Moves, (std::vector<Move>{{3, 5, Qt::ShiftModifier}, {-1, 300, Qt::NoModifier}}));

    Send(box, QEvent::MouseButtonPress, {20, 30}, Qt::RightButton, Qt::ShiftModifier);
    Send(box, QEvent::MouseButtonRelease, {20, 30}, Qt::RightButton);
    ASSERT_EQ(spy.Presses.size(), 1u);
    EXPECT_EQ(spy.Presses[0], std::make_tuple(Qt::RightButton, Qt::KeyboardModifiers(Qt::ShiftModifier), 20, 30));
    EXPECT_EQ(spy.Clicks, 0); // only the left button clicks

    struct Case {
        const char *Name;
        QPointF Release;
        int Clicks;
    };
    const Case cases[] = {
        {"released over the map", {100, 100}, 1},
        {"released on the last pixel", {272.9, 227.9}, 1},
        {"released outside", {273.0, 100}, 0},
        {"released left of it", {-0.1, 100}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        spy.Clicks = 0;
        Send(box, QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton);
        Send(box, QEvent::MouseButtonRelease, c.Release, Qt::LeftButton);
        EXPECT_EQ(spy.Clicks, c.Clicks);
    }

    // The second press of a double click is a press, not a click.
    spy.Clicks = 0;
    spy.Presses.clear();
    Send(box, QEvent::MouseButtonDblClick, {50, 50}, Qt::LeftButton);
    Send(box, QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton);
    EXPECT_EQ(spy.Clicks, 0);
    EXPECT_EQ(spy.Presses.size(), 1u);
    // A release without a press makes no click either.
    Send(box, QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton);
    EXPECT_EQ(spy.Clicks, 0);
}
