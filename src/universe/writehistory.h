// The writes the program made to the open file, for undo and redo.
//
// Each entry holds the exact bytes the file held before and after one write
// and a few words on what was written. The history lives in memory only,
// for one open file; it is never written anywhere.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <deque>

struct TWrite {
    QByteArray Before;
    QByteArray After;
    QString What; // "640 planets placed from ring.bmp"
    uint64_t Id = 0; // given by Record, never given twice
};

class TWriteHistory {
public:
    // The oldest writes are forgotten beyond this many; a universe is at most
    // a few hundred KB, a typical one 4 KB.
    static constexpr size_t MaxSteps = 100;

    void Clear();
    // A write that was just made; the writes that were undone before it can
    // no longer be redone. Returns the write's id.
    uint64_t Record(TWrite Write);
    // Whether the write with this id is in effect: recorded, not undone (or
    // redone since), and not forgotten.
    bool InEffect(uint64_t Id) const;

    bool CanUndo() const { return FDone > 0; }
    bool CanRedo() const { return FDone < FWrites.size(); }
    size_t Size() const { return FWrites.size(); }
    // The bytes the file holds when every step in effect was made and
    // nothing else touched it; empty for an empty history.
    QByteArray Current() const;

    // Puts the file back to the bytes before the last write that is not yet
    // undone, through the one save path: only when the file still holds
    // exactly what that write left. Returns what was undone. Throws EZorvane
    // (TMsg::FileChanged when another program changed the file) and then
    // leaves the history as it was; after EWrittenWithError (the file holds
    // the bytes before that write all the same) the write counts as undone.
    QString Undo(const QString &FileName);
    // Makes the last undone write again, on the same terms (after
    // EWrittenWithError it counts as made again).
    QString Redo(const QString &FileName);

private:
    std::deque<TWrite> FWrites;
    size_t FDone = 0; // FWrites[0..FDone) are in effect
    uint64_t FLastId = 0;
};
