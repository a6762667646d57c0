#include "templatelist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>

QStringList ListTemplates(const QString &Dir)
{
    // QDir::Files without QDir::System leaves out FIFOs, sockets and devices,
    // and without QDir::Hidden the dot-files. The suffix is checked here too
    // rather than trusting a name filter's idea of letter case.
    const QFileInfoList entries = QDir(Dir).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    QStringList names;
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        if (entry.isFile() && !entry.isHidden() && !name.startsWith(u'.') &&
            name.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive))
            names.append(name);
    }
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.compare(b, Qt::CaseSensitive) < 0;
    });
    return names;
}

bool LoadTemplateImage(const QString &Path, QImage &Image)
{
    // A directory or a FIFO named x.bmp is not a template (a FIFO would
    // block the read).
    const QFileInfo info(Path);
    if (!info.isFile())
        return false;
    // Qt's reader fills the rows missing from a cut-off file with black and
    // reports success; a template that lost part of its picture is refused
    // instead. The file header states the file's whole length.
    {
        QFile file(Path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray header = file.read(6);
        if (header.size() == 6 && header.startsWith("BM")) {
            const auto *b = reinterpret_cast<const uchar *>(header.constData()) + 2;
            const qint64 declared = qint64(b[0]) | qint64(b[1]) << 8 | qint64(b[2]) << 16 | qint64(b[3]) << 24;
            if (declared > info.size())
                return false;
        }
    }
    QImageReader reader(Path, QByteArrayLiteral("bmp"));
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    QImage loaded;
    if (!reader.read(&loaded) || loaded.isNull())
        return false;
    Image = loaded;
    return true;
}
