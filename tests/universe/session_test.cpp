#include "session.h"

#include "messages.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A valid image whose first planet's Y field differs: what another program
// might write. Planet words start at offset 18 + 2 + body (8 in MakeImage).
QByteArray Edited(QByteArray Image, int Planet, uint32_t Word)
{
    const int at = 28 + 4 * Planet;
    for (int i = 0; i < 4; ++i)
        Image[at + i] = char((Word >> (8 * i)) & 0xFF);
    return Image;
}

const QByteArray Original = MakeImage({Word(0, 1200, 7), Word(100, 1300, 8), Word(100, 1250, 9)});
const QByteArray ByOther = Edited(Original, 1, Word(100, 1310, 8));

// Path holding Original, opened, and planet 2 moved ("moved" in the history).
void OpenAndMove(TUniverseSession &Session, const QString &Path)
{
    WriteBytes(Path, Original);
    Session.Open(Path);
    TStarsXY universe = Session.ReadForOperation();
    universe.SetStar(2, 1150, 1260, -1, false);
    Session.Write(universe, false, QStringLiteral("moved"));
}

} // namespace

// The session follows the file: a change by another program, the file gone
// and back, a failed open that changes nothing.
TEST(Session, FollowsTheFileOnDisk)
{
    TScratch dir;
    const QString path = dir.Path("u.xy");
    WriteBytes(path, Original);
    TUniverseSession session;
    QSignalSpy changed(&session, &TUniverseSession::Changed);
    session.Open(path);
    ASSERT_NE(session.Universe(), nullptr);
    EXPECT_EQ(session.Universe()->StarCount, 3);
    EXPECT_EQ(session.Image(), Original);
    EXPECT_FALSE(session.Refresh()) << "nothing changed on disk";

    EXPECT_EQ(MessageOf([&] { session.Open(dir.Path("none.xy")); }).left(13), QStringLiteral("Cannot open f"));
    EXPECT_EQ(session.Path(), path);

    WriteBytes(path, ByOther);
    EXPECT_TRUE(session.Refresh());
    EXPECT_EQ(session.Image(), ByOther);
    EXPECT_EQ(session.Universe()->GetStar(1).X, 1100u);

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_TRUE(session.Refresh());
    EXPECT_EQ(session.Universe(), nullptr);
    WriteBytes(path, Original);
    EXPECT_TRUE(session.Refresh());
    ASSERT_NE(session.Universe(), nullptr);
    EXPECT_EQ(session.Image(), Original);
    EXPECT_EQ(changed.count(), 3);
}

// A write is recorded with the bytes the operation read, not those the
// session showed before; undo puts exactly those back; a run refuses undo.
TEST(Session, UndoRestoresTheBytesTheOperationRead)
{
    TScratch dir;
    const QString path = dir.Path("u.xy");
    WriteBytes(path, Original);
    TUniverseSession session;
    session.Open(path);
    WriteBytes(path, ByOther); // not yet seen by the session
    TStarsXY universe = session.ReadForOperation();
    universe.SetStar(2, 1150, 1260, -1, false);
    session.Write(universe, false, QStringLiteral("moved"));
    const QByteArray moved = ReadBytes(path);
    EXPECT_EQ(FileStars(moved)[2].X, 1150u);
    EXPECT_EQ(session.Image(), moved);

    session.SetBusy(true);
    EXPECT_EQ(MessageOf([&] { session.Undo(); }), LoadStr(TMsg::UndoWhileBusy));
    session.SetBusy(false);
    EXPECT_EQ(session.Undo(), QStringLiteral("moved"));
    EXPECT_EQ(ReadBytes(path), ByOther);
    EXPECT_EQ(session.Image(), ByOther);
    EXPECT_EQ(session.Redo(), QStringLiteral("moved"));
    EXPECT_EQ(ReadBytes(path), moved);
}

// The history keeps the last 100 writes: after 101, undo stops at the
// bytes the first write left.
TEST(Session, HistoryKeepsTheLastHundredWrites)
{
    TScratch dir;
    const QString path = dir.Path("u.xy");
    WriteBytes(path, Original);
    TUniverseSession session;
    session.Open(path);
    QByteArray afterFirst;
    for (int i = 0; i < 101; ++i) {
        TStarsXY universe = session.ReadForOperation();
        universe.SetStar(2, 1100 + i, 1260, -1, false);
        session.Write(universe, false, QString::number(i));
        if (i == 0)
            afterFirst = ReadBytes(path);
    }
    int undone = 0;
    while (session.CanUndo()) {
        session.Undo();
        ++undone;
    }
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(ReadBytes(path), afterFirst);
}

// Opening names the file it refuses; a file that may be read but not written
// is opened to be looked at; each file keeps its history while it holds
// what the history left.
TEST(Session, OpensWhatItCanAndKeepsEachFilesHistory)
{
    TScratch dir;
    const QString a = dir.Path("a.xy"), b = dir.Path("b.xy"), bad = dir.Path("bad.xy");
    WriteBytes(a, Original);
    WriteBytes(b, Original);
    WriteBytes(bad, QByteArray("not a universe"));
    TUniverseSession session;
    EXPECT_EQ(MessageOf([&] { session.Open(bad); }), FormatStr(TMsg::FileCorruptNamed, {bad}));

    session.Open(a);
    TStarsXY universe = session.ReadForOperation();
    universe.SetStar(2, 1150, 1260, -1, false);
    session.Write(universe, false, QStringLiteral("moved"));
    session.Open(b);
    EXPECT_FALSE(session.CanUndo());
    session.Open(a);
    EXPECT_TRUE(session.CanUndo()) << "a's history came back with a";
    session.Open(b);
    WriteBytes(a, ByOther);
    session.Open(a);
    EXPECT_FALSE(session.CanUndo()) << "a was changed by another program meanwhile";

    if (::geteuid() != 0)
        GTEST_SKIP() << "a file root cannot write needs another user";
    ASSERT_EQ(::chmod(QFile::encodeName(dir.Dir()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(b).constData(), 0644), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        TUniverseSession viewer;
        viewer.Open(b);
        const bool shown = viewer.Universe() && viewer.Universe()->StarCount == 3;
        const bool refused = viewer.ReadOnly() == QStringLiteral("Permission denied") &&
                             MessageOf([&] { viewer.ReadForOperation(); }).endsWith(u"Permission denied");
        ::_exit(shown && refused ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

// Another program's lock on the file holds an undo up: tried again while the
// session stays busy, done once the lock goes, given up after about two
// seconds with the reason, or ended by the player with nothing written.
TEST(Session, AStepWaitsForAnotherProgramsLock)
{
    struct TRow {
        int HeldMs;  // how long the other program keeps its lock
        bool Cancel; // the player ends the wait
        const char *Ends;
    } rows[] = {{300, false, "done"}, {5000, false, "locked"}, {5000, true, "cancelled"}};
    for (const TRow &row : rows) {
        SCOPED_TRACE(row.Ends);
        TScratch dir;
        const QString path = dir.Path("u.xy");
        TUniverseSession session;
        OpenAndMove(session, path);
        const QByteArray moved = ReadBytes(path);
        const TLockHolder holder(path, row.HeldMs);
        QSignalSpy ended(&session, &TUniverseSession::StepEnded);
        session.StartStep(true);
        EXPECT_EQ(ended.count(), 0);
        EXPECT_TRUE(session.Busy()) << "nothing else runs meanwhile";
        if (row.Cancel)
            session.CancelStep();
        ASSERT_TRUE(ended.count() == 1 || ended.wait(4000));
        const auto error = ended.at(0).at(2).value<std::exception_ptr>();
        const QString what = ended.at(0).at(1).toString();
        if (row.HeldMs < 1000) {
            EXPECT_EQ(what, QStringLiteral("moved"));
            EXPECT_EQ(ReadBytes(path), Original);
        } else {
            EXPECT_EQ(what, QString());
            EXPECT_EQ(MessageOf([&] { if (error) std::rethrow_exception(error); }),
                      row.Cancel ? QStringLiteral("<no failure>")
                                 : FormatStr(TMsg::FileLockedBy, {static_cast<long long>(holder.Pid()), path}));
            EXPECT_EQ(ReadBytes(path), moved);
            EXPECT_TRUE(session.CanUndo()) << "the history stays as it was";
        }
        EXPECT_FALSE(session.Busy());
    }
}

// A folder on the path renamed away and another put in its place: within
// about two seconds the session holds the new universe, and undo refuses.
TEST(Session, FollowsAFolderSwappedOnThePath)
{
    TScratch dir;
    QDir(dir.Dir()).mkpath(QStringLiteral("game/turn"));
    const QString path = dir.Path("game/turn/u.xy");
    TUniverseSession session;
    OpenAndMove(session, path);
    // The other folder is made beside, then moved in: the watcher sees no
    // change of the file or of the folder it watches.
    QDir(dir.Dir()).mkpath(QStringLiteral("new/turn"));
    WriteBytes(dir.Path("new/turn/u.xy"), ByOther);
    QTest::qWait(200); // the watcher's news of the write itself
    ASSERT_TRUE(QDir(dir.Dir()).rename(QStringLiteral("game"), QStringLiteral("old")));
    ASSERT_TRUE(QDir(dir.Dir()).rename(QStringLiteral("new"), QStringLiteral("game")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return session.Image() == ByOther; }, 2500));
    EXPECT_EQ(MessageOf([&] { session.Undo(); }), FormatStr(TMsg::FileChanged, {path}));
    EXPECT_EQ(ReadBytes(path), ByOther);
}

// Where the owner is not in the file's group, the system clears
// set-group-id on a write and refuses to set it again: the save says so.
// An owner in the group keeps it.
TEST(Session, SaysWhenTheSystemClearsTheSetGroupIdBit)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "files of other users and groups need root";
    for (const gid_t group : {4300u, 4100u}) {
        TScratch dir;
        const QString path = dir.Path("u.xy");
        WriteBytes(path, Original);
        const QByteArray name = QFile::encodeName(path);
        ASSERT_EQ(::chown(QFile::encodeName(dir.Dir()).constData(), 4100, 4100), 0);
        ASSERT_EQ(::chown(name.constData(), 4100, group), 0);
        ASSERT_EQ(::chmod(name.constData(), 02775), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(4100) != 0 || ::setuid(4100) != 0)
                ::_exit(3);
            TUniverseSession session;
            session.Open(path);
            TStarsXY universe = session.ReadForOperation();
            universe.SetStar(2, 1150, 1260, -1, false);
            session.Write(universe, false, QStringLiteral("moved"));
            const bool cleared = group == 4300;
            ::_exit(session.LastWriteNote() == (cleared ? LoadStr(TMsg::SetIdCleared) : QString()) ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "group " << group << ", status " << status;
        struct stat info {};
        ::stat(name.constData(), &info);
        EXPECT_EQ(info.st_mode & 07777, group == 4300 ? 0775u : 02775u);
    }
}
