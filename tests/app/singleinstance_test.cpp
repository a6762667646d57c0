#include "dialogs.h"
#include "singleinstance.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <future>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Each test has a runtime folder of its own, on display ":1".
class SingleInstance : public testing::Test {
protected:
    void SetUp() override
    {
        qputenv("XDG_RUNTIME_DIR", Run.Dir().toUtf8());
        qputenv("DISPLAY", ":1");
        qunsetenv("WAYLAND_DISPLAY");
    }
    void TearDown() override
    {
        for (const QString &name : {"XDG_RUNTIME_DIR", "DISPLAY", "WAYLAND_DISPLAY", "TMPDIR"})
            Saved.contains(name) ? void(qputenv(qPrintable(name), Saved.value(name).toLocal8Bit()))
                                 : void(qunsetenv(qPrintable(name)));
    }
    const QProcessEnvironment Saved = QProcessEnvironment::systemEnvironment();
    TScratch Run;
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

TEST_F(SingleInstance, ASecondStartOnTheSameDisplayRaisesTheFirst)
{
    TSingleInstance first;
    ASSERT_TRUE(first.Acquire());
    QSignalSpy activated(&first, &TSingleInstance::Activated);
    qputenv("DISPLAY", "unix:1.0");
    // The first answers from this thread's event loop: the second starts in
    // another thread.
    auto second = std::async(std::launch::async, [] {
        TSingleInstance instance;
        const bool alone = instance.Acquire();
        return std::make_pair(alone, instance.Notice());
    });
    EXPECT_TRUE(activated.wait(5000)) << "the running instance is asked to come forward";
    EXPECT_EQ(second.get(), std::make_pair(false, QStringLiteral("Zorvane is already running on this display; "
                                                                 "its window was brought to the front")));
}

TEST_F(SingleInstance, StartsPastALeftoverOrASocketThatDoesNotAnswer)
{
    const QString path = TSingleInstance().ServerName();
    ASSERT_TRUE(path.startsWith(Run.Dir() + u'/'));
    QLocalServer squatter; // listens, but never answers
    ASSERT_TRUE(squatter.listen(path));
    TSingleInstance beside;
    EXPECT_TRUE(beside.Acquire());
    EXPECT_EQ(beside.Notice(), QStringLiteral("Cannot check for a running Zorvane: \"%1\" accepts connections but "
                                              "does not answer; starting anyway").arg(path));
    squatter.close();
    QFile(path).open(QIODevice::WriteOnly); // a crashed instance's leftover
    TSingleInstance next;
    EXPECT_TRUE(next.Acquire());
    EXPECT_EQ(next.Notice(), QString()) << "the new instance listens in the leftover's place";
}

TEST_F(SingleInstance, WithoutAPrivateRuntimeFolderTheSocketGoesToAFixedOne)
{
    const QString fixed = QStringLiteral("/tmp/zorvane-%1").arg(getuid());
    qputenv("TMPDIR", Run.Dir().toUtf8()); // which a start from another shell may not share
    QFile::setPermissions(Run.Dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    EXPECT_EQ(QFileInfo(TSingleInstance().ServerName()).path(), fixed);
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(QFileInfo(TSingleInstance().ServerName()).path(), fixed);
}

TEST(SingleInstanceFolder, TrustsOnlyAFolderOfTheUsersOwnWithMode0700)
{
    TScratch scratch;
    const QFile::Permissions rwx = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    for (const char *name : {"own", "open", "shared", "other"})
        QDir(scratch.Dir()).mkdir(QLatin1String(name), rwx);
    QFile::setPermissions(scratch.Path(QStringLiteral("open")), rwx | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(scratch.Path(QStringLiteral("shared")), rwx | QFile::WriteGroup);
    QFile::link(scratch.Path(QStringLiteral("own")), scratch.Path(QStringLiteral("link")));
    // Only root can give a folder to another user.
    const bool other = getuid() == 0 && chown(qPrintable(scratch.Path(QStringLiteral("other"))), 65534, 65534) == 0;
    const std::pair<const char *, bool> rows[] = {
        {"own", true}, {"new", true}, {"open", false}, {"shared", false}, {"link", false}, {"other", !other}};
    for (const auto &[name, trusted] : rows)
        EXPECT_EQ(TSingleInstance::PrivateFolder(scratch.Path(QLatin1String(name))),
                  trusted ? scratch.Path(QLatin1String(name)) : QString()) << name;
}

TEST(Dialogs, FilterInQtNotation)
{
    EXPECT_EQ(QtFileFilter(QStringLiteral("Universe files|*.xy")), QStringLiteral("Universe files (*.xy)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("A|*.a;*.b|B|*.c")), QStringLiteral("A (*.a *.b);;B (*.c)"));
}
