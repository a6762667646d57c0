#include "gamefile.h"

#include "messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>

#ifdef Q_OS_UNIX

#include "fileattributes.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Written with the system's own calls rather than QSaveFile: the save must
// check every write, flush and sync itself (QSaveFile::commit() ignores the
// error of its final flush on the Qt this program is built with), compare
// the file with what was read through the very descriptor it writes and
// locks, and decide between replacing and writing in place from the file's
// owner, links, mode, attributes and flags, none of which QSaveFile exposes.
// Elsewhere gamefileportable.cpp saves with Qt's portable file access.
namespace {

[[noreturn]] void CannotWrite(const QString &FileName, const QString &Cause)
{
    throw EZorvane(TMsg::CannotWriteFile, {FileName, Cause});
}

[[noreturn]] void Changed(const QString &FileName) { throw EZorvane(TMsg::FileChanged, {FileName}); }

QString SystemText(int Error) { return QString::fromLocal8Bit(std::strerror(Error)); }

// A descriptor closed when it goes out of scope; Close() reports the error.
class TDescriptor {
public:
    explicit TDescriptor(int Fd = -1) : FFd(Fd) {}
    TDescriptor(const TDescriptor &) = delete;
    TDescriptor &operator=(const TDescriptor &) = delete;
    ~TDescriptor()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    int Get() const { return FFd; }
    void Reset(int Fd)
    {
        if (FFd >= 0)
            ::close(FFd);
        FFd = Fd;
    }
    // 0, or the error of close().
    int Close()
    {
        const int fd = FFd;
        FFd = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int FFd;
};

QByteArray Encoded(const QString &FileName) { return QFile::encodeName(FileName); }

// Opens an existing file for reading and writing without blocking (a FIFO
// would block an ordinary open) and checks the descriptor, not the name: only
// an ordinary file is accepted. Failures are thrown as Failure.
int OpenRegular(const QString &FileName, TMsg Failure, struct stat &Info, int Access = O_RDWR)
{
    if (FileName.isEmpty())
        throw EZorvane(Failure, {FileName, QStringLiteral("No file name given")});
    int fd;
    do
        fd = ::open(Encoded(FileName).constData(), Access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw EZorvane(Failure, {FileName, SystemText(errno)});
    if (::fstat(fd, &Info) != 0) {
        const int error = errno;
        ::close(fd);
        throw EZorvane(Failure, {FileName, SystemText(error)});
    }
    if (!S_ISREG(Info.st_mode)) {
        ::close(fd);
        throw EZorvane(Failure, {FileName, QStringLiteral("Not a regular file")});
    }
    return fd;
}

// Up to Limit bytes from the start of the file; 0 or the error.
int ReadFrom(int Fd, qint64 Limit, QByteArray &Bytes)
{
    Bytes.resize(static_cast<qsizetype>(Limit));
    qint64 done = 0;
    while (done < Limit) {
        const ssize_t n = ::pread(Fd, Bytes.data() + done, static_cast<size_t>(Limit - done), done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
        done += n;
    }
    Bytes.resize(static_cast<qsizetype>(done));
    return 0;
}

// Writes Bytes at offset 0; 0, or the error together with how many bytes
// went to the file before it.
int WriteAt0(int Fd, const QByteArray &Bytes, qint64 &Done)
{
    Done = 0;
    while (Done < Bytes.size()) {
        const ssize_t n = ::pwrite(Fd, Bytes.constData() + Done, static_cast<size_t>(Bytes.size() - Done), Done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        Done += n;
    }
    return 0;
}

int Sync(int Fd)
{
    while (::fsync(Fd) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

// Takes the write lock without waiting: another save of this program, or
// any program holding a lock on the file, makes it throw ELocked, and the
// caller tries again later (a wait here would freeze the window for as long
// as the other program likes). A file system without such locks is written
// without one.
void Lock(const QString &FileName, int Fd)
{
#ifdef F_OFD_SETLK
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET; // start and length 0: the whole file
    int result;
    while ((result = ::fcntl(Fd, F_OFD_SETLK, &lock)) != 0 && errno == EINTR) {
    }
    if (result == 0 || (errno != EAGAIN && errno != EACCES))
        return;
    // Who holds it: a classic lock names its process, an open-file-
    // description lock gives -1.
    struct flock holder {};
    holder.l_type = F_WRLCK;
    holder.l_whence = SEEK_SET;
    const long long pid = ::fcntl(Fd, F_GETLK, &holder) == 0 && holder.l_type != F_UNLCK ? holder.l_pid : 0;
    throw ELocked(FileName, pid > 0 ? pid : 0);
#else
    Q_UNUSED(FileName);
    Q_UNUSED(Fd);
#endif
}

// Throws unless the name still leads to the open file and the file, read
// whole through the descriptor, holds exactly Expected.
void CheckUnchanged(const QString &FileName, int Fd, const struct stat &Info, const QByteArray &Expected)
{
    struct stat named {};
    if (::stat(Encoded(FileName).constData(), &named) != 0 || named.st_dev != Info.st_dev ||
        named.st_ino != Info.st_ino || named.st_size != Expected.size())
        Changed(FileName);
    QByteArray current;
    if (const int error = ReadFrom(Fd, Expected.size() + 1, current))
        CannotWrite(FileName, SystemText(error));
    if (current != Expected)
        Changed(FileName);
}

// A file size limit would cut a write of Size bytes short: refused before
// anything is created or written.
void CheckSizeLimit(const QString &FileName, qint64 Size)
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(Size) > limit.rlim_cur)
        CannotWrite(FileName, SystemText(EFBIG));
}

// What replacing the file needs: where it is, and what the new file must
// get besides the bytes.
struct TPlace {
    QByteArray Target; // the file itself, a symbolic link resolved
    QByteArray Folder;
    TDescriptor Dir;
    TAttributes Attributes;
    int Flags = 0;
};

// Whether the file can be replaced by a new one without a visible
// difference, as far as that can be known before anything is created.
bool MayReplace(const QString &FileName, int Fd, const struct stat &Info, TPlace &Place)
{
    if (Info.st_nlink != 1)
        return false;
    Place.Flags = InodeFlags(Fd);
    if (!OnlyOrdinaryFlags(Place.Flags) || !ReadAttributes(Fd, Place.Attributes) ||
        !MayGiveOwnerAndAttributes(Info, Place.Attributes))
        return false;
    char *resolved = ::realpath(Encoded(FileName).constData(), nullptr);
    if (!resolved)
        return false;
    Place.Target = resolved;
    std::free(resolved);
    const qsizetype slash = Place.Target.lastIndexOf('/');
    Place.Folder = slash > 0 ? Place.Target.left(slash) : QByteArray("/");
    // A folder we may not write, or an append-only or immutable one, refuses
    // the rename (and the removal of a temporary file).
    Place.Dir.Reset(::open(Place.Folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return Place.Dir.Get() >= 0 && !FolderRefusesRename(Place.Dir.Get()) &&
           ::faccessat(Place.Dir.Get(), ".", W_OK | X_OK, AT_EACCESS) == 0;
}

// The new file beside the old one; removed again unless Keep() was called.
class TTemporary {
public:
    explicit TTemporary(const QByteArray &Folder)
        : FName(Folder + "/.zorvane-XXXXXX"), FFd(::mkostemp(FName.data(), O_CLOEXEC))
    {
    }
    TTemporary(const TTemporary &) = delete;
    TTemporary &operator=(const TTemporary &) = delete;
    ~TTemporary()
    {
        if (Created() && !FKept)
            ::unlink(FName.constData());
    }
    bool Created() const { return FCreated; }
    int Fd() const { return FFd.Get(); }
    int Close() { return FFd.Close(); }
    const char *Name() const { return FName.constData(); }
    void Keep() { FKept = true; }

private:
    QByteArray FName;
    TDescriptor FFd;
    bool FCreated = FFd.Get() >= 0;
    bool FKept = false;
};

// Replaces the file behind the locked descriptor Fd (whose state is Info) by
// a new file holding Image. False, with nothing changed, when the new file
// would differ in anything but its bytes and inode, or the system refuses
// the rename: then the caller writes in place. Throws for a failure that
// leaves no other way.
bool Replace(const QString &FileName, int Fd, const struct stat &Info, const QByteArray &Expected,
             const QByteArray &Image, const TPlace &Place)
{
    TTemporary temporary(Place.Folder);
    if (!temporary.Created())
        return false;
    const int fd = temporary.Fd();
    // Owner and group first: changing them later would clear the mode's
    // set-id bits.
    if (::fchown(fd, Info.st_uid, Info.st_gid) != 0)
        return false;
    qint64 done = 0;
    if (const int error = WriteAt0(fd, Image, done))
        CannotWrite(FileName, SystemText(error));
    // Then the old file's attributes exactly (a default ACL of the folder
    // gave the new file one of its own), and the mode last, since a write by
    // anyone but root clears the set-id bits.
    TAttributes given;
    struct stat made {};
    if (!GiveAttributes(fd, Place.Attributes) || ::fchmod(fd, Info.st_mode & 07777) != 0 ||
        ::fstat(fd, &made) != 0 || made.st_uid != Info.st_uid || made.st_gid != Info.st_gid ||
        (made.st_mode & 07777) != (Info.st_mode & 07777) || InodeFlags(fd) != Place.Flags ||
        !ReadAttributes(fd, given) || given != Place.Attributes)
        return false;
    if (const int error = Sync(fd))
        CannotWrite(FileName, SystemText(error));
    if (const int error = temporary.Close())
        CannotWrite(FileName, SystemText(error));
    // The last look. Another save of this program waits for the lock; only a
    // program that ignores it can still write between here and the rename.
    CheckUnchanged(FileName, Fd, Info, Expected);
    if (::rename(temporary.Name(), Place.Target.constData()) != 0)
        return false; // a file mounted over the name, another file system...
    temporary.Keep();
    // The rename itself reaches the disk with the folder. The file is
    // already replaced, so a failure here is not reported as one.
    (void)Sync(Place.Dir.Get());
    return true;
}

// After a failure at Cause, with Done bytes of Image written to the file:
// puts the old bytes back and reports Cause. Where they cannot be put back,
// the file is left holding one whole image, and EWrittenWithError says when
// that is the new one.
[[noreturn]] void PutBack(const QString &FileName, int Fd, const QByteArray &Expected, const QByteArray &Image,
                          qint64 Done, int Cause)
{
    const QString cause = SystemText(Cause);
    qint64 written = 0;
    if (WriteAt0(Fd, Expected.left(Done), written) == 0 && Sync(Fd) == 0)
        CannotWrite(FileName, cause);
    QByteArray now;
    if (ReadFrom(Fd, Image.size() + 1, now) == 0 && now == Expected)
        CannotWrite(FileName, cause);
    if (now != Image && WriteAt0(Fd, Image, written) == 0)
        (void)ReadFrom(Fd, Image.size() + 1, now);
    if (now == Image)
        throw EWrittenWithError(FileName, cause);
    CannotWrite(FileName, cause);
}

TWriteNote WriteInPlace(const QString &FileName, TDescriptor &Fd, const struct stat &Info,
                        const QByteArray &Expected, const QByteArray &Image)
{
    // close() may fail too (a network file system writes back then): a
    // second descriptor keeps the file, and its lock, to put the old bytes
    // back with.
    TDescriptor spare(::fcntl(Fd.Get(), F_DUPFD_CLOEXEC, 0));
    if (spare.Get() < 0)
        CannotWrite(FileName, SystemText(errno));
    CheckUnchanged(FileName, Fd.Get(), Info, Expected);
    qint64 done = 0;
    int error = WriteAt0(Fd.Get(), Image, done);
    TWriteNote note = TWriteNote::None;
    if (!error) {
        // The write cleared the set-id bits for anyone but root; the owner
        // may set them again (nobody else could), except set-group-id where
        // the owner is not in the file's group: the system drops that bit
        // without an error, and the player is told.
        struct stat now {};
        if (::fstat(Fd.Get(), &now) == 0 && now.st_mode != Info.st_mode) {
            (void)::fchmod(Fd.Get(), Info.st_mode & 07777);
            if (::fstat(Fd.Get(), &now) == 0 && (Info.st_mode & 06000 & ~now.st_mode) != 0)
                note = TWriteNote::SetIdCleared;
        }
        error = Sync(Fd.Get());
    }
    if (error)
        PutBack(FileName, Fd.Get(), Expected, Image, done, error);
    if (const int closeError = Fd.Close())
        PutBack(FileName, spare.Get(), Expected, Image, Image.size(), closeError);
    return note;
}

// What the name leads to, when it is nothing a picture or a copy may
// replace; empty for an ordinary file.
QString RefusedKind(mode_t Mode)
{
    if (S_ISLNK(Mode))
        return QStringLiteral("it is a symbolic link; choose another name");
    if (S_ISFIFO(Mode))
        return QStringLiteral("it is a FIFO (a named pipe); choose another name");
    if (S_ISCHR(Mode) || S_ISBLK(Mode))
        return QStringLiteral("it is a device; choose another name");
    if (S_ISSOCK(Mode))
        return QStringLiteral("it is a socket; choose another name");
    if (S_ISDIR(Mode))
        return QStringLiteral("it is a folder; choose another name");
    if (!S_ISREG(Mode))
        return QStringLiteral("it is no ordinary file; choose another name");
    return {};
}

bool SameFile(const struct stat &A, const struct stat &B) { return A.st_dev == B.st_dev && A.st_ino == B.st_ino; }

} // namespace

void IgnoreFileSizeSignal()
{
    struct sigaction action {};
    if (::sigaction(SIGXFSZ, nullptr, &action) == 0 && !(action.sa_flags & SA_SIGINFO) &&
        action.sa_handler == SIG_DFL)
        ::signal(SIGXFSZ, SIG_IGN);
}

void WriteNewFile(const QString &FileName, const QByteArray &Bytes, const QString &Protected)
{
    IgnoreFileSizeSignal();
    if (FileName.isEmpty())
        CannotWrite(FileName, QStringLiteral("No file name given"));
    const QByteArray name = Encoded(QFileInfo(FileName).absoluteFilePath());
    struct stat old {};
    const bool existed = ::lstat(name.constData(), &old) == 0;
    if (!existed && errno != ENOENT)
        CannotWrite(FileName, SystemText(errno));
    if (existed) {
        if (const QString kind = RefusedKind(old.st_mode); !kind.isEmpty())
            CannotWrite(FileName, kind);
        struct stat open {};
        if (!Protected.isEmpty() && ::stat(Encoded(Protected).constData(), &open) == 0 && SameFile(old, open))
            CannotWrite(FileName, QStringLiteral("it is the open universe file; choose another name"));
    }
    CheckSizeLimit(FileName, Bytes.size());
    const qsizetype slash = name.lastIndexOf('/');
    TTemporary temporary(slash > 0 ? name.left(slash) : QByteArray("/"));
    if (!temporary.Created())
        CannotWrite(FileName, SystemText(errno));
    // A new file gets the mode any new file of the user gets; a replaced one
    // keeps its own. The mask can only be read by setting it; the program
    // creates files on this one thread only.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(temporary.Fd(), existed ? (old.st_mode & 07777) : (0666 & ~mask)) != 0)
        CannotWrite(FileName, SystemText(errno));
    qint64 done = 0;
    if (const int error = WriteAt0(temporary.Fd(), Bytes, done))
        CannotWrite(FileName, SystemText(error));
    if (const int error = Sync(temporary.Fd()))
        CannotWrite(FileName, SystemText(error));
    if (const int error = temporary.Close())
        CannotWrite(FileName, SystemText(error));
    // The name must still lead where it did when it was looked at: nothing
    // where there was nothing (the rename then refuses to replace anything
    // that came meanwhile), or the same ordinary file.
    struct stat now {};
    const bool exists = ::lstat(name.constData(), &now) == 0;
    if (exists != existed || (exists && !SameFile(now, old)))
        Changed(FileName);
    int renamed = existed ? ::rename(temporary.Name(), name.constData())
                          : ::renameat2(AT_FDCWD, temporary.Name(), AT_FDCWD, name.constData(), RENAME_NOREPLACE);
    if (renamed != 0 && !existed && (errno == EINVAL || errno == ENOSYS)) // no such rename on this file system
        renamed = ::rename(temporary.Name(), name.constData());
    if (renamed != 0 && errno == EEXIST)
        Changed(FileName); // a file came under the name meanwhile
    if (renamed != 0)
        CannotWrite(FileName, SystemText(errno));
    temporary.Keep();
    TDescriptor folder(::open(slash > 0 ? name.left(slash).constData() : "/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0)
        (void)Sync(folder.Get());
}

QString WritableFolderFor(const QString &FileName)
{
    if (!FileName.isEmpty()) {
        const QString folder = QFileInfo(FileName).absolutePath();
        if (::access(Encoded(folder).constData(), W_OK | X_OK) == 0)
            return folder;
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

QByteArray ReadGameFile(const QString &FileName, qint64 MaxSize)
{
    struct stat info {};
    TDescriptor fd(OpenRegular(FileName, TMsg::CannotOpenFile, info));
    QByteArray bytes;
    if (const int error = ReadFrom(fd.Get(), MaxSize + 1, bytes))
        throw EZorvane(TMsg::CannotOpenFile, {FileName, SystemText(error)});
    return bytes;
}

QByteArray ReadGameFileToView(const QString &FileName, qint64 MaxSize)
{
    struct stat info {};
    TDescriptor fd(OpenRegular(FileName, TMsg::CannotOpenFile, info, O_RDONLY));
    QByteArray bytes;
    if (const int error = ReadFrom(fd.Get(), MaxSize + 1, bytes))
        throw EZorvane(TMsg::CannotOpenFile, {FileName, SystemText(error)});
    return bytes;
}

QString WriteRefusal(const QString &FileName)
{
    int fd;
    do
        fd = ::open(Encoded(FileName).constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return SystemText(errno);
    ::close(fd);
    return {};
}

TWriteNote WriteGameFile(const QString &FileName, const QByteArray &Expected, const QByteArray &Image)
{
    if (Image.size() != Expected.size())
        CannotWrite(FileName, QStringLiteral("The new contents do not have the file's length"));
    IgnoreFileSizeSignal();
    struct stat info {};
    TDescriptor fd(OpenRegular(FileName, TMsg::CannotWriteFile, info));
    Lock(FileName, fd.Get());
    CheckUnchanged(FileName, fd.Get(), info, Expected);
    if (Image == Expected)
        return TWriteNote::None;
    CheckSizeLimit(FileName, Image.size());
    TPlace place;
    if (MayReplace(FileName, fd.Get(), info, place) && Replace(FileName, fd.Get(), info, Expected, Image, place))
        return TWriteNote::None;
    return WriteInPlace(FileName, fd, info, Expected, Image);
}

#endif
