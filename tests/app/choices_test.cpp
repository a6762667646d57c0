// The player's choices stay chosen and every refusal says why: the size
// list after repaints, one generation per press, a pick that does not move,
// typed values above a field's maximum, the panel's refusals.
#include "fakedialogs.h"
#include "messages.h"
#include "planetnames.h"
#include "testsupport.h"
#include "windowsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct TProgram {
    TScratch Dir;
    TFakeDialogs Dialogs;
    std::unique_ptr<TForm1> Form;
    QString Universe;

    explicit TProgram(const char *Real = "tiny-32planets-2players.xy")
    {
        for (const char *name : {"spiral.bmp", "spiral.zv"})
            WriteBytes(Dir.Path(name), ReadBytes(QStringLiteral(ZV_TEMPLATES_DIR "/") + QLatin1String(name)));
        Universe = Dir.CopyReal(QLatin1String(Real));
        Form = std::make_unique<TForm1>(Dir.Dir(), Dialogs);
        Form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        Dialogs.OpenPaths.push_back(Universe);
        Ui(*Form).SpeedButton3->click();
    }
    TUi U() { return Ui(*Form); }
    static bool WaitFor(const std::function<bool()> &Done)
    {
        QElapsedTimer clock;
        clock.start();
        while (!Done() && clock.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return Done();
    }
    void WaitForRun() { ASSERT_TRUE(WaitFor([this] { return !Form->Templates().Generating(); })); }
    // "Change...", one group with Names, "Next": the first name waits.
    void StartMoving(const QString &Names)
    {
        U().BitBtn1->click();
        ASSERT_TRUE(WaitFor([this] { return !Form->Panel().Sliding(); }));
        U().BitBtn4->click();
        U().Groups()[0].Names->setText(Names);
        U().BitBtn3->click();
        ASSERT_TRUE(Form->Relocation().Running());
    }
    void Key(int K, Qt::KeyboardModifiers M = Qt::NoModifier) { QTest::keyClick(U().PaintBox1, Qt::Key(K), M); }
};

} // namespace

// A size chosen by hand survives repaints and the window coming back; the
// next generation spreads the stars over it.
TEST(Choices, SizeChosenByHandIsTheOneGenerated)
{
    TProgram p("small-128planets-3players.xy");
    ASSERT_EQ(p.U().SizeSel->currentText(), QStringLiteral("Small"));
    p.U().SizeSel->setCurrentIndex(4);
    p.Form->RepaintMap();
    p.Form->activateWindow();
    QCoreApplication::processEvents();
    EXPECT_EQ(p.U().SizeSel->currentText(), QStringLiteral("Huge"));
    p.U().BitBtn2->click();
    p.WaitForRun();
    EXPECT_GE(TStarsXY(p.Universe).GetSizeIndex(), 3) << "spread over Huge, not Small";
}

// A double click on "Generate !" makes one run; a "Stop !" pressed during
// a run but released after it ended starts nothing; a stop says so.
TEST(Choices, OnePressMakesAtMostOneGeneration)
{
    TProgram p;
    QTest::mouseClick(p.U().BitBtn2, Qt::LeftButton);
    p.WaitForRun(); // a short run ends before the second press
    QTest::mouseClick(p.U().BitBtn2, Qt::LeftButton);
    EXPECT_FALSE(p.Form->Templates().Generating());
    EXPECT_EQ(p.Form->Session().History().Size(), 1u);

    QTest::qWait(QApplication::doubleClickInterval() + 50);
    p.U().BitBtn2->click();
    QTest::mousePress(p.U().BitBtn2, Qt::LeftButton); // reads "Stop !"
    p.WaitForRun();
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseRelease(p.U().BitBtn2, Qt::LeftButton);
    EXPECT_FALSE(p.Form->Templates().Generating());
    EXPECT_EQ(p.Form->Session().History().Size(), 2u);

    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QByteArray before = ReadBytes(p.Universe);
    p.U().BitBtn2->click();
    p.U().BitBtn2->click(); // "Stop !"
    p.WaitForRun();
    EXPECT_EQ(ReadBytes(p.Universe), before);
    EXPECT_EQ(p.U().Status(), LoadStr(TMsg::StoppedNothingWritten));
}

// Return before any arrow keeps the planet where it is and writes nothing;
// Ctrl+arrows move the landing point by one light year, and the status line
// shows where it lands.
TEST(Choices, PickToTheLightYearByKeys)
{
    TProgram p;
    const std::vector<TStarRec> stars = FileStars(ReadBytes(p.Universe));
    const QString a = PlanetName(stars[5].NameId), b = PlanetName(stars[6].NameId);
    p.StartMoving(a + u',' + b);
    const QByteArray before = ReadBytes(p.Universe);
    p.Key(Qt::Key_Return);
    EXPECT_EQ(ReadBytes(p.Universe), before);
    EXPECT_EQ(p.U().Status(), FormatStr(TMsg::StarKept, {a}));
    ASSERT_TRUE(p.Form->Relocation().Running()) << "the run goes on with the next name";

    const TStarRec star = p.Form->Relocation().Pick()->Star;
    p.Key(Qt::Key_Left, Qt::ControlModifier);
    p.Key(Qt::Key_Down, Qt::ControlModifier);
    p.Key(Qt::Key_Down, Qt::ControlModifier);
    const QPoint to(int(star.X) - 1, int(star.Y) + 2);
    EXPECT_EQ(p.U().Status(), FormatStr(TMsg::PickLanding, {b, (long long)to.x(), (long long)to.y()}));
    p.Key(Qt::Key_Return);
    const TStarsXY after(p.Universe);
    EXPECT_EQ(after.GetStar(6).X, uint32_t(to.x()));
    EXPECT_EQ(after.GetStar(6).Y, uint32_t(to.y()));
    EXPECT_FALSE(p.Form->Relocation().Running());
}

// Typed values above a field's maximum are clamped, not cut; the panel says
// why "Ins" and "+" do nothing.
TEST(Choices, TypedValuesAndRefusalsSayWhatHappens)
{
    TProgram p;
    p.U().Chv->setFocus();
    p.U().Chv->selectAll();
    QTest::keyClicks(p.U().Chv, QStringLiteral("2500"));
    p.U().MinD->setFocus();
    EXPECT_EQ(p.U().Chv->value(), 2000);

    p.U().BitBtn1->click();
    ASSERT_TRUE(p.WaitFor([&] { return !p.Form->Panel().Sliding(); }));
    p.U().BitBtn5->click();
    EXPECT_EQ(p.U().Status(), LoadStr(TMsg::NoGroupForName));
    for (int i = 0; i < 3; ++i)
        p.U().BitBtn4->click();
    EXPECT_EQ(p.U().Groups().size(), 2u);
    EXPECT_EQ(p.U().Status(), FormatStr(TMsg::GroupLimit, {2LL}));
}

// The panel by keys, a stopped run that resumes, and the status line's keys
// as a link that undoes.
TEST(Choices, PanelByKeysAndAStoppedRunResumes)
{
    TProgram p;
    const std::vector<TStarRec> stars = FileStars(ReadBytes(p.Universe));
    const QString a = PlanetName(stars[5].NameId), b = PlanetName(stars[6].NameId);
    p.U().BitBtn1->click();
    ASSERT_TRUE(p.WaitFor([&] { return !p.Form->Panel().Sliding(); }));
    p.U().BitBtn4->click();
    // Keys go where a keyboard sends them: to the focused widget, the list.
    QApplication::setActiveWindow(p.Form.get());
    p.U().ComboBox2->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), p.U().ComboBox2);
    QTest::keyClicks(QApplication::focusWidget(), a);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), b);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert);
    EXPECT_EQ(p.U().Groups()[0].Names->text(), a + u',' + b);
    EXPECT_EQ(p.U().ComboBox2->count(), p.U().lStars->text().toInt()) << "typing added no entry to the list";
    p.U().BitBtn3->click();
    p.Key(Qt::Key_Right, Qt::ControlModifier);
    p.Key(Qt::Key_Return);
    p.Key(Qt::Key_Escape);
    EXPECT_EQ(p.U().Status(), FormatStr(TMsg::RelocationStopped, {1LL, 2LL}));
    ASSERT_TRUE(p.WaitFor([&] { return !p.Form->Panel().Sliding(); }));

    p.U().BitBtn1->click();
    ASSERT_TRUE(p.WaitFor([&] { return !p.Form->Panel().Sliding(); }));
    p.U().BitBtn3->click();
    EXPECT_EQ(p.U().Status(), FormatStr(TMsg::ResumeRun, {1LL, 2LL}));
    EXPECT_EQ(PlanetName(p.Form->Relocation().Pick()->Star.NameId), b) << "only the name not yet moved";
    p.Key(Qt::Key_Escape);
    ASSERT_TRUE(p.WaitFor([&] { return !p.Form->Panel().Sliding(); }));
    QTest::keyClick(p.U().BitBtn1, Qt::Key_Escape); // closed panel: nothing happens
    const QByteArray moved = ReadBytes(p.Universe);
    emit p.U().StaticText2->linkActivated(QStringLiteral("undo"));
    EXPECT_NE(ReadBytes(p.Universe), moved);
    EXPECT_TRUE(p.Form->Session().CanRedo());
}

// A file that goes away: the map says so and the pointer finds nothing; it
// comes back by itself when the file is back.
TEST(Choices, AVanishedFileIsSaidAndComesBack)
{
    TProgram p;
    const QByteArray bytes = ReadBytes(p.Universe);
    ASSERT_TRUE(QFile::remove(p.Universe));
    ASSERT_TRUE(p.WaitFor([&] { return p.Form->Session().Universe() == nullptr; }));
    EXPECT_EQ(p.U().Label10->text(), FormatStr(TMsg::FileUnreadable, {p.Universe}));
    EXPECT_TRUE(p.Form->Map().StarPoints().empty());
    WriteBytes(p.Universe, bytes);
    EXPECT_TRUE(p.WaitFor([&] { return p.Form->Map().HasPicture(); })) << "the map came back without a click";
}
