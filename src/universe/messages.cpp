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
    case TMsg::CannotLoadTemplate:
        return QStringLiteral("Cannot load template \"%s\": it is missing or not a complete BMP image");
    case TMsg::NothingToDelete: return QStringLiteral("Nothing to delete");
    case TMsg::DeleteLastGroup: return QStringLiteral("Delete LAST group ?");
    case TMsg::UnknownStarName: return QStringLiteral("Unknown star name in line #%d");
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
