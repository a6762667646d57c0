// Attacks on the one path that writes the player's file: write errors, kills
// in the middle of a save, other users, links, ACLs and file flags, and files
// changed meanwhile (see gamefileattack.h; failing system calls are in
// gamefile_fault_test.cpp).
#include "gamefileattack.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <random>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

namespace {

// The chattr flags of a file, after setting them to Set when given; -1
// where the file system or the user cannot set them.
int Flags(const QString &Path, int Set = -1)
{
    const int fd = ::open(Native(Path).constData(), O_RDONLY | O_NONBLOCK);
    int flags = 0;
    const bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                      (Set < 0 || (flags = Set, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0));
    ::close(fd);
    return done || Set < 0 ? flags : -1;
}

// What a save must keep of a file besides its length: owner, group, mode,
// links, flags, and every extended attribute but the security label.
std::string LookAt(const QString &Path)
{
    struct stat info {};
    EXPECT_EQ(::stat(Native(Path).constData(), &info), 0);
    std::ostringstream look;
    look << info.st_uid << ':' << info.st_gid << std::oct << " mode " << info.st_mode << std::dec << " links "
         << info.st_nlink << std::hex << " flags " << Flags(Path);
    char names[4096], value[4096];
    const ssize_t size = ::listxattr(Native(Path).constData(), names, sizeof names);
    for (ssize_t at = 0; at < size; at += ssize_t(std::strlen(names + at)) + 1) {
        const ssize_t length = ::getxattr(Native(Path).constData(), names + at, value, sizeof value);
        if (std::strcmp(names + at, "security.selinux") != 0)
            look << ' ' << names + at << '=' << QByteArray(value, int(std::max<ssize_t>(length, 0))).toHex().data();
    }
    return look.str();
}

// POSIX ACLs as the kernel stores them: a version, then (tag, permissions,
// id) entries sorted by tag.
std::string Acl(std::initializer_list<std::array<uint32_t, 3>> Entries)
{
    std::string bytes("\2\0\0\0", 4);
    for (const auto &[tag, permissions, id] : Entries) {
        const uint32_t entry[2] = {tag | permissions << 16, id};
        bytes.append(reinterpret_cast<const char *>(entry), sizeof entry);
    }
    return bytes;
}
constexpr uint32_t None = 0xFFFFFFFF;
const std::string NobodyWrites = Acl({{1, 6, None}, {2, 6, Nobody}, {4, 4, None}, {0x10, 6, None}, {0x20, 0, None}});
const std::string NobodyReads = Acl({{1, 6, None}, {2, 4, Nobody}, {4, 4, None}, {0x10, 4, None}, {0x20, 4, None}});
const char *const DefaultAcl = "system.posix_acl_default", *const AccessAcl = "system.posix_acl_access";
bool SetAttribute(const QString &Path, const char *Name, const std::string &Value)
{
    return ::setxattr(Native(Path).constData(), Name, Value.data(), Value.size(), 0) == 0;
}

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
            // SIGXFSZ keeps its default action, which would end the process.
            const struct rlimit limit {1000, 1000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            WriteGameFile(path, before, Changed(before));
            return QStringLiteral("saved");
        });
        EXPECT_EQ(said, QStringLiteral("Cannot write file \"%1\": File too large").arg(path));
        EXPECT_TRUE(ReadBytes(path) == before) << "the file changed";
        EXPECT_EQ(Entries(folder.Folder.path()), QStringList{QStringLiteral("u.xy")}) << "no stray file";
    }
}

TEST(GameFile, KilledSavesLeaveTheOldOrTheNewImage)
{
    // A child saves in a tight loop, flipping the file between two images,
    // and is killed at a random moment. The file must always be exactly one
    // of them; a temporary file left by a kill is hidden and is no universe.
    // Written in place, a file of at most a page (4096 bytes) is safe from a
    // kill; one of two pages was torn by 1 kill in 25 on tmpfs.
    std::mt19937 chance(20261208);
    const struct {
        bool WritableFolder;
        int Size; // 0: a real file
        int Kills;
    } rows[] = {{true, 0, 100}, {false, 0, 100}, {false, 4096, 200}};
    for (const auto [writableFolder, size, kills] : rows) {
        SCOPED_TRACE((writableFolder ? "writable folder, size " : "folder not writable, size ") +
                     std::to_string(size));
        // A page written on tmpfs, where no sync takes time, is the likeliest
        // to be hit by a kill.
        TReadOnlyFolder folder(Large, size > 0 && QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                          ? QStringLiteral("/dev/shm")
                                          : QDir::tempPath());
        const QString path = folder.File;
        if (size > 0)
            WriteBytes(path, QByteArray(size, 'a'));
        const QByteArray a = ReadBytes(path), b = size > 0 ? QByteArray(size, 'b') : Changed(a);
        int leftovers = 0;
        QElapsedTimer timer;
        timer.start();
        for (int kill = 0; kill < kills && !timer.hasExpired(5000); ++kill) {
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
            for (const QString &name : Entries(folder.Folder.path())) {
                if (name == QStringLiteral("u.xy"))
                    continue;
                EXPECT_TRUE(name.startsWith(u'.') && !name.endsWith(QStringLiteral(".xy"))) << name.toStdString();
                QFile::remove(folder.Folder.filePath(name));
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
    const auto none = [](TScratch &, const QString &) {};
    const auto copyThen = [](auto Setup) {
        return [Setup](TScratch &s) {
            const QString p = s.CopyReal(Large);
            return Setup(p, s.Dir()) ? p : QString();
        };
    };
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
        // Rows whose Prepare returns no path cannot be set up here.
        {"a folder whose default ACL lets nobody write",
         copyThen([](const QString &, const QString &d) { return SetAttribute(d, DefaultAcl, NobodyWrites); }),
         false, none},
        {"a file with its own ACL and a user attribute, in such a folder",
         copyThen([](const QString &p, const QString &d) {
             return SetAttribute(d, DefaultAcl, NobodyWrites) && SetAttribute(p, AccessAcl, NobodyReads) &&
                    SetAttribute(p, "user.zorvane", "kept");
         }),
         false, none},
        {"a file with the flags d, A and S",
         copyThen([](const QString &p, const QString &) {
             return Flags(p, Flags(p) | FS_NODUMP_FL | FS_NOATIME_FL | FS_SYNC_FL) > 0;
         }),
         false, none},
        {"an append-only folder",
         copyThen([](const QString &, const QString &d) { return Flags(d, Flags(d) | FS_APPEND_FL) > 0; }), false,
         none},
        {"its owner's group-executable set-group-id file, in a folder he cannot write",
         copyThen([](const QString &p, const QString &d) {
             return ::chown(Native(p).constData(), Nobody, Nobody) == 0 && ::chmod(Native(p).constData(), 02750) == 0 &&
                    ::chmod(Native(d).constData(), 0755) == 0;
         }),
         true, none},
    };
    QStringList notHere;
    for (const TRow &row : rows) {
        SCOPED_TRACE(row.What);
        TScratch scratch;
        const QString path = row.Prepare(scratch);
        if (path.isEmpty()) {
            notHere << row.What;
            Flags(scratch.Dir(), 0);
            continue;
        }
        const QStringList entries = Entries(scratch.Dir());
        const std::string before = LookAt(path);
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
        EXPECT_EQ(LookAt(path), before) << "owner, group, mode, links, flags, attributes and ACLs stay";
        ::chmod(Native(scratch.Dir()).constData(), 0755);
        Flags(scratch.Dir(), 0);
    }
    if (!notHere.isEmpty())
        GTEST_SKIP() << "this file system or user cannot set up: " << notHere.join("; ").toStdString();
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
    const QString changedMessage = MessageOf([&] { universe.SaveToFile(path, false); });

    // A file grown on disk is refused, never cut back.
    const QByteArray grown = original + QByteArray(1, '\0');
    WriteBytes(path, grown);
    EXPECT_EQ(MessageOf([&] { WriteGameFile(path, original, theirs); }), changedMessage);
    EXPECT_TRUE(ReadBytes(path) == grown);

    // Another program holds a lock on the file (another save of this
    // program, a classic fcntl lock, a read lock): refused at once, nothing
    // written, the holder named where the system tells it.
    WriteBytes(path, original);
    QByteArray mine = original;
    mine[0] = char(mine[0] ^ 1);
    const std::pair<int, short> locks[] = {{F_OFD_SETLK, F_WRLCK}, {F_SETLK, F_WRLCK}, {F_SETLK, F_RDLCK}};
    for (const auto &[command, type] : locks) {
        const TLockHolder holder(path, 60000, command, type);
        const QString held = command == F_OFD_SETLK
                                 ? QStringLiteral("Another program holds a lock on the file \"%1\"").arg(path)
                                 : QStringLiteral("Another program (process %1) holds a lock on the file \"%2\"")
                                       .arg(holder.Pid())
                                       .arg(path);
        EXPECT_EQ(MessageOf([&] { WriteGameFile(path, original, mine); }),
                  held + QStringLiteral("; nothing was written. Close that program and try again"));
        EXPECT_TRUE(ReadBytes(path) == original);
    }

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

TEST(GameFile, APictureOrCopyNeverWritesThroughTheNameNorLeavesAPart)
{
    TScratch scratch;
    const QString game = scratch.CopyReal(Large, QStringLiteral("game.xy"));
    const QByteArray original = ReadBytes(game), picture(300000, 'p');
    const QString other = scratch.Path("other.png");
    WriteBytes(other, QByteArray(600, 'o'));
    ::chmod(Native(other).constData(), 0640);
    QFile::link(game, scratch.Path("link.png"));
    ::mkfifo(Native(scratch.Path("pipe.png")).constData(), 0600);
    QDir(scratch.Dir()).mkdir(QStringLiteral("folder.png"));
    ::link(Native(game).constData(), Native(scratch.Path("hard.png")).constData());
    const bool device = ::mknod(Native(scratch.Path("null.png")).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, Native(scratch.Path("socket.png")).constData());
    ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    const QString refused = QStringLiteral("; choose another name");
    const std::pair<const char *, QString> rows[] = {
        {"link.png", "it is a symbolic link" + refused},
        {"pipe.png", "it is a FIFO (a named pipe)" + refused},
        {"folder.png", "it is a folder" + refused},
        {"null.png", device ? "it is a device" + refused : QString()},
        {"socket.png", "it is a socket" + refused},
        {"game.xy", "it is the open universe file" + refused},
        {"hard.png", "it is the open universe file" + refused},
        {"other.png", QString()}, // the player agreed to replace it
        {"new.png", QString()},
    };
    ::umask(022);
    for (const auto &[name, cause] : rows) {
        SCOPED_TRACE(name);
        const QString path = scratch.Path(QLatin1String(name));
        const QStringList before = Entries(scratch.Dir());
        EXPECT_EQ(MessageOf([&] { WriteNewFile(path, picture, game); }),
                  cause.isEmpty() ? QStringLiteral("<no failure>")
                                  : QStringLiteral("Cannot write file \"%1\": %2").arg(path, cause));
        EXPECT_TRUE(ReadBytes(game) == original) << "the game file is never touched";
        if (cause.isEmpty() && (name != std::string("null.png"))) {
            EXPECT_TRUE(ReadBytes(path) == picture);
            EXPECT_EQ(StatOf(path).st_mode & 07777, name == std::string("new.png") ? 0644u : 0640u);
        } else {
            EXPECT_EQ(Entries(scratch.Dir()), before) << "nothing made, nothing left";
        }
    }
    ::close(socket);

    // A full disk, a file size limit, a folder the user cannot write: the
    // system's reason, no partial file, an existing file as it was.
    const QString full = scratch.Path("full");
    QDir(scratch.Dir()).mkdir(QStringLiteral("full"));
    const bool mounted = ::mount("tmpfs", Native(full).constData(), "tmpfs", 0, "size=128k") == 0;
    TReadOnlyFolder locked(Large);
    struct TLimit {
        QString Folder;
        rlim_t Limit;
        const char *Cause;
    } limits[] = {
        {full, RLIM_INFINITY, "No space left on device"},
        {scratch.Dir(), 100000, "File too large"},
        {locked.Folder.path(), RLIM_INFINITY, "Permission denied"},
    };
    for (const TLimit &row : limits) {
        SCOPED_TRACE(row.Cause);
        if (row.Folder == full && !mounted)
            continue;
        const QString target = row.Folder + QStringLiteral("/copy.png");
        WriteBytes(target, QByteArray(600, 'c'));
        const QStringList before = Entries(row.Folder);
        const QString said = InChild([&] {
            struct rlimit limit {row.Limit, row.Limit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            if (row.Folder == locked.Folder.path())
                locked.Enter();
            WriteNewFile(target, picture, game);
            return QStringLiteral("saved");
        });
        EXPECT_EQ(said, QStringLiteral("Cannot write file \"%1\": %2").arg(target, QLatin1String(row.Cause)));
        EXPECT_TRUE(ReadBytes(target) == QByteArray(600, 'c'));
        EXPECT_EQ(Entries(row.Folder), before);
    }
    if (mounted)
        ::umount(Native(full).constData());
    if (!mounted || !device)
        GTEST_SKIP() << "not root: no full file system or device to try";
}

TEST(GameFile, SaveDialogsStartWhereThePlayerCanWrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a folder root cannot write needs another user";
    TReadOnlyFolder installed(Large); // the demo in a system folder
    TScratch home;
    ::chown(Native(home.Dir()).constData(), Nobody, Nobody);
    const QString documents = home.Path(QStringLiteral("Documents"));
    const std::tuple<QString, bool, QString> rows[] = {
        {home.Path("u.xy"), true, home.Dir()}, // beside the universe
        {installed.File, true, documents},
        {installed.File, false, home.Dir()},
        {QString(), false, home.Dir()},
    };
    for (const auto &[universe, hasDocuments, expected] : rows) {
        SCOPED_TRACE(expected.toStdString());
        hasDocuments ? void(QDir(home.Dir()).mkdir(QStringLiteral("Documents"))) : void(QDir(documents).removeRecursively());
        EXPECT_EQ(InChild([&] {
                      qputenv("HOME", home.Dir().toUtf8());
                      qunsetenv("XDG_CONFIG_HOME");
                      installed.Enter();
                      return WritableFolderFor(universe);
                  }),
                  expected);
    }
}

} // namespace
