#include "dialogs.h"
#include "singleinstance.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Each test on a display of its own, so parallel tests never meet.
class SingleInstance : public testing::Test {
protected:
    void SetUp() override
    {
        static int test = 0;
        qputenv("DISPLAY", QStringLiteral(":%1%2").arg(::getpid()).arg(++test).toUtf8());
        qputenv("XDG_RUNTIME_DIR", Run.Dir().toUtf8());
        qunsetenv("WAYLAND_DISPLAY");
    }
    void TearDown() override
    {
        for (const char *name : {"XDG_RUNTIME_DIR", "DISPLAY", "WAYLAND_DISPLAY", "TMPDIR"})
            Saved.contains(QLatin1String(name)) ? void(qputenv(name, Saved.value(QLatin1String(name)).toLocal8Bit()))
                                                : void(qunsetenv(name));
    }
    const QProcessEnvironment Saved = QProcessEnvironment::systemEnvironment();
    TScratch Run;
};

// A socket of user nobody in a child: listening on Name (never answering),
// or connecting to it and reporting what it read. The child ends with the
// returned guard.
struct TStranger {
    pid_t Child = -1;
    int Pipe[2] = {-1, -1};
    TStranger(const QString &Name, bool Listen)
    {
        EXPECT_EQ(::pipe(Pipe), 0);
        Child = ::fork();
        if (Child != 0) {
            ::close(Pipe[1]);
            return;
        }
        ::close(Pipe[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = Name.toUtf8();
        std::memcpy(address.sun_path + 1, name.constData(), size_t(name.size()));
        const auto size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        const auto *at = reinterpret_cast<const sockaddr *>(&address);
        char got[64] = "";
        if (Listen) {
            if (::bind(fd, at, size) != 0 || ::listen(fd, 4) != 0)
                ::_exit(4);
        } else if (::connect(fd, at, size) != 0 || ::read(fd, got, sizeof got - 1) < 0) {
            ::_exit(5);
        }
        (void)!::write(Pipe[1], got[0] ? got : "-", std::max<size_t>(1, std::strlen(got)));
        ::pause();
        ::_exit(0);
    }
    QByteArray Said() const
    {
        char buffer[64] = "";
        const ssize_t n = ::read(Pipe[0], buffer, sizeof buffer - 1);
        return QByteArray(buffer, int(std::max<ssize_t>(n, 0)));
    }
    ~TStranger()
    {
        if (Child > 0) {
            ::kill(Child, SIGKILL);
            ::waitpid(Child, nullptr, 0);
        }
        ::close(Pipe[0]);
    }
};

} // namespace

TEST(SingleInstanceKey, OneKeyPerDisplayHoweverWritten)
{
    // DISPLAY, WAYLAND_DISPLAY (the runtime folder being /run/user/7), and
    // which display they name: the same number, the same display.
    const std::tuple<const char *, const char *, int> rows[] = {
        {":1", "", 1}, {":1.0", "", 1}, {"unix:1", "", 1}, {"unix:1.0", "", 1}, {"unix/:1", "", 1},
        {"/tmp/.X11-unix/X1", "", 1}, {"/tmp/.X11-unix/X1.0", "", 1}, {":2", "", 2}, {":10", "", 3},
        {"/tmp/.X11-unix/X10", "", 3}, {"localhost:1", "", 4}, {"localhost:1.0", "", 4}, {"tcp/localhost:1", "", 4},
        {"LocalHost:1", "", 4}, {"far:1", "", 5}, {"", "", 6}, {":1", "wayland-0", 7},
        {":2", "/run/user/7/wayland-0", 7}, {":1", "/run/wayland-0", 8}, {":1", "wayland-1", 9}};
    const auto key = [](const char *X11, const char *Wayland) {
        return TSingleInstance::DisplayKey(QLatin1String(X11), QLatin1String(Wayland),
                                           QStringLiteral("/run/user/7"));
    };
    for (const auto &[x1, w1, display1] : rows)
        for (const auto &[x2, w2, display2] : rows)
            EXPECT_EQ(key(x1, w1) == key(x2, w2), display1 == display2) << x1 << w1 << " vs " << x2 << w2;
}

TEST_F(SingleInstance, ASecondStartOnTheSameDisplayRaisesTheFirstHoweverItsFoldersAreSet)
{
    TSingleInstance first;
    ASSERT_TRUE(first.Acquire());
    QSignalSpy activated(&first, &TSingleInstance::Activated);
    const QString display = qEnvironmentVariable("DISPLAY");
    // The variables of the second start: the display spelled otherwise,
    // and the runtime and temporary folders set elsewhere or not at all.
    const std::tuple<QString, const char *, const char *> rows[] = {
        {display + QStringLiteral(".0"), nullptr, nullptr},
        {QStringLiteral("unix") + display, "/nowhere", "/elsewhere"},
        {display, nullptr, "/elsewhere"}};
    for (const auto &[second, runtime, temporary] : rows) {
        SCOPED_TRACE(second.toStdString());
        qputenv("DISPLAY", second.toUtf8());
        runtime ? void(qputenv("XDG_RUNTIME_DIR", runtime)) : void(qunsetenv("XDG_RUNTIME_DIR"));
        temporary ? void(qputenv("TMPDIR", temporary)) : void(qunsetenv("TMPDIR"));
        // The first answers from this thread's event loop: the second
        // starts in another thread.
        auto start = std::async(std::launch::async, [] {
            TSingleInstance instance;
            const bool alone = instance.Acquire();
            return std::make_pair(alone, instance.Notice());
        });
        EXPECT_TRUE(activated.wait(5000)) << "the running instance is asked to come forward";
        EXPECT_EQ(start.get(), std::make_pair(false, QStringLiteral("Zorvane is already running on this display; "
                                                                    "its window was brought to the front")));
    }
}

TEST_F(SingleInstance, StartsPastANameThatDoesNotAnswerOrIsAnotherUsers)
{
    const QString name = TSingleInstance().ServerName();
    {
        QLocalServer silent; // the user's own, listening but never answering
        silent.setSocketOptions(QLocalServer::AbstractNamespaceOption);
        ASSERT_TRUE(silent.listen(name));
        TSingleInstance beside;
        EXPECT_TRUE(beside.Acquire());
        EXPECT_EQ(beside.Notice(), QStringLiteral("Cannot check for a running Zorvane: \"%1\" accepts connections "
                                                  "but does not answer; starting anyway").arg(name));
    }
    if (::getuid() != 0)
        GTEST_SKIP() << "another user's socket needs root to switch users";
    TStranger squatter(name, true);
    ASSERT_EQ(squatter.Said(), "-");
    TSingleInstance start;
    EXPECT_TRUE(start.Acquire()) << "a name another user took never blocks the start";
    EXPECT_EQ(start.Notice(), QStringLiteral("Cannot check for a running Zorvane: \"%1\" is held by another user; "
                                             "starting anyway").arg(name));
}

TEST_F(SingleInstance, AnswersOnlyItsOwnUser)
{
    if (::getuid() != 0)
        GTEST_SKIP() << "another user's start needs root to switch users";
    TSingleInstance first;
    ASSERT_TRUE(first.Acquire());
    QSignalSpy activated(&first, &TSingleInstance::Activated);
    TStranger caller(first.ServerName(), false);
    // The stranger's read ends when the instance drops it, unanswered.
    auto said = std::async(std::launch::async, [&] { return caller.Said(); });
    (void)QTest::qWaitFor([&] { return said.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 5000);
    EXPECT_EQ(said.get(), "-");
    EXPECT_EQ(activated.count(), 0);
}

TEST(Dialogs, FilterInQtNotation)
{
    EXPECT_EQ(QtFileFilter(QStringLiteral("Universe files|*.xy")), QStringLiteral("Universe files (*.xy)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("A|*.a;*.b|B|*.c")), QStringLiteral("A (*.a *.b);;B (*.c)"));
}
