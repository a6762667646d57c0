// System calls of the save path failing on demand, through the preloaded
// shim faultshim.cpp (ZV_FAIL there): write, sync, close and rename errors,
// and another program writing while the new file is synced.
#include "gamefileattack.h"
#include "writehistory.h"

#include <dlfcn.h>
#include <optional>

namespace {

bool ShimLoaded() { return ::dlsym(RTLD_DEFAULT, "ZvFaultShim") != nullptr; }

TEST(GameFileFaults, FailedCallsLeaveTheOldBytesOrSaySo)
{
    if (!ShimLoaded())
        GTEST_SKIP() << "the fault shim is not preloaded: run this through ctest";
    enum THolds { Before, New, Theirs };
    struct TRow {
        const char *Fail; // ZV_FAIL
        bool InPlace;     // forced by a second hard link
        std::optional<TMsg> Says; // none: saved
        const char *Cause;
        THolds Holds;
    };
    const char *eio = "Input/output error", *enospc = "No space left on device";
    const TMsg failed = TMsg::CannotWriteFile;
    const TRow rows[] = {
        {"fsync@1=5", false, failed, eio, Before},
        {"close@1=5", false, failed, eio, Before},
        {"pwrite@1=28", false, failed, enospc, Before}, // the new file's write
        {"fsync@1=5", true, failed, eio, Before},
        {"pwrite@1=28", true, failed, enospc, Before},
        {"pwrite@1=0,pwrite@2=28", true, failed, enospc, Before},
        {"close@1=5", true, failed, eio, Before},
        {"close@1=5,pwrite@2=5", true, TMsg::WrittenWithError, eio, New},
        // A file mounted over the name, or another file system: in place.
        {"rename@1=16", false, {}, "", New},
        {"rename@1=18", false, {}, "", New},
        // Another program (ignoring the lock) writes while the new file is
        // synced: the last look before the rename sees it.
        {"fsync@1=-300", false, TMsg::FileChanged, "", Theirs},
        // ... or while the last look before an in-place write begins.
        {"stat@2=-300", true, TMsg::FileChanged, "", Theirs},
    };
    for (const TRow &row : rows) {
        SCOPED_TRACE(std::string(row.Fail) + (row.InPlace ? " in place" : " by replacement"));
        TScratch scratch;
        const QString path = scratch.CopyReal(Large);
        if (row.InPlace) {
            ASSERT_EQ(::link(Native(path).constData(), Native(scratch.Path("other.xy")).constData()), 0);
        }
        const QByteArray before = ReadBytes(path), changed = Changed(before);
        QByteArray theirs = before;
        theirs[0] = char(theirs[0] ^ 1);
        const QStringList entries = Entries(scratch.Dir());
        const ino_t inode = StatOf(path).st_ino;
        const QString said = InChild([&] {
            if (row.Holds == Theirs && ::fork() == 0) {
                ::usleep(100000);
                WriteBytes(path, theirs);
                ::_exit(0);
            }
            ::setenv("ZV_FAIL", row.Fail, 1);
            WriteGameFile(path, before, changed);
            return QStringLiteral("saved");
        });
        EXPECT_EQ(said, !row.Says ? QStringLiteral("saved")
                                  : (row.Says == TMsg::WrittenWithError ? QStringLiteral("written: ") : QString()) +
                                        FormatStr(*row.Says, {path, QString::fromUtf8(row.Cause)}));
        const QByteArray now = ReadBytes(path);
        EXPECT_TRUE(now == (row.Holds == Before ? before : row.Holds == New ? changed : theirs))
            << "the file holds " << (now == before ? "the old bytes" : now == changed ? "the new ones" : "others");
        EXPECT_EQ(Entries(scratch.Dir()), entries) << "no file more, none less";
        if (row.Holds == New) {
            EXPECT_EQ(StatOf(path).st_ino, inode) << "written in place";
        }
    }
}

TEST(GameFileFaults, AnUndoWrittenWithAnErrorCountsAsDone)
{
    if (!ShimLoaded())
        GTEST_SKIP() << "the fault shim is not preloaded: run this through ctest";
    TScratch scratch;
    const QString path = scratch.CopyReal(Large);
    ASSERT_EQ(::link(Native(path).constData(), Native(scratch.Path("other.xy")).constData()), 0);
    const QByteArray before = ReadBytes(path), changed = Changed(before);
    WriteBytes(path, changed);
    const QString said = InChild([&] {
        TWriteHistory history;
        history.Record({before, changed, QStringLiteral("a planet moved")});
        ::setenv("ZV_FAIL", "close@1=5,pwrite@2=5", 1);
        try {
            history.Undo(path);
        } catch (const EWrittenWithError &) {
            return QStringLiteral("undo %1, redo %2").arg(history.CanUndo()).arg(history.CanRedo());
        }
        return QStringLiteral("no EWrittenWithError");
    });
    EXPECT_EQ(said, QStringLiteral("undo 0, redo 1"));
    EXPECT_TRUE(ReadBytes(path) == before);
}

} // namespace
