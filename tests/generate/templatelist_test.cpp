#include "templatelist.h"
#include "testsupport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Readable list entries in test failure messages.
static void PrintTo(const TTemplateEntry &e, std::ostream *os)
{
    *os << '{' << e.Name.toStdString() << ", " << e.Path.toStdString() << '}';
}

namespace {

QByteArray EncodedImage(const char *Format, int Width = 5, int Height = 24)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, Format));
    return bytes;
}

TEST(TemplateList, ListsVisibleBmpFilesSortedIgnoringCase)
{
    TScratch scratch;
    const QByteArray bmp = EncodedImage("BMP");
    for (const char *name : {"b.BMP", "c.bmp", "C.bmp", "a.bmp", "d.bMp", "a10.bmp", "a9.bmp", ".h.bmp", "notes.txt",
                             "x.bmp.txt", "e.bmpx", "bmp", "not-an-image.bmp"})
        WriteBytes(scratch.Path(QString::fromUtf8(name)), bmp);
    QDir dir(scratch.Dir());
    ASSERT_TRUE(dir.mkdir(QStringLiteral("x.bmp")));
    ASSERT_TRUE(QFile::link(scratch.Path("a.bmp"), scratch.Path("link.bmp")));
    ASSERT_TRUE(QFile::link(scratch.Path("gone"), scratch.Path("dead.bmp")));
    ASSERT_TRUE(QFile::link(scratch.Path("x.bmp"), scratch.Path("folderlink.bmp")));
    ASSERT_EQ(mkfifo(scratch.Path("fifo.bmp").toLocal8Bit().constData(), 0600), 0);

    // Whether a file holds an image does not matter for the list; the load
    // decides that later.
    const QStringList expected = {"a.bmp",   "a10.bmp", "a9.bmp", "b.BMP",    "C.bmp",
                                  "c.bmp",   "d.bMp",   "link.bmp", "not-an-image.bmp"};
    EXPECT_EQ(ListTemplates(scratch.Dir()), expected);
    EXPECT_EQ(ListTemplates(scratch.Dir() + QStringLiteral("/")), expected);
}

TEST(TemplateList, EmptyOrMissingFolder)
{
    TScratch scratch;
    EXPECT_TRUE(ListTemplates(scratch.Dir()).isEmpty());
    EXPECT_TRUE(ListTemplates(scratch.Path("missing")).isEmpty());
}

TEST(TemplateList, LoadsOnlyBmpContents)
{
    TScratch scratch;
    const QByteArray bmp = EncodedImage("BMP", 7, 25);
    WriteBytes(scratch.Path("good.bmp"), bmp);
    WriteBytes(scratch.Path("UPPER.BMP"), bmp);
    WriteBytes(scratch.Path("named.png"), bmp); // BMP contents decide, not the name
    WriteBytes(scratch.Path("png.bmp"), EncodedImage("PNG"));
    WriteBytes(scratch.Path("header-only.bmp"), bmp.left(30));
    WriteBytes(scratch.Path("empty.bmp"), QByteArray());
    WriteBytes(scratch.Path("text.bmp"), "BM this is not a bitmap at all, only text that starts like one\n");
    ASSERT_TRUE(QDir(scratch.Dir()).mkdir(QStringLiteral("folder.bmp")));

    const std::pair<const char *, bool> cases[] = {
        {"good.bmp", true},    {"UPPER.BMP", true},  {"named.png", true},
        {"png.bmp", false},    {"header-only.bmp", false}, {"empty.bmp", false},
        {"text.bmp", false},   {"folder.bmp", false}, {"missing.bmp", false},
    };
    for (const auto &[name, loads] : cases) {
        QImage image(3, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QImage before = image;
        EXPECT_EQ(LoadTemplateImage(scratch.Path(QString::fromUtf8(name)), image), loads) << name;
        if (loads) {
            EXPECT_EQ(image.size(), QSize(7, 25)) << name;
            EXPECT_EQ(qBlue(image.pixel(6, 24)), 30) << name;
        } else {
            EXPECT_EQ(image, before) << name << ": a failed load must leave the image alone";
        }
    }
}

// ---- hand-made bitmaps -------------------------------------------------------

QByteArray Le16(quint32 Value)
{
    const char bytes[2] = {char(Value), char(Value >> 8)};
    return QByteArray(bytes, 2);
}
QByteArray Le32(quint32 Value) { return Le16(Value) + Le16(Value >> 16); }

// One bitmap file laid out field by field. The colour table holds Colours
// entries (3 bytes each after the 12-byte OS/2 header, 4 otherwise) and
// Colours is also written as the number of colours used. Masks go after a
// 40-byte header, or into a V4/V5 header at their place there.
struct TBmp {
    int HeaderSize = 40;
    qint32 Width = 0;
    qint32 Height = 0;
    int Bits = 24;
    int Compression = 0;
    int Colours = 0;
    QByteArray Masks = {};
    QByteArray Pixels = {};
    qint64 DeclaredSize = -1; // -1: the file's real size
    qint64 PixelOffset = -1;  // -1: right after the colour table

    QByteArray Bytes() const
    {
        QByteArray header = Le32(HeaderSize);
        if (HeaderSize == 12) {
            header += Le16(Width) + Le16(Height) + Le16(1) + Le16(Bits);
        } else {
            header += Le32(Width) + Le32(Height) + Le16(1) + Le16(Bits) + Le32(Compression) +
                      Le32(Pixels.size()) + Le32(2835) + Le32(2835) + Le32(Colours) + Le32(0);
            if (HeaderSize > 40)
                header += Masks;
            header.append(HeaderSize - header.size(), '\0');
        }
        if (HeaderSize == 40)
            header += Masks;
        for (int i = 0; i < Colours; ++i) {
            const char grey = char(i * 255 / std::max(1, Colours - 1));
            header += QByteArray(3, grey);
            if (HeaderSize != 12)
                header += '\0';
        }
        const qint64 offset = PixelOffset >= 0 ? PixelOffset : 14 + header.size();
        const qint64 size = 14 + header.size() + Pixels.size();
        return "BM" + Le32(DeclaredSize >= 0 ? DeclaredSize : size) + Le32(0) + Le32(offset) + header + Pixels;
    }
};

// Rows of Stride bytes, each row a different value.
QByteArray Rows(int Stride, int Count)
{
    QByteArray rows;
    for (int i = 0; i < Count; ++i)
        rows += QByteArray(Stride, char(0x40 + 8 * i));
    return rows;
}

TBmp Sized(TBmp Bmp, qint64 DeclaredSize)
{
    Bmp.DeclaredSize = DeclaredSize;
    return Bmp;
}

// The file without its last Count bytes.
QByteArray DropTail(const QByteArray &Bytes, int Count) { return Bytes.left(Bytes.size() - Count); }

TEST(TemplateList, RefusesBitmapsCutShortOfTheirPixels)
{
    // 5 pixels of 24 bits: 15 bytes, padded to 16.
    const TBmp rgb24{.Width = 5, .Height = 30, .Bits = 24, .Pixels = Rows(16, 30)};
    TBmp rgb24PastTheEnd = rgb24;
    rgb24PastTheEnd.PixelOffset = 10000;
    const TBmp topDown{.Width = 5, .Height = -30, .Bits = 24, .Pixels = Rows(16, 30)};
    const TBmp rgb16{.Width = 3, .Height = 5, .Bits = 16, .Pixels = Rows(8, 5)};
    const TBmp rgb32{.Width = 3, .Height = 5, .Bits = 32, .Pixels = Rows(12, 5)};
    const TBmp fields32{.Width = 3, .Height = 5, .Bits = 32, .Compression = 3,
                        .Masks = Le32(0xff0000) + Le32(0xff00) + Le32(0xff), .Pixels = Rows(12, 5)};
    const TBmp v4fields16{.HeaderSize = 108, .Width = 3, .Height = 5, .Bits = 16, .Compression = 3,
                          .Masks = Le32(0x7c00) + Le32(0x03e0) + Le32(0x001f), .Pixels = Rows(8, 5)};
    const TBmp v5rgb24{.HeaderSize = 124, .Width = 5, .Height = 6, .Bits = 24, .Pixels = Rows(16, 6)};
    const TBmp indexed8{.Width = 3, .Height = 7, .Bits = 8, .Colours = 256, .Pixels = Rows(4, 7)};
    // 5 pixels of 4 bits: 20 bits, padded to 32; of 1 bit: 5 bits, padded to 32.
    const TBmp indexed4{.Width = 5, .Height = 6, .Bits = 4, .Colours = 16, .Pixels = Rows(4, 6)};
    const TBmp mono{.Width = 5, .Height = 6, .Bits = 1, .Colours = 2, .Pixels = Rows(4, 6)};
    const TBmp os2rgb24{.HeaderSize = 12, .Width = 5, .Height = 6, .Bits = 24, .Pixels = Rows(16, 6)};
    const TBmp os2indexed8{.HeaderSize = 12, .Width = 3, .Height = 7, .Bits = 8, .Colours = 256,
                           .Pixels = Rows(4, 7)};
    // An offset pointing back into the headers: the pixels still follow the
    // colour table or the masks.
    TBmp fields32Offset0 = fields32;
    fields32Offset0.PixelOffset = 0;
    TBmp indexed8Offset0 = indexed8;
    indexed8Offset0.PixelOffset = 0;

    // RLE8, 6 x 4: a run of 6, an absolute run of 3 (padded) plus a run of 3,
    // and a last row ended by the end-of-bitmap code.
    const QByteArray rle8Rows = QByteArray::fromHex("0601 0000"
                                                    "0003 010101 00 0301 0000"
                                                    "0601 0000"
                                                    "0601 0001");
    const TBmp rle8{.Width = 6, .Height = 4, .Bits = 8, .Compression = 1, .Colours = 2, .Pixels = rle8Rows};
    auto rle8With = [](const char *Hex) {
        return TBmp{.Width = 6, .Height = 4, .Bits = 8, .Compression = 1, .Colours = 2,
                    .Pixels = QByteArray::fromHex(Hex), .DeclaredSize = 0}
            .Bytes();
    };
    // RLE4, 5 x 3, its last row an absolute run of 5 pixels in 3 bytes plus
    // one byte of padding.
    const TBmp rle4{.Width = 5, .Height = 3, .Bits = 4, .Compression = 2, .Colours = 16,
                    .Pixels = QByteArray::fromHex("0512 0000 0534 0000 0005 123450 00 0001")};

    struct TCase {
        const char *Name;
        QByteArray Bytes;
        bool Loads;
    };
    const TCase cases[] = {
        {"24-bit, declared size too large", Sized(rgb24, 100000).Bytes(), true},
        {"24-bit cut to a third, declared size 0", Sized(rgb24, 0).Bytes().left(rgb24.Bytes().size() / 3), false},
        {"24-bit without its last padding byte", DropTail(Sized(rgb24, 0).Bytes(), 1), false},
        {"24-bit, pixel offset past the end", Sized(rgb24PastTheEnd, 0).Bytes(), false},
        {"top-down", Sized(topDown, 0).Bytes(), true},
        {"top-down cut to a third", Sized(topDown, 0).Bytes().left(topDown.Bytes().size() / 3), false},
        {"top-down without its last byte", DropTail(Sized(topDown, 0).Bytes(), 1), false},
        {"16-bit", Sized(rgb16, 0).Bytes(), true},
        {"16-bit without its last byte", DropTail(Sized(rgb16, 0).Bytes(), 1), false},
        {"32-bit", Sized(rgb32, 0).Bytes(), true},
        {"32-bit without its last row", DropTail(Sized(rgb32, 0).Bytes(), 12), false},
        {"32-bit bit fields", Sized(fields32, 0).Bytes(), true},
        {"32-bit bit fields without its last byte", DropTail(Sized(fields32, 0).Bytes(), 1), false},
        {"32-bit bit fields, offset 0", Sized(fields32Offset0, 0).Bytes(), true},
        {"32-bit bit fields, offset 0, without its last byte", DropTail(Sized(fields32Offset0, 0).Bytes(), 1), false},
        {"V4 16-bit bit fields", Sized(v4fields16, 0).Bytes(), true},
        {"V4 16-bit bit fields without its last byte", DropTail(Sized(v4fields16, 0).Bytes(), 1), false},
        {"V5 24-bit", Sized(v5rgb24, 0).Bytes(), true},
        {"V5 24-bit without its last byte", DropTail(Sized(v5rgb24, 0).Bytes(), 1), false},
        {"8-bit indexed", Sized(indexed8, 0).Bytes(), true},
        {"8-bit indexed without its last row", DropTail(Sized(indexed8, 0).Bytes(), 4), false},
        {"8-bit indexed, offset 0", Sized(indexed8Offset0, 0).Bytes(), true},
        {"8-bit indexed, offset 0, without its last byte", DropTail(Sized(indexed8Offset0, 0).Bytes(), 1), false},
        {"4-bit indexed", Sized(indexed4, 0).Bytes(), true},
        {"4-bit indexed without its last byte", DropTail(Sized(indexed4, 0).Bytes(), 1), false},
        {"1-bit", Sized(mono, 0).Bytes(), true},
        {"1-bit without its last byte", DropTail(Sized(mono, 0).Bytes(), 1), false},
        {"OS/2 24-bit", Sized(os2rgb24, 0).Bytes(), true},
        {"OS/2 24-bit without its last byte", DropTail(Sized(os2rgb24, 0).Bytes(), 1), false},
        {"OS/2 8-bit indexed", Sized(os2indexed8, 0).Bytes(), true},
        {"OS/2 8-bit indexed without its last byte", DropTail(Sized(os2indexed8, 0).Bytes(), 1), false},
        {"RLE8, declared size too large", Sized(rle8, 100000).Bytes(), true},
        {"RLE8 with trailing bytes", Sized(rle8, 0).Bytes() + QByteArray(40, '\x7f'), true},
        {"RLE8 cut after its first row", DropTail(Sized(rle8, 0).Bytes(), rle8Rows.size() - 4), false},
        {"RLE8 without its end code", DropTail(Sized(rle8, 0).Bytes(), 2), false},
        {"RLE8 with every row ended and no end code", rle8With("0601 0000 0601 0000 0601 0000 0601 0000"), true},
        {"RLE8 jumping past the last row", rle8With("0601 0000 0002 0005"), true},
        {"RLE8 cut inside a jump", rle8With("0601 0000 0002 00"), false},
        // Bytes that read like an end code when the stream is not followed
        // code by code: inside an absolute run, and across a run's two bytes.
        {"RLE8 cut after 00 01 inside an absolute run", rle8With("0601 0000 0004 00010001"), false},
        {"RLE8 cut after 00 01 across two codes", rle8With("0601 0000 0200 0105"), false},
        {"RLE4", Sized(rle4, 0).Bytes(), true},
        {"RLE4 without its end code", DropTail(Sized(rle4, 0).Bytes(), 2), false},
        {"RLE4 cut inside an absolute run", DropTail(Sized(rle4, 0).Bytes(), 5), false},
        {"huge width and height", TBmp{.Width = 0x7fffffff, .Height = -0x7fffffff, .Pixels = Rows(16, 2)}.Bytes(),
         false},
        {"huge RLE8 height", TBmp{.Width = 6, .Height = 0x7fffffff, .Bits = 8, .Compression = 1, .Colours = 2,
                                  .Pixels = QByteArray::fromHex("0601 0000")}.Bytes(),
         false},
    };
    TScratch scratch;
    for (const TCase &c : cases) {
        const QString path = scratch.Path(QStringLiteral("case.bmp"));
        WriteBytes(path, c.Bytes);
        QImage image;
        EXPECT_EQ(LoadTemplateImage(path, image), c.Loads) << c.Name;
        if (c.Loads) {
            EXPECT_FALSE(image.isNull()) << c.Name;
        }
    }
}

// ---- the program's and the user's template folders ---------------------------

QString Touch(const QString &Dir, const char *Name)
{
    const QString path = QDir(Dir).filePath(QString::fromUtf8(Name));
    WriteBytes(path, EncodedImage("BMP"));
    return path;
}

TEST(TemplateList, ListsProgramFolderThenUserFolder)
{
    TScratch scratch;
    const QString program = scratch.Path("program");
    const QString user = scratch.Path("user");
    ASSERT_TRUE(QDir().mkpath(program));
    ASSERT_TRUE(QDir().mkpath(user));
    const QString programA = Touch(program, "a.bmp");
    const QString programB = Touch(program, "b.bmp");
    const QString programSpiral = Touch(program, "Spiral.bmp");
    Touch(program, ".hidden.bmp");
    Touch(program, "readme.txt");
    const QString userZero = Touch(user, "0first.bmp");
    const QString userUpperA = Touch(user, "A.BMP");
    const QString userUpperC = Touch(user, "C.bmp");
    const QString userC = Touch(user, "c.bmp");
    const QString userSpiral = Touch(user, "spiral.bmp");
    Touch(user, ".h.bmp");
    Touch(user, "notes.txt");

    using TList = std::vector<TTemplateEntry>;
    // The user's "A.BMP" and "spiral.bmp" look like the program's own; two
    // look-alikes within one folder are both kept.
    const TList programFirst = {{"a.bmp", programA},       {"b.bmp", programB}, {"Spiral.bmp", programSpiral},
                                {"0first.bmp", userZero}, {"C.bmp", userUpperC}, {"c.bmp", userC}};
    EXPECT_EQ(ListTemplates(QStringList{program, user}), programFirst);
    // An empty folder name (no user folder known) is not the working folder.
    Touch(scratch.Dir(), "working.bmp");
    const QString oldWorkingDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(scratch.Dir()));
    EXPECT_EQ(ListTemplates(QStringList{program + "/", scratch.Path("missing"), QString(), user}), programFirst);
    QDir::setCurrent(oldWorkingDir);
    const TList userFirst = {{"0first.bmp", userZero}, {"A.BMP", userUpperA}, {"C.bmp", userUpperC},
                             {"c.bmp", userC},         {"spiral.bmp", userSpiral}, {"b.bmp", programB}};
    EXPECT_EQ(ListTemplates(QStringList{user, program}), userFirst);
    EXPECT_EQ(ListTemplates(QStringList{program, program}), (TList{programFirst.begin(), programFirst.begin() + 3}));
    EXPECT_TRUE(ListTemplates(QStringList{}).empty());

    // The user's folder follows the XDG data folder and the application name,
    // and asking for it creates nothing.
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    const QString oldApp = QCoreApplication::applicationName();
    const QString oldOrganization = QCoreApplication::organizationName();
    qputenv("XDG_DATA_HOME", scratch.Path("data").toLocal8Bit());
    QCoreApplication::setApplicationName(QStringLiteral("zorvane"));
    QCoreApplication::setOrganizationName(QString());
    EXPECT_EQ(UserTemplateDir(), scratch.Path("data") + "/zorvane/templates");
    EXPECT_FALSE(QFileInfo::exists(scratch.Path("data")));
    QCoreApplication::setApplicationName(oldApp);
    QCoreApplication::setOrganizationName(oldOrganization);
    if (oldDataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldDataHome);
}

TEST(TemplateList, UnreadableFolderContributesNothing)
{
    TScratch scratch;
    const QString program = scratch.Path("program");
    const QString locked = scratch.Path("locked");
    const QString user = scratch.Path("user");
    for (const QString &dir : {program, locked, user})
        ASSERT_TRUE(QDir().mkpath(dir));
    const QString programA = Touch(program, "a.bmp");
    Touch(locked, "b.bmp");
    Touch(locked, "c.bmp");
    const QString userC = Touch(user, "c.bmp");
    ASSERT_EQ(chmod(scratch.Dir().toLocal8Bit().constData(), 0755), 0);
    ASSERT_EQ(chmod(locked.toLocal8Bit().constData(), 0), 0);
    // Opened again so that the scratch folder can be removed.
    const auto unlock = qScopeGuard([&] { chmod(locked.toLocal8Bit().constData(), 0755); });
    const QStringList dirs{program, locked, user};
    const std::vector<TTemplateEntry> expected = {{"a.bmp", programA}, {"c.bmp", userC}};

    if (geteuid() != 0) {
        EXPECT_EQ(ListTemplates(dirs), expected);
        return;
    }
    // Root reads any folder, so the listing runs in a child that has become
    // user nobody; it sends its list back one "name<TAB>path" line each.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeEnds[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(77);
        if (access(locked.toLocal8Bit().constData(), R_OK) == 0)
            _exit(78);
        if (access(program.toLocal8Bit().constData(), R_OK | X_OK) != 0)
            _exit(79);
        QByteArray lines;
        for (const TTemplateEntry &entry : ListTemplates(dirs))
            lines += entry.Name.toUtf8() + '\t' + entry.Path.toUtf8() + '\n';
        const bool sent = write(pipeEnds[1], lines.constData(), size_t(lines.size())) == lines.size();
        _exit(sent ? 0 : 1);
    }
    close(pipeEnds[1]);
    QByteArray lines;
    char block[4096];
    for (ssize_t got; (got = read(pipeEnds[0], block, sizeof block)) > 0;)
        lines.append(block, got);
    close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "cannot become user nobody to make a folder unreadable";
    if (WEXITSTATUS(status) == 78)
        GTEST_SKIP() << "user nobody can still read a folder of mode 000";
    if (WEXITSTATUS(status) == 79)
        GTEST_SKIP() << "user nobody cannot reach the scratch folder";
    ASSERT_EQ(WEXITSTATUS(status), 0);
    std::vector<TTemplateEntry> listed;
    for (const QByteArray &line : lines.split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 2)
            listed.push_back({QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1])});
    }
    EXPECT_EQ(listed, expected);
}

} // namespace
