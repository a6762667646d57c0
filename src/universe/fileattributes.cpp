// The attributes and inode flags of a file, written with the system's own
// calls: Qt reaches neither extended attributes nor inode flags.
#include <QtGlobal>

#ifdef Q_OS_UNIX

#include "fileattributes.h"

#include <QList>
#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <vector>
#ifdef Q_OS_LINUX
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#endif

namespace {

// Asks Get for the size, then for the bytes, again while they grow; false
// with errno set on failure.
template <class TGet> bool FetchAll(QByteArray &Out, TGet Get)
{
    for (;;) {
        const ssize_t size = Get(nullptr, 0);
        if (size < 0)
            return false;
        Out.resize(static_cast<qsizetype>(size));
        const ssize_t got = size == 0 ? 0 : Get(Out.data(), static_cast<size_t>(size));
        if (got >= 0) {
            Out.resize(static_cast<qsizetype>(got));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

#ifdef Q_OS_LINUX
// How the file system keeps the data; no new file can tell the difference.
constexpr int OrdinaryFlags = FS_EXTENT_FL | FS_HUGE_FILE_FL | FS_INLINE_DATA_FL;
constexpr int FolderRefusesRenameFlags = FS_APPEND_FL | FS_IMMUTABLE_FL;
#else
constexpr int OrdinaryFlags = 0;
constexpr int FolderRefusesRenameFlags = 0;
#endif

// Whether Group is the process's effective group or one of its others.
bool InGroup(gid_t Group)
{
    if (::getegid() == Group)
        return true;
    std::vector<gid_t> groups(static_cast<size_t>(std::max(::getgroups(0, nullptr), 0)));
    groups.resize(static_cast<size_t>(std::max(::getgroups(int(groups.size()), groups.data()), 0)));
    return std::find(groups.begin(), groups.end(), Group) != groups.end();
}

} // namespace

bool ReadAttributes(int Fd, TAttributes &Attributes)
{
    Attributes.clear();
#ifdef Q_OS_LINUX
    QByteArray names;
    if (!FetchAll(names, [Fd](char *To, size_t Size) { return ::flistxattr(Fd, To, Size); }))
        return errno == ENOTSUP; // a file system without them
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty() || name == "security.selinux")
            continue;
        if (!FetchAll(Attributes[name],
                      [&](char *To, size_t Size) { return ::fgetxattr(Fd, name.constData(), To, Size); }))
            return false;
    }
#else
    Q_UNUSED(Fd);
#endif
    return true;
}

bool GiveAttributes(int Fd, const TAttributes &Attributes)
{
#ifdef Q_OS_LINUX
    TAttributes made;
    if (!ReadAttributes(Fd, made))
        return false;
    for (const auto &entry : made)
        if (!Attributes.count(entry.first) && ::fremovexattr(Fd, entry.first.constData()) != 0)
            return false;
    for (const auto &[name, value] : Attributes)
        if (::fsetxattr(Fd, name.constData(), value.constData(), static_cast<size_t>(value.size()), 0) != 0)
            return false;
#else
    Q_UNUSED(Fd);
    Q_UNUSED(Attributes);
#endif
    return true;
}

int InodeFlags(int Fd)
{
    int flags = 0;
#ifdef Q_OS_LINUX
    if (::ioctl(Fd, FS_IOC_GETFLAGS, &flags) != 0)
        flags = 0;
#else
    Q_UNUSED(Fd);
#endif
    return flags;
}

bool OnlyOrdinaryFlags(int Flags) { return (Flags & ~OrdinaryFlags) == 0; }

bool FolderRefusesRename(int Fd) { return (InodeFlags(Fd) & FolderRefusesRenameFlags) != 0; }

bool MayGiveOwnerAndAttributes(const struct stat &Info, const TAttributes &Attributes)
{
    // Only root can give a new file to another owner or group, or set
    // attributes beyond the user's own ones and the access control list.
    if (const uid_t me = ::geteuid(); me != 0) {
        if (Info.st_uid != me || !InGroup(Info.st_gid))
            return false;
        for (const auto &entry : Attributes)
            if (!entry.first.startsWith("user.") && entry.first != "system.posix_acl_access")
                return false;
    }
    return true;
}

#endif
