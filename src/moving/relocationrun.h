// A relocation run without a window: the names of the groups, one after
// the other, each read afresh from the session's file, placed at a picked
// position and written back through the session.
//
// The window drives it: Advance() prepares the next name (the file read
// now, the star found by its name, its band), the window waits for a pick
// in whatever way it likes, and Place() moves the star there and writes the
// file, only over the bytes read for this name.
#pragma once

#include "relocation.h"
#include "session.h"

#include <QPoint>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class TRelocationRun {
public:
    // One entry per group, each the names in the order given.
    TRelocationRun(TUniverseSession &Session, std::vector<QStringList> Groups);

    // The name waiting for its pick.
    struct TPending {
        int Group = 0;       // 0-based
        QString Name;
        int32_t Index = -1;  // the star in the file just read
        TStarRec Star;       // where it stands now
        TBand Band;
    };

    // Goes to the next name: false when every name is done. Reads the file
    // and throws EZorvane when it cannot be read, or TMsg::StarGone when no
    // planet bears the name any more.
    bool Advance();
    const std::optional<TPending> &Pending() const { return FPending; }
    // The names placed so far, per group.
    const std::vector<QStringList> &Moved() const { return FMoved; }

    // Moves the pending star to Position (x clamped into its band by the
    // caller) and writes the file through the session. Returns the history's
    // words for the write. Throws as the move and the save path do; the
    // name stays pending then.
    QString Place(QPoint Position);
    // The pending star is left where it is, and nothing is written.
    void Skip();

private:
    TUniverseSession &FSession;
    std::vector<QStringList> FGroups;
    std::vector<QStringList> FMoved;
    size_t FGroup = 0;
    qsizetype FName = -1;
    std::optional<TStarsXY> FUniverse;
    std::optional<TPending> FPending;
};
