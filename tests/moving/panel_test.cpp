// The Stars moving panel in entry mode, driven through the main window's
// buttons, line edits and map.
#include "fakedialogs.h"
#include "mapgeometry.h"
#include "paintbox.h"
#include "planetnames.h"
#include "stars.h"
#include "starsxy.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <algorithm>

namespace {

const QColor Blue(0, 0, 255);
const QColor Black(0, 0, 0);

QColor CaptionColor(const TGroupRow &Row) { return Row.Caption->palette().color(QPalette::WindowText); }

class GroupPanel : public testing::Test {
protected:
    TFakeDialogs Dialogs;
    TScratch Scratch;
    std::unique_ptr<TForm1> Form;
    QString XY;

    void SetUp() override
    {
        QApplication::setQuitOnLastWindowClosed(false);
        Form = std::make_unique<TForm1>(QStringLiteral(ZV_TEMPLATES_DIR), Dialogs);
        Form->show();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        Open(QStringLiteral("small-128planets-3players.xy"));
    }

    void Open(const QString &RealFile)
    {
        XY = Scratch.CopyReal(RealFile);
        Dialogs.OpenPaths.push_back(XY);
        QTest::mouseClick(Form->SpeedButton3, Qt::LeftButton);
        ASSERT_FALSE(Form->Map.StarPoints.empty());
    }

    void OpenPanel()
    {
        QTest::mouseClick(Form->BitBtn1, Qt::LeftButton);
        ASSERT_EQ(Form->Panel1->x(), -4);
    }

    void Click(QWidget *Button) { QTest::mouseClick(Button, Qt::LeftButton); }

    void MovePointer(QPoint Pixel)
    {
        QMouseEvent move(QEvent::MouseMove, Pixel, Form->PaintBox1->mapToGlobal(QPointF(Pixel)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Form->PaintBox1, &move);
    }

    QStringList Texts() const
    {
        QStringList texts;
        for (const TGroupRow &row : Form->Groups)
            texts << row.Names->text();
        return texts;
    }
};

TEST_F(GroupPanel, OpeningDisablesTheWindowsControlsAndClosingEnablesThem)
{
    const QStringList switched = {
        "BitBtn1",   "BitBtn2", "Chv",    "Conf",   "FreeSp", "FreeSpaceRng", "GroupBox1",
        "GroupBox2", "Label10", "Label3", "Label5", "Label6", "Label8",       "Label9",
        "MaxC",      "MinD",    "Progr",  "SizeSel", "SpeedButton5", "SpeedButton6", "StarsBuf"};
    auto disabled = [this] {
        QStringList names;
        for (QObject *child : Form->children())
            if (auto *w = qobject_cast<QWidget *>(child); w && !w->isEnabled())
                names << w->objectName();
        names.sort();
        return names;
    };
    Form->FreeSp->setChecked(true); // its threshold is enabled only with it
    EXPECT_EQ(disabled(), QStringList());
    OpenPanel();
    EXPECT_EQ(disabled(), switched);
    EXPECT_TRUE(Form->ChangeMode);
    EXPECT_EQ(Form->Label11->text(), QStringLiteral("Enter names of home worlds to move."));
    Click(Form->BitBtn4);
    QTest::keyClicks(Form->Groups[0].Names, QStringLiteral("Zulu"));

    Click(Form->SpeedButton4);
    EXPECT_EQ(Form->Panel1->x(), -220);
    EXPECT_EQ(disabled(), QStringList());
    EXPECT_FALSE(Form->ChangeMode);
    // The groups survive closing and reopening.
    OpenPanel();
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Zulu")});
    EXPECT_EQ(disabled(), switched);
}

TEST_F(GroupPanel, CloseButtonWhileThePanelSlidesStartsNoSecondSlide)
{
    int leftAtClick = 0;
    bool busyAtClick = false;
    QTimer::singleShot(40, Form.get(), [&] {
        leftAtClick = Form->Panel1->x();
        busyAtClick = Form->PanelBusy;
        Click(Form->SpeedButton4);
    });
    Click(Form->BitBtn1);
    ASSERT_TRUE(busyAtClick) << "the click came after the slide";
    EXPECT_GE(leftAtClick, -220);
    EXPECT_LT(leftAtClick, -4);
    // The opening slide ran to its end and the panel stayed open.
    EXPECT_EQ(Form->Panel1->x(), -4);
    EXPECT_FALSE(Form->BitBtn2->isEnabled());
    EXPECT_FALSE(Form->ChangeMode) << "the close button still cleared it";
}

TEST_F(GroupPanel, PlusStopsAtThePlayerCountAndMinusMakesRoomForOneMore)
{
    OpenPanel();
    ASSERT_EQ(Form->lPlayers->text(), QStringLiteral("3"));
    for (int i = 0; i < 4; ++i)
        Click(Form->BitBtn4);
    ASSERT_EQ(Form->Groups.size(), 3u);
    EXPECT_EQ(Dialogs.Errors, QStringList()) << "no message at the limit";
    Dialogs.Answers.push_back(true);
    Click(Form->BitBtn6);
    EXPECT_EQ(Dialogs.Questions, QStringList{QStringLiteral("Delete LAST group ?")});
    ASSERT_EQ(Form->Groups.size(), 2u);
    EXPECT_EQ(Form->ActiveGroup, -1);
    EXPECT_EQ(CaptionColor(Form->Groups[0]), Black);
    EXPECT_EQ(CaptionColor(Form->Groups[1]), Black);
    Click(Form->BitBtn4);
    ASSERT_EQ(Form->Groups.size(), 3u);
    EXPECT_EQ(Form->Groups[2].Caption->text(), QStringLiteral("#3 :"));
    EXPECT_EQ(Form->Groups[2].Names->property("tag").toInt(), 2);
    Click(Form->BitBtn4);
    EXPECT_EQ(Form->Groups.size(), 3u);
}

TEST_F(GroupPanel, MinusReportsAnEmptyPanelAndKeepsGroupsWhenAnsweredNo)
{
    OpenPanel();
    Click(Form->BitBtn6);
    EXPECT_EQ(Dialogs.Errors, QStringList{QStringLiteral("Nothing to delete.")});
    EXPECT_EQ(Dialogs.Questions, QStringList()) << "nothing to ask about";

    Click(Form->BitBtn4);
    Click(Form->BitBtn4);
    QTest::keyClicks(Form->Groups[1].Names, QStringLiteral("Bonn"));
    Dialogs.Answers.push_back(false);
    Click(Form->BitBtn6);
    EXPECT_EQ(Dialogs.Questions, QStringList{QStringLiteral("Delete LAST group ?")});
    EXPECT_EQ(Texts(), (QStringList{QString(), QStringLiteral("Bonn")}));
    EXPECT_EQ(Form->ActiveGroup, 1);
    EXPECT_EQ(CaptionColor(Form->Groups[1]), Blue);
    EXPECT_EQ(Form->Panel1->height(), 150 + 28);
}

TEST_F(GroupPanel, PanelGrowsWithTheGroupsAndTheBottomControlsMoveAlong)
{
    OpenPanel();
    const std::pair<QWidget *, int> bottom[] = {{Form->ComboBox2, 96}, {Form->BitBtn5, 96}, {Form->BitBtn4, 96},
                                                {Form->BitBtn6, 96},   {Form->StaticText1, 120}, {Form->Label12, 137},
                                                {Form->BitBtn3, 140}};
    auto expectHeight = [&](int Groups) {
        SCOPED_TRACE(Groups);
        const int height = 150 + 14 * Groups;
        EXPECT_EQ(Form->Panel1->height(), height);
        for (const auto &[control, top] : bottom)
            EXPECT_EQ(control->y(), top + height - 173) << control->objectName().toStdString();
    };
    expectHeight(0);
    for (int n = 1; n <= 3; ++n) {
        Click(Form->BitBtn4);
        expectHeight(n);
        const TGroupRow &row = Form->Groups.back();
        EXPECT_EQ(row.Caption->geometry().topLeft(), QPoint(5, 50 + 14 * n));
        EXPECT_EQ(row.Names->geometry(), QRect(35, 50 + 14 * n, 165, 14));
        EXPECT_EQ(row.Caption->text(), QStringLiteral("#%1 :").arg(n));
    }
    Dialogs.Answers = {true, true};
    Click(Form->BitBtn6);
    expectHeight(2);
    Click(Form->BitBtn6);
    expectHeight(1);
}

TEST_F(GroupPanel, InsAppendsTheListsTextToTheActiveGroup)
{
    OpenPanel();
    Click(Form->BitBtn4);
    QLineEdit *names = Form->Groups[0].Names;
    struct Row {
        const char *Before, *Typed, *After;
    };
    const Row rows[] = {
        {"", "Bonn", "Bonn"},
        {"Zulu", "Bonn", "Zulu,Bonn"},
        {"Zulu,", "Bonn", "Zulu,Bonn"},
        {"Zulu,  ", "Bonn", "Zulu,  Bonn"},
        {"Zulu ", "Bonn", "Zulu ,Bonn"},
        {"Zulu", "", "Zulu"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.Before);
        names->setText(QString::fromLatin1(row.Before));
        Form->ComboBox2->lineEdit()->clear();
        QTest::keyClicks(Form->ComboBox2->lineEdit(), QString::fromLatin1(row.Typed));
        ASSERT_EQ(Form->ComboBox2->currentText(), QString::fromLatin1(row.Typed));
        Click(Form->BitBtn5);
        EXPECT_EQ(names->text(), QString::fromLatin1(row.After));
        EXPECT_EQ(Form->ComboBox2->currentText(), QString()) << "the list's text is emptied";
    }
    // A double click in the list's text inserts the same way.
    names->setText(QStringLiteral("Zulu"));
    QTest::keyClicks(Form->ComboBox2->lineEdit(), QStringLiteral("Bonn"));
    QTest::mouseDClick(Form->ComboBox2->lineEdit(), Qt::LeftButton);
    EXPECT_EQ(names->text(), QStringLiteral("Zulu,Bonn"));
    EXPECT_EQ(Form->ComboBox2->currentText(), QString());

    // With no active group nothing is inserted anywhere.
    Click(Form->BitBtn4);
    Dialogs.Answers.push_back(true);
    Click(Form->BitBtn6);
    ASSERT_EQ(Form->ActiveGroup, -1);
    QTest::keyClicks(Form->ComboBox2->lineEdit(), QStringLiteral("Bonn"));
    Click(Form->BitBtn5);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Zulu,Bonn")});
}

TEST_F(GroupPanel, MapClickInEntryModeAppendsTheNearestPlanet)
{
    OpenPanel();
    Click(Form->BitBtn4);
    const TMapView view = Form->Map.View();
    const auto &stars = Form->Map.StarPoints;
    auto nearestName = [&](QPoint Pixel) {
        return NameById(stars[NearestStar(stars, MapToUniverse(view, Pixel.x(), Pixel.y()))].NameId);
    };
    const QPoint first = UniverseToMap(view, stars[20]);
    const QPoint second = UniverseToMap(view, stars[100]);
    for (QPoint pixel : {first, second}) {
        MovePointer(pixel);
        QTest::mouseClick(Form->PaintBox1, Qt::LeftButton, Qt::NoModifier, pixel);
    }
    EXPECT_EQ(Texts(), QStringList{nearestName(first) + QStringLiteral(",") + nearestName(second)});
    EXPECT_EQ(nearestName(first), NameById(stars[20].NameId));
    EXPECT_TRUE(Form->PickDone);

    // A click while no group is active only sets PickDone.
    Dialogs.Answers.push_back(true);
    Click(Form->BitBtn4);
    Click(Form->BitBtn6);
    ASSERT_EQ(Form->ActiveGroup, -1);
    Form->PickDone = false;
    QTest::mouseClick(Form->PaintBox1, Qt::LeftButton, Qt::NoModifier, second);
    EXPECT_EQ(Texts(), QStringList{nearestName(first) + QStringLiteral(",") + nearestName(second)});
    EXPECT_TRUE(Form->PickDone);

    // Once the panel is closed map clicks add nothing either.
    Click(Form->SpeedButton4);
    QTest::mouseClick(Form->Groups[0].Names, Qt::LeftButton);
    ASSERT_EQ(Form->ActiveGroup, 0);
    QTest::mouseClick(Form->PaintBox1, Qt::LeftButton, Qt::NoModifier, second);
    EXPECT_EQ(Texts().size(), 1);
    EXPECT_EQ(Texts()[0].count(u','), 1);
}

TEST_F(GroupPanel, FocusingAGroupsLineMakesItTheActiveGroup)
{
    OpenPanel();
    for (int i = 0; i < 3; ++i)
        Click(Form->BitBtn4);
    ASSERT_EQ(Form->Groups.size(), 3u);
    auto colors = [this] {
        std::vector<QColor> c;
        for (const TGroupRow &row : Form->Groups)
            c.push_back(CaptionColor(row));
        return c;
    };
    // The newest group is active at once.
    EXPECT_EQ(Form->ActiveGroup, 2);
    EXPECT_EQ(colors(), (std::vector<QColor>{Black, Black, Blue}));
    QTest::mouseClick(Form->Groups[0].Names, Qt::LeftButton);
    EXPECT_EQ(Form->ActiveGroup, 0);
    EXPECT_EQ(colors(), (std::vector<QColor>{Blue, Black, Black}));
    Form->Groups[1].Names->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Form->ActiveGroup, 1);
    EXPECT_EQ(colors(), (std::vector<QColor>{Black, Blue, Black}));
    // "Ins" goes to the group that has the focus.
    QTest::keyClicks(Form->ComboBox2->lineEdit(), QStringLiteral("Bonn"));
    Click(Form->BitBtn5);
    EXPECT_EQ(Texts(), (QStringList{QString(), QStringLiteral("Bonn"), QString()}));
}

TEST_F(GroupPanel, NameListHoldsEveryPlanetSortedAndTheStarCount)
{
    Open(QStringLiteral("large-640planets-2players.xy"));
    OpenPanel();
    EXPECT_EQ(Form->StaticText1->text(), QStringLiteral("Stars count :640"));
    QStringList expected;
    for (const TStarRec &star : Form->Map.StarPoints)
        expected << NameById(star.NameId);
    std::sort(expected.begin(), expected.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QStringList listed;
    for (int i = 0; i < Form->ComboBox2->count(); ++i)
        listed << Form->ComboBox2->itemText(i);
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(Form->ComboBox2->currentText(), QString());
}

} // namespace
