// Helpers of the attacks on the save path (gamefile_test.cpp and
// gamefile_fault_test.cpp): each attack that changes the process (a file
// size limit, another user, a failing system call) runs in a forked child,
// so the test process itself stays as it was.
#pragma once

#include "gamefile.h"
#include "messages.h"
#include "starsxy.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

inline const QString Large = QStringLiteral("large-640planets-2players.xy");
constexpr uid_t Nobody = 65534;

inline QByteArray Native(const QString &Path) { return QFile::encodeName(Path); }

inline struct stat StatOf(const QString &Path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(Native(Path).constData(), &info), 0) << Path.toStdString();
    return info;
}

// The file with planet 7 moved up by one light year in y: same length, one
// planet word changed.
inline QByteArray Changed(const QByteArray &Image)
{
    TStarsXY universe = TStarsXY::FromImage(Image);
    const TStarRec star = universe.GetStar(7);
    const TBounds b = universe.GetBounds();
    universe.SetStar(7, int32_t(star.X), int32_t(star.Y) + (int32_t(star.Y) < b.Bottom ? 1 : -1), -1, false);
    return universe.PackImage(false);
}

// Runs Body in a forked child and returns what it wrote to its pipe (the
// message of a failure, or "saved"); EWrittenWithError's message comes
// after "written: ".
inline QString InChild(const std::function<QString()> &Body)
{
    int pipeFds[2];
    EXPECT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        QString said;
        try {
            said = Body();
        } catch (const EWrittenWithError &e) {
            said = QStringLiteral("written: ") + e.Message();
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
inline bool BecomeNobody()
{
    return ::setgroups(0, nullptr) == 0 && ::setgid(Nobody) == 0 && ::setuid(Nobody) == 0;
}

inline QStringList Entries(const QString &Dir)
{
    return QDir(Dir).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A folder (in Base) that the saving user cannot write to, holding a file
// that user can: as root the save runs as nobody, otherwise the folder is
// made read-only for its owner.
struct TReadOnlyFolder {
    QTemporaryDir Folder;
    QString File;
    bool SwitchUser = ::geteuid() == 0;

    explicit TReadOnlyFolder(const QString &Real, const QString &Base = QDir::tempPath())
        : Folder(Base + QStringLiteral("/zorvane-XXXXXX")), File(Folder.filePath(QStringLiteral("u.xy")))
    {
        WriteBytes(File, ReadBytes(RealXYPath(Real)));
        if (SwitchUser) {
            EXPECT_EQ(::chown(Native(File).constData(), Nobody, Nobody), 0);
            EXPECT_EQ(::chmod(Native(Folder.path()).constData(), 0755), 0);
        }
    }
    // Call in the child, before saving.
    void Enter() const
    {
        if (SwitchUser) {
            if (!BecomeNobody())
                ::_exit(3);
        } else {
            ::chmod(Native(Folder.path()).constData(), 0555);
        }
    }
    ~TReadOnlyFolder() { ::chmod(Native(Folder.path()).constData(), 0755); }
};
