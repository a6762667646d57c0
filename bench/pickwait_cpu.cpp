// Processor time of the relocation's wait for a pick while the user does
// nothing: a planet of a real universe is put up for relocation, the wait
// runs for a while without any input, and the process's CPU time (user +
// system, getrusage) over that stretch is printed with its share of one core.
// The wait must stay below 2 % of one core; the exit code is 1 when it does
// not.
//
//   build/bench/pickwait_cpu [universe.xy [seconds]]
//
// The universe defaults to tests/data/real-xy/small-128planets-3players.xy
// (the file is copied first; the original is never written), the stretch to
// 10 seconds. Runs headless unless QT_QPA_PLATFORM says otherwise.
#include "../tests/fakedialogs.h"
#include "planetnames.h"
#include "stars.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
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
    // middle of the file.
    dialogs.OpenPaths.push_back(xy);
    form.SpeedButton3->click();
    if (form.Map.StarPoints.size() < 3)
        return Fail("the universe did not open");
    form.BitBtn1->click();
    form.BitBtn4->click();
    if (form.Groups.size() != 1)
        return Fail("no group");
    const QString name = NameById(form.Map.StarPoints[form.Map.StarPoints.size() / 2].NameId);
    form.Groups[0].Names->setText(name);

    // Measure from a moment well inside the wait to the end of the stretch,
    // then close the panel, which ends the wait.
    const int settleMs = 500;
    TCpu start, used;
    QElapsedTimer wall;
    double wallSeconds = 0;
    bool waiting = false;
    QTimer::singleShot(settleMs, Qt::PreciseTimer, &form, [&] {
        waiting = form.Map.BandMinX != -1 && !form.PickDone && !form.Label12->text().isEmpty();
        start = CpuNow();
        wall.start();
    });
    QTimer::singleShot(settleMs + int(seconds * 1000), Qt::PreciseTimer, &form, [&] {
        const TCpu now = CpuNow();
        wallSeconds = double(wall.nsecsElapsed()) / 1e9;
        used = {now.User - start.User, now.System - start.System};
        form.SpeedButton4->click();
    });
    form.BitBtn3->click(); // returns when the wait has ended

    if (!waiting)
        return Fail("the relocation was not waiting for a pick when the measurement began");
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
