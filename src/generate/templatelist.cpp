#include "templatelist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>
#include <QStandardPaths>
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

std::vector<TTemplateEntry> ListTemplates(const QStringList &Dirs)
{
    std::vector<TTemplateEntry> entries;
    QSet<QString> listed; // case-folded names of the earlier folders
    for (const QString &dir : Dirs) {
        // QDir("") is the working folder, which is no template folder.
        if (dir.isEmpty())
            continue;
        const QDir folder(dir);
        QSet<QString> here;
        for (const QString &name : ListTemplates(dir)) {
            const QString folded = name.toCaseFolded();
            if (listed.contains(folded))
                continue;
            here.insert(folded);
            entries.push_back({name, folder.filePath(name)});
        }
        listed.unite(here);
    }
    return entries;
}

QString UserTemplateDir()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/templates");
}

namespace {

// What the headers of a bitmap say about the bytes that follow them.
enum class TPixelData {
    Whole,   // the file holds every row the headers promise
    Cut,     // the file ends before the last row
    Unknown, // a layout this check does not know; Qt's reader decides alone
};

quint32 Le16(const uchar *p) { return quint32(p[0]) | quint32(p[1]) << 8; }
quint32 Le32(const uchar *p) { return Le16(p) | Le16(p + 2) << 16; }

// Hands out a file's bytes front to back in blocks, never past its end.
class TByteReader {
public:
    explicit TByteReader(QFile &File) : FFile(File) {}

    bool Next(uchar &Byte)
    {
        if (FPos == FBlock.size() && !Refill())
            return false;
        Byte = uchar(FBlock[FPos++]);
        return true;
    }

    bool Skip(qint64 Count)
    {
        while (Count > 0) {
            if (FPos == FBlock.size() && !Refill())
                return false;
            const qint64 step = std::min<qint64>(Count, FBlock.size() - FPos);
            FPos += step;
            Count -= step;
        }
        return true;
    }

private:
    bool Refill()
    {
        FBlock = FFile.read(64 * 1024);
        FPos = 0;
        return !FBlock.isEmpty();
    }

    QFile &FFile;
    QByteArray FBlock;
    qsizetype FPos = 0;
};

// Follows an RLE8 or RLE4 stream from its first byte. Whole once the stream
// reaches its end-of-bitmap code or has ended (or jumped past) the last row;
// Cut when the file runs out first.
TPixelData WalkRle(QFile &File, qint64 Start, qint64 Rows, bool FourBits)
{
    if (Start >= File.size() || !File.seek(Start))
        return TPixelData::Cut;
    TByteReader in(File);
    qint64 row = 0;
    uchar count = 0;
    uchar code = 0;
    while (in.Next(count) && in.Next(code)) {
        if (count != 0)
            continue; // count pixels of one value
        switch (code) {
        case 0: // end of line
            if (++row >= Rows)
                return TPixelData::Whole;
            break;
        case 1: // end of bitmap
            return TPixelData::Whole;
        case 2: { // move right dx, up dy
            uchar dx = 0;
            uchar dy = 0;
            if (!in.Next(dx) || !in.Next(dy))
                return TPixelData::Cut;
            row += dy;
            if (row >= Rows)
                return TPixelData::Whole;
            break;
        }
        default: { // code pixels stored as they are, padded to a 16-bit boundary
            const qint64 bytes = FourBits ? (code + 1) / 2 : code;
            if (!in.Skip(bytes + (bytes & 1)))
                return TPixelData::Cut;
            break;
        }
        }
    }
    return TPixelData::Cut;
}

TPixelData JudgePixelData(QFile &File)
{
    enum { FileHeader = 14, CoreHeader = 12, InfoHeader = 40, V4Header = 108, V5Header = 124 };
    if (!File.seek(0))
        return TPixelData::Unknown;
    const QByteArray head = File.read(FileHeader + V5Header);
    const auto *h = reinterpret_cast<const uchar *>(head.constData());
    if (head.size() < FileHeader + 4 || !head.startsWith("BM"))
        return TPixelData::Unknown;
    const qint64 offset = Le32(h + 10);
    const quint32 headerSize = Le32(h + FileHeader);
    if (headerSize != CoreHeader && headerSize != InfoHeader && headerSize != V4Header && headerSize != V5Header)
        return TPixelData::Unknown;
    if (head.size() < qsizetype(FileHeader + headerSize))
        return TPixelData::Unknown;

    const uchar *info = h + FileHeader;
    const bool core = headerSize == CoreHeader;
    qint64 width = 0;
    qint64 height = 0;
    quint32 bits = 0;
    quint32 compression = 0;
    quint32 coloursUsed = 0;
    if (core) {
        // Qt's reader takes the OS/2 header's 16-bit sizes as signed, so a
        // negative height is a top-down bitmap there as well.
        width = qint16(Le16(info + 4));
        height = qint16(Le16(info + 6));
        bits = Le16(info + 10);
    } else {
        width = qint32(Le32(info + 4));
        height = qint32(Le32(info + 8));
        bits = Le16(info + 14);
        compression = Le32(info + 16);
        coloursUsed = Le32(info + 32);
    }
    if (width <= 0 || height == 0)
        return TPixelData::Unknown;
    const qint64 rows = height < 0 ? -height : height;

    enum { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };
    // The colour table, or after a plain 40-byte header the bit masks, come
    // between the headers and the pixels. An offset pointing back into them
    // is read as the first byte after them, where a reader goes on anyway.
    qint64 tables = 0;
    if (bits <= 8) {
        const qint64 colours = coloursUsed != 0 ? qint64(coloursUsed) : qint64(1) << bits;
        if (colours > 256)
            return TPixelData::Unknown;
        tables = colours * (core ? 3 : 4);
    } else if (headerSize == InfoHeader && compression == BitFields) {
        tables = 3 * 4;
    } else if (headerSize == InfoHeader && compression == AlphaBitFields) {
        tables = 4 * 4;
    }
    const qint64 start = std::max<qint64>(offset, FileHeader + headerSize + tables);

    switch (compression) {
    case Rgb:
    case BitFields:
    case AlphaBitFields: {
        if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return TPixelData::Unknown;
        // Each row is padded to a whole number of 32-bit words. Dividing
        // instead of multiplying keeps hostile sizes from overflowing.
        const qint64 stride = (width * bits + 31) / 32 * 4;
        const qint64 available = File.size() - start;
        return available >= 0 && available / stride >= rows ? TPixelData::Whole : TPixelData::Cut;
    }
    case Rle8:
        return bits == 8 ? WalkRle(File, start, rows, false) : TPixelData::Unknown;
    case Rle4:
        return bits == 4 ? WalkRle(File, start, rows, true) : TPixelData::Unknown;
    default: // JPEG or PNG inside, or something newer
        return TPixelData::Unknown;
    }
}

} // namespace

bool LoadTemplateImage(const QString &Path, QImage &Image) { return LoadTemplateImageOrSayWhy(Path, Image).isEmpty(); }

QString LoadTemplateImageOrSayWhy(const QString &Path, QImage &Image)
{
    // A directory or a FIFO named x.bmp is not a template (a FIFO would
    // block the read).
    const QFileInfo info(Path);
    if (!info.exists())
        return QStringLiteral("it is missing");
    if (!info.isFile())
        return QStringLiteral("it is no ordinary file");
    // Qt's reader fills the rows missing from a cut-off file with black and
    // reports success; a template that lost part of its picture is refused
    // instead. The file size the file header declares is often wrong (0, or
    // too large) in files that are whole, so the pixel data decides.
    {
        QFile file(Path);
        if (!file.open(QIODevice::ReadOnly))
            return file.errorString();
        if (JudgePixelData(file) == TPixelData::Cut)
            return QStringLiteral("its picture is cut off");
    }
    QImageReader reader(Path, QByteArrayLiteral("bmp"));
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    QImage loaded;
    if (!reader.read(&loaded) || loaded.isNull())
        return QStringLiteral("it is no complete BMP image");
    Image = loaded;
    return {};
}
