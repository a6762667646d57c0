// A generation run without a window: the universe read from the session's
// file is placed from the template a few stars at a time on the event loop's
// turns, so the window stays live without a nested loop, and written back
// through the session when every star is placed.
//
// The steps run from a zero-delay timer: each turn places stars for a few
// milliseconds, then gives the event loop its turn (the map's blink timer
// among others, whose draws then come between two stars, as they always
// did). Stop() ends the run at its next check, writing nothing. The final
// write waits for another program's lock on the file for a moment (the run
// still under way, Stop still ending it), then fails with the reason.
#pragma once

#include "lockretry.h"
#include "placement.h"
#include "session.h"

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <exception>
#include <memory>
#include <optional>

enum class TRunEnd { Written, Stopped, Failed };

class TGenerationRun : public QObject {
    Q_OBJECT
public:
    // Universe is the file as ReadForOperation gave it, with the minimum
    // distance and size class already set; What is the history's words for
    // the write. Throws like TPlacement for a template that is too small.
    TGenerationRun(TUniverseSession &Session, TStarsXY Universe, const QImage &Template,
                   const TPlacementSettings &Settings, QString What, QObject *Parent = nullptr);
    ~TGenerationRun() override;

    // Starts placing on the event loop's next turn; the session is busy
    // until the run ends.
    void Start();
    // The run ends at its next check, writing nothing; a write that waits
    // for another program's lock ends at once.
    void Stop();

    int StarCount() const { return FUniverse.StarCount; }
    int Placed() const { return FPlacement.Placed(); }
    // After Ended: how it ended, and for Failed the error to show.
    TRunEnd End() const { return FEnd; }
    std::exception_ptr Error() const { return FError; }
    QString What() const { return FWhat; }

signals:
    // Stars placed so far, once per turn.
    void Progress(int Placed);
    // The run is over (the session no longer busy); emitted once.
    void Ended();

private:
    void Turn();
    void Finish(TRunEnd End, std::exception_ptr Error = {});

    TUniverseSession &FSession;
    TStarsXY FUniverse;
    TPlacement FPlacement;
    QString FWhat;
    QTimer FTimer;
    bool FStop = false;
    bool FRunning = false;
    TRunEnd FEnd = TRunEnd::Stopped;
    TLockRetry FWrite;
    std::exception_ptr FError;
};
