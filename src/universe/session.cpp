#include "session.h"

#include "gamefile.h"
#include "messages.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

// How often the path is looked at besides the watcher's events.
constexpr int LookMs = 1000;

TUniverseSession::TUniverseSession(QObject *Parent)
    : QObject(Parent), FWatcher(new QFileSystemWatcher(this)), FLook(new QTimer(this)), FStep(new TLockRetry(this))
{
    FLook->setInterval(LookMs);
    connect(FLook, &QTimer::timeout, this, [this] {
        // An exception never leaves a timer: a file that cannot be looked
        // at shows as gone.
        try {
            Refresh();
        } catch (const std::exception &) {
        }
    });
    connect(FWatcher, &QFileSystemWatcher::fileChanged, this, [this](const QString &Path) {
        if (Path != FPath)
            return;
        // A file replaced by a rename is no longer watched: watch the new one.
        Watch();
        Refresh();
    });
    // The folder too, so a file that went away is seen when it comes back.
    connect(FWatcher, &QFileSystemWatcher::directoryChanged, this, [this](const QString &Folder) {
        if (FPath.isEmpty() || QFileInfo(FPath).absolutePath() != Folder)
            return;
        if (!FWatcher->files().contains(FPath))
            Watch();
        Refresh();
    });
}

TUniverseSession::~TUniverseSession() = default;

TUniverseSession::TDiskStatus TUniverseSession::StatusOf(const QString &Path)
{
    TDiskStatus status;
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(Path).constData(), &info) != 0)
        return status;
    status.Size = info.st_size;
    status.Device = static_cast<qint64>(info.st_dev);
    status.Inode = static_cast<qint64>(info.st_ino);
    status.ModifiedNs = qint64{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
    status.ChangedNs = qint64{info.st_ctim.tv_sec} * 1000000000 + info.st_ctim.tv_nsec;
#else
    const QFileInfo info(Path);
    if (!info.exists())
        return status;
    status.Size = info.size();
    status.ModifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    status.ChangedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
#endif
    return status;
}

TStarsXY TUniverseSession::ReadUniverse(const QString &Path, QString &ReadOnly)
{
    try {
        try {
            TStarsXY universe(Path);
            ReadOnly.clear();
            return universe;
        } catch (const EZorvane &) {
            const QString refusal = WriteRefusal(Path);
            if (refusal.isEmpty())
                throw;
            try {
                TStarsXY universe = TStarsXY::FromImage(ReadGameFileToView(Path, 1 << 20));
                ReadOnly = refusal;
                return universe;
            } catch (const EZorvane &) {
            }
            throw;
        }
    } catch (const EZorvane &e) {
        // The message names the file: the path box may still show another.
        if (e.Message() == LoadStr(TMsg::FileCorrupt))
            throw EZorvane(TMsg::FileCorruptNamed, {Path});
        throw;
    }
}

void TUniverseSession::Open(const QString &FileName)
{
    const TDiskStatus status = StatusOf(FileName);
    // Read and checked; a failure changes nothing.
    QString readOnly;
    TStarsXY universe = ReadUniverse(FileName, readOnly);
    FPath = FileName;
    FStatus = status;
    FReadOnly = readOnly;
    FImage = universe.ReadImage();
    FUniverse.emplace(std::move(universe));
    QString key = QFileInfo(FileName).canonicalFilePath();
    if (key.isEmpty())
        key = QFileInfo(FileName).absoluteFilePath();
    FHistory = &FHistories[key];
    if (FHistory->Current() != FImage)
        FHistory->Clear();
    Watch();
    FLook->start();
    emit Opened();
}

void TUniverseSession::Watch()
{
    const QStringList watched = FWatcher->files() + FWatcher->directories();
    if (!watched.isEmpty())
        FWatcher->removePaths(watched);
    if (FPath.isEmpty())
        return;
    if (QFileInfo::exists(FPath))
        FWatcher->addPath(FPath);
    FWatcher->addPath(QFileInfo(FPath).absolutePath());
}

void TUniverseSession::Take(const QByteArray &Image)
{
    FImage = Image;
    FUniverse.emplace(TStarsXY::FromImage(Image));
}

void TUniverseSession::Lose()
{
    FImage.clear();
    FUniverse.reset();
}

bool TUniverseSession::Refresh()
{
    if (FPath.isEmpty())
        return false;
    const TDiskStatus status = StatusOf(FPath);
    if (status == FStatus && status.Size >= 0)
        return false;
    // Another file under the name (a folder on the path swapped, a file
    // renamed over it): the watcher must follow the new one.
    if (status.Device != FStatus.Device || status.Inode != FStatus.Inode)
        Watch();
    FStatus = status;
    const bool had = FUniverse.has_value();
    const QByteArray before = FImage;
    const QString readOnlyBefore = FReadOnly;
    try {
        TStarsXY universe = ReadUniverse(FPath, FReadOnly);
        if (had && universe.ReadImage() == before && FReadOnly == readOnlyBefore)
            return false;
        FImage = universe.ReadImage();
        FUniverse.emplace(std::move(universe));
    } catch (const std::exception &) {
        // gone, unreadable or no universe now: nothing to show
        if (!had)
            return false;
        Lose();
    }
    emit Changed();
    return true;
}

TStarsXY TUniverseSession::ReadForOperation()
{
    if (FPath.isEmpty())
        throw EZorvane(TMsg::XYNotOpen);
    const TDiskStatus status = StatusOf(FPath);
    try {
        TStarsXY universe(FPath);
        FStatus = status;
        if (!FUniverse || universe.ReadImage() != FImage) {
            FImage = universe.ReadImage();
            FUniverse.emplace(universe);
            emit Changed();
        }
        return universe;
    } catch (...) {
        FStatus = status;
        if (FUniverse) {
            Lose();
            emit Changed();
        }
        throw;
    }
}

void TUniverseSession::Write(TStarsXY &Universe, bool SortByX, const QString &What)
{
    // A write whose new bytes stayed in the file despite an error counts as
    // made: the history and the map follow the file, then the error shows.
    auto made = [&] {
        FStatus = StatusOf(FPath);
        FLastWriteId = FHistory->Record({Universe.ReadImage(), Universe.FileImage(), What});
        Take(Universe.FileImage());
        emit Changed();
    };
    FLastNote.clear();
    TWriteNote note;
    try {
        note = Universe.SaveToFile(FPath, SortByX);
    } catch (const EWrittenWithError &) {
        made();
        throw;
    }
    if (note == TWriteNote::SetIdCleared)
        FLastNote = LoadStr(TMsg::SetIdCleared);
    made();
}

void TUniverseSession::StepHistory(bool Back, QString &What)
{
    if (FBusy)
        throw EZorvane(TMsg::UndoWhileBusy);
    // The step's bytes are in the file now, also after an error that could
    // not be undone: the next look reads them.
    try {
        What = Back ? FHistory->Undo(FPath) : FHistory->Redo(FPath);
    } catch (const EWrittenWithError &) {
        FStatus = {};
        Refresh();
        throw;
    }
    FStatus = {};
    Refresh();
}

void TUniverseSession::StartStep(bool Back)
{
    if (Busy())
        throw EZorvane(TMsg::UndoWhileBusy);
    auto what = std::make_shared<QString>();
    // One connection per step, gone with it.
    auto ended = std::make_shared<QMetaObject::Connection>();
    *ended = connect(FStep, &TLockRetry::Ended, this, [this, Back, what, ended](std::exception_ptr Error, bool) {
        disconnect(*ended);
        emit StepEnded(Back, *what, Error);
    });
    FStep->Launch([this, Back, what] { StepHistory(Back, *what); });
}

void TUniverseSession::CancelStep() { FStep->Abandon(); }

QString TUniverseSession::Undo()
{
    QString what;
    StepHistory(true, what);
    return what;
}

QString TUniverseSession::Redo()
{
    QString what;
    StepHistory(false, what);
    return what;
}
