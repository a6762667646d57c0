#include "gamefile.h"

#include "messages.h"

#include <QFile>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/xattr.h>
#endif
#endif

namespace {

[[noreturn]] void CannotWrite(const QString &FileName, const QString &Cause)
{
    throw EZorvane(TMsg::CannotWriteFile, {FileName, Cause});
}

[[noreturn]] void Changed(const QString &FileName) { throw EZorvane(TMsg::FileChanged, {FileName}); }

} // namespace

#ifdef Q_OS_UNIX

// Written with the system's own calls rather than QSaveFile: the save must
// check every write, flush and sync itself (QSaveFile::commit() ignores the
// error of its final flush on the Qt this program is built with), compare
// the file with what was read through the very descriptor it writes, and
// decide between replacing and writing in place from the file's owner, links
// and mode, none of which QSaveFile exposes.
namespace {

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
int OpenRegular(const QString &FileName, TMsg Failure, struct stat &Info)
{
    if (FileName.isEmpty())
        throw EZorvane(Failure, {FileName, QStringLiteral("No file name given")});
    int fd;
    do
        fd = ::open(Encoded(FileName).constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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

// Extended attributes (an access control list, for one) do not pass to a
// new file. The security label that every file of the folder gets alike
// does not count.
bool HasOwnAttributes(int Fd)
{
#ifdef Q_OS_LINUX
    char names[1024];
    const ssize_t size = ::flistxattr(Fd, names, sizeof names);
    if (size < 0)
        return errno == ERANGE; // too many to list: certainly some
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names + at)) + 1)
        if (std::strcmp(names + at, "security.selinux") != 0)
            return true;
#else
    Q_UNUSED(Fd);
#endif
    return false;
}

// The new file beside the old one; removed again unless Keep() was called.
class TTemporary {
public:
    explicit TTemporary(const QByteArray &Folder)
        : FName(Folder + "/.zorvane-XXXXXX"), FFd(::mkostemp(FName.data(), O_CLOEXEC)), FError(errno)
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
    int Error() const { return FError; } // why it was not created
    int Fd() const { return FFd.Get(); }
    int Close() { return FFd.Close(); }
    const char *Name() const { return FName.constData(); }
    void Keep() { FKept = true; }

private:
    QByteArray FName;
    TDescriptor FFd;
    int FError;
    bool FCreated = FFd.Get() >= 0;
    bool FKept = false;
};

// Replaces the file behind the descriptor Fd (whose state is Info) by a new
// file holding Image, when the replacement is invisible. False, with nothing
// changed, when it is not: then the caller writes in place. Throws for a
// failure that leaves no other way.
bool Replace(const QString &FileName, int Fd, const struct stat &Info, const QByteArray &Image)
{
    if (Info.st_nlink != 1 || HasOwnAttributes(Fd))
        return false;
    // The file itself, not a link to it: the link must stay a link.
    char *resolved = ::realpath(Encoded(FileName).constData(), nullptr);
    if (!resolved)
        return false;
    const QByteArray target(resolved);
    std::free(resolved);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target.left(slash) : QByteArray("/");

    TTemporary temporary(folder);
    if (!temporary.Created()) {
        const int error = temporary.Error();
        if (error == EACCES || error == EPERM || error == EROFS)
            return false; // the folder is not writable
        CannotWrite(FileName, SystemText(error));
    }
    // Owner and group first: changing them later would clear the mode's
    // set-id bits. Bits that cannot be given exactly mean writing in place.
    if (::fchown(temporary.Fd(), Info.st_uid, Info.st_gid) != 0)
        return false;
    qint64 done = 0;
    if (const int error = WriteAt0(temporary.Fd(), Image, done))
        CannotWrite(FileName, SystemText(error));
    if (const int error = Sync(temporary.Fd()))
        CannotWrite(FileName, SystemText(error));
    // The mode last, since a write by anyone but root clears the set-id bits.
    struct stat made {};
    if (::fchmod(temporary.Fd(), Info.st_mode & 07777) != 0 || ::fstat(temporary.Fd(), &made) != 0 ||
        made.st_uid != Info.st_uid || made.st_gid != Info.st_gid ||
        (made.st_mode & 07777) != (Info.st_mode & 07777))
        return false;
    if (const int error = temporary.Close())
        CannotWrite(FileName, SystemText(error));

    // The name must still lead to the file that was compared.
    struct stat now {};
    if (::lstat(target.constData(), &now) != 0 || now.st_dev != Info.st_dev || now.st_ino != Info.st_ino)
        Changed(FileName);
    if (::rename(temporary.Name(), target.constData()) != 0) {
        if (errno == EACCES || errno == EPERM)
            return false; // a sticky folder and another user's file
        CannotWrite(FileName, SystemText(errno));
    }
    temporary.Keep();
    // The rename itself reaches the disk with the folder. The file is
    // already replaced, so a failure here is not reported as one.
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

void WriteInPlace(const QString &FileName, TDescriptor &Fd, const QByteArray &Expected, const QByteArray &Image)
{
    // A file size limit would cut the write short: refuse before writing.
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(Image.size()) > limit.rlim_cur)
        CannotWrite(FileName, SystemText(EFBIG));

    qint64 done = 0;
    int error = WriteAt0(Fd.Get(), Image, done);
    if (!error)
        error = Sync(Fd.Get());
    if (error) {
        // Put back what the write changed, as far as the system lets us.
        qint64 restored = 0;
        if (WriteAt0(Fd.Get(), done < Image.size() ? Expected.left(done) : Expected, restored) == 0)
            (void)Sync(Fd.Get());
        CannotWrite(FileName, SystemText(error));
    }
    if (const int closeError = Fd.Close())
        CannotWrite(FileName, SystemText(closeError));
}

} // namespace

QByteArray ReadGameFile(const QString &FileName, qint64 MaxSize)
{
    struct stat info {};
    TDescriptor fd(OpenRegular(FileName, TMsg::CannotOpenFile, info));
    QByteArray bytes;
    if (const int error = ReadFrom(fd.Get(), MaxSize + 1, bytes))
        throw EZorvane(TMsg::CannotOpenFile, {FileName, SystemText(error)});
    return bytes;
}

void WriteGameFile(const QString &FileName, const QByteArray &Expected, const QByteArray &Image)
{
    if (Image.size() != Expected.size())
        CannotWrite(FileName, QStringLiteral("The new contents do not have the file's length"));
    struct stat info {};
    TDescriptor fd(OpenRegular(FileName, TMsg::CannotWriteFile, info));
    QByteArray current;
    if (const int error = ReadFrom(fd.Get(), Expected.size() + 1, current))
        CannotWrite(FileName, SystemText(error));
    if (current != Expected)
        Changed(FileName);
    if (Image == Expected)
        return;
    if (Replace(FileName, fd.Get(), info, Image))
        return;
    WriteInPlace(FileName, fd, Expected, Image);
}

#else

// Elsewhere only Qt's portable file access: the file is always written in
// place, with every step checked.
QByteArray ReadGameFile(const QString &FileName, qint64 MaxSize)
{
    if (FileName.isEmpty())
        throw EZorvane(TMsg::CannotOpenFile, {FileName, QStringLiteral("No file name given")});
    QFile file(FileName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        throw EZorvane(TMsg::CannotOpenFile, {FileName, file.errorString()});
    if (file.isSequential())
        throw EZorvane(TMsg::CannotOpenFile, {FileName, QStringLiteral("Not a regular file")});
    QByteArray bytes = file.read(MaxSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw EZorvane(TMsg::CannotOpenFile, {FileName, file.errorString()});
    return bytes;
}

void WriteGameFile(const QString &FileName, const QByteArray &Expected, const QByteArray &Image)
{
    if (Image.size() != Expected.size())
        CannotWrite(FileName, QStringLiteral("The new contents do not have the file's length"));
    QFile file(FileName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) || file.isSequential())
        CannotWrite(FileName, file.errorString());
    const QByteArray current = file.read(Expected.size() + 1);
    if (file.error() != QFileDevice::NoError)
        CannotWrite(FileName, file.errorString());
    if (current != Expected)
        Changed(FileName);
    if (Image == Expected)
        return;
    if (!file.seek(0) || file.write(Image) != Image.size() || !file.flush()) {
        const QString cause = file.errorString();
        if (file.seek(0))
            file.write(Expected);
        file.flush();
        CannotWrite(FileName, cause);
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        CannotWrite(FileName, file.errorString());
}

#endif
