#include "templatelist.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

} // namespace
