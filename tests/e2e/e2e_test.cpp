// Zorvane as a user meets it: the built program in its own program
// directory, on a private Xvfb display, driven only by pointer and keyboard
// input through xdotool. The tests check the files the program writes.
#include "mapgeometry.h"
#include "planetnames.h"
#include "starmap.h"
#include "starsxy.h"
#include "templatesettings.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

namespace {

bool WaitUntil(const std::function<bool()> &Done, int Ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < Ms) {
        if (Done())
            return true;
        QThread::msleep(50);
    }
    return Done();
}

class ZorvaneOnXvfb : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char *tool : {"Xvfb", "xdotool"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        StartServer();
        ASSERT_FALSE(FDisplay.isEmpty()) << "Xvfb did not start" << Logs();
        // The program's own runtime folder (mode 0700): its single-instance
        // socket meets no socket of an earlier run or of another program on
        // a display of the same number. Its own data folder too: no user
        // template joins the list.
        for (const char *name : {"run", "data"})
            QDir(Dir.Dir()).mkdir(QLatin1String(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The program's directory: the program, one sample template with its
        // settings, and a copy of a real universe.
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZV_PROGRAM), Dir.Path(QStringLiteral("zorvane"))));
        QFile::setPermissions(Dir.Path(QStringLiteral("zorvane")), QFile::ReadOwner | QFile::ExeOwner);
        for (const char *name : {"spiral.bmp", "spiral.zv"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(ZV_TEMPLATES_DIR "/") + QLatin1String(name),
                                    Dir.Path(QLatin1String(name))));
        Universe = Dir.CopyReal(QStringLiteral("large-640planets-2players.xy"));
    }

    void TearDown() override
    {
        if (FProgram.state() != QProcess::NotRunning) {
            FProgram.terminate();
            if (!FProgram.waitForFinished(3000))
                FProgram.kill();
            FProgram.waitForFinished(3000);
        }
        // The server ends before the next test starts one: its display
        // number is then free again, with no lock or socket left behind.
        if (FServer.state() != QProcess::NotRunning) {
            FServer.terminate();
            if (!FServer.waitForFinished(5000))
                FServer.kill();
            FServer.waitForFinished(5000);
        }
    }

    void StartServer()
    {
        // -displayfd: the server picks a free display and writes its number
        // once it accepts clients. Picking a number and polling it instead
        // can be answered by a server on that number that is still ending,
        // while the new one fails ("Server is already active").
        // -noreset: by default the server starts over whenever its last
        // client leaves, and drops a client connecting meanwhile ("could not
        // connect to display"): any client that comes and goes first, such
        // as a poll or another harness's straggler on a reused display
        // number, could end the program's start.
        FServer.setStandardErrorFile(Dir.Path(QStringLiteral("xvfb.log")));
        FServer.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                               QStringLiteral("-noreset"), QStringLiteral("-screen"),
                                               QStringLiteral("0"), QStringLiteral("1024x768x24"),
                                               QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!FServer.waitForStarted(5000))
            return;
        QByteArray number;
        WaitUntil([&] {
            FServer.waitForReadyRead(100);
            number += FServer.readAllStandardOutput();
            return number.contains('\n');
        }, 10000);
        if (number.trimmed().isEmpty())
            return;
        FDisplay = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    }

    // What the program and the server wrote, for a failure's message.
    std::string Logs() const
    {
        std::string logs = FProgram.state() == QProcess::NotRunning
                               ? "\nthe program ended with exit code " + std::to_string(FProgram.exitCode())
                               : "\nthe program runs";
        for (const char *name : {"zorvane.log", "xvfb.log"}) {
            QFile log(Dir.Path(QLatin1String(name)));
            if (log.open(QIODevice::ReadOnly))
                logs += std::string("\n") + name + ":\n" + log.readAll().toStdString();
        }
        return logs;
    }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), FDisplay);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Dir.Path(QStringLiteral("run")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), Dir.Path(QStringLiteral("data")));
        return env;
    }

    QString Xdo(const QStringList &Args)
    {
        QProcess xdo;
        xdo.setProcessEnvironment(Environment());
        xdo.start(QStringLiteral("xdotool"), Args);
        xdo.waitForFinished(15000);
        return QString::fromUtf8(xdo.readAllStandardOutput()).trimmed();
    }

    void StartProgram()
    {
        FProgram.setProcessEnvironment(Environment());
        FProgram.setWorkingDirectory(QDir::tempPath()); // not its own: it must find its directory itself
        // Into a file: a pipe nobody reads would stop the program once full.
        FProgram.setProcessChannelMode(QProcess::MergedChannels);
        FProgram.setStandardOutputFile(Dir.Path(QStringLiteral("zorvane.log")));
        FProgram.start(Dir.Path(QStringLiteral("zorvane")), {});
        ASSERT_TRUE(FProgram.waitForStarted(5000));
        QString window;
        // Slow under a sanitizer on a busy machine; a program that ended
        // ends the wait.
        WaitUntil([&] {
            window = Xdo({QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^Stars! - Zorvane v 1.3$")});
            return !window.isEmpty() || FProgram.waitForFinished(0) || FProgram.state() == QProcess::NotRunning;
        }, 60000);
        ASSERT_FALSE(window.isEmpty()) << "the main window did not appear" << Logs();
        FWindow = window.split(u'\n').first();
        const QStringList geometry =
            Xdo({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), FWindow}).split(u'\n');
        for (const QString &line : geometry) {
            if (line.startsWith(QStringLiteral("X=")))
                FOrigin.setX(line.mid(2).toInt());
            if (line.startsWith(QStringLiteral("Y=")))
                FOrigin.setY(line.mid(2).toInt());
        }
        QThread::msleep(500);
    }

    // A point of the main window's client area, in screen coordinates.
    void MoveTo(int X, int Y)
    {
        Xdo({QStringLiteral("mousemove"), QString::number(FOrigin.x() + X), QString::number(FOrigin.y() + Y)});
        QThread::msleep(120);
    }
    void ClickAt(int X, int Y)
    {
        MoveTo(X, Y);
        Xdo({QStringLiteral("click"), QStringLiteral("1")});
        QThread::msleep(250);
    }
    void Type(const QString &Text)
    {
        Xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), Text});
        QThread::msleep(200);
    }
    void Key(const QString &Name)
    {
        Xdo({QStringLiteral("key"), Name});
        QThread::msleep(250);
    }

    // Folder button, then the file dialog: its file name field has the focus.
    void OpenUniverse(const QString &Path)
    {
        ClickAt(216 + 248 + 10, 8 + 24 + 10);
        QThread::msleep(1200);
        Type(Path);
        Key(QStringLiteral("Return"));
        QThread::msleep(800);
    }

    // Ctrl+M: the universe view opens and gets the keyboard; View is its
    // window.
    void OpenView(QString &View)
    {
        Key(QStringLiteral("ctrl+m"));
        ASSERT_TRUE(WaitUntil([&] {
            View = Xdo({QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^Universe view")})
                       .split(u'\n')
                       .first();
            return !View.isEmpty();
        }, 10000)) << Logs();
        Xdo({QStringLiteral("windowfocus"), View});
        QThread::msleep(300);
    }

    bool WaitForChange(const QString &Path, const QByteArray &Before, int Ms = 30000)
    {
        return WaitUntil([&] { return ReadBytes(Path) != Before; }, Ms);
    }

    // Starts the program, opens the universe (holding Original) and presses
    // "Generate !" until the file is written.
    void StartAndGenerate(const QByteArray &Original)
    {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        OpenUniverse(Universe);
        ClickAt(96 + 52, 320 + 18); // "Generate !"
        ASSERT_TRUE(WaitForChange(Universe, Original)) << "the generation did not write the file";
        QThread::msleep(500);
    }

    TScratch Dir;
    QString Universe;

private:
    QProcess FServer, FProgram;
    QString FDisplay, FWindow;
    QPoint FOrigin;
};


} // namespace

TEST_F(ZorvaneOnXvfb, GenerateThenMoveOnePlanet)
{
    const QByteArray original = ReadBytes(Universe);
    const TStarsXY before = TStarsXY::FromImage(original);
    const int sizeClass = before.GetSizeIndex();
    const int minDistance =
        ControlValues(ReadTemplateSettings(Dir.Path(QStringLiteral("spiral.zv")))).MinD;

    ASSERT_NO_FATAL_FAILURE(StartAndGenerate(original));

    // The generated file: same length, nothing outside the planet words
    // changed, planets sorted by x, inside the size class the map showed, no
    // two closer than the minimum distance on both axes.
    const QByteArray generated = ReadBytes(Universe);
    ASSERT_EQ(generated.size(), original.size());
    const int wordsStart = before.PlanetsStart(), wordsEnd = wordsStart + 4 * before.StarCount;
    EXPECT_EQ(generated.left(wordsStart), original.left(wordsStart));
    EXPECT_EQ(generated.mid(wordsEnd), original.mid(wordsEnd));
    const std::vector<TStarRec> stars = FileStars(generated);
    const uint32_t high = 1000 + 400 * (sizeClass + 1) - 2;
    for (size_t i = 0; i < stars.size(); ++i) {
        if (i > 0) {
            EXPECT_TRUE(stars[i - 1].X < stars[i].X || (stars[i - 1].X == stars[i].X && stars[i - 1].Y <= stars[i].Y))
                << "planet " << i << " out of order";
        }
        EXPECT_GE(stars[i].X, 1000u);
        EXPECT_LE(stars[i].X, high);
        EXPECT_GE(stars[i].Y, 1000u);
        EXPECT_LE(stars[i].Y, high);
        for (size_t j = i + 1; j < stars.size() && stars[j].X < stars[i].X + minDistance; ++j)
            EXPECT_FALSE(std::abs(int(stars[j].Y) - int(stars[i].Y)) < minDistance)
                << "planets " << i << " and " << j << " are too close";
    }

    // Move one planet from the middle of the file by hand.
    // One whose y is neither the smallest nor the largest, so the bounds of
    // the reread universe stay those the pick was made in.
    int k = int(stars.size()) / 2;
    const auto [low, highY] = std::minmax_element(stars.begin(), stars.end(),
                                                  [](const TStarRec &a, const TStarRec &b) { return a.Y < b.Y; });
    while (stars[k].Y == low->Y || stars[k].Y == highY->Y)
        ++k;
    const QString name = NameById(stars[k].NameId);
    TStarMap map; // the map as the program draws it, for the pointer's pixel
    const TStarsXY drawn(Universe);
    ASSERT_TRUE(map.PaintMap(&drawn, -1, -1).has_value());
    const int32_t bandMin = int32_t(map.StarPoints()[k - 1].X), bandMax = int32_t(map.StarPoints()[k + 1].X);

    ClickAt(8 + 36, 320 + 18); // "Change..."
    QThread::msleep(600);      // the panel slides in
    // The panel is 150 + 14 pixels per group high; the buttons keep their
    // distance from its bottom edge (laid out for a height of 173).
    ClickAt(-4 + 152 + 11, 96 - 23 + 10); // "+": the new group's line takes the focus
    Type(name.toLower());                  // letter case does not matter
    ClickAt(-4 + 120 + 37, 140 - 23 + 14 + 12); // "Next"
    QThread::msleep(500);

    // A pixel right of the band: x is clamped to the band's right edge, y is
    // the one under the pointer.
    const QPoint pixel(std::min(MapWidth - 1, int(MapColumn(map.View(), bandMax)) + 3), MapHeight / 2);
    MoveTo(216 + pixel.x() - 1, 141 + pixel.y());
    ClickAt(216 + pixel.x(), 141 + pixel.y());
    ASSERT_TRUE(WaitForChange(Universe, generated, 10000)) << "the move was not written";
    QThread::msleep(300);

    const QPoint picked = MapToUniverse(map.View(), pixel.x(), pixel.y());
    const std::vector<TStarRec> moved = FileStars(ReadBytes(Universe));
    ASSERT_EQ(moved.size(), stars.size());
    for (size_t i = 0; i < stars.size(); ++i) {
        if (int(i) == k)
            continue;
        EXPECT_EQ(moved[i], stars[i]) << "planet " << i << " moved too";
    }
    const TStarsXY after = TStarsXY::FromImage(ReadBytes(Universe));
    EXPECT_EQ(moved[k].NameId, stars[k].NameId);
    EXPECT_EQ(int32_t(after.GetStar(k).X), std::clamp(picked.x(), bandMin, bandMax));
    EXPECT_EQ(int32_t(after.GetStar(k).Y), picked.y());
    EXPECT_EQ(ReadBytes(Universe).size(), original.size());
}

// Ctrl+Z puts the game's own bytes back, Ctrl+Shift+Z the generated ones.
TEST_F(ZorvaneOnXvfb, GenerateThenUndoAndRedoByTheKeys)
{
    const QByteArray original = ReadBytes(RealXYPath(QStringLiteral("large-640planets-2players.xy")));
    ASSERT_TRUE(ReadBytes(Universe) == original);
    ASSERT_NO_FATAL_FAILURE(StartAndGenerate(original));
    const QByteArray generated = ReadBytes(Universe);

    Key(QStringLiteral("ctrl+z"));
    EXPECT_TRUE(WaitUntil([&] { return ReadBytes(Universe) == original; }, 5000)) << "Ctrl+Z did not undo";
    Key(QStringLiteral("ctrl+shift+z"));
    EXPECT_TRUE(WaitUntil([&] { return ReadBytes(Universe) == generated; }, 5000)) << "Ctrl+Shift+Z did not redo";
}

// The universe view by keys: Ctrl+M opens it while a planet waits, three
// Ctrl+Right there move the landing point three light years, Return places
// the planet exactly there; Ctrl+S saves the picture at its 2000 x 2000.
TEST_F(ZorvaneOnXvfb, PlaceToTheLightYearInTheUniverseViewAndSaveItsPicture)
{
    const QByteArray original = ReadBytes(Universe);
    const std::vector<TStarRec> stars = FileStars(original);
    size_t k = stars.size() / 2;
    while (stars[k + 1].X < stars[k].X + 3)
        ++k;
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    OpenUniverse(Universe);
    ClickAt(8 + 36, 320 + 18); // "Change..."
    QThread::msleep(600);
    ClickAt(-4 + 152 + 11, 96 - 23 + 10); // "+"
    Type(NameById(stars[k].NameId));
    ClickAt(-4 + 120 + 37, 140 - 23 + 14 + 12); // "Next"
    QThread::msleep(500);
    QString view;
    ASSERT_NO_FATAL_FAILURE(OpenView(view));
    for (int i = 0; i < 3; ++i)
        Key(QStringLiteral("ctrl+Right"));
    Key(QStringLiteral("Return"));
    ASSERT_TRUE(WaitForChange(Universe, original)) << "the pick in the view wrote nothing" << Logs();
    const std::vector<TStarRec> after = FileStars(ReadBytes(Universe));
    EXPECT_EQ(after[k].X, stars[k].X + 3);
    EXPECT_EQ(after[k].Y, stars[k].Y);
    EXPECT_EQ(after[k].NameId, stars[k].NameId);

    const QString picture = Dir.Path(QStringLiteral("map.png"));
    Xdo({QStringLiteral("windowfocus"), view});
    Key(QStringLiteral("ctrl+s"));
    QThread::msleep(1200);
    Type(picture);
    Key(QStringLiteral("Return"));
    // The map at 2000 x 2000, the legend and the table beside it.
    ASSERT_TRUE(WaitUntil([&] { return QImage(picture).height() == 2000 && QImage(picture).width() > 2200; }, 20000))
        << Logs();
}

// The host's whole task: two groups of one home world each, close together;
// Ctrl+M, Ctrl+B, Ctrl+Return in the universe view write both moves as one
// step, farther apart and nothing else changed; one Ctrl+Z there puts the
// game's bytes back exactly.
TEST_F(ZorvaneOnXvfb, FairStartsProposedAppliedAndUndoneInTheView)
{
    const QByteArray original = ReadBytes(Universe);
    const std::vector<TStarRec> stars = FileStars(original);
    const size_t a = stars.size() / 2, b = a + 6;
    auto apart = [](const std::vector<TStarRec> &S, size_t A, size_t B) {
        const int64_t dx = int64_t(S[A].X) - S[B].X, dy = int64_t(S[A].Y) - S[B].Y;
        return dx * dx + dy * dy;
    };
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    OpenUniverse(Universe);
    ClickAt(8 + 36, 320 + 18); // "Change..."
    QThread::msleep(600);
    for (size_t i = 0; i < 2; ++i) {
        ClickAt(-4 + 152 + 11, 96 - 23 + 14 * int(i) + 10); // "+", lower by a row per group
        Type(NameById(stars[i == 0 ? a : b].NameId));
    }
    QString view;
    ASSERT_NO_FATAL_FAILURE(OpenView(view));
    Key(QStringLiteral("ctrl+b"));
    QThread::msleep(3000); // the search ends within a moment
    Key(QStringLiteral("ctrl+Return"));
    ASSERT_TRUE(WaitForChange(Universe, original)) << "the proposal wrote nothing" << Logs();
    QThread::msleep(300);
    const std::vector<TStarRec> after = FileStars(ReadBytes(Universe));
    ASSERT_EQ(after.size(), stars.size());
    for (size_t i = 0; i < stars.size(); ++i)
        if (i != a && i != b)
            EXPECT_EQ(after[i], stars[i]) << "planet " << i << " moved too";
    EXPECT_GT(apart(after, a, b), apart(stars, a, b)) << "the players start farther apart";

    Key(QStringLiteral("ctrl+z"));
    EXPECT_TRUE(WaitUntil([&] { return ReadBytes(Universe) == original; }, 5000)) << "one Ctrl+Z undoes it all";
}
