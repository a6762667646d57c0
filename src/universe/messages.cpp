#include "messages.h"

QString LoadStr(TMsg id)
{
    switch (id) {
    case TMsg::AppTitle: return QStringLiteral("Zorvane for Stars!");
    case TMsg::MainCaption: return QStringLiteral("Stars! - Zorvane v 1.3");
    case TMsg::XYNotOpen: return QStringLiteral("XY-file not open");
    case TMsg::FileCorrupt: return QStringLiteral("The game file appears to be corrupt");
    case TMsg::CannotPack: return QStringLiteral("Can not pack information on planets");
    case TMsg::StarNotExist: return QStringLiteral("Specified star does not exist");
    case TMsg::BeyondScope:
        return QStringLiteral("Specified coordinates of star are beyond the scope of seen part universe");
    case TMsg::StarExists: return QStringLiteral("Such star already exists");
    case TMsg::ListIndexOutOfBounds: return QStringLiteral("List index out of bounds (%d)");
    case TMsg::CannotOpenFile: return QStringLiteral("Cannot open file \"%s\": %s");
    case TMsg::CannotWriteFile: return QStringLiteral("Cannot write file \"%s\": %s");
    case TMsg::FileChanged:
        return QStringLiteral("The file \"%s\" was changed by another program since it was read; nothing was written");
    case TMsg::StarGone: return QStringLiteral("The star \"%s\" is no longer in the file");
    case TMsg::TemplatesNotFound: return QStringLiteral("Templates not found ! (must be .bmp file)");
    case TMsg::UniverseTooSmall:
        return QStringLiteral("Universe to small. Set \"Maximize search\" and try again.");
    case TMsg::TemplateTooSmall:
        return QStringLiteral("The template is too small: it is %d x %d pixels, and it needs at least "
                              "1 column and more than 20 rows");
    case TMsg::CannotLoadTemplate: return QStringLiteral("Cannot load template \"%s\": %s");
    case TMsg::NothingToDelete: return QStringLiteral("Nothing to delete");
    case TMsg::DeleteLastGroup: return QStringLiteral("Delete LAST group ?");
    case TMsg::UnknownStarName: return QStringLiteral("Unknown star name in line #%d: \"%s\"");
    case TMsg::SelectCoordinates:
        return QStringLiteral("Select new cooridinates of star %s (Group #%d)");
    case TMsg::PointerReport: return QStringLiteral("Abs: [%d:%d]     Star: %s [%d:%d]");
    case TMsg::SizeLabel: return QStringLiteral("%dx%d l.y [%s]");
    case TMsg::SelectXYFirst: return QStringLiteral("Select XY-file first");
    case TMsg::EntryModeHint: return QStringLiteral("Enter names of home worlds to move.");
    case TMsg::PickModeHint: return QStringLiteral("Select new coordinates in \"Map view\" screen.");
    case TMsg::StarsCount: return QStringLiteral("Stars count :");
    case TMsg::UniverseFilter: return QStringLiteral("Universe files|*.xy");
    case TMsg::PlacementDone: return QStringLiteral("%d planets placed from %s");
    case TMsg::StarMoved: return QStringLiteral("%s moved to [%d:%d]");
    case TMsg::WroteHint: return QStringLiteral("%s \u2014 %s undoes");
    case TMsg::UndoneHint: return QStringLiteral("Undone: %s \u2014 %s redoes");
    case TMsg::RedoneHint: return QStringLiteral("Redone: %s \u2014 %s undoes");
    case TMsg::NothingToUndo: return QStringLiteral("Nothing to undo");
    case TMsg::NothingToRedo: return QStringLiteral("Nothing to redo");
    case TMsg::UndoWhileBusy:
        return QStringLiteral("Changes cannot be undone or redone while a generation or a relocation runs");
    case TMsg::DuplicateStarName:
        return QStringLiteral("%d planets bear the name \"%s\"; move them with another tool or rename them first");
    case TMsg::AlreadyRunning:
        return QStringLiteral("Zorvane is already running on this display; its window was brought to the front");
    case TMsg::SocketUnusable:
        return QStringLiteral("Cannot check for a running Zorvane through \"%s\": %s; starting anyway");
    case TMsg::SocketSilent:
        return QStringLiteral("Cannot check for a running Zorvane: \"%s\" accepts connections but does not "
                              "answer; starting anyway");
    case TMsg::SocketTaken:
        return QStringLiteral("Cannot check for a running Zorvane: \"%s\" is held by another user; starting "
                              "anyway");
    case TMsg::WrittenWithError:
        return QStringLiteral("The new contents are in the file \"%s\", but the system reported an error "
                              "that could not be undone: %s");
    case TMsg::FileCorruptNamed: return QStringLiteral("The game file \"%s\" appears to be corrupt");
    case TMsg::TemplatesNotFoundIn:
        return QStringLiteral("Templates not found ! (must be .bmp file)\nSearched: %s");
    case TMsg::UniverseTooSmallMaximized:
        return QStringLiteral("The planets do not fit into the light areas of the template at this distance, even "
                              "with \"Maximize search\". Choose a smaller \"Min. stars distance\" or a larger "
                              "\"Universe size\".");
    case TMsg::ReadOnlyStatus: return QStringLiteral("Read-only (%s): shown, but nothing can be written");
    case TMsg::WritableCopyQuestion:
        return QStringLiteral("The file \"%s\" cannot be written (%s). It can be viewed, but not changed.\n\n"
                              "Make a writable copy of it and work on the copy?");
    case TMsg::FileUnreadable: return QStringLiteral("The file is gone or cannot be read:\n%s");
    case TMsg::StoppedNothingWritten: return QStringLiteral("Stopped: nothing written");
    case TMsg::RelocationStopped: return QStringLiteral("Stopped: %d of %d planets moved");
    case TMsg::NothingToPlace: return QStringLiteral("The universe has no planets: nothing to place");
    case TMsg::PickLanding:
        return QStringLiteral("%s lands at [%d:%d] \u2014 Return places it, Ctrl+arrows move it 1 l.y");
    case TMsg::StarKept: return QStringLiteral("%s left where it was");
    case TMsg::NoGroupForName: return QStringLiteral("Press + to add a group first");
    case TMsg::GroupLimit: return QStringLiteral("At most %d groups: one per player");
    case TMsg::MapDescription:
        return QStringLiteral(
            "The planets of the open universe. Tab gives the map the keyboard: the arrow keys move a crosshair "
            "(with Shift ten pixels), M puts a mark there or gives it the next colour, Delete removes it, Return "
            "adds the nearest planet to the active group. While a planet is being placed, the arrow keys move its "
            "landing point (Ctrl+arrows by one light year), Return or Space places it, Escape ends the moving. "
            "Ctrl+M or a double click opens the universe view.");
    case TMsg::MapPicking:
        return QStringLiteral("Placing %s (Group #%d) between x %d and %d: it lands at [%d:%d].");
    case TMsg::MapPointing: return QStringLiteral("Crosshair at [%d:%d].");
    case TMsg::MapNearest: return QStringLiteral(" Nearest planet: %s [%d:%d].");
    case TMsg::StatusKeys:
        return QStringLiteral("What the last action did. Ctrl+Z undoes the last write, Ctrl+Shift+Z redoes it.");
    case TMsg::FileLocked:
        return QStringLiteral("Another program holds a lock on the file \"%s\"; nothing was written. Close that "
                              "program and try again");
    case TMsg::FileLockedBy:
        return QStringLiteral("Another program (process %d) holds a lock on the file \"%s\"; nothing was written. "
                              "Close that program and try again");
    case TMsg::SetIdCleared: return QStringLiteral("the system cleared its set-group-id bit");
    case TMsg::ProposalNamedTwice:
        return QStringLiteral("\"%s\" is named more than once; a planet can be the start of one player only");
    case TMsg::ProposalNeedsGroups: return QStringLiteral("Fair starts need at least two groups with planets");
    case TMsg::ProposalWhilePicking:
        return QStringLiteral("A planet waits for its pick: place it or press Escape first");
    case TMsg::ProposalNothingBetter: return QStringLiteral("Nothing fairer than today's placement was found");
    case TMsg::ProposalProgress: return QStringLiteral("Proposing fair starts... %d%%");
    case TMsg::ProposalShown:
        return QStringLiteral("Proposed: closest %s \u2192 %s l.y., room spread %d \u2192 %d, territory spread "
                              "%d \u2192 %d. Ctrl+Return applies, Escape discards");
    case TMsg::ProposalStale:
        return QStringLiteral("The universe changed since the proposal was made; nothing was written. Propose again");
    case TMsg::FairStartsPlaced: return QStringLiteral("Fair starts: %d planets placed");
    case TMsg::MarkPlaced: return QStringLiteral("Mark at [%d:%d], %s");
    case TMsg::MarkRecoloured: return QStringLiteral("Mark at [%d:%d] now %s");
    case TMsg::MarkRemoved: return QStringLiteral("Mark at [%d:%d] removed");
    case TMsg::MarksCleared: return QStringLiteral("All marks removed");
    case TMsg::ViewShowing: return QStringLiteral("Showing x %d to %d, y %d to %d");
    case TMsg::ResumeRun: return QStringLiteral("%d of %d planets already moved; moving the rest");
    }
    return {};
}

QString FormatText(const QString &format, std::initializer_list<TFmtArg> args)
{
    QString out;
    out.reserve(format.size() + 32);
    auto next = args.begin();
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const QChar kind = format[i + 1];
        if (kind == u'%') {
            out += u'%';
            ++i;
        } else if ((kind == u'd' || kind == u's') && next != args.end()) {
            if (const auto *n = std::get_if<long long>(&*next))
                out += QString::number(*n);
            else
                out += std::get<QString>(*next);
            ++next;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

EZorvane::EZorvane(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}

QString ErrorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QChar(u'.'))
        return message + u'.';
    return message;
}
