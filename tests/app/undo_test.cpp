// Undo and redo of the program's writes, through the window's keys: Ctrl+Z
// and Ctrl+Shift+Z after a generation and after relocated planets, refused
// while a run goes on or when another program changed the file, and
// forgotten when another file is opened. Runs offscreen on copies of real
// universe files; every expected file is bytes read from disk.
#include "stars.h"

#include "fakedialogs.h"
#include "mapgeometry.h"
#include "paintbox.h"
#include "planetnames.h"
#include "random.h"
#include "starsxy.h"
#include "testsupport.h"
#include "windowsupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <algorithm>

namespace {

const QString Tiny = QStringLiteral("tiny-32planets-2players.xy");
const QString Generated = QStringLiteral("32 planets placed from disc.bmp");
const QString Busy =
    QStringLiteral("Changes cannot be undone or redone while a generation or a relocation runs.");

// The window on a program directory with the disc template, a copy of a
// real file open in it.
struct TUndoWindow {
    TScratch Scratch;
    TFakeDialogs Dialogs;
    std::unique_ptr<TForm1> Form;
    QString Path;

    explicit TUndoWindow(const QString &Real)
    {
        for (const char *ext : {".bmp", ".zv"})
            WriteBytes(Scratch.Path(QStringLiteral("disc") + QLatin1String(ext)),
                       ReadBytes(QStringLiteral(ZV_TEMPLATES_DIR "/disc") + QLatin1String(ext)));
        Form = std::make_unique<TForm1>(Scratch.Dir(), Dialogs);
        Form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        // The keys are the window's shortcuts: they need it active.
        QApplication::setActiveWindow(Form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        Path = Scratch.CopyReal(Real);
        Open(Path);
    }

    void Open(const QString &File)
    {
        Dialogs.OpenPaths.push_back(File);
        Ui(*Form).SpeedButton3->click();
        Settle();
    }
    // "Generate !" from a fixed seed; the bytes on disk once the run is over.
    QByteArray Generate(uint32_t Seed = 4711)
    {
        ProgramRandom().Seed = Seed;
        Ui(*Form).BitBtn2->click();
        EXPECT_TRUE(WaitForRun(*Form));
        return ReadBytes(Path);
    }
    void UndoStep() { Press(Qt::NoModifier); }
    void RedoStep() { Press(Qt::ShiftModifier); }
    void Press(Qt::KeyboardModifiers Extra)
    {
        QTest::keyClick(Form.get(), Qt::Key_Z, Qt::ControlModifier | Extra);
        Settle();
    }
    QString Status() const { return Ui(*Form).Status(); }
};

QString Undone(const QString &What)
{
    return QStringLiteral("Undone: ") + What + QStringLiteral(" \u2014 Ctrl+Shift+Z redoes");
}
QString Redone(const QString &What)
{
    return QStringLiteral("Redone: ") + What + QStringLiteral(" \u2014 Ctrl+Z undoes");
}
QString FileChanged(const QString &Path)
{
    return QStringLiteral("The file \"%1\" was changed by another program since it was read; nothing was written.")
        .arg(Path);
}

} // namespace

TEST(Undo, GenerationUndoneAndRedoneByTheKeys)
{
    TUndoWindow w(Tiny);
    const QByteArray original = ReadBytes(RealXYPath(Tiny));
    const QByteArray generated = w.Generate();
    ASSERT_TRUE(generated != original);
    EXPECT_EQ(w.Status(), Generated + QStringLiteral(" \u2014 Ctrl+Z undoes"));

    w.UndoStep();
    EXPECT_TRUE(ReadBytes(w.Path) == original);
    EXPECT_EQ(w.Status(), Undone(Generated));
    EXPECT_TRUE(w.Form->Map().ShownImage() == original) << "the map shows the file as it is again";

    w.RedoStep();
    EXPECT_TRUE(ReadBytes(w.Path) == generated);
    EXPECT_EQ(w.Status(), Redone(Generated));
    EXPECT_TRUE(w.Form->Map().ShownImage() == generated);
    EXPECT_TRUE(w.Dialogs.Errors.isEmpty()) << w.Dialogs.Errors.join(u'|').toStdString();
}

// Three planets placed one after the other go back one at a time and come
// back in the same order; a key pressed while the relocation waits for a
// pick is refused.
TEST(Undo, RelocatedPlanetsStepBackOneAtATime)
{
    const QString real = QStringLiteral("small-128planets-3players.xy");
    TUndoWindow w(real);
    TForm1 &form = *w.Form;
    const QByteArray original = ReadBytes(RealXYPath(real));
    const std::vector<TStarRec> stars = FileStars(original);
    // Three planets far apart whose neighbours leave room for a visible move.
    std::vector<size_t> planets;
    for (size_t k = 20; k + 1 < stars.size() && planets.size() < 3; ++k)
        if (stars[k + 1].X - stars[k - 1].X >= 20 && (planets.empty() || k > planets.back() + 20))
            planets.push_back(k);
    ASSERT_EQ(planets.size(), 3u);
    QStringList names;
    for (size_t k : planets)
        names << NameById(stars[k].NameId);

    Ui(form).BitBtn1->click();
    ASSERT_TRUE(WaitForSlide(form));
    Ui(form).BitBtn4->click();
    ASSERT_EQ(form.Panel().Rows().size(), 1u);
    form.Panel().Rows()[0].Names->setText(names.join(QStringLiteral(", ")));

    // Each wait: the file as it is (the bytes after the previous move), then
    // the pointer to a free column inside the band and a click, after which
    // the next name waits at once.
    std::vector<QByteArray> atWait;
    std::vector<QPoint> picked;
    QByteArray fileAfterRefusedUndo;
    Ui(form).BitBtn3->click();
    while (form.Relocation().Running() && !Ui(form).Label12->text().isEmpty() && atWait.size() < 3) {
        atWait.push_back(ReadBytes(w.Path));
        if (atWait.size() == 2) {
            QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
            fileAfterRefusedUndo = ReadBytes(w.Path);
        }
        const TMapView view = form.Map().View();
        int column = -1;
        for (int c = 0; c < MapWidth && column < 0; ++c) {
            const int32_t x = MapToUniverse(view, c, 0).x();
            if (x > form.Relocation().Pick()->Band.MinX && x < form.Relocation().Pick()->Band.MaxX &&
                std::none_of(form.Map().StarPoints().begin(), form.Map().StarPoints().end(),
                             [x](const TStarRec &s) { return int32_t(s.X) == x; }))
                column = c;
        }
        ASSERT_GE(column, 0) << "no free column in the band";
        const QPoint pixel(column, 60 + 50 * int(picked.size()));
        picked.push_back(MapToUniverse(view, pixel.x(), pixel.y()));
        MovePointer(form, pixel);
        QTest::mouseClick(Ui(form).PaintBox1, Qt::LeftButton, Qt::NoModifier, pixel);
    }
    EXPECT_FALSE(form.Relocation().Running());
    ASSERT_TRUE(WaitForSlide(form));
    Settle();
    ASSERT_EQ(atWait.size(), 3u);
    EXPECT_EQ(w.Dialogs.Errors, QStringList{Busy});
    EXPECT_TRUE(fileAfterRefusedUndo == atWait[1]) << "the refused undo wrote";

    // The file after each move, and what each move says.
    const std::vector<QByteArray> after = {atWait[1], atWait[2], ReadBytes(w.Path)};
    QStringList moved;
    for (size_t i = 0; i < 3; ++i)
        moved << QStringLiteral("%1 moved to [%2:%3]").arg(names[int(i)]).arg(picked[i].x()).arg(picked[i].y());
    EXPECT_EQ(w.Status(), moved[2] + QStringLiteral(" \u2014 Ctrl+Z undoes"));
    ASSERT_TRUE(original != after[0] && after[0] != after[1] && after[1] != after[2]) << "each move changed the file";

    struct TStep {
        bool Redo;
        QByteArray File;
        QString Status;
    };
    const std::vector<TStep> steps = {
        {false, after[1], Undone(moved[2])},
        {false, after[0], Undone(moved[1])},
        {false, original, Undone(moved[0])},
        {false, original, QStringLiteral("Nothing to undo")},
        {true, after[0], Redone(moved[0])},
        {true, after[1], Redone(moved[1])},
        {true, after[2], Redone(moved[2])},
        {true, after[2], QStringLiteral("Nothing to redo")},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        steps[i].Redo ? w.RedoStep() : w.UndoStep();
        EXPECT_TRUE(ReadBytes(w.Path) == steps[i].File);
        EXPECT_EQ(w.Status(), steps[i].Status);
    }
    EXPECT_EQ(w.Dialogs.Errors.size(), 1);
}

// Another program's change blocks both keys and leaves the history as it
// was: once the file holds the program's last bytes again, they work.
TEST(Undo, FileChangedByAnotherProgramIsNotOverwritten)
{
    TUndoWindow w(Tiny);
    const QByteArray original = ReadBytes(RealXYPath(Tiny));
    const QByteArray generated = w.Generate();
    const QByteArray theirs = QByteArray(generated).replace(200, 4, "\x11\x22\x33\x01");
    ASSERT_NE(theirs, generated);

    struct TStep {
        const char *What;
        QByteArray Before; // written to the file by "another program"; empty: nothing
        bool Redo;
        QByteArray After;
        bool Refused;
    };
    const std::vector<TStep> steps = {
        {"undo over a changed file", theirs, false, theirs, true},
        {"undo once the generated bytes are back", generated, false, original, false},
        {"redo over a changed file", theirs, true, theirs, true},
        {"redo once the original bytes are back", original, true, generated, false},
    };
    for (const TStep &s : steps) {
        SCOPED_TRACE(s.What);
        w.Dialogs.Errors.clear();
        WriteBytes(w.Path, s.Before);
        Settle();
        s.Redo ? w.RedoStep() : w.UndoStep();
        EXPECT_TRUE(ReadBytes(w.Path) == s.After);
        EXPECT_EQ(w.Dialogs.Errors, s.Refused ? QStringList{FileChanged(w.Path)} : QStringList());
        if (!s.Refused) {
            EXPECT_EQ(w.Status(), s.Redo ? Redone(Generated) : Undone(Generated));
        }
    }
}

// Both keys during a generation are refused and write nothing, with a write
// to undo and one to redo at hand. The run's own write ends the redo.
TEST(Undo, KeysDuringAGenerationAreRefused)
{
    TUndoWindow w(Tiny);
    const QByteArray original = ReadBytes(RealXYPath(Tiny));
    const QByteArray first = w.Generate(1);
    w.UndoStep();
    ASSERT_TRUE(ReadBytes(w.Path) == original);
    QTest::qWait(QApplication::doubleClickInterval() + 50); // a new press, no double click
    ProgramRandom().Seed = 2;
    Ui(*w.Form).BitBtn2->click(); // the run goes on through the event loop
    const bool running = w.Form->Templates().Generating();
    QTest::keyClick(w.Form.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(w.Form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    const QByteArray during = ReadBytes(w.Path);
    ASSERT_TRUE(WaitForRun(*w.Form));
    const QByteArray second = ReadBytes(w.Path);
    ASSERT_TRUE(running) << "the keys came after the run";
    ASSERT_TRUE(second != first && second != original);
    EXPECT_EQ(w.Dialogs.Errors, QStringList({Busy, Busy}));
    EXPECT_TRUE(during == original);
    EXPECT_EQ(w.Status(), Generated + QStringLiteral(" \u2014 Ctrl+Z undoes"));

    w.RedoStep();
    EXPECT_EQ(w.Status(), QStringLiteral("Nothing to redo"));
    EXPECT_TRUE(ReadBytes(w.Path) == second);
    w.UndoStep();
    EXPECT_TRUE(ReadBytes(w.Path) == original);
    w.UndoStep();
    EXPECT_EQ(w.Status(), QStringLiteral("Nothing to undo"));
    EXPECT_EQ(w.Dialogs.Errors.size(), 2);
}

// Another file opened after a write or after an undo: neither key writes to
// either file.
TEST(Undo, OpeningAnotherFileForgetsTheHistory)
{
    const QString otherReal = QStringLiteral("small-128planets-1player.xy");
    for (const bool undoFirst : {false, true}) {
        SCOPED_TRACE(undoFirst ? "after an undo" : "after a write");
        TUndoWindow w(Tiny);
        w.Generate();
        if (undoFirst)
            w.UndoStep();
        const QByteArray first = ReadBytes(w.Path);
        const QString other = w.Scratch.CopyReal(otherReal);
        w.Open(other);
        ASSERT_EQ(Ui(*w.Form).StaticXY->text(), other);
        EXPECT_EQ(w.Status(), QString());

        w.UndoStep();
        EXPECT_EQ(w.Status(), QStringLiteral("Nothing to undo"));
        w.RedoStep();
        EXPECT_EQ(w.Status(), QStringLiteral("Nothing to redo"));
        EXPECT_TRUE(ReadBytes(w.Path) == first);
        EXPECT_TRUE(ReadBytes(other) == ReadBytes(RealXYPath(otherReal)));
        EXPECT_TRUE(w.Dialogs.Errors.isEmpty());
    }
}
