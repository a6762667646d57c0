#include "relocationrun.h"

#include "messages.h"
#include "planetnames.h"

TRelocationRun::TRelocationRun(TUniverseSession &Session, std::vector<QStringList> Groups)
    : FSession(Session)
{
    FGroups.swap(Groups);
    FMoved.resize(FGroups.size());
}

bool TRelocationRun::Advance()
{
    FPending.reset();
    FUniverse.reset();
    ++FName;
    while (FGroup < FGroups.size() && FName >= FGroups[FGroup].size()) {
        ++FGroup;
        FName = 0;
    }
    if (FGroup >= FGroups.size())
        return false;
    const QString &name = FGroups[FGroup][FName];
    // The star and its band come from the file as it is now, never from
    // the map's copy of an earlier paint.
    FUniverse.emplace(FSession.ReadForOperation());
    const int32_t k = FindStarIndex(*FUniverse, name);
    if (k < 0)
        throw EZorvane(TMsg::StarGone, {name});
    FPending = TPending{static_cast<int>(FGroup), name, k, FUniverse->GetStar(k), StarBand(*FUniverse, k)};
    return true;
}

QString TRelocationRun::Place(QPoint Position)
{
    if (!FPending || !FUniverse)
        throw EZorvane(TMsg::XYNotOpen);
    MoveStar(*FUniverse, FPending->Index, Position.x(), Position.y());
    const QString what = FormatStr(TMsg::StarMoved, {PlanetName(FPending->Star.NameId),
                                                     static_cast<long long>(Position.x()),
                                                     static_cast<long long>(Position.y())});
    // Written only when the file still holds what was read for this name.
    FSession.Write(*FUniverse, false, what);
    FMoved[FGroup] << FPending->Name;
    FPending.reset();
    FUniverse.reset();
    return what;
}

void TRelocationRun::Skip()
{
    FPending.reset();
    FUniverse.reset();
}
