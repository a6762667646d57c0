// The one place where the program reads and writes the player's universe
// file. Nothing else in the program opens a file for writing.
//
// Reading opens the file without blocking and then checks that what it
// opened is an ordinary file, so a FIFO or a device swapped in under the name
// can never hang the window.
//
// Writing never changes the file's length and only ever writes over the
// bytes the caller read: the file on disk must still hold exactly Expected,
// or nothing is written. The new image then replaces the file in one of two
// ways:
// - a new file beside it, written, synced and renamed over the old one, when
//   that is invisible: the folder is writable, the file has one hard link,
//   and its owner, group and mode bits (set-user-id and set-group-id
//   included) could be given to the new file. A symbolic link stays a link:
//   the file it leads to is replaced. The new file is a hidden
//   ".zorvane-XXXXXX" (short, so a long universe name still saves, and never
//   ending in ".xy"), removed again on every failure.
// - otherwise the whole image goes to offset 0 of the open file in one
//   checked write, then it is synced. A write that was cut short puts the
//   old bytes back before the error is reported.
// Every failure is an EZorvane whose message names the file and the cause in
// the system's words; after it the file holds its previous bytes.
#pragma once

#include <QByteArray>
#include <QString>

// Reads the whole file, at most MaxSize + 1 bytes (the caller refuses a file
// longer than MaxSize). The file is opened for reading and writing: a file
// that cannot be written is not loaded, since every operation on it may end
// by writing it back. Throws EZorvane (TMsg::CannotOpenFile) naming the file
// and the cause.
QByteArray ReadGameFile(const QString &FileName, qint64 MaxSize);

// Replaces the contents of FileName by Image, which has Expected's length,
// provided the file still holds exactly Expected. Throws EZorvane with
// TMsg::FileChanged when it does not (nothing written), and with
// TMsg::CannotWriteFile for every error of opening, writing, syncing,
// closing or replacing.
void WriteGameFile(const QString &FileName, const QByteArray &Expected, const QByteArray &Image);
