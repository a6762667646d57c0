// The main window as the user meets it: its controls, opening a universe
// file, the map inside the window with pointer, blink and marks, the error
// box and closing. Everything runs offscreen with the dialogs answered by
// the test.
#include "stars.h"

#include "comments.h"
#include "controls.h"
#include "fakedialogs.h"
#include "help.h"
#include "map/mapfixture.h"
#include "paintbox.h"
#include "planetnames.h"
#include "random.h"
#include "starmap.h"
#include "templatelist.h"
#include "testsupport.h"
#include "windowsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <optional>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb PureBlue = qRgb(0, 0, 255);
const QRgb Green = qRgb(0, 128, 0);  // 0x008000
const QRgb Silver = qRgb(192, 192, 192); // 0xC0C0C0

// A program directory with one template, so showing the window raises no
// message, and the window on it.
struct TWindow {
    TScratch Scratch;
    TFakeDialogs Dialogs;
    std::unique_ptr<TForm1> Form;

    TWindow()
    {
        QImage plain(16, 40, QImage::Format_RGB32);
        plain.fill(White);
        EXPECT_TRUE(plain.save(Scratch.Path("plain.bmp"), "BMP"));
        Form = std::make_unique<TForm1>(Scratch.Dir(), Dialogs);
    }

    TForm1 &F() { return *Form; }

    void Show()
    {
        Form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        Settle();
    }

    // "Open" with the dialog answering Path (cancel when empty).
    void Open(const QString &Path)
    {
        if (!Path.isEmpty())
            Dialogs.OpenPaths.push_back(Path);
        Ui(*Form).SpeedButton3->click();
        Settle();
    }

    // The map area of the window as it is drawn now (this paints it anew).
    QImage MapArea()
    {
        return Form->grab(Ui(*Form).PaintBox1->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    // What the screen shows of the map, without painting anything anew.
    QImage OnScreen()
    {
        const QPoint at = Ui(*Form).PaintBox1->mapTo(Form.get(), QPoint(0, 0));
        return Form->screen()
            ->grabWindow(Form->winId(), at.x(), at.y(), MapWidth, MapHeight)
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
};

void RightClick(TForm1 &Form, QPoint At, Qt::KeyboardModifiers Modifiers = Qt::NoModifier)
{
    SendMouse(Ui(Form).PaintBox1, QEvent::MouseButtonPress, At, Qt::RightButton, Modifiers);
    SendMouse(Ui(Form).PaintBox1, QEvent::MouseButtonRelease, At, Qt::RightButton, Modifiers);
}

QImage RGB32(const QImage &Image) { return Image.convertToFormat(QImage::Format_RGB32); }


} // namespace

// ---- the controls ------------------------------------------------------------

TEST(MainWindow, ControlsOfTheLayout)
{
    struct TControl {
        const char *Name;
        const char *Kind;                 // the Qt class
        const char *Parent;               // object name of the parent
        QRect Geometry;                   // an empty size: only the position is laid down
        std::optional<QString> Text = {}; // caption (title for groups)
        std::optional<QString> Hint = {};
        std::optional<QString> After = {}; // the label in front of the control
        bool Enabled = true;
        bool Shown = true;
    };
    auto at = [](int x, int y) { return QRect(x, y, 0, 0); };
    const std::vector<TControl> controls = {
        {"GroupBox1", "QGroupBox", "Form1", {4, 0, 193, 177}, "Template selection"},
        {"Image1", "QLabel", "GroupBox1", {40, 24, 113, 113}},
        {"SpeedButton1", "QToolButton", "GroupBox1", {16, 24, 25, 113}},
        {"SpeedButton2", "QToolButton", "GroupBox1", {152, 24, 25, 113}},
        {"ComboBox1", "QComboBox", "GroupBox1", {60, 144, 113, 21}, {}, {}, "File :"},
        {"GroupBox2", "QGroupBox", "Form1", {216, 8, 277, 125}, "XY-file selection"},
        {"StaticXY", "QLabel", "GroupBox2", {14, 26, 232, 17}, ""},
        {"SpeedButton3", "QToolButton", "GroupBox2", {248, 24, 21, 21}},
        {"lSize", "QLabel", "GroupBox2", at(124, 52), "", {}, "Universe size :"},
        {"lStars", "QLabel", "GroupBox2", at(124, 76), "", {}, "Stars count :"},
        {"lPlayers", "QLabel", "GroupBox2", at(124, 100), "", {}, "Players count :"},
        {"Chv", "QSpinBox", "Form1", {108, 192, 93, 22}, {}, {}, "Sensitivity :"},
        {"FreeSp", "QCheckBox", "Form1", {16, 220, 109, 17}, "Free space mode :"},
        // The threshold counts only with its check box, which starts unchecked.
        {"FreeSpaceRng", "QSpinBox", "Form1", {128, 216, 73, 22}, {}, {}, {}, false},
        {"MinD", "QSpinBox", "Form1", {108, 240, 93, 22}, {}, {}, "Min. stars distance :"},
        {"SizeSel", "QComboBox", "Form1", {108, 264, 93, 21}, {}, {}, "Universe size :"},
        {"MaxC", "QCheckBox", "Form1", {16, 290, 125, 17}, "Maximize search"},
        {"Conf", "QToolButton", "Form1", {144, 288, 59, 21}, "Comments"},
        {"BitBtn1", "QPushButton", "Form1", {8, 320, 73, 37}, "Change...", {}, {}, false},
        {"BitBtn2", "QPushButton", "Form1", {96, 320, 105, 37}, "Generate !"},
        {"Progr", "QProgressBar", "Form1", {100, 348, 97, 5}, {}, {}, {}, true, false},
        {"SpeedButton5", "QToolButton", "Form1", {4, 372, 23, 22}, {}, "Help"},
        {"PaintBox1", "TPaintBox", "Form1", {216, 141, 273, 228}, {},
         "Double-click or Ctrl+M: the universe view, large and to the light year"},
        {"Label10", "QLabel", "Form1", at(308, 232), "Select XY-file first"},
        {"StaticText2", "QLabel", "Form1", {212, 376, 241, 17}, ""},
        {"SpeedButton6", "QToolButton", "Form1", {456, 376, 37, 17}, "Clear", "Remove all marks"},
        {"Panel1", "QFrame", "Form1", {-202, 0, 209, 173}, {}, {}, {}, true, false},
        {"StarsBuf", "QListWidget", "Form1", {408, 340, 81, 21}, {}, {}, {}, true, false},
        {"Label6", "QLabel", "Form1", at(180, 384), "final"},
    };

    TWindow w;
    TForm1 &form = w.F();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Stars! - Zorvane v 1.3"));
    EXPECT_EQ(form.size(), QSize(499, 398));
    EXPECT_EQ(form.minimumSize(), QSize(499, 398));
    EXPECT_EQ(form.maximumSize(), QSize(499, 398));

    for (const TControl &c : controls) {
        SCOPED_TRACE(c.Name);
        auto *widget = form.findChild<QWidget *>(QLatin1String(c.Name));
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), c.Kind);
        ASSERT_NE(widget->parentWidget(), nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), QLatin1String(c.Parent));
        if (c.Geometry.size().isEmpty()) {
            EXPECT_EQ(widget->pos(), c.Geometry.topLeft());
        } else {
            EXPECT_EQ(widget->geometry(), c.Geometry);
        }
        if (c.Text) {
            QString text;
            if (auto *group = qobject_cast<QGroupBox *>(widget))
                text = group->title();
            else if (auto *label = qobject_cast<QLabel *>(widget))
                text = label->text();
            else if (auto *button = qobject_cast<QAbstractButton *>(widget))
                text = button->text();
            EXPECT_EQ(text, *c.Text);
        }
        if (c.Hint) {
            EXPECT_EQ(widget->toolTip(), *c.Hint);
        }
        if (c.After) {
            // A label with this text in the same parent, ending left of the
            // control, on its line.
            bool found = false;
            for (auto *label : widget->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
                if (label->text() != *c.After)
                    continue;
                const QRect g = label->geometry();
                if (g.right() < widget->x() && g.bottom() >= widget->y() && g.top() <= widget->geometry().bottom())
                    found = true;
            }
            EXPECT_TRUE(found) << "label " << c.After->toStdString();
        }
        EXPECT_EQ(widget->isEnabled(), c.Enabled);
        EXPECT_EQ(!widget->isHidden(), c.Shown);
    }

    struct TRange {
        QSpinBox *Spin;
        int Min, Max, Value;
    };
    for (const TRange &r : {TRange{Ui(form).Chv, 1, 2000, 25}, TRange{Ui(form).FreeSpaceRng, 0, 255, 235},
                            TRange{Ui(form).MinD, 3, 40, 3}}) {
        SCOPED_TRACE(r.Spin->objectName().toStdString());
        EXPECT_EQ(r.Spin->minimum(), r.Min);
        EXPECT_EQ(r.Spin->maximum(), r.Max);
        EXPECT_EQ(r.Spin->value(), r.Value);
    }
    QStringList sizes;
    for (int i = 0; i < Ui(form).SizeSel->count(); ++i)
        sizes << Ui(form).SizeSel->itemText(i);
    EXPECT_EQ(sizes, QStringList({"Tiny", "Small", "Medium", "Large", "Huge"}));
    EXPECT_FALSE(Ui(form).SizeSel->isEditable());
    EXPECT_FALSE(Ui(form).ComboBox1->isEditable());
    EXPECT_FALSE(Ui(form).FreeSp->isChecked());
    EXPECT_TRUE(Ui(form).MaxC->isChecked());
    EXPECT_TRUE(Ui(form).Image1->hasScaledContents());
    EXPECT_EQ(Ui(form).SpeedButton1->arrowType(), Qt::LeftArrow);
    EXPECT_EQ(Ui(form).SpeedButton2->arrowType(), Qt::RightArrow);
    EXPECT_FALSE(Ui(form).SpeedButton3->icon().isNull());
    EXPECT_FALSE(Ui(form).BitBtn2->icon().isNull());
    EXPECT_EQ(Ui(form).Timer1->objectName(), QStringLiteral("Timer1"));
    EXPECT_EQ(Ui(form).Timer1->interval(), 100);
    EXPECT_TRUE(Ui(form).Timer1->isActive());
    // The caption under the map lies beneath the paint surface.
    EXPECT_TRUE(Ui(form).PaintBox1->geometry().contains(Ui(form).Label10->geometry()));
    const QList<QWidget *> order = form.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    EXPECT_LT(order.indexOf(Ui(form).Label10), order.indexOf(Ui(form).PaintBox1))
        << "PaintBox1 is stacked above Label10";

    // State of a new window.
    EXPECT_TRUE(form.Panel().Rows().empty());
    EXPECT_EQ(form.Relocation().ActiveGroup(), -1);
    EXPECT_FALSE(form.Templates().Generating());
    EXPECT_FALSE(form.Relocation().Running());
    EXPECT_EQ(form.Map().HilitePixel().x(), -1);
    EXPECT_TRUE(form.Map().HoverName().isEmpty());
    EXPECT_TRUE(form.Map().StarPoints().empty());
    EXPECT_TRUE(form.Map().Marks().empty());
    EXPECT_FALSE(form.Relocation().Pick()) << "no band";
    EXPECT_TRUE(w.Dialogs.Errors.isEmpty());
}

// ---- opening a universe file -------------------------------------------------

TEST(MainWindow, OpeningEachRealFile)
{
    // lSize, lStars, lPlayers and the size class of each game-written file.
    struct TFacts {
        const char *File;
        QString Size;
        QString Stars;
        QString Players;
        int SizeIndex;
    };
    const std::vector<TFacts> cases = {
        {"tiny-32planets-2players.xy", "389x356 l.y [Tiny]", "32", "2", 0},
        {"small-128planets-1player.xy", "790x774 l.y [Small]", "128", "1", 1},
        {"small-128planets-3players.xy", "786x771 l.y [Small]", "128", "3", 1},
        {"large-640planets-2players.xy", "1579x1573 l.y [Large]", "640", "2", 3},
    };
    ASSERT_EQ(cases.size(), RealXYFiles().size());
    for (const TFacts &c : cases) {
        SCOPED_TRACE(c.File);
        TWindow w;
        TForm1 &form = w.F();
        w.Show();
        const QString path = w.Scratch.CopyReal(QLatin1String(c.File));
        Ui(form).SizeSel->setCurrentIndex(4 - c.SizeIndex); // anything else
        w.Open(path);

        EXPECT_EQ(w.Dialogs.LastOpenDir, w.Scratch.Dir());
        EXPECT_FALSE(w.Dialogs.LastOpenDir.endsWith(u'/'));
        EXPECT_EQ(w.Dialogs.LastFilter, QStringLiteral("Universe files|*.xy"));
        EXPECT_EQ(Ui(form).StaticXY->text(), path);
        EXPECT_EQ(Ui(form).lSize->text(), c.Size);
        EXPECT_EQ(Ui(form).lStars->text(), c.Stars);
        EXPECT_EQ(Ui(form).lPlayers->text(), c.Players);
        EXPECT_EQ(Ui(form).SizeSel->currentIndex(), c.SizeIndex);
        EXPECT_TRUE(Ui(form).BitBtn1->isEnabled());
        EXPECT_EQ(form.Map().StarPoints().size(), static_cast<size_t>(c.Stars.toInt()));
        EXPECT_TRUE(w.Dialogs.Errors.isEmpty());

        // The pointer at the map's top-left pixel lies one light year inside
        // the top-left corner of the view.
        MovePointer(form, {0, 0});
        const QString expected = QStringLiteral("Abs: [%1:%2]     Star: ")
                                     .arg(form.Map().ViewRect().Left + 1)
                                     .arg(form.Map().ViewRect().Top + 1);
        EXPECT_TRUE(Ui(form).Status().startsWith(expected)) << Ui(form).Status().toStdString();
        EXPECT_TRUE(
            Ui(form).Status().endsWith(QStringLiteral(" ->") + QString::number(form.Map().HoverIndex())));
        EXPECT_EQ(form.Map().ViewRect().Right - form.Map().ViewRect().Left,
                  c.Size.section(u'x', 0, 0).toInt());
        // Opening changes nothing on disk.
        EXPECT_EQ(ReadBytes(path), ReadBytes(RealXYPath(QLatin1String(c.File))));
    }
}

TEST(MainWindow, CancelKeepsEverythingAndAnotherFileClearsTheGroups)
{
    TWindow w;
    TForm1 &form = w.F();
    w.Show();
    const QString first = w.Scratch.CopyReal("small-128planets-3players.xy");
    const QString second = w.Scratch.CopyReal("tiny-32planets-2players.xy");
    w.Open(first);

    // Two groups on the Stars moving panel, which is then closed again.
    Ui(form).BitBtn1->click();
    ASSERT_TRUE(Ui(form).Panel1->isVisible());
    ASSERT_TRUE(WaitForSlide(form));
    Ui(form).BitBtn4->click();
    Ui(form).BitBtn4->click();
    ASSERT_EQ(form.Panel().Rows().size(), 2u);
    form.Panel().Rows()[0].Names->setText(QStringLiteral("Bonn"));
    Ui(form).SpeedButton4->click();
    ASSERT_TRUE(WaitForSlide(form));
    ASSERT_LE(Ui(form).Panel1->geometry().right(), 0) << "the panel slid back out of the window";
    ASSERT_TRUE(Ui(form).SpeedButton3->isEnabled());

    const QImage picture = form.Map().Image().copy();
    const auto stars = form.Map().StarPoints();
    const QString size = Ui(form).lSize->text();
    QSignalSpy paints(Ui(form).PaintBox1, &TPaintBox::Paint);

    w.Open(QString()); // cancelled
    EXPECT_EQ(w.Dialogs.LastOpenDir, w.Scratch.Dir());
    EXPECT_EQ(Ui(form).StaticXY->text(), first);
    ASSERT_EQ(form.Panel().Rows().size(), 2u);
    EXPECT_EQ(form.Panel().Rows()[0].Names->text(), QStringLiteral("Bonn"));
    EXPECT_NE(form.findChild<QLineEdit *>(QStringLiteral("GroupNames2")), nullptr);
    EXPECT_EQ(form.Map().Image(), picture);
    EXPECT_EQ(form.Map().StarPoints(), stars);
    EXPECT_EQ(Ui(form).lSize->text(), size);
    EXPECT_EQ(paints.count(), 0);

    w.Open(second);
    EXPECT_EQ(Ui(form).StaticXY->text(), second);
    EXPECT_TRUE(form.Panel().Rows().empty());
    EXPECT_EQ(form.Relocation().ActiveGroup(), -1);
    EXPECT_EQ(form.findChild<QLineEdit *>(QStringLiteral("GroupNames1")), nullptr) << "the rows are freed";
    EXPECT_EQ(form.findChild<QLabel *>(QStringLiteral("GroupCaption1")), nullptr);
    EXPECT_EQ(Ui(form).lPlayers->text(), QStringLiteral("2"));
    EXPECT_EQ(form.Map().StarPoints().size(), 32u);
    EXPECT_TRUE(w.Dialogs.Errors.isEmpty());
}

// A file that cannot be opened says why and changes nothing: everything
// stays as it was before the dialog, as after a cancel.
TEST(MainWindow, UnreadableFileSaysWhyAndChangesNothing)
{
    struct TBad {
        const char *Name;
        std::function<QString(TScratch &)> Make;
        const char *Reason; // %1: the path
    };
    const char *corrupt = "The game file \"%1\" appears to be corrupt.";
    const std::vector<TBad> cases = {
        {"missing", [](TScratch &s) { return s.Path("gone.xy"); }, "Cannot open file \"%1\": No such file or directory."},
        {"empty", [](TScratch &s) { WriteBytes(s.Path("empty.xy"), {}); return s.Path("empty.xy"); }, corrupt},
        {"text", [](TScratch &s) {
             WriteBytes(s.Path("text.xy"), QByteArray("this is no universe at all\n"));
             return s.Path("text.xy");
         }, corrupt},
        {"truncated", [](TScratch &s) {
             WriteBytes(s.Path("cut.xy"), ReadBytes(RealXYPath("tiny-32planets-2players.xy")).left(60));
             return s.Path("cut.xy");
         }, corrupt},
        {"folder", [](TScratch &s) {
             QDir(s.Dir()).mkdir("dir.xy");
             return s.Path("dir.xy");
         }, "Cannot open file \"%1\": Is a directory."},
    };
    for (const TBad &c : cases) {
        SCOPED_TRACE(c.Name);
        // As the first file: nothing is open afterwards.
        {
            TWindow w;
            w.Show();
            const QString bad = c.Make(w.Scratch);
            w.Open(bad);
            EXPECT_EQ(w.Dialogs.Errors, QStringList{QString::fromLatin1(c.Reason).arg(bad)});
            EXPECT_EQ(Ui(w.F()).StaticXY->text(), QString());
            EXPECT_FALSE(Ui(w.F()).BitBtn1->isEnabled());
            EXPECT_EQ(Ui(w.F()).lStars->text(), QString());
            EXPECT_TRUE(w.F().Map().StarPoints().empty());
        }
        // After a good file: that file stays open, with its facts.
        TWindow w;
        TForm1 &form = w.F();
        w.Show();
        const QString good = w.Scratch.CopyReal("small-128planets-1player.xy");
        w.Open(good);
        const QString bad = c.Make(w.Scratch);
        w.Open(bad);
        EXPECT_EQ(w.Dialogs.Errors, QStringList{QString::fromLatin1(c.Reason).arg(bad)});
        EXPECT_EQ(Ui(form).StaticXY->text(), good);
        EXPECT_TRUE(Ui(form).BitBtn1->isEnabled());
        EXPECT_EQ(Ui(form).lSize->text(), QStringLiteral("790x774 l.y [Small]"));
        EXPECT_EQ(Ui(form).lStars->text(), QStringLiteral("128"));
        EXPECT_EQ(Ui(form).lPlayers->text(), QStringLiteral("1"));
        EXPECT_EQ(Ui(form).SizeSel->currentIndex(), 1);
        EXPECT_EQ(form.Map().StarPoints().size(), 128u);
    }
}

// ---- the map in the window ---------------------------------------------------

// The unit universe of the map tests: one pixel per light year, star i at
// pixel (X - 1000, Y - 1000).
TEST(MainWindow, MapShowsTheStars)
{
    TWindow w;
    TForm1 &form = w.F();
    w.Show();
    const QImage empty = w.MapArea();
    w.Open(WriteUniverse(w.Scratch, "unit.xy", UnitStars()));
    EXPECT_EQ(Ui(form).lSize->text(), QStringLiteral("273x228 l.y [Tiny]"));

    const QImage shown = RGB32(Ui(form).PaintBox1->grab().toImage());
    ASSERT_EQ(shown.size(), QSize(273, 228));
    EXPECT_EQ(shown, RGB32(form.Map().Image()));
    for (QPoint star : {QPoint(0, 0), QPoint(10, 128), QPoint(272, 78)}) {
        SCOPED_TRACE(star.x());
        EXPECT_EQ(shown.pixel(star), White);
    }
    EXPECT_EQ(shown.pixel(20, 228 - 1), Black);
    EXPECT_EQ(shown.pixel(1, 1), Black);
    // The picture covers the caption beneath it completely.
    EXPECT_EQ(w.MapArea(), shown);
    EXPECT_NE(empty, shown);
    // What the screen shows.
    EXPECT_EQ(w.OnScreen(), shown);
}

TEST(MainWindow, PointerHighlightsAndBlinks)
{
    TWindow w;
    TForm1 &form = w.F();
    w.Show();
    w.Open(WriteUniverse(w.Scratch, "unit.xy", UnitStars()));
    ASSERT_EQ(form.Map().HilitePixel().x(), -1);
    ResetBlink();
    const uint32_t seed = 20240531;
    ProgramRandom().Seed = seed;

    MovePointer(form, {0, 0});
    EXPECT_EQ(Ui(form).Status(), QStringLiteral("Abs: [1001:1001]     Star: 007 [1000:1000] ->0"));
    EXPECT_EQ(form.Map().HilitePixel(), QPoint(0, 0));
    EXPECT_EQ(form.Map().Image().pixel(0, 0), PureBlue);
    EXPECT_EQ(Ui(form).PaintBox1->cursor().shape(), Qt::ArrowCursor);
    Settle();
    EXPECT_EQ(w.OnScreen().pixel(0, 0), PureBlue) << "the pixel reaches the screen without a repaint";
    EXPECT_EQ(ProgramRandom().Seed, seed) << "a move draws nothing";

    // The next star: the old one turns white again.
    MovePointer(form, {11, 126});
    EXPECT_EQ(Ui(form).Status(), QStringLiteral("Abs: [1012:1127]     Star: A'po [1010:1128] ->1"));
    EXPECT_EQ(form.Map().HoverName(), QStringLiteral("A'po"));
    EXPECT_EQ(form.Map().Image().pixel(0, 0), White);
    EXPECT_EQ(form.Map().Image().pixel(10, 128), PureBlue);
    Settle();
    const QImage screen = w.OnScreen();
    EXPECT_EQ(screen.pixel(0, 0), White);
    EXPECT_EQ(screen.pixel(10, 128), PureBlue);

    // Timer1 makes it blink: the first tick takes two draws and shows red
    // 150, green 150.
    ASSERT_TRUE(Ui(form).Timer1->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ProgramRandom().Seed != seed; }, 2000));
    EXPECT_EQ(ProgramRandom().Seed, SeedAfter(seed, 2));
    EXPECT_EQ(form.Map().Image().pixel(10, 128), qRgb(150, 150, 0));
    Ui(form).Timer1->stop();
    Settle();
    EXPECT_EQ(w.OnScreen().pixel(10, 128), qRgb(150, 150, 0));

    // The second tick: each component climbs from 150 by the scaled draw,
    // red first.
    TRandom copy;
    copy.Seed = ProgramRandom().Seed;
    const int red = 150 + static_cast<int>(copy.RandomReal() * 25);
    const int green = 150 + static_cast<int>(copy.RandomReal() * 25);
    ASSERT_NE(red, green) << "pick a seed that tells red from green";
    form.Timer1Timer();
    EXPECT_EQ(form.Map().Image().pixel(10, 128), qRgb(red, green, 0));
    Settle();
    EXPECT_EQ(w.OnScreen().pixel(10, 128), qRgb(red, green, 0));

    // A repaint draws the star white and ends the highlight: ticks draw
    // nothing any more.
    form.RepaintMap();
    EXPECT_EQ(form.Map().HilitePixel().x(), -1);
    EXPECT_EQ(form.Map().Image().pixel(10, 128), White);
    const uint32_t after = ProgramRandom().Seed;
    form.Timer1Timer();
    EXPECT_EQ(ProgramRandom().Seed, after);
    EXPECT_TRUE(w.Dialogs.Errors.isEmpty());
}

TEST(MainWindow, PointerBeforeAnyFileShowsNothing)
{
    TWindow w;
    TForm1 &form = w.F();
    w.Show();
    const QImage empty = w.MapArea();
    MovePointer(form, {100, 100});
    EXPECT_EQ(Ui(form).Status(), QString());
    EXPECT_EQ(Ui(form).PaintBox1->cursor().shape(), Qt::ArrowCursor);
    RightClick(form, {100, 100});
    EXPECT_TRUE(form.Map().Marks().empty()) << "no mark before a universe was drawn";
    EXPECT_EQ(w.MapArea(), empty);
    EXPECT_TRUE(w.Dialogs.Errors.isEmpty());
}

TEST(MainWindow, MarksThroughTheWindow)
{
    TWindow w;
    TForm1 &form = w.F();
    w.Show();
    w.Open(WriteUniverse(w.Scratch, "unit.xy", UnitStars()));
    QSignalSpy paints(Ui(form).PaintBox1, &TPaintBox::Paint);
    const QPoint spot(100, 50), other(200, 150);

    struct TStep {
        const char *What;
        std::function<void()> Do;
        bool Repaints;
        size_t Count;          // length of Marks
        QRgb AtSpot, AtOther;  // the shown pixels afterwards
    };
    const std::vector<TStep> steps = {
        {"right click adds a green mark", [&] { RightClick(form, spot); }, true, 1, Green, Black},
        {"left press touches no mark", [&] {
             SendMouse(Ui(form).PaintBox1, QEvent::MouseButtonPress, other, Qt::LeftButton);
             SendMouse(Ui(form).PaintBox1, QEvent::MouseButtonRelease, other, Qt::LeftButton);
         }, false, 1, Green, Black},
        {"shift with right click elsewhere adds", [&] { RightClick(form, other, Qt::ShiftModifier); }, true, 2,
         Green, Green},
        {"right click on a mark recolours it", [&] { RightClick(form, spot + QPoint(7, 7)); }, true, 2, Silver,
         Green},
        {"shift with right click removes", [&] { RightClick(form, spot, Qt::ShiftModifier); }, true, 2, Black,
         Green},
        {"the spot again adds anew", [&] { RightClick(form, spot); }, true, 3, Green, Green},
        {"Clear removes all", [&] { Ui(form).SpeedButton6->click(); }, true, 0, Black, Black},
        {"Clear with no marks repaints", [&] { Ui(form).SpeedButton6->click(); }, true, 0, Black, Black},
    };
    int expectedPaints = 0;
    for (const TStep &s : steps) {
        SCOPED_TRACE(s.What);
        s.Do();
        expectedPaints += s.Repaints;
        EXPECT_EQ(paints.count(), expectedPaints) << "one repaint per change";
        EXPECT_EQ(form.Map().Marks().size(), s.Count);
        Settle();
        const QImage screen = w.OnScreen();
        EXPECT_EQ(screen.pixel(spot), s.AtSpot);
        EXPECT_EQ(screen.pixel(other), s.AtOther);
        EXPECT_EQ(screen.pixel(0, 0), White) << "stars are drawn over everything";
    }
    ASSERT_EQ(form.Map().Marks().size(), 0u);
    RightClick(form, spot);
    ASSERT_EQ(form.Map().Marks().size(), 1u);
    EXPECT_EQ(form.Map().Marks()[0].X, spot.x());
    EXPECT_EQ(form.Map().Marks()[0].Y, spot.y());
    EXPECT_EQ(form.Map().Marks()[0].Color, 0x008000);
    EXPECT_EQ(RGB32(Ui(form).PaintBox1->grab().toImage()).pixel(spot), QColor(0, 128, 0).rgb());
    EXPECT_TRUE(w.Dialogs.Errors.isEmpty());
}

// The file goes away after a paint: a repaint draws nothing, so the window
// background and the caption beneath show, now saying why, and the labels
// keep their texts; the stars went with the file, so the pointer finds none
// and no mark is set.
TEST(MainWindow, FileVanishesAfterAPaint)
{
    TWindow w;
    TForm1 &form = w.F();
    w.Show();
    const QImage empty = w.MapArea();
    // The caption is visible in the empty map area.
    const QRgb background = empty.pixel(0, 0);
    auto captionPixels = [&](const QImage &Area) {
        int pixels = 0;
        for (int y = 0; y < Area.height(); ++y)
            for (int x = 0; x < Area.width(); ++x)
                pixels += Area.pixel(x, y) != background;
        return pixels;
    };
    EXPECT_GT(captionPixels(empty), 20);

    const QString path = WriteUniverse(w.Scratch, "unit.xy", UnitStars());
    w.Open(path);
    ASSERT_NE(w.MapArea(), empty);
    const QString size = Ui(form).lSize->text();
    ASSERT_TRUE(QFile::remove(path));

    form.Session().Refresh(); // the look at the file that its watcher or coming back to the window makes
    form.RepaintMap();
    Settle();
    const QImage gone = w.MapArea();
    EXPECT_EQ(Ui(form).Label10->text(), QStringLiteral("The file is gone or cannot be read:\n%1").arg(path));
    EXPECT_GT(captionPixels(gone), 20);
    for (QPoint star : {QPoint(0, 0), QPoint(272, 78)})
        EXPECT_EQ(gone.pixel(star), background);
    EXPECT_EQ(w.OnScreen(), gone);
    EXPECT_EQ(Ui(form).lSize->text(), size);
    EXPECT_EQ(Ui(form).lStars->text(), QStringLiteral("4"));
    EXPECT_EQ(Ui(form).StaticXY->text(), path);

    MovePointer(form, {0, 0});
    EXPECT_EQ(Ui(form).Status(), QString());
    EXPECT_EQ(form.Map().HilitePixel().x(), -1);
    RightClick(form, {50, 50});
    EXPECT_TRUE(form.Map().Marks().empty());
    Settle();
    EXPECT_EQ(w.MapArea(), gone);
    EXPECT_TRUE(w.Dialogs.Errors.isEmpty());
}

// ---- the error box -----------------------------------------------------------

TEST(MainWindow, FailureShowsOneErrorBox)
{
    TWindow w;
    TForm1 &form = w.F();
    w.Show();
    w.Open(WriteUniverse(w.Scratch, "u.xy", UnitStars()));
    MovePointer(form, {0, 0});
    const QString status = Ui(form).Status();
    ASSERT_EQ(status, QStringLiteral("Abs: [1001:1001]     Star: 007 [1000:1000] ->0"));
    Ui(form).BitBtn1->click(); // the Stars moving panel
    Ui(form).BitBtn6->click(); // removing a group when there is none
    Settle();
    EXPECT_EQ(w.Dialogs.Errors, QStringList{QStringLiteral("Nothing to delete.")});
    // What the pointer showed stays.
    EXPECT_EQ(Ui(form).Status(), status);
    EXPECT_EQ(form.Map().HoverName(), QStringLiteral("007"));
}

// A planet whose name id lies beyond the name table (a file edited by hand)
// is reported by its id, without an error box, and highlighted like any
// other, and moved by that id. Its band tells the crosshair from the arrow.
TEST(MainWindow, PlanetBeyondTheNameTableIsReportedByItsId)
{
    TWindow w;
    w.Show();
    w.Open(WriteUniverse(w.Scratch, "u.xy",
                         {{1000, 1000, 0}, {1050, 1228, 1}, {1100, 1100, 999}, {1150, 1228, 2}, {1272, 1228, 5}}));
    Ui(w.F()).BitBtn1->click();
    ASSERT_TRUE(WaitForSlide(w.F()));
    Ui(w.F()).BitBtn4->click();
    QTest::keyClicks(Ui(w.F()).Groups()[0].Names, QStringLiteral("#999"));
    Ui(w.F()).BitBtn3->click();
    ASSERT_TRUE(w.F().Relocation().Pick());
    MovePointer(w.F(), {0, 0});
    EXPECT_EQ(Ui(w.F()).PaintBox1->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(Ui(w.F()).Status(), QStringLiteral("Abs: [1050:1001]     Star: 007 [1000:1000] ->0"));
    MovePointer(w.F(), {100, 100});
    EXPECT_EQ(Ui(w.F()).PaintBox1->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(w.F().Relocation().Landing(), QPoint(1101, 1101));
    EXPECT_EQ(Ui(w.F()).Status(), QStringLiteral("Abs: [1101:1101]     Star: #999 [1100:1100] ->2"));
    EXPECT_EQ(w.F().Map().HoverName(), QStringLiteral("#999"));
    EXPECT_EQ(w.F().Map().HilitePixel(), QPoint(100, 100));
    EXPECT_EQ(w.F().Map().HoverIndex(), 2);
    EXPECT_EQ(w.F().Map().Image().pixel(100, 100), PureBlue);
    EXPECT_EQ(w.F().Map().Image().pixel(0, 0), White);
    EXPECT_TRUE(w.Dialogs.Errors.isEmpty());
}

// ---- side windows and closing ------------------------------------------------

TEST(MainWindow, HelpAndCommentsButtons)
{
    TWindow w;
    TForm1 &form = w.F();
    // Without side windows the buttons do nothing.
    w.Show();
    Ui(form).SpeedButton5->click();
    Ui(form).Conf->click();

    THelpForm help;
    TFConf comments;
    form.SetSideWindows(&help, &comments);
    EXPECT_FALSE(help.isVisible());
    Ui(form).SpeedButton5->click();
    EXPECT_TRUE(help.isVisible());
    EXPECT_FALSE(comments.isVisible());
    Ui(form).Conf->click();
    EXPECT_TRUE(comments.isVisible());
    Ui(form).Conf->click(); // already shown: stays
    EXPECT_TRUE(comments.isVisible());
    EXPECT_TRUE(w.Dialogs.Errors.isEmpty());
}

// F1 and Ctrl+O work from the window, Escape closes the side windows, and
// the open dialog starts where the last universe was opened from.
TEST(MainWindow, KeysAndWhereTheOpenDialogStarts)
{
    TWindow w;
    TForm1 &form = w.F();
    THelpForm help;
    TFConf comments;
    form.SetSideWindows(&help, &comments);
    w.Show();
    auto activate = [](QWidget *Window) {
        QApplication::setActiveWindow(Window);
        return QTest::qWaitForWindowActive(Window);
    };
    ASSERT_TRUE(activate(&form));
    QTest::keyClick(&form, Qt::Key_F1);
    ASSERT_TRUE(help.isVisible());
    ASSERT_TRUE(activate(&help));
    QTest::keyClick(&help, Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
    Ui(form).Conf->click();
    ASSERT_TRUE(comments.isVisible() && activate(&comments));
    QTest::keyClick(&comments, Qt::Key_Escape);
    EXPECT_FALSE(comments.isVisible());

    const QString games = w.Scratch.Path("games"), other = w.Scratch.Path("other");
    ASSERT_TRUE(QDir().mkpath(games) && QDir().mkpath(other));
    const QString good = w.Scratch.CopyReal("tiny-32planets-2players.xy", "games/u.xy");
    WriteBytes(other + "/bad.xy", QByteArray("not a universe"));
    struct Row {
        QString Answer; // what the dialog answers; empty: cancel
        QString StartedIn;
    };
    const Row rows[] = {
        {{}, w.Scratch.Dir()},          // the program's folder the first time
        {good, w.Scratch.Dir()},        //
        {{}, games},                    // then where the last universe came from
        {other + "/bad.xy", games},     // a file that could not be opened
        {{}, games},                    // changes nothing
    };
    ASSERT_TRUE(activate(&form));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.Answer.toStdString());
        if (!row.Answer.isEmpty())
            w.Dialogs.OpenPaths.push_back(row.Answer);
        QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
        EXPECT_EQ(QDir(w.Dialogs.LastOpenDir).canonicalPath(), QDir(row.StartedIn).canonicalPath());
        EXPECT_TRUE(w.Dialogs.OpenPaths.empty());
    }
    EXPECT_EQ(Ui(form).StaticXY->text(), good);
    EXPECT_EQ(w.Dialogs.Errors.size(), 1);
}

// The player's own templates are listed after the program's, a name of the
// program's folder wins, and the comments and "Generate !" use the file the
// list shows.
TEST(MainWindow, TemplatesFromTheUserFolder)
{
    TScratch data;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.Dir().toLocal8Bit());
    struct TRestore {
        QByteArray Value;
        ~TRestore() { Value.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", Value); }
    } restore{saved};
    const QString mine = UserTemplateDir();
    ASSERT_TRUE(mine.startsWith(data.Dir()));
    ASSERT_TRUE(QDir().mkpath(mine));
    QImage light(40, 40, QImage::Format_RGB32);
    light.fill(White);
    ASSERT_TRUE(light.save(mine + "/Plain.bmp", "BMP")); // the program's plain.bmp wins
    ASSERT_TRUE(light.save(mine + "/mine.bmp", "BMP"));
    WriteBytes(mine + "/mine.zv", "[CONFIG]\nMinStarsDist=7\nComments=from my own folder\n");

    TWindow w;
    TForm1 &form = w.F();
    w.Show();
    QStringList listed;
    for (int i = 0; i < Ui(form).ComboBox1->count(); ++i)
        listed << Ui(form).ComboBox1->itemText(i);
    EXPECT_EQ(listed, (QStringList{"plain.bmp", "mine.bmp"}));
    Ui(form).ComboBox1->setCurrentIndex(1);
    emit Ui(form).ComboBox1->activated(1);
    EXPECT_EQ(Ui(form).Conf->toolTip(), QStringLiteral("from my own folder"));
    EXPECT_EQ(Ui(form).MinD->value(), 7);

    w.Open(w.Scratch.CopyReal("tiny-32planets-2players.xy", "u.xy"));
    Ui(form).BitBtn2->click();
    ASSERT_TRUE(WaitForRun(form));
    EXPECT_EQ(w.Dialogs.Errors, QStringList());
    EXPECT_EQ(Ui(form).Status(), QStringLiteral("32 planets placed from mine.bmp — Ctrl+Z undoes"));
}

// Closing is never refused and ends a relocation waiting for its pick,
// writing nothing (a running generation: Generation.StoppedRun).
TEST(MainWindow, ClosingEndsAWaitingRelocation)
{
    TWindow w;
    TForm1 &form = w.F();
    w.Show();
    const QString path = w.Scratch.CopyReal("tiny-32planets-2players.xy");
    w.Open(path);
    Ui(form).BitBtn1->click();
    ASSERT_TRUE(WaitForSlide(form));
    Ui(form).BitBtn4->click();
    form.Panel().Rows().at(0).Names->setText(Ui(form).ComboBox2->itemText(0));
    Ui(form).BitBtn3->click();
    ASSERT_TRUE(form.Relocation().Running());
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Relocation().Running());
    EXPECT_FALSE(form.Session().Busy());
    EXPECT_EQ(ReadBytes(path), ReadBytes(RealXYPath("tiny-32planets-2players.xy")));
    EXPECT_TRUE(w.Dialogs.Errors.isEmpty());
}

// The pointer report fits its box for every planet name at the widest
// coordinates and index, with the font the window really uses.
TEST(MainWindow, PointerReportFitsForEveryName)
{
    TWindow w;
    w.Show();
    QLabel *status = Ui(w.F()).StaticText2;
    const QFontMetrics metrics(status->font());
    QChar widest = u'0';
    for (QChar digit = u'0'; digit <= u'9'; digit = QChar(digit.unicode() + 1))
        if (metrics.horizontalAdvance(digit) > metrics.horizontalAdvance(widest))
            widest = digit;
    const QString coordinate(4, widest), index(3, widest);
    // The text starts after the frame, the margins and the indent (half an
    // "x" for a framed label that sets none).
    const int room = status->contentsRect().width() - 2 * status->margin() -
                     (status->indent() >= 0 ? status->indent() : metrics.horizontalAdvance(u'x') / 2);
    int widestLine = 0;
    QString widestName;
    for (int id = 0; id < PlanetNameCount; ++id) {
        const QString line = QStringLiteral("Abs: [%1:%1]     Star: %2 [%1:%1] ->%3").arg(coordinate, NameById(id), index);
        const int width = metrics.horizontalAdvance(line);
        if (width > widestLine) {
            widestLine = width;
            widestName = NameById(id);
        }
    }
    EXPECT_LE(widestLine, room) << "\"" << widestName.toStdString() << "\" is cut off";
}

// The program's own words in the window's face, shortened to fit the line:
// keys to click kept, advice dropped, the whole in the tooltip.
TEST(MainWindow, StatusWordsFitTheLineInTheWindowsFace)
{
    TWindow w;
    w.Show();
    QLabel *status = Ui(w.F()).StaticText2;
    const QString keys = QStringLiteral(" \u2014 <a href=\"undo\">Ctrl+Z</a> undoes");
    const struct {
        QString Text, Starts, Ends;
    } rows[] = {
        {QStringLiteral("Mark at [1596:1597], green"), QStringLiteral("Mark at [1596:1597], green"), {}},
        {QStringLiteral("999 planets placed from my-very-own-template-with-a-long-name.bmp") + keys,
         QStringLiteral("999 planets placed from"), QStringLiteral("\u2026 \u2014 Ctrl+Z undoes")},
        {QStringLiteral("Wammalammadingdong lands at [2083:1152] \u2014 Return places it, Ctrl+arrows move it 1 l.y"),
         QStringLiteral("Wammalammadingdong lands at [2083:1152]"), QStringLiteral("[2083:1152]")},
    };
    QTest::keyClick(&w.F(), Qt::Key_Z, Qt::ControlModifier); // "Nothing to undo": the program's words
    EXPECT_EQ(status->font().pixelSize(), w.F().font().pixelSize()) << "not in a smaller face";
    for (const auto &row : rows) {
        const QString shown = QTextDocumentFragment::fromHtml(FitStatusText(status, row.Text)).toPlainText();
        const QString whole = QTextDocumentFragment::fromHtml(row.Text).toPlainText();
        EXPECT_LE(QFontMetrics(status->font()).horizontalAdvance(shown), status->contentsRect().width() - 4) << shown.toStdString();
        EXPECT_TRUE(shown.startsWith(row.Starts)) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(row.Ends)) << shown.toStdString();
        EXPECT_EQ(status->toolTip(), shown == whole ? QString() : whole);
    }
}

// The map follows the file when another program changes it, also when it
// replaces the file by a new one, and when the window becomes active again.
TEST(MainWindow, MapFollowsTheFileOnDisk)
{
    TWindow w;
    w.Show();
    TForm1 &form = w.F();
    const QString path = w.Scratch.CopyReal("small-128planets-1player.xy", "u.xy");
    w.Open(path);
    MovePointer(form, {10, 10});
    ASSERT_FALSE(Ui(form).Status().isEmpty());
    auto stars = [&] { return Ui(form).lStars->text(); };

    // Replaced by a rename, as editors and the game do.
    WriteBytes(w.Scratch.Path("new.xy"), ReadBytes(RealXYPath("tiny-32planets-2players.xy")));
    ASSERT_TRUE(QFile::rename(w.Scratch.Path("new.xy"), path) || (QFile::remove(path) && QFile::rename(w.Scratch.Path("new.xy"), path)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return stars() == QStringLiteral("32"); }, 5000));
    EXPECT_EQ(form.Map().StarPoints().size(), 32u);
    EXPECT_EQ(Ui(form).SizeSel->currentIndex(), 0);
    EXPECT_TRUE(Ui(form).Status().isEmpty()) << "the pointer report of the old universe is gone";

    // Written in place afterwards: the new file is watched too.
    WriteBytes(path, ReadBytes(RealXYPath("large-640planets-2players.xy")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return stars() == QStringLiteral("640"); }, 5000));

    // Coming back to the window repaints at once.
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    WriteBytes(path, ReadBytes(RealXYPath("small-128planets-3players.xy")));
    QEvent activated(QEvent::ActivationChange);
    QApplication::sendEvent(&form, &activated);
    EXPECT_EQ(stars(), QStringLiteral("128"));
}

// The real message box: the program's caption, the text with its full stop.
TEST(MainWindow, ErrorBoxIsTheRealMessageBox)
{
    QString caption, text;
    int boxes = 0;
    // Each box is read and answered from inside its own event loop.
    std::function<void()> answer = [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, answer);
            return;
        }
        ++boxes;
        caption = box->windowTitle();
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    };
    // Showing the window with no template at all reports it once, as soon
    // as the window is up.
    QTimer::singleShot(10, answer);
    TStandardDialogs dialogs;
    TScratch scratch;
    TForm1 form(scratch.Dir(), dialogs);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes == 1; }, 3000));
    EXPECT_EQ(caption, QStringLiteral("Zorvane for Stars!"));
    EXPECT_EQ(text, QStringLiteral("Templates not found ! (must be .bmp file)\nSearched: %1, %2")
                        .arg(scratch.Dir(), UserTemplateDir()));

    QTimer::singleShot(10, answer);
    Ui(form).BitBtn2->click(); // no file open
    EXPECT_EQ(boxes, 2);
    EXPECT_EQ(caption, QStringLiteral("Zorvane for Stars!"));
    EXPECT_EQ(text, QStringLiteral("XY-file not open.")) << "a full stop after a letter";
}
