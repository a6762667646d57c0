#include "gamefile.h"

#include "messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtGlobal>

#ifndef Q_OS_UNIX

// Elsewhere than on Unix (gamefile.cpp) only Qt's portable file access: the
// file is always written in place, with every step checked.
namespace {

[[noreturn]] void CannotWrite(const QString &FileName, const QString &Cause)
{
    throw EZorvane(TMsg::CannotWriteFile, {FileName, Cause});
}

[[noreturn]] void Changed(const QString &FileName) { throw EZorvane(TMsg::FileChanged, {FileName}); }

} // namespace

QByteArray ReadGameFileToView(const QString &FileName, qint64 MaxSize)
{
    QFile file(FileName);
    if (FileName.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::ExistingOnly) || file.isSequential())
        throw EZorvane(TMsg::CannotOpenFile, {FileName, file.errorString()});
    return file.read(MaxSize + 1);
}

QString WriteRefusal(const QString &FileName)
{
    QFile file(FileName);
    return file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) ? QString() : file.errorString();
}

QByteArray ReadGameFile(const QString &FileName, qint64 MaxSize)
{
    if (FileName.isEmpty())
        throw EZorvane(TMsg::CannotOpenFile, {FileName, QStringLiteral("No file name given")});
    QFile file(FileName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        throw EZorvane(TMsg::CannotOpenFile, {FileName, file.errorString()});
    if (file.isSequential())
        throw EZorvane(TMsg::CannotOpenFile, {FileName, QStringLiteral("Not a regular file")});
    QByteArray bytes = file.read(MaxSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw EZorvane(TMsg::CannotOpenFile, {FileName, file.errorString()});
    return bytes;
}

TWriteNote WriteGameFile(const QString &FileName, const QByteArray &Expected, const QByteArray &Image)
{
    if (Image.size() != Expected.size())
        CannotWrite(FileName, QStringLiteral("The new contents do not have the file's length"));
    QFile file(FileName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) || file.isSequential())
        CannotWrite(FileName, file.errorString());
    const QByteArray current = file.read(Expected.size() + 1);
    if (file.error() != QFileDevice::NoError)
        CannotWrite(FileName, file.errorString());
    if (current != Expected)
        Changed(FileName);
    if (Image == Expected)
        return TWriteNote::None;
    if (!file.seek(0) || file.write(Image) != Image.size() || !file.flush()) {
        const QString cause = file.errorString();
        if (file.seek(0))
            file.write(Expected);
        file.flush();
        CannotWrite(FileName, cause);
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        CannotWrite(FileName, file.errorString());
    return TWriteNote::None;
}

void IgnoreFileSizeSignal() {}

void WriteNewFile(const QString &FileName, const QByteArray &Bytes, const QString &Protected)
{
    const QFileInfo target(FileName);
    if (target.isSymLink() || (target.exists() && !target.isFile()))
        CannotWrite(FileName, QStringLiteral("it is no ordinary file; choose another name"));
    if (!Protected.isEmpty() && target.exists() && target.canonicalFilePath() == QFileInfo(Protected).canonicalFilePath())
        CannotWrite(FileName, QStringLiteral("it is the open universe file; choose another name"));
    // QSaveFile may ignore a failed final flush; the bytes are checked back.
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(Bytes) != Bytes.size() || !file.commit())
        CannotWrite(FileName, file.errorString());
    QFile back(FileName);
    if (!back.open(QIODevice::ReadOnly) || back.readAll() != Bytes)
        CannotWrite(FileName, QStringLiteral("The file does not hold what was written"));
}

QString WritableFolderFor(const QString &FileName)
{
    const QFileInfo folder(QFileInfo(FileName).absolutePath());
    if (!FileName.isEmpty() && folder.isWritable())
        return folder.absoluteFilePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

#endif
