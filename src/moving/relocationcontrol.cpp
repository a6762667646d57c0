#include "relocationcontrol.h"

#include "groupnames.h"
#include "messages.h"
#include "planetnames.h"
#include "relocation.h"

#include <algorithm>
#include <cmath>
#include <memory>

TRelocation::TRelocation(TUniverseSession &Session, QObject *Parent) : QObject(Parent), FSession(Session)
{
    connect(&FSession, &TUniverseSession::Opened, this, [this] {
        FollowUniverse();
        ClearGroups();
    });
    connect(&FSession, &TUniverseSession::Changed, this, [this] {
        FollowUniverse();
        FollowHistory();
        // A proposal is for the file it was made from.
        if ((FProposal && FProposal->Image != FSession.Image()) || (FSearch && FSearched.Image != FSession.Image()))
            DiscardProposal();
    });
    connect(this, &TRelocation::GroupsChanged, this, [this] {
        if (!Running())
            DiscardProposal();
    });
    FollowUniverse();
    connect(&FWrite, &TLockRetry::Ended, this, &TRelocation::Written);
    FSearchTimer.setInterval(0);
    connect(&FSearchTimer, &QTimer::timeout, this, &TRelocation::SearchStep);
}

TRelocation::~TRelocation()
{
    if (FRun)
        FSession.SetBusy(false);
}

// ---- groups ----------------------------------------------------------------

std::vector<QStringList> TRelocation::Groups() const
{
    std::vector<QStringList> groups;
    for (const QString &text : FGroups)
        groups.push_back(SplitNames(text));
    return groups;
}

bool TRelocation::AddGroup()
{
    if (GroupCount() >= PlayerLimit()) {
        emit Said(FormatStr(TMsg::GroupLimit, {static_cast<long long>(PlayerLimit())}));
        return false;
    }
    FGroups.emplace_back();
    FActive = GroupCount() - 1;
    emit GroupsChanged();
    return true;
}

void TRelocation::RemoveLastGroup()
{
    if (FGroups.empty())
        throw EZorvane(TMsg::NothingToDelete);
    const int last = GroupCount() - 1;
    FGroups.pop_back();
    std::erase_if(FMoved, [last](const TMoved &M) { return M.Group == last; });
    FActive = -1;
    emit GroupsChanged();
}

void TRelocation::SetGroupText(int Group, const QString &Text)
{
    if (Group < 0 || Group >= GroupCount() || FGroups[size_t(Group)] == Text)
        return;
    FGroups[size_t(Group)] = Text;
    emit GroupsChanged();
}

void TRelocation::SetActiveGroup(int Group)
{
    if (Running() || Group == FActive || Group >= GroupCount())
        return;
    FActive = Group;
    emit GroupsChanged();
}

void TRelocation::InsertName(const QString &Name)
{
    if (FActive < 0 || FActive >= GroupCount()) {
        emit Said(LoadStr(TMsg::NoGroupForName));
        return;
    }
    SetGroupText(FActive, AppendName(FGroups[size_t(FActive)], Name));
}

void TRelocation::ClearGroups()
{
    if (Running())
        Finish(true);
    FGroups.clear();
    FMoved.clear();
    FActive = -1;
    emit GroupsChanged();
}

QStringList TRelocation::Moved(int Group) const
{
    QStringList names;
    for (const TMoved &moved : FMoved)
        if (moved.Group == Group && FSession.History().InEffect(moved.Write))
            names << moved.Name;
    return names;
}

void TRelocation::FollowHistory()
{
    // Another program's change leaves the file holding what no write of
    // the history left: every mark goes. An undo or a redo keeps them, and
    // Moved() looks at which writes are in effect.
    if (!FMoved.empty() && FSession.Image() != FSession.History().Current())
        FMoved.clear();
    emit GroupsChanged();
}

void TRelocation::FollowUniverse()
{
    const TStarsXY *universe = FSession.Universe();
    if (!universe)
        return;
    FPlayers = universe->PlayerCount;
    FNames.clear();
    FNames.reserve(universe->StarCount);
    for (int i = 0; i < universe->StarCount; ++i)
        FNames << PlanetName(universe->GetStar(i).NameId);
    std::stable_sort(FNames.begin(), FNames.end(),
                     [](const QString &A, const QString &B) { return A.compare(B, Qt::CaseInsensitive) < 0; });
}

// ---- the run ---------------------------------------------------------------

void TRelocation::Start()
{
    if (Running())
        return;
    // Every name must be one of the universe's as it is now (a file
    // changed since the list was filled is read first), before anything
    // moves.
    FSession.Refresh();
    const QStringList known = PlanetNames();
    std::vector<QStringList> groups = Groups();
    for (size_t g = 0; g < groups.size(); ++g)
        for (const QString &name : groups[g])
            if (std::none_of(known.begin(), known.end(), [&](const QString &K) { return SameName(K, name); }))
                throw EZorvane(UnknownNameMessage(int(g) + 1, name, known));
    // After a stopped run only the names not yet moved.
    int total = 0, skipped = 0;
    for (size_t g = 0; g < groups.size(); ++g) {
        total += int(groups[g].size());
        QStringList moved = Moved(int(g)), rest;
        for (const QString &name : groups[g]) {
            const auto same =
                std::find_if(moved.begin(), moved.end(), [&](const QString &M) { return SameName(M, name); });
            if (same != moved.end())
                moved.erase(same); // a name given twice was moved twice
            else
                rest << name;
        }
        skipped += int(groups[g].size() - rest.size());
        groups[g] = rest;
    }
    FRunNames = total - skipped;
    FLastWhat.clear();
    FRun = std::make_unique<TRelocationRun>(FSession, std::move(groups));
    FSession.SetBusy(true);
    if (skipped > 0)
        emit Said(FormatStr(TMsg::ResumeRun, {static_cast<long long>(skipped), static_cast<long long>(total)}));
    Next();
}

const std::optional<TRelocation::TPick> &TRelocation::Pick() const
{
    static const std::optional<TPick> none;
    return FRun ? FRun->Pending() : none;
}

void TRelocation::Next(const QString &Done)
{
    bool more = false;
    try {
        more = FRun->Advance();
    } catch (...) {
        Fail(std::current_exception());
        return;
    }
    if (!more) {
        Finish(false, Done);
        return;
    }
    if (!Done.isEmpty())
        emit Said(Done);
    const TPick &pick = *FRun->Pending();
    FActive = pick.Group;
    FLanding = QPoint(int(pick.Star.X), int(pick.Star.Y));
    emit GroupsChanged();
    emit PickStarted();
}

QPoint TRelocation::Hold(QPoint At) const
{
    const auto &pick = Pick();
    if (!pick)
        return At;
    // The band never runs backwards, but should a file make it so, its
    // edges count in either order.
    const int low = std::min(pick->Band.MinX, pick->Band.MaxX), high = std::max(pick->Band.MinX, pick->Band.MaxX);
    int top = At.y(), bottom = At.y();
    if (const TStarsXY *universe = FSession.Universe(); universe && universe->StarCount > 0) {
        top = universe->GetBounds().Top;
        bottom = universe->GetBounds().Bottom;
    }
    return {std::clamp(At.x(), low, high), std::clamp(At.y(), std::min(top, bottom), std::max(top, bottom))};
}

void TRelocation::MoveLanding(QPoint At)
{
    if (!Pick() || Writing())
        return;
    const QPoint held = Hold(At);
    if (held == FLanding)
        return;
    FLanding = held;
    emit LandingMoved();
}

void TRelocation::StepLanding(int DX, int DY, int Step)
{
    if (!Pick() || Writing())
        return;
    // The landing point is always held, so a step held again never goes
    // back past it.
    MoveLanding(FLanding + QPoint(DX * Step, DY * Step));
}

void TRelocation::Place()
{
    const auto &pick = Pick();
    if (!pick || Writing())
        return;
    if (FLanding == QPoint(int(pick->Star.X), int(pick->Star.Y))) {
        // No movement: the planet stays exactly where it is.
        const QString kept = FormatStr(TMsg::StarKept, {pick->Name});
        FRun->Skip();
        Next(kept);
        return;
    }
    const QPoint at = FLanding;
    FPlacing = {pick->Group, pick->Name, 0};
    FWrite.Launch([this, at] { FLastWhat = FRun->Place(at); });
}

void TRelocation::Written(std::exception_ptr Error, bool Cancelled)
{
    if (!FApplying) {
        Placed(Error, Cancelled);
        return;
    }
    FApplying = false;
    FSession.SetBusy(false);
    if (Cancelled)
        return;
    if (Error) {
        emit Failed(Error);
        return;
    }
    const QString what = FLastWhat;
    FProposal.reset();
    emit ProposalChanged(QString());
    emit Wrote(what);
}

void TRelocation::Placed(std::exception_ptr Error, bool Cancelled)
{
    if (Cancelled || !FRun)
        return; // Stop ended the run
    if (Error) {
        Fail(Error);
        return;
    }
    FPlacing.Write = FSession.LastWriteId();
    FMoved.push_back(FPlacing);
    // While the run goes on, undo is refused: the status line says what was
    // written without offering it; after the last name the run's end says it.
    Next(FLastWhat);
}

void TRelocation::Stop()
{
    if (!Running())
        return;
    FWrite.Abandon();
    Finish(true);
}

void TRelocation::Fail(std::exception_ptr Error)
{
    Finish(true);
    emit Failed(Error);
}

void TRelocation::Finish(bool Stopped, const QString &Done)
{
    if (!FRun)
        return;
    int count = 0;
    for (const QStringList &names : FRun->Moved())
        count += int(names.size());
    FRun.reset();
    FSession.SetBusy(false);
    // Every name moved: the same groups can be moved again.
    if (!Stopped)
        FMoved.clear();
    emit GroupsChanged();
    emit RunEnded(Stopped);
    if (Stopped)
        emit Said(FormatStr(TMsg::RelocationStopped, {static_cast<long long>(count), static_cast<long long>(FRunNames)}));
    else if (!FLastWhat.isEmpty())
        emit Wrote(FLastWhat);
    else if (!Done.isEmpty())
        emit Said(Done);
}

// ---- fair starts -----------------------------------------------------------

void TRelocation::Propose(int Radius, int Target)
{
    if (Pick())
        throw EZorvane(TMsg::ProposalWhilePicking);
    if (!FSession.Universe())
        throw EZorvane(TMsg::XYNotOpen);
    DiscardProposal();
    FSearch = std::make_unique<TFairStarts>(*FSession.Universe(), Groups(), Radius, Target);
    FSearched = {};
    FSearched.Image = FSession.Image();
    FSearched.Radius = Radius;
    FSearched.Target = Target;
    FSearchTimer.start();
    emit ProposalChanged(QString());
}

double TRelocation::ProposalProgress() const { return FSearch ? FSearch->Progress() : 0; }

void TRelocation::SearchStep()
{
    // A slice short enough that the window answers between two.
    if (!FSearch->Step(15)) {
        emit ProposalChanged(QString());
        return;
    }
    FSearchTimer.stop();
    const std::unique_ptr<TFairStarts> search = std::move(FSearch);
    if (!search->Improved()) {
        emit ProposalChanged(LoadStr(TMsg::ProposalNothingBetter));
        return;
    }
    FProposal = FSearched;
    FProposal->Positions = search->Positions();
    FProposal->Before = search->Before();
    FProposal->After = search->Best();
    FProposal->Improved = true;
    auto distance = [](int64_t Square) { return QString::number(std::sqrt(double(Square)), 'f', 1); };
    emit ProposalChanged(FormatStr(TMsg::ProposalShown,
                                   {distance(FProposal->Before.Closest), distance(FProposal->After.Closest),
                                    static_cast<long long>(FProposal->Before.RoomSpread),
                                    static_cast<long long>(FProposal->After.RoomSpread),
                                    static_cast<long long>(FProposal->Before.TerritorySpread),
                                    static_cast<long long>(FProposal->After.TerritorySpread)}));
}

void TRelocation::DiscardProposal()
{
    if (!FSearch && !FProposal)
        return;
    FSearchTimer.stop();
    FSearch.reset();
    FProposal.reset();
    emit ProposalChanged(QString());
}

void TRelocation::ApplyProposal()
{
    if (!FProposal || Running() || FApplying)
        return;
    if (FSession.Image() != FProposal->Image)
        throw EZorvane(TMsg::ProposalStale);
    TStarsXY universe = FSession.ReadForOperation();
    if (universe.ReadImage() != FProposal->Image)
        throw EZorvane(TMsg::ProposalStale);
    for (const auto &[star, at] : FProposal->Positions)
        MoveStar(universe, star, at.x(), at.y());
    FLastWhat = FormatStr(TMsg::FairStartsPlaced, {static_cast<long long>(FProposal->Positions.size())});
    // Busy while another program's lock holds the write up.
    FApplying = true;
    FSession.SetBusy(true);
    auto written = std::make_shared<TStarsXY>(std::move(universe));
    FWrite.Launch([this, written] { FSession.Write(*written, false, FLastWhat); });
}
