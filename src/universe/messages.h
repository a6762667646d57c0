// The program's string table and its one kind of failure.
//
// Every message the program shows comes from LoadStr(); a failure is an
// EZorvane exception carrying one finished message text.
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <initializer_list>
#include <variant>

enum class TMsg {
    AppTitle,             // "Zorvane for Stars!"
    MainCaption,          // "Stars! - Zorvane v 1.3"
    XYNotOpen,
    FileCorrupt,
    CannotPack,
    StarNotExist,
    BeyondScope,
    StarExists,
    ListIndexOutOfBounds, // %d
    CannotOpenFile,       // %s path, %s reason
    CannotWriteFile,      // %s path, %s reason
    FileChanged,          // %s path
    StarGone,             // %s name
    TemplatesNotFound,
    UniverseTooSmall,
    TemplateTooSmall,     // %d width, %d height
    CannotLoadTemplate,   // %s path, %s reason
    NothingToDelete,
    DeleteLastGroup,
    UnknownStarName,      // %d line, %s name
    SelectCoordinates,    // %s name, %d group
    PointerReport,        // %d %d %s %d %d
    SizeLabel,            // %d %d %s
    SelectXYFirst,
    EntryModeHint,
    PickModeHint,
    StarsCount,
    UniverseFilter,
    PlacementDone,        // %d planets, %s template
    StarMoved,            // %s name, %d x, %d y
    WroteHint,            // %s what, %s keys
    UndoneHint,           // %s what, %s keys
    RedoneHint,           // %s what, %s keys
    NothingToUndo,
    NothingToRedo,
    UndoWhileBusy,
    DuplicateStarName,    // %d count, %s name
    AlreadyRunning,
    SocketUnusable,       // %s path, %s reason
    SocketSilent,         // %s path
    SocketTaken,          // %s name
    WrittenWithError,     // %s path, %s reason
    FileCorruptNamed,     // %s path
    TemplatesNotFoundIn,  // %s folders
    UniverseTooSmallMaximized,
    ReadOnlyStatus,       // %s path, %s reason
    WritableCopyQuestion, // %s path, %s reason
    FileUnreadable,       // %s path
    StoppedNothingWritten,
    RelocationStopped,    // %d moved, %d names
    NothingToPlace,
    PickLanding,          // %s name, %d x, %d y
    StarKept,             // %s name
    NoGroupForName,
    GroupLimit,           // %d groups
    ResumeRun,            // %d moved, %d names
    MapDescription,
    MapPicking,           // %s name, %d group, %d band from, %d band to, %d x, %d y
    MapPointing,          // %d x, %d y
    MapNearest,           // %s name, %d x, %d y
    StatusKeys,
    FileLocked,           // %s path
    FileLockedBy,         // %d process, %s path
    SetIdCleared,
    ProposalNamedTwice,   // %s name
    ProposalNeedsGroups,
    ProposalWhilePicking,
    ProposalNothingBetter,
    ProposalProgress,     // %d percent
    ProposalShown,        // %s before, %s after, %d %d room spreads, %d %d territory spreads
    ProposalStale,
    FairStartsPlaced,     // %d planets
    MarkPlaced,           // %d x, %d y, %s colour
    MarkRecoloured,       // %d x, %d y, %s colour
    MarkRemoved,          // %d x, %d y
    MarksCleared,
    ViewShowing,          // %d x from, %d x to, %d y from, %d y to
};

// The raw text of one entry, placeholders unfilled.
QString LoadStr(TMsg id);

using TFmtArg = std::variant<long long, QString>;

// Fills the %d and %s placeholders of a format in order; "%%" is a percent
// sign. A placeholder without an argument stays as written.
QString FormatText(const QString &format, std::initializer_list<TFmtArg> args);
inline QString FormatStr(TMsg id, std::initializer_list<TFmtArg> args)
{
    return FormatText(LoadStr(id), args);
}

class EZorvane : public std::exception {
public:
    explicit EZorvane(QString message);
    explicit EZorvane(TMsg id) : EZorvane(LoadStr(id)) {}
    EZorvane(TMsg id, std::initializer_list<TFmtArg> args) : EZorvane(FormatStr(id, args)) {}
    const QString &Message() const noexcept { return FMessage; }
    const char *what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// The text as the error box shows it: a full stop is appended when the last
// character sorts after "." (so "Nothing to delete" gains one, a text ending
// in ")" or "." does not).
QString ErrorBoxText(const QString &message);
