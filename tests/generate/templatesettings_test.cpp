#include "templatesettings.h"
#include "testsupport.h"

#include <QDir>
#include <climits>
#include <gtest/gtest.h>

// Readable settings in failure messages (found by argument lookup).
inline void PrintTo(const TTemplateSettings &s, std::ostream *os)
{
    *os << "{" << s.Sensitivity << ", " << s.FreeSpaceMode << ", " << s.MinStarsDist << ", \""
        << s.Comments.toStdString() << "\"}";
}

namespace {

TTemplateSettings Settings(int Sensitivity, int FreeSpaceMode, int MinStarsDist, const QString &Comments = {})
{
    return {Sensitivity, FreeSpaceMode, MinStarsDist, Comments};
}

TEST(TemplateSettings, SettingsFileNameReplacesTheLastExtension)
{
    const std::pair<const char *, const char *> cases[] = {
        {"spiral.bmp", "spiral.zv"},
        {"a.b.bmp", "a.b.zv"},
        {"SPIRAL.BMP", "SPIRAL.zv"},
        {"noext", "noext.zv"},
        {"a.", "a.zv"},
        {"/prog/dir.v2/a.b.bmp", "/prog/dir.v2/a.b.zv"},
        {"/prog/dir.v2/noext", "/prog/dir.v2/noext.zv"},
    };
    for (const auto &[name, expected] : cases)
        EXPECT_EQ(SettingsFileName(QString::fromUtf8(name)), QString::fromUtf8(expected)) << name;
}

TEST(TemplateSettings, IntegerValues)
{
    const std::pair<const char *, std::optional<int>> cases[] = {
        {"0x1F", 31},
        {"0X1f", 31},
        {"$10", 16},
        {"$ff", 255},
        {"0x0", 0},
        {"0x00000000010", 16},         // leading zeros do not overflow
        {"$FFFFFFFF", -1},             // 32 bits, two's complement
        {"0x80000000", INT_MIN},
        {"$100000000", std::nullopt},  // beyond 32 bits
        {"0x", std::nullopt},          // two characters only: not hexadecimal, not decimal
        {"$", std::nullopt},
        {"0xG", std::nullopt},
        {"-$10", std::nullopt},
        {"0x-1", std::nullopt},
        {"42", 42},
        {"+7", 7},
        {"-7", -7},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"2147483648", std::nullopt},
        {"-2147483648", INT_MIN},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},       // trailing garbage
        {"1 2", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"1.5", std::nullopt},
        {"\xd9\xa3", std::nullopt},    // ARABIC-INDIC DIGIT THREE is not a digit here
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(ParseProfileInt(QString::fromUtf8(text)), expected) << text;
}

TEST(TemplateSettings, ParsedContents)
{
    const TTemplateSettings defaults;
    const QString long2047(2047, u'x');
    struct Case {
        const char *Name;
        QByteArray Contents;
        TTemplateSettings Expected;
    };
    const Case cases[] = {
        {"all keys", "[CONFIG]\nSensitivity=40\nFreeSpaceMode=0\nMinStarsDist=7\nComments=A ring\n",
         Settings(40, 0, 7, "A ring")},
        {"hexadecimal and dollar", "[CONFIG]\r\nSensitivity=0x1F\r\nFreeSpaceMode=$10\r\n", Settings(31, 16, 3)},
        {"unreadable keeps the default", "[CONFIG]\nSensitivity=abc\nFreeSpaceMode=12abc\nMinStarsDist=\n",
         defaults},
        {"free space off", "[CONFIG]\nFreeSpaceMode=0\n", Settings(25, 0, 3)},
        {"out of range read as written", "[CONFIG]\nSensitivity=5000\nMinStarsDist=1\n", Settings(5000, 235, 1)},
        {"names ignore letter case", "[config]\nSENSITIVITY=40\nfreespacemode=9\nMinstarsDist=4\ncomments=c\n",
         Settings(40, 9, 4, "c")},
        {"first key wins", "[CONFIG]\nSensitivity=40\nsensitivity=50\n", Settings(40, 235, 3)},
        {"only the first section counts", "[CONFIG]\nSensitivity=40\n[Config]\nSensitivity=50\nMinStarsDist=7\n",
         Settings(40, 235, 3)},
        {"other sections ignored", "Sensitivity=11\n[OTHER]\nSensitivity=12\n[CONFIG]\nMinStarsDist=7\n[X]\nFreeSpaceMode=1\n",
         Settings(25, 235, 7)},
        {"missing section", "[CONFIGURATION]\nSensitivity=40\n", defaults},
        {"blanks around everything", "  [ CONFIG ]  \n\t Sensitivity \t=  40  \n Comments =  two words  \n",
         Settings(40, 235, 3, "two words")},
        {"quotes stripped once", "[CONFIG]\nSensitivity=\"40\"\nFreeSpaceMode=' 9 '\nComments=\"  kept  \"\n",
         Settings(40, 9, 3, "  kept  ")},
        {"unmatched quotes stay", "[CONFIG]\nSensitivity=\"40'\nComments=\"abc\n", Settings(25, 235, 3, "\"abc")},
        {"inner quotes stay", "[CONFIG]\nComments=\"\"x\"\"\n", Settings(25, 235, 3, "\"x\"")},
        {"value holds = and ;", "[CONFIG]\nComments=a=b ; c, d\n", Settings(25, 235, 3, "a=b ; c, d")},
        {"comment lines", "[CONFIG]\n;Sensitivity=40\n; MinStarsDist=9\n", defaults},
        {"lines without =", "[CONFIG]\nSensitivity\n=40\nMinStarsDist=5\n", Settings(25, 235, 5)},
        {"carriage returns only", "[CONFIG]\rSensitivity=40\rMinStarsDist=5", Settings(40, 235, 5)},
        {"header without bracket", "[CONFIG\nSensitivity=40\n", Settings(40, 235, 3)},
        {"damaged header ends the section", "[CONFIG]\nSensitivity=40\n[OTHER\nMinStarsDist=9\n",
         Settings(40, 235, 3)},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[CONFIG]\nComments=caf\xC3\xA9\n", Settings(25, 235, 3, QString::fromUtf8("caf\xC3\xA9"))},
        {"Latin-1", "[CONFIG]\nComments=caf\xE9\n", Settings(25, 235, 3, QString::fromUtf8("caf\xC3\xA9"))},
        {"UTF-16 with byte-order mark",
         QByteArray::fromRawData(reinterpret_cast<const char *>(u"\uFEFF[CONFIG]\r\nSensitivity=40\r\n"), 2 * 27),
         Settings(40, 235, 3)},
        {"comment of 2047 characters", "[CONFIG]\nComments=" + long2047.toUtf8(), Settings(25, 235, 3, long2047)},
        {"longer comment cut to 2047", "[CONFIG]\nComments=" + long2047.toUtf8() + "yz\n",
         Settings(25, 235, 3, long2047)},
        {"binary file", QByteArray("[CONFIG]\nSensitivity=40\n\0\x01\x02\xFF", 28), defaults},
        {"empty file", QByteArray(), defaults},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseTemplateSettings(c.Contents), c.Expected) << c.Name;
}

TEST(TemplateSettings, LongCommentNeverEndsInHalfASurrogatePair)
{
    // U+1F600 as the 2047th and 2048th UTF-16 units: the pair goes as a whole.
    const QString comment = QString(2046, u'x') + QString::fromUcs4(U"\U0001F600") + QStringLiteral("tail");
    const TTemplateSettings s = ParseTemplateSettings("[CONFIG]\nComments=" + comment.toUtf8());
    EXPECT_EQ(s.Comments, QString(2046, u'x'));
}

TEST(TemplateSettings, FilesThatGiveDefaults)
{
    TScratch scratch;
    const QByteArray valid = "[CONFIG]\nSensitivity=40\n";
    WriteBytes(scratch.Path("ok.zv"), valid);
    EXPECT_EQ(ReadTemplateSettings(scratch.Path("ok.zv")), Settings(40, 235, 3));

    // Exactly at the size limit it is still read; one byte more and not.
    QByteArray padded = valid;
    padded.append(QByteArray(SettingsMaxFileSize - padded.size(), '\n'));
    WriteBytes(scratch.Path("limit.zv"), padded);
    EXPECT_EQ(ReadTemplateSettings(scratch.Path("limit.zv")), Settings(40, 235, 3));
    WriteBytes(scratch.Path("huge.zv"), padded + "\n");
    EXPECT_EQ(ReadTemplateSettings(scratch.Path("huge.zv")), TTemplateSettings());

    ASSERT_TRUE(QDir(scratch.Dir()).mkdir(QStringLiteral("folder.zv")));
    EXPECT_EQ(ReadTemplateSettings(scratch.Path("folder.zv")), TTemplateSettings());
    EXPECT_EQ(ReadTemplateSettings(scratch.Path("missing.zv")), TTemplateSettings());
    EXPECT_EQ(ReadTemplateSettings(QString()), TTemplateSettings());

    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 131 + 7) & 0xFF);
    WriteBytes(scratch.Path("binary.zv"), binary);
    EXPECT_EQ(ReadTemplateSettings(scratch.Path("binary.zv")), TTemplateSettings());
}

TEST(TemplateSettings, ControlValuesClampIntoTheControls)
{
    struct Case {
        TTemplateSettings In;
        TTemplateControls Out;
    };
    const Case cases[] = {
        {TTemplateSettings(), {25, true, 235, 3, {}}}, // no settings file: free space on at 235
        {Settings(5000, 0, 3), {2000, false, std::nullopt, 3, {}}},
        {Settings(2000, 255, 40), {2000, true, 255, 40, {}}},
        {Settings(0, 300, 1), {1, true, 255, 3, {}}},
        {Settings(-3, -5, 41), {1, true, 0, 40, {}}},
        {Settings(1, 1, 2, "note"), {1, true, 1, 3, "note"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ControlValues(c.In), c.Out) << c.In.Sensitivity << " " << c.In.FreeSpaceMode;
}

} // namespace
