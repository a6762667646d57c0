// The open universe file and everything the program knows of it, without a
// window: its path, the bytes last read and the universe they hold, the
// watcher that notices changes made by other programs, the history of the
// program's own writes, and whether a run holds the file.
//
// The file is read once per change: when it is opened, when an operation
// starts (it must work on the file as it is now), and when the file's
// status on disk (size, times, identity) differs from what the last read or
// write left. The program's own writes update the session from the bytes
// written, without reading them back. Whoever draws the universe asks the
// session for it and never opens the file itself.
#pragma once

#include "lockretry.h"
#include "starsxy.h"
#include "writehistory.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <map>
#include <optional>

class QFileSystemWatcher;
class QTimer;

class TUniverseSession : public QObject {
    Q_OBJECT
public:
    explicit TUniverseSession(QObject *Parent = nullptr);
    ~TUniverseSession() override;

    // Opens FileName as the session's file: read once and checked. Throws
    // EZorvane naming the file and the cause, and then changes nothing.
    // The window opens no other file while a run holds this one.
    void Open(const QString &FileName);

    QString Path() const { return FPath; }
    bool IsOpen() const { return !FPath.isEmpty(); }
    // The universe as last read or written; null when no file is open or
    // the file could not be read the last time it was looked at.
    const TStarsXY *Universe() const { return FUniverse ? &*FUniverse : nullptr; }
    // The bytes last read or written; empty when Universe() is null.
    const QByteArray &Image() const { return FImage; }

    // Looks at the file again: rereads it when its status on disk changed
    // since the last read or write. True when what the session holds
    // changed (then Changed was emitted).
    bool Refresh();

    // The file as it is now, read for an operation that will write it back
    // (the session follows what was read). Throws EZorvane with the reason
    // when it cannot be read or is no universe.
    TStarsXY ReadForOperation();

    // Writes Universe, read by ReadForOperation, back to the file through
    // the one save path (only over the bytes it was read from) and records
    // the write for undo with the words What. SortByX as for SaveToFile.
    // Throws ELocked, writing nothing, while another program holds a lock
    // on the file (a TLockRetry tries again).
    void Write(TStarsXY &Universe, bool SortByX, const QString &What);
    // What the last write had to tell besides (a set-id bit the system
    // cleared), as words for the status line; empty for nothing.
    QString LastWriteNote() const { return FLastNote; }
    // The history's id of the last write made through Write.
    uint64_t LastWriteId() const { return FLastWriteId; }

    // Undo and redo of the writes to the open file. Refused while a run
    // holds the file. Throw as the history does; return what was undone.
    bool CanUndo() const { return FHistory->CanUndo(); }
    bool CanRedo() const { return FHistory->CanRedo(); }
    QString Undo();
    QString Redo();
    // Undo (Back) or redo as the player asks for it: made now or, while
    // another program holds a lock on the file, tried again for about two
    // seconds with the session busy meanwhile; StepEnded tells how it went.
    // Throws at once when a run holds the file.
    void StartStep(bool Back);
    // Ends a step that waits for a lock, with nothing written.
    void CancelStep();
    // The open file's history. Each file keeps its own for the session:
    // opening a file again finds its history, provided the file still holds
    // the bytes that history left.
    const TWriteHistory &History() const { return *FHistory; }

    // Why the open file cannot be written, in the system's words; empty
    // when it can. A file that can be read but not written is opened to be
    // looked at; nothing is written to it.
    QString ReadOnly() const { return FReadOnly; }

    // A generation or relocation holds the file, or an undo or redo waits
    // for another program's lock: no other file, no undo.
    bool Busy() const { return FBusy || FStep->Waiting(); }
    void SetBusy(bool Busy) { FBusy = Busy; }

signals:
    // A file was opened (Changed is not emitted for it).
    void Opened();
    // A step StartStep began is over: What was undone or redone, or Error
    // says why not (null and an empty What: cancelled).
    void StepEnded(bool Back, const QString &What, std::exception_ptr Error);
    // The universe the session holds changed: a write, an undo or redo, a
    // change made by another program, or the file vanished or came back.
    void Changed();

private:
    struct TDiskStatus {
        qint64 Size = -1, Device = -1, Inode = -1, ModifiedNs = -1, ChangedNs = -1;
        bool operator==(const TDiskStatus &) const = default;
    };
    static TDiskStatus StatusOf(const QString &Path);
    // Takes Image as what the file holds now.
    void Take(const QByteArray &Image);
    void Lose();
    void Watch();
    void StepHistory(bool Back, QString &What);
    // The universe in the file at Path, read for writing or, where the file
    // cannot be written, for viewing (ReadOnly then says why).
    static TStarsXY ReadUniverse(const QString &Path, QString &ReadOnly);

    QString FPath;
    std::optional<TStarsXY> FUniverse;
    QByteArray FImage;
    TDiskStatus FStatus;
    std::map<QString, TWriteHistory> FHistories; // by the file's canonical path
    TWriteHistory FNoHistory;
    TWriteHistory *FHistory = &FNoHistory;
    QString FReadOnly;
    QFileSystemWatcher *FWatcher;
    // The watcher follows the file and its folder, but not a folder higher
    // up that is renamed away with another put in its place: the path is
    // looked at on this timer as well.
    QTimer *FLook;
    TLockRetry *FStep;
    bool FBusy = false;
    QString FLastNote;
    uint64_t FLastWriteId = 0;
};
