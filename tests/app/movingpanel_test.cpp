// The Stars moving panel in entry mode, driven through the main window's
// buttons, line edits and map.
#include "fakedialogs.h"
#include "mapgeometry.h"
#include "planetnames.h"
#include "starsxy.h"
#include "testsupport.h"
#include "windowsupport.h"

#include <QApplication>
#include <QLineEdit>
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

    TUi W() const { return Ui(*Form); }

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
        QTest::mouseClick(W().SpeedButton3, Qt::LeftButton);
        ASSERT_FALSE(Form->Map().StarPoints().empty());
    }

    void OpenPanel()
    {
        QTest::mouseClick(W().BitBtn1, Qt::LeftButton);
        ASSERT_TRUE(WaitForSlide(*Form));
        ASSERT_EQ(W().Panel1->x(), -4);
    }

    void Click(QWidget *Button) { QTest::mouseClick(Button, Qt::LeftButton); }

    QStringList Texts() const
    {
        QStringList texts;
        for (const TGroupRow &row : W().Groups())
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
    W().FreeSp->setChecked(true); // its threshold is enabled only with it
    EXPECT_EQ(disabled(), QStringList());
    OpenPanel();
    EXPECT_EQ(disabled(), switched);
    EXPECT_TRUE(Form->Panel().ChangeMode());
    EXPECT_EQ(W().Label11->text(), QStringLiteral("Enter names of home worlds to move."));
    Click(W().BitBtn4);
    QTest::keyClicks(W().Groups()[0].Names, QStringLiteral("Zulu"));

    Click(W().SpeedButton4);
    ASSERT_TRUE(WaitForSlide(*Form));
    EXPECT_EQ(W().Panel1->x(), -220);
    EXPECT_EQ(disabled(), QStringList());
    EXPECT_FALSE(Form->Panel().ChangeMode());
    // The groups survive closing and reopening.
    OpenPanel();
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Zulu")});
    EXPECT_EQ(disabled(), switched);
    // Escape on the panel closes it as its close button does, and the focus
    // goes back to "Change...".
    QApplication::setActiveWindow(Form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    W().Groups()[0].Names->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ASSERT_TRUE(WaitForSlide(*Form));
    EXPECT_EQ(disabled(), QStringList());
    EXPECT_EQ(QApplication::focusWidget(), W().BitBtn1);
}

TEST_F(GroupPanel, CloseButtonWhileThePanelSlidesStartsNoSecondSlide)
{
    Click(W().BitBtn1);
    QTest::qWaitFor([this] { return W().Panel1->x() > -200; }); // a few steps in
    const int leftAtClick = W().Panel1->x();
    ASSERT_TRUE(Form->Panel().Sliding()) << "the click came after the slide";
    Click(W().SpeedButton4);
    ASSERT_TRUE(WaitForSlide(*Form));
    EXPECT_GE(leftAtClick, -220);
    EXPECT_LT(leftAtClick, -4);
    // The opening slide ran to its end and the panel stayed open.
    EXPECT_EQ(W().Panel1->x(), -4);
    EXPECT_FALSE(W().BitBtn2->isEnabled());
    EXPECT_FALSE(Form->Panel().ChangeMode()) << "the close button still cleared it";
}

TEST_F(GroupPanel, PlusStopsAtThePlayerCountAndMinusMakesRoomForOneMore)
{
    OpenPanel();
    ASSERT_EQ(W().lPlayers->text(), QStringLiteral("3"));
    for (int i = 0; i < 4; ++i)
        Click(W().BitBtn4);
    ASSERT_EQ(W().Groups().size(), 3u);
    EXPECT_EQ(Dialogs.Errors, QStringList()) << "no message at the limit";
    Dialogs.Answers.push_back(true);
    Click(W().BitBtn6);
    EXPECT_EQ(Dialogs.Questions, QStringList{QStringLiteral("Delete LAST group ?")});
    ASSERT_EQ(W().Groups().size(), 2u);
    EXPECT_EQ(Form->Relocation().ActiveGroup(), -1);
    EXPECT_EQ(CaptionColor(W().Groups()[0]), Black);
    EXPECT_EQ(CaptionColor(W().Groups()[1]), Black);
    Click(W().BitBtn4);
    ASSERT_EQ(W().Groups().size(), 3u);
    EXPECT_EQ(W().Groups()[2].Caption->text(), QStringLiteral("#3 :"));
    EXPECT_EQ(W().Groups()[2].Names->property("tag").toInt(), 2);
    Click(W().BitBtn4);
    EXPECT_EQ(W().Groups().size(), 3u);
}

TEST_F(GroupPanel, MinusReportsAnEmptyPanelAndKeepsGroupsWhenAnsweredNo)
{
    OpenPanel();
    Click(W().BitBtn6);
    EXPECT_EQ(Dialogs.Errors, QStringList{QStringLiteral("Nothing to delete.")});
    EXPECT_EQ(Dialogs.Questions, QStringList()) << "nothing to ask about";

    Click(W().BitBtn4);
    Click(W().BitBtn4);
    QTest::keyClicks(W().Groups()[1].Names, QStringLiteral("Bonn"));
    Dialogs.Answers.push_back(false);
    Click(W().BitBtn6);
    EXPECT_EQ(Dialogs.Questions, QStringList{QStringLiteral("Delete LAST group ?")});
    EXPECT_EQ(Texts(), (QStringList{QString(), QStringLiteral("Bonn")}));
    EXPECT_EQ(Form->Relocation().ActiveGroup(), 1);
    EXPECT_EQ(CaptionColor(W().Groups()[1]), Blue);
    EXPECT_EQ(W().Panel1->height(), 150 + 28);
}

TEST_F(GroupPanel, PanelGrowsWithTheGroupsAndTheBottomControlsMoveAlong)
{
    OpenPanel();
    const std::pair<QWidget *, int> bottom[] = {{W().ComboBox2, 96}, {W().BitBtn5, 96}, {W().BitBtn4, 96},
                                                {W().BitBtn6, 96},   {W().StaticText1, 120}, {W().Label12, 137},
                                                {W().BitBtn3, 140}};
    auto expectHeight = [&](int Groups) {
        SCOPED_TRACE(Groups);
        const int height = 150 + 14 * Groups;
        EXPECT_EQ(W().Panel1->height(), height);
        for (const auto &[control, top] : bottom)
            EXPECT_EQ(control->y(), top + height - 173) << control->objectName().toStdString();
    };
    expectHeight(0);
    for (int n = 1; n <= 3; ++n) {
        Click(W().BitBtn4);
        expectHeight(n);
        const TGroupRow &row = W().Groups().back();
        EXPECT_EQ(row.Caption->geometry().topLeft(), QPoint(5, 50 + 14 * n));
        EXPECT_EQ(row.Names->geometry(), QRect(35, 50 + 14 * n, 165, 14));
        EXPECT_EQ(row.Caption->text(), QStringLiteral("#%1 :").arg(n));
    }
    Dialogs.Answers = {true, true};
    Click(W().BitBtn6);
    expectHeight(2);
    Click(W().BitBtn6);
    expectHeight(1);
}

TEST_F(GroupPanel, InsAppendsTheListsTextToTheActiveGroup)
{
    OpenPanel();
    Click(W().BitBtn4);
    QLineEdit *names = W().Groups()[0].Names;
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
        W().ComboBox2->lineEdit()->clear();
        QTest::keyClicks(W().ComboBox2->lineEdit(), QString::fromLatin1(row.Typed));
        ASSERT_EQ(W().ComboBox2->currentText(), QString::fromLatin1(row.Typed));
        Click(W().BitBtn5);
        EXPECT_EQ(names->text(), QString::fromLatin1(row.After));
        EXPECT_EQ(W().ComboBox2->currentText(), QString()) << "the list's text is emptied";
    }
    // A double click in the list's text inserts the same way.
    names->setText(QStringLiteral("Zulu"));
    QTest::keyClicks(W().ComboBox2->lineEdit(), QStringLiteral("Bonn"));
    QTest::mouseDClick(W().ComboBox2->lineEdit(), Qt::LeftButton);
    EXPECT_EQ(names->text(), QStringLiteral("Zulu,Bonn"));
    EXPECT_EQ(W().ComboBox2->currentText(), QString());

    // With no active group nothing is inserted anywhere.
    Click(W().BitBtn4);
    Dialogs.Answers.push_back(true);
    Click(W().BitBtn6);
    ASSERT_EQ(Form->Relocation().ActiveGroup(), -1);
    QTest::keyClicks(W().ComboBox2->lineEdit(), QStringLiteral("Bonn"));
    Click(W().BitBtn5);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Zulu,Bonn")});
}

TEST_F(GroupPanel, MapClickInEntryModeAppendsTheNearestPlanet)
{
    OpenPanel();
    Click(W().BitBtn4);
    // Two planets of the file, each the only one at its own pixel: the
    // names come from the file, not from the map's answer.
    const TStarsXY universe = TStarsXY::FromImage(ReadBytes(XY));
    const QString both = NameById(universe.GetStar(20).NameId) + u',' + NameById(universe.GetStar(100).NameId);
    const QPoint first = UniverseToMap(Form->Map().View(), universe.GetStar(20));
    const QPoint second = UniverseToMap(Form->Map().View(), universe.GetStar(100));
    for (QPoint pixel : {first, second}) {
        MovePointer(*Form, pixel);
        QTest::mouseClick(W().PaintBox1, Qt::LeftButton, Qt::NoModifier, pixel);
    }
    EXPECT_EQ(Texts(), QStringList{both});

    // A click while no group is active adds nothing.
    Dialogs.Answers.push_back(true);
    Click(W().BitBtn4);
    Click(W().BitBtn6);
    ASSERT_EQ(Form->Relocation().ActiveGroup(), -1);
    QTest::mouseClick(W().PaintBox1, Qt::LeftButton, Qt::NoModifier, second);
    EXPECT_EQ(Texts(), QStringList{both});

    // Once the panel is closed map clicks add nothing either.
    Click(W().SpeedButton4);
    ASSERT_TRUE(WaitForSlide(*Form));
    QTest::mouseClick(W().Groups()[0].Names, Qt::LeftButton);
    ASSERT_EQ(Form->Relocation().ActiveGroup(), 0);
    QTest::mouseClick(W().PaintBox1, Qt::LeftButton, Qt::NoModifier, second);
    EXPECT_EQ(Texts().size(), 1);
    EXPECT_EQ(Texts()[0].count(u','), 1);
}

TEST_F(GroupPanel, FocusingAGroupsLineMakesItTheActiveGroup)
{
    OpenPanel();
    for (int i = 0; i < 3; ++i)
        Click(W().BitBtn4);
    ASSERT_EQ(W().Groups().size(), 3u);
    auto colors = [this] {
        std::vector<QColor> c;
        for (const TGroupRow &row : W().Groups())
            c.push_back(CaptionColor(row));
        return c;
    };
    // The newest group is active at once.
    EXPECT_EQ(Form->Relocation().ActiveGroup(), 2);
    EXPECT_EQ(colors(), (std::vector<QColor>{Black, Black, Blue}));
    QTest::mouseClick(W().Groups()[0].Names, Qt::LeftButton);
    EXPECT_EQ(Form->Relocation().ActiveGroup(), 0);
    EXPECT_EQ(colors(), (std::vector<QColor>{Blue, Black, Black}));
    W().Groups()[1].Names->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Form->Relocation().ActiveGroup(), 1);
    EXPECT_EQ(colors(), (std::vector<QColor>{Black, Blue, Black}));
    // "Ins" goes to the group that has the focus.
    QTest::keyClicks(W().ComboBox2->lineEdit(), QStringLiteral("Bonn"));
    Click(W().BitBtn5);
    EXPECT_EQ(Texts(), (QStringList{QString(), QStringLiteral("Bonn"), QString()}));
}

TEST_F(GroupPanel, NameListHoldsEveryPlanetSortedAndTheStarCount)
{
    Open(QStringLiteral("large-640planets-2players.xy"));
    OpenPanel();
    EXPECT_EQ(W().StaticText1->text(), QStringLiteral("Stars count :640"));
    QStringList expected; // the file's names, read apart from the window
    for (const TStarRec &star : FileStars(ReadBytes(XY)))
        expected << NameById(star.NameId);
    std::sort(expected.begin(), expected.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QStringList listed;
    for (int i = 0; i < W().ComboBox2->count(); ++i)
        listed << W().ComboBox2->itemText(i);
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(W().ComboBox2->currentText(), QString());
}

} // namespace
