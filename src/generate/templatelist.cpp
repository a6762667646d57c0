#include "templatelist.h"

#include <QDir>
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
    if (!QFileInfo(Path).isFile())
        return false;
    QImageReader reader(Path, QByteArrayLiteral("bmp"));
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    QImage loaded;
    if (!reader.read(&loaded) || loaded.isNull())
        return false;
    Image = loaded;
    return true;
}
