#include "generationrun.h"

namespace {

// How long one turn places stars before the event loop gets its turn.
constexpr qint64 TurnMs = 15;

} // namespace

TGenerationRun::TGenerationRun(TUniverseSession &Session, TStarsXY Universe, const QImage &Template,
                               const TPlacementSettings &Settings, QString What, QObject *Parent)
    : QObject(Parent), FSession(Session), FUniverse(Universe), FPlacement(FUniverse, Template, Settings)
{
    FWhat.swap(What);
    FTimer.setInterval(0);
    connect(&FTimer, &QTimer::timeout, this, &TGenerationRun::Turn);
    connect(&FWrite, &TLockRetry::Ended, this, [this](std::exception_ptr Error, bool Cancelled) {
        Finish(Cancelled ? TRunEnd::Stopped : Error ? TRunEnd::Failed : TRunEnd::Written, Error);
    });
}

void TGenerationRun::Stop()
{
    FStop = true;
    FWrite.Abandon();
}

TGenerationRun::~TGenerationRun()
{
    if (FRunning)
        FSession.SetBusy(false);
}

void TGenerationRun::Start()
{
    FRunning = true;
    FSession.SetBusy(true);
    FTimer.start();
}

void TGenerationRun::Turn()
{
    QElapsedTimer turn;
    turn.start();
    try {
        std::optional<TPlacementEnd> end;
        const auto stop = [this] { return FStop; };
        while (!(end = FPlacement.PlaceNext(stop)) && turn.elapsed() < TurnMs) {
        }
        emit Progress(FPlacement.Placed());
        if (!end)
            return;
        if (*end == TPlacementEnd::Stopped)
            return Finish(TRunEnd::Stopped);
        // Written over the bytes the run read, and recorded for undo with
        // them, whatever the map has shown meanwhile.
        FTimer.stop();
        FWrite.Launch([this] { FSession.Write(FUniverse, true, FWhat); });
    } catch (...) {
        Finish(TRunEnd::Failed, std::current_exception());
    }
}

void TGenerationRun::Finish(TRunEnd End, std::exception_ptr Error)
{
    FTimer.stop();
    if (FRunning) {
        FRunning = false;
        FSession.SetBusy(false);
    }
    FEnd = End;
    FError = std::move(Error);
    emit Ended();
}
