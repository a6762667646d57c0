// Attacks on the one path that writes the player's file: write errors, kills
// in the middle of a save, other users, links, and files changed meanwhile.
// Each attack runs in a forked child where it changes the process (a file
// size limit, another user), so the test process itself stays as it was.
#include "gamefile.h"
#include "messages.h"
#include "starsxy.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString Large = QStringLiteral("large-640planets-2players.xy");
constexpr uid_t Nobody = 65534;

QByteArray Native(const QString &Path) { return QFile::encodeName(Path); }

struct stat StatOf(const QString &Path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(Native(Path).constData(), &info), 0) << Path.toStdString();
    return info;
}

// The file with planet 7 moved up by one light year in y: same length, one
// planet word changed.
QByteArray Changed(const QByteArray &Image)
{
    TStarsXY universe = TStarsXY::FromImage(Image);
    const TStarRec star = universe.GetStar(7);
    const TBounds b = universe.GetBounds();
    universe.SetStar(7, int32_t(star.X), int32_t(star.Y) + (int32_t(star.Y) < b.Bottom ? 1 : -1), -1, false);
    return universe.PackImage(false);
}

// Runs Body in a forked child and returns what it wrote to its pipe (the
// message of a failure, or "saved").
QString InChild(const std::function<QString()> &Body)
{
    int pipeFds[2];
    EXPECT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        QString said;
        try {
            said = Body();
        } catch (const EZorvane &e) {
            said = e.Message();
        }
        const QByteArray bytes = said.toUtf8();
        (void)!::write(pipeFds[1], bytes.constData(), size_t(bytes.size()));
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    QByteArray got;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        got.append(buffer, n);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
    return QString::fromUtf8(got);
}

// Drops to user nobody in a child; false where the test cannot switch user.
bool BecomeNobody()
{
    return ::setgroups(0, nullptr) == 0 && ::setgid(Nobody) == 0 && ::setuid(Nobody) == 0;
}

QStringList Entries(const QString &Dir)
{
    return QDir(Dir).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A folder that the saving user cannot write to, holding a file that user
// can: as root the save runs as nobody, otherwise the folder is made
// read-only for its owner.
struct TReadOnlyFolder {
    TScratch Scratch;
    QString File;
    bool SwitchUser = ::geteuid() == 0;

    explicit TReadOnlyFolder(const QString &Real)
    {
        File = Scratch.CopyReal(Real, QStringLiteral("u.xy"));
        if (SwitchUser) {
            EXPECT_EQ(::chown(Native(File).constData(), Nobody, Nobody), 0);
            EXPECT_EQ(::chmod(Native(Scratch.Dir()).constData(), 0755), 0);
        }
    }
    // Call in the child, before saving.
    void Enter() const
    {
        if (SwitchUser) {
            if (!BecomeNobody())
                ::_exit(3);
        } else {
            ::chmod(Native(Scratch.Dir()).constData(), 0555);
        }
    }
    ~TReadOnlyFolder() { ::chmod(Native(Scratch.Dir()).constData(), 0755); }
};

TEST(GameFile, WriteErrorsAreFailuresAndLeaveTheFileAsItWas)
{
    // A file size limit below the file's length: every way of writing fails
    // part way through. The save must say so, naming the file and the
    // system's reason, and the file must keep every byte.
    for (const bool writableFolder : {true, false}) {
        SCOPED_TRACE(writableFolder ? "writable folder" : "folder not writable");
        TReadOnlyFolder folder(Large);
        const QString path = folder.File;
        const QByteArray before = ReadBytes(path);
        ASSERT_EQ(before.size(), 2648);
        const QString said = InChild([&] {
            if (!writableFolder)
                folder.Enter();
            ::signal(SIGXFSZ, SIG_IGN);
            const struct rlimit limit {1000, 1000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            WriteGameFile(path, before, Changed(before));
            return QStringLiteral("saved");
        });
        EXPECT_EQ(said, QStringLiteral("Cannot write file \"%1\": File too large").arg(path));
        EXPECT_TRUE(ReadBytes(path) == before) << "the file changed";
        EXPECT_EQ(Entries(folder.Scratch.Dir()), QStringList{QStringLiteral("u.xy")}) << "no stray file";
    }
}

TEST(GameFile, KilledSavesLeaveTheOldOrTheNewImage)
{
    // A child saves in a tight loop, flipping the file between two images,
    // and is killed at a random moment. The file must always be exactly one
    // of them; a temporary file left by a kill is hidden and is no universe.
    std::mt19937 chance(20261208);
    for (const bool writableFolder : {true, false}) {
        SCOPED_TRACE(writableFolder ? "writable folder" : "folder not writable");
        TReadOnlyFolder folder(Large);
        const QString path = folder.File;
        const QByteArray a = ReadBytes(path), b = Changed(a);
        int leftovers = 0;
        for (int kill = 0; kill < 100; ++kill) {
            int ready[2];
            ASSERT_EQ(::pipe(ready), 0);
            const pid_t child = ::fork();
            if (child == 0) {
                if (!writableFolder)
                    folder.Enter();
                (void)!::write(ready[1], "r", 1);
                for (;;) {
                    try {
                        const QByteArray now = ReadGameFile(path, 1 << 20);
                        WriteGameFile(path, now, now == a ? b : a);
                    } catch (const EZorvane &) {
                        ::_exit(4);
                    }
                }
            }
            char byte;
            ASSERT_EQ(::read(ready[0], &byte, 1), 1);
            ::close(ready[0]);
            ::close(ready[1]);
            ::usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(chance));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended by itself: " << WEXITSTATUS(status);
            const QByteArray now = ReadBytes(path);
            ASSERT_TRUE(now == a || now == b) << "after kill " << kill;
            for (const QString &name : Entries(folder.Scratch.Dir())) {
                if (name == QStringLiteral("u.xy"))
                    continue;
                EXPECT_TRUE(name.startsWith(u'.') && !name.endsWith(QStringLiteral(".xy"))) << name.toStdString();
                QFile::remove(folder.Scratch.Path(name));
                ++leftovers;
            }
        }
        if (!writableFolder) {
            EXPECT_EQ(leftovers, 0) << "nothing can be left where nothing can be created";
        }
    }
}

TEST(GameFile, TheFileKeepsItsOwnerModeLinksAndName)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "changing owners and switching users needs root";
    struct TRow {
        const char *What;
        std::function<QString(TScratch &)> Prepare; // returns the path to save through
        bool AsNobody;
        std::function<void(TScratch &, const QString &)> Check;
    };
    const QByteArray original = ReadBytes(RealXYPath(Large));
    const QByteArray changed = Changed(original);
    const TRow rows[] = {
        {"another user's file with the set-group-id bit, saved by root",
         [](TScratch &s) {
             const QString p = s.CopyReal(Large);
             EXPECT_EQ(::chown(Native(p).constData(), Nobody, Nobody), 0);
             EXPECT_EQ(::chmod(Native(p).constData(), 02640), 0);
             return p;
         },
         false,
         [](TScratch &, const QString &p) {
             const struct stat info = StatOf(p);
             EXPECT_EQ(info.st_uid, Nobody);
             EXPECT_EQ(info.st_gid, Nobody);
             EXPECT_EQ(info.st_mode & 07777, 02640u);
         }},
        {"root's file, writable by all, saved by another user in a writable folder",
         [](TScratch &s) {
             const QString p = s.CopyReal(Large);
             EXPECT_EQ(::chmod(Native(p).constData(), 0666), 0);
             EXPECT_EQ(::chmod(Native(s.Dir()).constData(), 0777), 0);
             return p;
         },
         true,
         [](TScratch &, const QString &p) {
             const struct stat info = StatOf(p);
             EXPECT_EQ(info.st_uid, 0u);
             EXPECT_EQ(info.st_gid, 0u);
             EXPECT_EQ(info.st_mode & 07777, 0666u);
         }},
        {"a file with a second hard link",
         [](TScratch &s) {
             const QString p = s.CopyReal(Large);
             EXPECT_EQ(::link(Native(p).constData(), Native(s.Path("other.xy")).constData()), 0);
             return p;
         },
         false,
         [&](TScratch &s, const QString &p) {
             EXPECT_EQ(ReadBytes(s.Path("other.xy")), changed) << "the other name shows the same file";
             EXPECT_EQ(StatOf(p).st_ino, StatOf(s.Path("other.xy")).st_ino);
             EXPECT_EQ(StatOf(p).st_nlink, 2u);
         }},
        {"a symbolic link",
         [](TScratch &s) {
             const QString p = s.CopyReal(Large);
             EXPECT_TRUE(QFile::link(p, s.Path("link.xy")));
             return s.Path("link.xy");
         },
         false,
         [&](TScratch &s, const QString &p) {
             EXPECT_TRUE(S_ISLNK(StatOf(p).st_mode)) << "the link stays a link";
             EXPECT_EQ(ReadBytes(s.Path(Large)), changed);
         }},
        {"a file name of 255 bytes",
         [](TScratch &s) { return s.CopyReal(Large, QString(252, u'n') + QStringLiteral(".xy")); },
         false,
         [](TScratch &, const QString &) {}},
    };
    for (const TRow &row : rows) {
        SCOPED_TRACE(row.What);
        TScratch scratch;
        const QString path = row.Prepare(scratch);
        const QStringList entries = Entries(scratch.Dir());
        const QString said = InChild([&] {
            if (row.AsNobody && !BecomeNobody())
                return QStringLiteral("cannot switch user");
            WriteGameFile(path, original, changed);
            return QStringLiteral("saved");
        });
        EXPECT_EQ(said, QStringLiteral("saved"));
        EXPECT_EQ(ReadBytes(path), changed);
        EXPECT_EQ(Entries(scratch.Dir()), entries) << "no file more, none less";
        row.Check(scratch, path);
        ::chmod(Native(scratch.Dir()).constData(), 0755);
    }
}

TEST(GameFile, WritesOnlyOverWhatWasRead)
{
    TScratch scratch;
    const QString path = scratch.CopyReal(Large);
    const QByteArray original = ReadBytes(path);
    TStarsXY universe(path);
    universe.SetStar(3, int32_t(universe.GetStar(3).X), 1500, -1, false);

    // Another program writes the file between the reading and the save.
    const QByteArray theirs = Changed(original);
    WriteBytes(path, theirs);
    EXPECT_EQ(MessageOf([&] { universe.SaveToFile(path, false); }),
              QStringLiteral("The file \"%1\" was changed by another program since it was read; nothing was "
                             "written")
                  .arg(path));
    EXPECT_EQ(ReadBytes(path), theirs);

    // Nor does a save ever create a file, or write to something that is not
    // an ordinary file.
    const QString fifo = scratch.Path("fifo.xy");
    ASSERT_EQ(::mkfifo(Native(fifo).constData(), 0600), 0);
    EXPECT_EQ(MessageOf([&] { WriteGameFile(fifo, original, theirs); }),
              QStringLiteral("Cannot write file \"%1\": Not a regular file").arg(fifo));
    const QString missing = scratch.Path("missing.xy");
    EXPECT_EQ(MessageOf([&] { WriteGameFile(missing, original, theirs); }),
              QStringLiteral("Cannot write file \"%1\": No such file or directory").arg(missing));
    EXPECT_FALSE(QFile::exists(missing));
}

} // namespace
