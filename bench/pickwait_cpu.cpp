// Processor time of the relocation's wait for a pick while the user does
// nothing: a planet of a real universe is put up for relocation (the Stars
// moving panel then waits in pick mode), the program's event loop runs for a
// while without any input, and the process's CPU time (user + system,
// getrusage) over that stretch is printed with its share of one core. The
// wait must stay below 2 % of one core; the exit code is 1 when it does not.
//
//   build/bench/pickwait_cpu [universe.xy [seconds]]
//
// The universe defaults to tests/data/real-xy/small-128planets-3players.xy
// (the file is copied first; the original is never written), the stretch to
// 10 seconds. Runs headless unless QT_QPA_PLATFORM says otherwise.
#include "../tests/fakedialogs.h"
#include "movingpanel.h"
#include "planetnames.h"
#include "stars.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sys/resource.h>

namespace {

struct TCpu {
    double User = 0, System = 0;
    double Total() const { return User + System; }
};

TCpu CpuNow()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

QByteArray ReadAll(const QString &Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The program's event loop, for Ms milliseconds.
void RunEventLoop(int Ms)
{
    QEventLoop loop;
    QTimer::singleShot(Ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until Done, at most five seconds.
bool RunUntil(const std::function<bool()> &Done)
{
    QElapsedTimer waited;
    waited.start();
    while (!Done() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return Done();
}

int Fail(const char *Why)
{
    std::fprintf(stderr, "pickwait_cpu: %s\n", Why);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    const QDir source = QFileInfo(QStringLiteral(__FILE__)).absoluteDir();
    const QString real = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : source.filePath(QStringLiteral("../tests/data/real-xy/small-128planets-3players.xy"));
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    if (seconds <= 0)
        return Fail("the stretch must be positive");

    QTemporaryDir scratch;
    const QString xy = scratch.filePath(QStringLiteral("universe.xy"));
    const QByteArray original = ReadAll(real);
    if (original.isEmpty() || !QFile::copy(real, xy))
        return Fail("cannot copy the universe file");
    QFile::setPermissions(xy, QFile::ReadOwner | QFile::WriteOwner);

    TFakeDialogs dialogs;
    TForm1 form(source.filePath(QStringLiteral("../resources/templates")), dialogs);
    form.show();
    QElapsedTimer exposing;
    exposing.start();
    while (!(form.windowHandle() && form.windowHandle()->isExposed()) && exposing.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    // Open the copy, open the panel, one group with one planet from the
    // middle of the file; "Next" puts it up for its pick.
    TMovingPanel &panel = form.Panel();
    auto control = [&form](const char *Name) { return form.findChild<QAbstractButton *>(QLatin1String(Name)); };
    dialogs.OpenPaths.push_back(xy);
    form.SpeedButton3Click();
    if (form.Map().StarPoints().size() < 3)
        return Fail("the universe did not open");
    control("BitBtn1")->click();
    control("BitBtn4")->click();
    if (!RunUntil([&] { return panel.IsOpen() && !panel.Sliding(); }) || panel.Rows().size() != 1)
        return Fail("no group");
    const QString name = NameById(form.Map().StarPoints()[form.Map().StarPoints().size() / 2].NameId);
    panel.Rows()[0].Names->setText(name);
    control("BitBtn3")->click();
    const QLabel *prompt = form.findChild<QLabel *>(QStringLiteral("Label12"));

    // Measure from a moment well inside the wait to the end of the stretch,
    // then close the panel, which ends the wait.
    RunEventLoop(500);
    const bool waiting = form.Relocation().Running() && !prompt->text().isEmpty();
    const TCpu start = CpuNow();
    QElapsedTimer wall;
    wall.start();
    RunEventLoop(int(seconds * 1000));
    const TCpu now = CpuNow();
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const TCpu used{now.User - start.User, now.System - start.System};
    if (!waiting || !form.Relocation().Running())
        return Fail("the relocation was not waiting for a pick throughout the measurement");
    control("SpeedButton4")->click();
    RunUntil([&] { return !panel.Sliding(); });

    if (!dialogs.Errors.isEmpty())
        return Fail(qPrintable(QStringLiteral("the window reported: ") + dialogs.Errors.join(QStringLiteral("; "))));
    if (ReadAll(xy) != original)
        return Fail("the universe changed although nothing was picked");

    const double share = wallSeconds > 0 ? 100.0 * used.Total() / wallSeconds : 0;
    std::printf("wait for a pick of %s, no input, %.3f s: CPU %.3f s (user %.3f + system %.3f) = %.2f %% of one core "
                "(limit 2 %%)\n",
                qPrintable(name), wallSeconds, used.Total(), used.User, used.System, share);
    return share < 2.0 ? 0 : 1;
}
