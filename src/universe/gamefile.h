// The one place where the program reads and writes the player's universe
// file. Nothing else in the program opens a file for writing.
//
// Reading opens the file without blocking and then checks that what it
// opened is an ordinary file, so a FIFO or a device swapped in under the name
// can never hang the window.
//
// Writing never changes the file's length and only ever writes over the
// bytes the caller read. The save holds an advisory write lock on the whole
// file (an open-file-description lock) from its first look at the file to
// its last write, so two saves of this program take turns and the second
// one sees the first one's bytes. The file, read whole, must hold exactly
// Expected when the lock is taken and again immediately before the rename or
// the in-place write, and the name must still lead to the same file; or
// nothing is written. The new image then replaces the file in one of two
// ways, chosen before anything is created:
// - a new file beside it, written, given the old file's owner, group,
//   extended attributes and access control lists exactly (whatever the
//   folder's default ACL added is removed again) and its mode, synced and
//   renamed over the old one, when that is invisible: the folder is
//   writable and not append-only, the file has one hard link and no inode
//   flags (chattr's) beyond those every file has, and all of that could be
//   given to the new file. A symbolic link stays a link: the file it leads
//   to is replaced. The new file is a hidden ".zorvane-XXXXXX" (short, so a
//   long universe name still saves, and never ending in ".xy"), removed
//   again on every failure.
// - otherwise, or when the system refuses the rename (a file mounted over,
//   another file system), the whole image goes to offset 0 of the open file
//   in one checked write, then it is synced and the mode is put back (a
//   write clears the set-id bits). A kill can interrupt such a write only
//   between pages of memory, so a file of at most 4096 bytes is never torn
//   by one; a larger one can be.
// The lock is taken without waiting: while another program holds one on the
// file (any lock, a read lock too), ELocked says so and nothing is written,
// so the caller can try again a little later without freezing the window.
// A file size limit is checked first, and SIGXFSZ is ignored (where it still
// has its default action) so that no write can end the process.
//
// The contract on failure: an EZorvane means that the file holds its
// previous bytes (a write that failed part way, or whose sync or close
// failed, is undone by writing the old bytes back and syncing them). The one
// exception is EWrittenWithError, below; and should the system refuse both
// the old bytes and the new ones after a failed write, the file stays as that
// write left it and the message names the first cause.
#pragma once

#include "messages.h"

#include <QByteArray>
#include <QString>

// Reads the whole file, at most MaxSize + 1 bytes (the caller refuses a file
// longer than MaxSize). The file is opened for reading and writing: a file
// that cannot be written is not loaded, since every operation on it may end
// by writing it back. Throws EZorvane (TMsg::CannotOpenFile) naming the file
// and the cause.
QByteArray ReadGameFile(const QString &FileName, qint64 MaxSize);

// Reads the whole file for viewing only, opened for reading: a file the
// player may read but not write can be looked at. Throws as ReadGameFile.
QByteArray ReadGameFileToView(const QString &FileName, qint64 MaxSize);

// Why FileName cannot be opened for writing, in the system's words; empty
// when it can.
QString WriteRefusal(const QString &FileName);

// What a save that succeeded has to tell all the same.
enum class TWriteNote {
    None,
    // The file had a set-id bit that the system cleared on writing and
    // would not let its owner set again (an owner outside the file's group
    // loses set-group-id that way): no way of saving could keep it.
    SetIdCleared,
};

// Replaces the contents of FileName by Image, which has Expected's length,
// provided the file still holds exactly Expected. Throws EZorvane with
// TMsg::FileChanged when it does not (nothing written), ELocked while
// another program holds a lock on it (nothing written), with
// TMsg::CannotWriteFile for every error of opening, writing, syncing,
// closing or replacing, and EWrittenWithError as below.
TWriteNote WriteGameFile(const QString &FileName, const QByteArray &Expected, const QByteArray &Image);

// Another program holds a lock on the file; nothing was written. Holder is
// its process id where the system tells it (classic fcntl locks do,
// open-file-description locks don't), else 0.
class ELocked : public EZorvane {
public:
    ELocked(const QString &FileName, long long Holder)
        : EZorvane(Holder > 0 ? FormatStr(TMsg::FileLockedBy, {Holder, FileName})
                              : FormatStr(TMsg::FileLocked, {FileName})),
          FHolder(Holder)
    {
    }
    long long Holder() const { return FHolder; }

private:
    long long FHolder;
};

// Writes Bytes as the file FileName for a picture or a copy the player asked
// for, never through the name: the name is looked at without following it,
// and a symbolic link, FIFO, device, socket or folder there is refused with
// what it is, as is the file Protected (the open universe, compared by
// device and inode). The bytes go to a new hidden file beside it, every
// write checked, synced and closed, which is then renamed to the name: an
// existing file there (the player agreed to replace it) is replaced whole or
// not at all, and a failure leaves no partial file behind. Nothing is ever
// opened with truncation. Throws EZorvane (TMsg::CannotWriteFile with the
// system's reason).
void WriteNewFile(const QString &FileName, const QByteArray &Bytes, const QString &Protected);

// Where a save dialog for something made from the universe FileName starts:
// the universe's own folder when the user may write there, else the
// Documents folder if there is one, else the home folder.
QString WritableFolderFor(const QString &FileName);

// A write past the file size limit raises SIGXFSZ, which ends the process
// by default; ignored (where it still has its default action), the write
// fails with EFBIG like any other error. The program calls it at its start.
void IgnoreFileSizeSignal();

// The save failed after the new image reached the file (its sync or the
// close failed), and the previous bytes could not be put back: the file
// holds Image. The caller records the write as made (its undo history must
// match the file) and still shows the message.
class EWrittenWithError : public EZorvane {
public:
    EWrittenWithError(const QString &FileName, const QString &Cause)
        : EZorvane(TMsg::WrittenWithError, {FileName, Cause})
    {
    }
};
