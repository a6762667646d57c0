#include "universeview.h"

#include "fakedialogs.h"
#include "planetnames.h"
#include "testsupport.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// The view, open on a copy of a real Small universe (square 1000..1798, 799
// light years a side), following its session and relocation.
struct TOpenView {
    TFakeDialogs Dialogs;
    TScratch Scratch;
    TUniverseSession Session;
    TRelocation Relocation{Session};
    TUniverseView View{Dialogs, Session, Relocation};
    std::vector<TStarRec> Stars;
    TOpenView()
    {
        Session.Open(Scratch.CopyReal(QStringLiteral("small-128planets-3players.xy")));
        for (int i = 0; i < Session.Universe()->StarCount; ++i)
            Stars.push_back(Session.Universe()->GetStar(i));
        View.resize(1000, 700);
        View.Open();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&View));
    }
    // The pixel of a light year as a model of the drawing has it: its centre,
    // scaled from the square's corner and floored.
    QPoint PixelOf(QPoint Position) const
    {
        const TViewGeometry &g = View.Canvas()->Geometry;
        return {int(std::floor(g.Origin().x() + (Position.x() - 1000 + 0.5) * g.Scale())),
                int(std::floor(g.Origin().y() + (Position.y() - 1000 + 0.5) * g.Scale()))};
    }
    QPoint Now(int Star) const
    {
        const TStarRec star = Session.Universe()->GetStar(Star);
        return {int(star.X), int(star.Y)};
    }
};

} // namespace

TEST(UniverseView, PickLandsToTheLightYearAfterZooming)
{
    TOpenView open;
    TUniverseCanvas *canvas = open.View.Canvas();
    // The planet with the most room between its neighbours, named six times:
    // six picks. The picks below reach 11 light years right of its left
    // neighbour.
    size_t k = 1;
    for (size_t i = 2; i + 1 < open.Stars.size(); ++i)
        if (int64_t(open.Stars[i + 1].X) - open.Stars[i - 1].X > int64_t(open.Stars[k + 1].X) - open.Stars[k - 1].X)
            k = i;
    ASSERT_GT(int64_t(open.Stars[k + 1].X) - open.Stars[k - 1].X, 12);
    const int32_t left = int32_t(open.Stars[k - 1].X);
    // Its own row: the view keeps a picked planet in sight.
    const int y = int(open.Stars[k].Y);
    const QPoint target(left + 10, y);

    // Fitted, a pixel spans more than a light year; the wheel zooms about
    // the pointer, which stays over the same light year.
    EXPECT_LT(canvas->Geometry.Scale(), 1);
    const QPoint pointer = open.PixelOf(target);
    auto reported = [&] { return open.View.PointerReport().section(QLatin1Char(']'), 0, 0); };
    QMouseEvent move(QEvent::MouseMove, QPointF(pointer), canvas->mapToGlobal(QPointF(pointer)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
    const QString before = reported();
    QWheelEvent wheel(QPointF(pointer), canvas->mapToGlobal(QPointF(pointer)), QPoint(), QPoint(0, 8 * 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &wheel);
    EXPECT_GT(canvas->Geometry.Scale(), 2); // every light year has pixels of its own
    EXPECT_EQ(reported(), before);

    const QString name = NameById(open.Stars[k].NameId);
    open.Relocation.AddGroup();
    open.Relocation.SetGroupText(0, QStringList(6, name).join(u','));
    open.Relocation.Start();
    // The table's figures count the waiting planet where it would land.
    open.Relocation.MoveLanding(target + QPoint(2, 1));
    EXPECT_EQ(open.View.Fairness()[0].Planets[0].Position, target + QPoint(2, 1));
    const struct {
        QPoint Click, Placed;
    } rows[] = {
        {target, target},
        {target + QPoint(1, 0), target + QPoint(1, 0)},
        {target + QPoint(1, -1), target + QPoint(1, -1)},
        {QPoint(left - 5, y + 2), QPoint(left, y + 2)}, // left of the band
    };
    for (const auto &row : rows) {
        const QPoint at = open.PixelOf(row.Click);
        ASSERT_TRUE(canvas->rect().contains(at));
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_EQ(open.Now(int(k)), row.Placed);
    }
    EXPECT_TRUE(open.View.PointerReport().startsWith(QStringLiteral("Abs: [%1:%2]").arg(left).arg(y + 2)));

    // The keys: zoomed out, where a pixel spans light years, Ctrl+arrows
    // still move by one; Return picks, Escape ends the relocation.
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(canvas, Qt::Key_Minus);
    EXPECT_LT(canvas->Geometry.Scale(), 0.5);
    QTest::keyClick(canvas, Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(canvas, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(canvas, Qt::Key_Return);
    EXPECT_EQ(open.Now(int(k)), QPoint(left + 1, y + 1));
    QTest::keyClick(canvas, Qt::Key_Escape);
    EXPECT_FALSE(open.Relocation.Running());
    EXPECT_TRUE(open.View.isVisible());

    // Undo and redo are asked of the main window, as its keys would.
    QSignalSpy steps(&open.View, &TUniverseView::StepRequested);
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(steps.size(), 2);
    EXPECT_EQ(steps[0][0].toBool(), true);
    EXPECT_EQ(steps[1][0].toBool(), false);
}

TEST(UniverseView, SavesThePictureAsPng)
{
    TOpenView open;
    // The planet farthest right, and the group's planet, the first one.
    const auto right = std::max_element(open.Stars.begin(), open.Stars.end(),
                                        [](const TStarRec &A, const TStarRec &B) { return A.X < B.X; });
    const TStarRec &planet = *right, &grouped = open.Stars.front();
    open.Relocation.AddGroup();
    open.Relocation.SetGroupText(0, NameById(grouped.NameId));
    QTemporaryDir dir;
    const struct {
        int Width, Height;
        double Scale, Left, Top; // the square fitted: pixels per light year and its corner
    } rows[] = {
        {2000, 2000, 2000.0 / 799, 0, 0},
        {1200, 800, 800.0 / 799, 200, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Width);
        open.View.findChild<QSpinBox *>(QStringLiteral("PictureWidth"))->setValue(row.Width);
        open.View.findChild<QSpinBox *>(QStringLiteral("PictureHeight"))->setValue(row.Height);
        open.Dialogs.SavePaths = {dir.filePath(QStringLiteral("map.png"))};
        QTest::keyClick(open.View.Canvas(), Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(open.Dialogs.LastSaveName, QStringLiteral("small-128planets-3players.png"));
        EXPECT_EQ(open.Dialogs.LastSaveSuffix, QStringLiteral("png")) << "the dialog adds it before asking";
        const QImage png(dir.filePath(QStringLiteral("map.png")), "png");
        ASSERT_FALSE(png.isNull());
        // The map at the size asked for, the legend and the table beside it.
        EXPECT_GT(png.width(), row.Width + 200);
        EXPECT_GE(png.height(), row.Height);
        EXPECT_EQ(png.pixel(row.Width + 2, 2), qRgb(255, 255, 255));
        auto pixel = [&](const TStarRec &Star, int DX = 0) {
            return png.pixel(int(std::floor(row.Left + (Star.X - 1000 + 0.5) * row.Scale)) + DX,
                             int(std::floor(row.Top + (Star.Y - 1000 + 0.5) * row.Scale)));
        };
        EXPECT_EQ(pixel(planet), qRgb(255, 255, 255));
        EXPECT_EQ(pixel(grouped, 5), TUniverseView::GroupColor(0)) << "a ring around the group's planet";
    }
    EXPECT_TRUE(open.Dialogs.Errors.isEmpty());
}
