// The relocation of the Stars moving panel, without a window: the groups of
// planet names, the names already moved, and the run that moves each named
// planet to a landing point the player picks. The main map, the universe
// view and the panel show it and send it the player's input; they hold none
// of its state.
//
// A run is a state, not a loop: Start() prepares the first name and returns;
// the planet then waits for its pick with a landing point (light years),
// which starts at the planet's own position and follows the pointer or the
// keys, held in one place (Hold): x inside the planet's band, y within the
// universe's extent, so no other planet's stored position changes. Place()
// writes the move through the session and goes on with the next name.
//
// A name counts as moved while the write that moved it is in effect in the
// session's history: an undo takes its mark away, a redo brings it back, a
// change by another program clears every mark. A run that moved every name
// forgets them (the same groups can be moved again); a stopped one keeps
// them, and the next Start moves only the rest.
//
// Fair starts: Propose() searches, in slices from a timer, positions for
// every named planet that make the start fair (fairstarts.h); the proposal
// is shown until it is applied (one write, one undo step), discarded, or
// made stale by a change of the file or of the groups.
#pragma once

#include "fairstarts.h"
#include "lockretry.h"
#include "relocationrun.h"
#include "session.h"

#include <QObject>
#include <QPoint>
#include <QTimer>
#include <QStringList>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

class TRelocation : public QObject {
    Q_OBJECT
public:
    using TPick = TRelocationRun::TPending;

    explicit TRelocation(TUniverseSession &Session, QObject *Parent = nullptr);
    ~TRelocation() override;

    // ---- groups ----
    int GroupCount() const { return int(FGroups.size()); }
    QString GroupText(int Group) const { return FGroups.at(size_t(Group)); }
    // Every group's names as SplitNames gives them.
    std::vector<QStringList> Groups() const;
    // One group per player of the open universe at most (as last read: a
    // file that is gone for a moment keeps its groups' limit).
    int PlayerLimit() const { return FPlayers; }
    // "+": an empty group, made the active one; false (with a word) when
    // every player has one.
    bool AddGroup();
    // "-": the last group goes (the caller asked first); TMsg::NothingToDelete
    // without groups. No group is active afterwards.
    void RemoveLastGroup();
    void SetGroupText(int Group, const QString &Text);
    int ActiveGroup() const { return FActive; }
    void SetActiveGroup(int Group);
    // "Ins", or a click on the map: Name added to the active group's text;
    // without an active group a word says how to get one.
    void InsertName(const QString &Name);
    // No groups, none active, nothing moved (another file was opened).
    void ClearGroups();
    // The names of Group moved by a stopped run and still in effect.
    QStringList Moved(int Group) const;
    // The names of the open universe's planets as last read, sorted,
    // letter case ignored.
    QStringList PlanetNames() const { return FNames; }

    // ---- the run ----
    // "Next": every name of every group must be a planet of the universe
    // (TMsg::UnknownStarName for the first that is not, nothing started);
    // then the run starts with the names not yet moved. Throws as reading
    // the file does.
    void Start();
    bool Running() const { return FRun != nullptr; }
    // A run of either kind holds the file: no relocation may begin.
    bool FileBusy() const { return FSession.Busy(); }
    // The planet waiting for its pick; none between two names and when no
    // run is under way.
    const std::optional<TPick> &Pick() const;
    QPoint Landing() const { return FLanding; }
    // At held where the waiting planet may go.
    QPoint Hold(QPoint At) const;
    // The landing point to At (held); LandingMoved.
    void MoveLanding(QPoint At);
    // The landing point by (DX, DY) steps of Step light years, held: an
    // arrow never moves it against its direction, and a horizontal arrow
    // never changes y (nor a vertical one x).
    void StepLanding(int DX, int DY, int Step);
    // Places the waiting planet at the landing point and writes the file;
    // at its own position it is left there, and nothing is written. While
    // another program holds a lock on the file the write is tried again
    // for a moment (Writing()).
    void Place();
    bool Writing() const { return FWrite.Waiting(); }
    // Ends the run; the waiting planet stays where it is.
    void Stop();

    // ---- fair starts ----
    struct TProposal {
        std::vector<std::pair<int32_t, QPoint>> Positions; // star, proposed position
        TFairScore Before, After;
        bool Improved = false;
        QByteArray Image; // the file the proposal was made for
        int Radius = 0, Target = 0;
    };
    // Begins a proposal for the groups; refused (EZorvane) while a pick
    // waits and as TFairStarts refuses. The search runs from a timer.
    void Propose(int Radius, int Target);
    bool Proposing() const { return FSearch != nullptr; }
    // 0 to 1 while proposing.
    double ProposalProgress() const;
    // The proposal shown: found, and better than today's placement.
    const std::optional<TProposal> &Proposal() const { return FProposal; }
    // Ends a search under way or forgets the shown proposal.
    void DiscardProposal();
    // Writes every proposed position in one save; TMsg::ProposalStale when
    // the file is no longer the one it was made for.
    void ApplyProposal();

signals:
    // The groups' texts, their number, the active group or the marks of the
    // moved names changed.
    void GroupsChanged();
    // A search began, went on, ended or was discarded, or a proposal was
    // applied; the search's words when it ended.
    void ProposalChanged(const QString &Words);
    // A planet waits for its pick (Pick()), its landing point on itself.
    void PickStarted();
    void LandingMoved();
    // The run is over: by the last name, or stopped (by the player, by a
    // failure); before any message.
    void RunEnded(bool Stopped);
    // A word for the status line: a planet placed or left, a stop, a limit.
    void Said(const QString &Text);
    // A run that wrote ended; What says what its last write did.
    void Wrote(const QString &What);
    // A run ended by a failure; the error to show.
    void Failed(std::exception_ptr Error);

private:
    // The next name waits for its pick, or the run ends; Done, what the last
    // name came to, is said before the next one's pick.
    void Next(const QString &Done = {});
    void Finish(bool Stopped, const QString &Done = {});
    void Fail(std::exception_ptr Error);
    void Placed(std::exception_ptr Error, bool Cancelled);
    void FollowHistory();
    void FollowUniverse();
    void SearchStep();
    void Written(std::exception_ptr Error, bool Cancelled);

    struct TMoved {
        int Group;
        QString Name;
        uint64_t Write; // the history's id of the write that moved it
    };

    TUniverseSession &FSession;
    std::vector<QString> FGroups;
    int FPlayers = 0;
    QStringList FNames;
    int FActive = -1;
    std::vector<TMoved> FMoved;
    TMoved FPlacing{}; // the name whose write is under way
    std::unique_ptr<TRelocationRun> FRun;
    int FRunNames = 0;
    QString FLastWhat;
    QPoint FLanding;
    TLockRetry FWrite;
    bool FApplying = false; // the write under way is a proposal's
    std::unique_ptr<TFairStarts> FSearch;
    TProposal FSearched;    // what the search under way is for
    QTimer FSearchTimer;
    std::optional<TProposal> FProposal;
};
