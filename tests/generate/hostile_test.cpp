// Whatever a user's disk hands the window, it neither crashes nor damages the
// open universe: broken and extreme templates, and universe files that change
// or vanish between two operations.
#include "fakedialogs.h"
#include "stars.h"
#include "starsxy.h"
#include "templatelist.h"
#include "testsupport.h"
#include "windowsupport.h"

#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// "Maximize search" is checked in a new window.
const QString TooSmall = QStringLiteral(
    "The planets do not fit into the light areas of the template at this distance, even with \"Maximize search\". "
    "Choose a smaller \"Min. stars distance\" or a larger \"Universe size\".");

QByteArray Encoded(const QImage &Image, const char *Format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Image.save(&buffer, Format);
    return bytes;
}

QImage White(int Width, int Height, QImage::Format Format = QImage::Format_RGB32)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image.convertToFormat(Format);
}

// A window on a program directory holding the given files, with a copy of a
// real universe opened through the folder button.
struct TOpened {
    TScratch Dir;
    TFakeDialogs Dialogs;
    QString Universe;
    std::unique_ptr<TForm1> Form;

    explicit TOpened(const std::vector<std::pair<QString, QByteArray>> &Files,
                     const QString &Real = QStringLiteral("tiny-32planets-2players.xy"))
    {
        for (const auto &[name, bytes] : Files)
            WriteBytes(Dir.Path(name), bytes);
        Universe = Dir.CopyReal(Real, QStringLiteral("game.xy"));
        Form = std::make_unique<TForm1>(Dir.Dir(), Dialogs);
        Form->show();
        QCoreApplication::processEvents();
        Dialogs.OpenPaths.push_back(Universe);
        Ui(*Form).SpeedButton3->click();
    }
    bool Select(const QString &Template)
    {
        const int index = Ui(*Form).ComboBox1->findText(Template);
        if (index < 0)
            return false;
        Ui(*Form).ComboBox1->setCurrentIndex(index);
        emit Ui(*Form).ComboBox1->activated(index);
        return true;
    }
};

} // namespace

TEST(Hostile, BrokenAndExtremeTemplates)
{
    const QByteArray bmp = Encoded(White(40, 60), "BMP");
    QByteArray absurd = bmp;
    // BITMAPINFOHEADER width and height at offsets 18 and 22: 2^30 each.
    for (int at : {18, 22}) {
        absurd[at] = 0;
        absurd[at + 1] = 0;
        absurd[at + 2] = 0;
        absurd[at + 3] = 0x40;
    }
    struct Row {
        const char *name;
        QByteArray bytes;
        bool listed;
        QString error;    // the one message expected, if any
        bool writes;      // the run completes and writes the file
    };
    // %1 stands for the template's path.
    const QString cannotLoad = QStringLiteral("Cannot load template \"%1\": ");
    const QString noBmp = cannotLoad + "it is no complete BMP image.", cut = cannotLoad + "its picture is cut off.";
    const Row rows[] = {
        {"empty.bmp", QByteArray(), true, noBmp, false},
        {"truncated.bmp", bmp.left(bmp.size() / 3), true, cut, false},
        {"headeronly.bmp", bmp.left(54), true, cut, false},
        {"png.bmp", Encoded(White(40, 60), "PNG"), true, noBmp, false},
        {"absurd.bmp", absurd, true, cut, false},
        {"text.bmp", QByteArray("BM this is not a picture"), true, noBmp, false},
        {"onerow.bmp", Encoded(White(1, 21, QImage::Format_Indexed8), "BMP"), true, TooSmall, false},
        {"flat.bmp", Encoded(White(300, 20), "BMP"), true,
         QStringLiteral("The template is too small: it is 300 x 20 pixels, and it needs at least 1 column and more "
                        "than 20 rows."),
         false},
        {"huge.bmp", Encoded(White(4000, 4000, QImage::Format_Indexed8), "BMP"), true, {}, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TOpened opened({{QString::fromLatin1(row.name), row.bytes}});
        const QByteArray before = ReadBytes(opened.Universe);
        ASSERT_EQ(opened.Select(QString::fromLatin1(row.name)), row.listed);
        Ui(*opened.Form).BitBtn2->click();
        ASSERT_TRUE(WaitForRun(*opened.Form));
        if (row.error.isEmpty())
            EXPECT_TRUE(opened.Dialogs.Errors.isEmpty()) << opened.Dialogs.Errors.join(u'|').toStdString();
        else
            EXPECT_EQ(opened.Dialogs.Errors,
                      QStringList{QString(row.error).replace(QStringLiteral("%1"),
                                                              opened.Dir.Path(QString::fromLatin1(row.name)))});
        const QByteArray after = ReadBytes(opened.Universe);
        if (row.writes) {
            ASSERT_EQ(after.size(), before.size());
            EXPECT_NE(after, before);
            EXPECT_EQ(TStarsXY::FromImage(after).StarCount, 32);
        } else {
            EXPECT_EQ(after, before);
        }
        EXPECT_EQ(Ui(*opened.Form).BitBtn2->text(), QStringLiteral("Generate !"));
    }
}

TEST(Hostile, DirectoryNamedLikeATemplateIsNotListed)
{
    TScratch dir;
    ASSERT_TRUE(QDir(dir.Dir()).mkdir(QStringLiteral("x.bmp")));
    TFakeDialogs dialogs;
    TForm1 form(dir.Dir(), dialogs);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(Ui(form).ComboBox1->count(), 0);
    EXPECT_EQ(dialogs.Errors, QStringList{QStringLiteral("Templates not found ! (must be .bmp file)\nSearched: %1, %2")
                                              .arg(dir.Dir(), UserTemplateDir())});
}

TEST(Hostile, UniverseChangesBetweenOperations)
{
    const QByteArray white = Encoded(White(60, 80), "BMP");
    enum class Change { Vanish, Corrupt, OtherUniverse };
    const std::pair<Change, const char *> rows[] = {
        {Change::Vanish, "vanished"}, {Change::Corrupt, "corrupt"}, {Change::OtherUniverse, "other universe"}};
    for (const auto &[change, what] : rows) {
        SCOPED_TRACE(what);
        TOpened opened({{QStringLiteral("w.bmp"), white}}, QStringLiteral("large-640planets-2players.xy"));
        ASSERT_EQ(Ui(*opened.Form).lStars->text(), QStringLiteral("640"));
        QByteArray replacement;
        switch (change) {
        case Change::Vanish:
            ASSERT_TRUE(QFile::remove(opened.Universe));
            break;
        case Change::Corrupt:
            replacement = QByteArray(600, 'x');
            break;
        case Change::OtherUniverse:
            replacement = ReadBytes(RealXYPath(QStringLiteral("tiny-32planets-2players.xy")));
            break;
        }
        if (!replacement.isEmpty())
            WriteBytes(opened.Universe, replacement);
        const QString unreadable =
            change == Change::Vanish
                ? QStringLiteral("Cannot open file \"%1\": No such file or directory.").arg(opened.Universe)
                : QStringLiteral("The game file appears to be corrupt.");

        // The relocation was prepared on the old universe: its name list and
        // the map's copy of the stars still describe 640 planets.
        Ui(*opened.Form).BitBtn1->click();
        ASSERT_TRUE(WaitForSlide(*opened.Form));
        Ui(*opened.Form).BitBtn4->click();
        ASSERT_EQ(opened.Form->Panel().Rows().size(), 1u);
        opened.Form->Panel().Rows()[0].Names->setText(Ui(*opened.Form).ComboBox2->itemText(600));
        Ui(*opened.Form).BitBtn3->click();
        ASSERT_TRUE(WaitForSlide(*opened.Form));
        if (change == Change::OtherUniverse) {
            // The names are checked against the file as it is now, not
            // against the list the panel was filled with: the panel stays
            // open for a name of this universe.
            const QString name = opened.Form->Panel().Rows()[0].Names->text();
            EXPECT_EQ(opened.Dialogs.Errors,
                      QStringList{QStringLiteral("Unknown star name in line #1: \"%1\"").arg(name)});
            Ui(*opened.Form).SpeedButton4->click();
            ASSERT_TRUE(WaitForSlide(*opened.Form));
        } else {
            // A universe that cannot be read anew ends the run with the reason.
            EXPECT_EQ(opened.Dialogs.Errors, QStringList{unreadable});
        }
        EXPECT_LT(Ui(*opened.Form).Panel1->x(), -15) << "the panel is closed again";
        EXPECT_FALSE(opened.Form->Relocation().Pick()) << "no band";

        // Generation reads what is there now.
        opened.Dialogs.Errors.clear();
        Ui(*opened.Form).BitBtn2->click();
        ASSERT_TRUE(WaitForRun(*opened.Form));
        if (change == Change::OtherUniverse) {
            EXPECT_TRUE(opened.Dialogs.Errors.isEmpty());
        } else {
            EXPECT_EQ(opened.Dialogs.Errors, QStringList{unreadable});
        }
        if (change == Change::Vanish) {
            EXPECT_FALSE(QFile::exists(opened.Universe)) << "nothing may create the file anew";
        } else if (change == Change::Corrupt) {
            EXPECT_EQ(ReadBytes(opened.Universe), replacement);
        } else {
            const QByteArray after = ReadBytes(opened.Universe);
            EXPECT_EQ(after.size(), replacement.size());
            EXPECT_NE(after, replacement);
            EXPECT_EQ(Ui(*opened.Form).lStars->text(), QStringLiteral("32")) << "the map shows the file as written";
        }
    }
}
