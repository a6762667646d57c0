// The relocation behind "Next", end to end: the window is driven through its
// buttons, its line edits and the map. Each name's wait for a pick is a
// state of the window; the test looks at it and answers as a user would, by
// pointer moves and clicks, keys, another program's write or closing.
#include "fakedialogs.h"
#include "mapgeometry.h"
#include "planetnames.h"
#include "starsxy.h"
#include "testsupport.h"
#include "windowsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace {

const QString ThreePlayers = QStringLiteral("small-128planets-3players.xy");

const QColor Blue(0, 0, 255);
const QColor Black(0, 0, 0);

// The window's own controls that are disabled while the panel is open.
const QStringList SwitchedControls = {
    "BitBtn1", "BitBtn2", "Chv",    "Conf",   "FreeSp", "FreeSpaceRng", "GroupBox1",
    "GroupBox2", "Label10", "Label3", "Label5", "Label6", "Label8",     "Label9",
    "MaxC",    "MinD",    "Progr",  "SizeSel", "SpeedButton5", "SpeedButton6", "StarsBuf"};

// The names of the window's direct child widgets that are disabled, sorted.
QStringList DisabledControls(const TForm1 &Form)
{
    QStringList names;
    for (QObject *child : Form.children())
        if (auto *w = qobject_cast<QWidget *>(child); w && !w->isEnabled())
            names << w->objectName();
    names.sort();
    return names;
}

// Whether any map pixel has the band's colour.
bool BandDrawn(TForm1 &Form)
{
    const QImage &image = Form.Map().Image();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == MapBand)
                return true;
    return false;
}

QStringList Sorted(QStringList List)
{
    List.sort();
    return List;
}

// The byte offsets at which two images of one length differ.
std::vector<int> DifferingBytes(const QByteArray &A, const QByteArray &B)
{
    std::vector<int> at;
    for (int i = 0; i < std::min(A.size(), B.size()); ++i)
        if (A[i] != B[i])
            at.push_back(i);
    return at;
}

testing::AssertionResult SameBytes(const QByteArray &A, const QByteArray &B)
{
    if (A == B)
        return testing::AssertionSuccess();
    const auto differ = DifferingBytes(A, B);
    return testing::AssertionFailure() << "sizes " << A.size() << " and " << B.size() << ", first difference at "
                                       << (differ.empty() ? -1 : differ.front());
}

// The map's view of a universe file, from the file's words alone: x from
// 1000 to one past the last planet, y between the smallest and the largest.
struct TView {
    int64_t Top = 0, Width = 0, Height = 0;
};

TView ViewOf(const QByteArray &File)
{
    const std::vector<TStarRec> stars = FileStars(File);
    const auto [low, high] = std::minmax_element(stars.begin(), stars.end(),
                                                 [](const TStarRec &a, const TStarRec &b) { return a.Y < b.Y; });
    return {low->Y, stars.back().X + 1 - 1000, high->Y - low->Y};
}

// Where a click at map pixel P puts a planet before the band holds its x:
// one light year past the view's corner plus P's share of the extent over
// the map's 273 x 228 pixels, in whole numbers.
QPoint Under(const TView &V, QPoint P)
{
    return QPoint(int(1001 + P.x() * V.Width / MapWidth), int(V.Top + 1 + P.y() * V.Height / MapHeight));
}

// The map pixel of a planet (its y as the model has it).
QPoint PixelAt(const TView &V, const TStarRec &Star)
{
    return QPoint(int((Star.X - 1000) * MapWidth / V.Width), int((Star.Y - V.Top) * MapHeight / V.Height));
}

// How a wait for a pick is answered.
enum class TAct {
    Pick,          // pointer to a column whose x lies inside the band, then a click
    PickLeft,      // pointer to the map's first column, left of the band, then a click
    PickRight,     // pointer to the map's last column, right of the band, then a click
    CloseButton,   // the panel's close button
    CloseAndNext,  // the close button, then "Next" at once, while the panel slides out
    CloseWindow,   // the main window is closed
    CloseAndClick, // the close button, then at once a pointer move and a click inside the band
    ClickOnly,     // a click on the map with no pointer move since the band was set
    Keys,          // the keys of Step.Keys, sent to the focused widget
};

struct TKey {
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers = Qt::NoModifier;
    int Times = 1;
};

struct TStep {
    TAct Act;
    int Row = 100;  // the map row the pointer goes to
    int Pulses = 0; // colour steps of the prompt to watch before answering
    QByteArray Replace{}; // another program's bytes, written over the file before answering
    std::vector<TKey> Keys{};
    QPoint At{-1, -1}; // Pick: this pixel instead of a column inside the band
};

// What the test saw at one wait, just before it answered.
struct TSeen {
    QString Prompt;
    int32_t BandMin = 0, BandMax = 0;
    QByteArray File; // the file as it was during the wait
    QPoint Pixel;
    QPoint Expected; // where the picked planet must go: x clamped into the band
    QString Status;  // the status line after the pointer move
    Qt::CursorShape Cursor = Qt::ArrowCursor;
    QStringList Disabled;
    int32_t ActiveGroup = -1;
    std::vector<QColor> Captions;
    bool BandDrawn = false;
    std::vector<QColor> Prompts; // the prompt's colour as the wait began, then each change
    std::vector<qint64> PromptTimes; // when each was first seen, in ms
    bool MapHasFocus = false;
    std::optional<QPoint> Landing; // the landing crosshair as the wait began
};

class Relocation : public testing::Test {
protected:
    TFakeDialogs Dialogs;
    TScratch Scratch;
    std::unique_ptr<TForm1> Form;
    QString XY;
    QByteArray Original;
    std::vector<TStarRec> Stars; // of the original file, model orientation
    std::vector<TStarRec> Words; // of the original file, as stored

    TUi W() const { return Ui(*Form); }

    void SetUp() override
    {
        QApplication::setQuitOnLastWindowClosed(false);
        Form = std::make_unique<TForm1>(QStringLiteral(ZV_TEMPLATES_DIR), Dialogs);
        Form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        XY = Scratch.CopyReal(ThreePlayers);
        Original = ReadBytes(XY);
        const TStarsXY universe = TStarsXY::FromImage(Original);
        for (int i = 0; i < universe.StarCount; ++i)
            Stars.push_back(universe.GetStar(i));
        Words = FileStars(Original);
        W().FreeSp->setChecked(true); // its threshold is enabled only with it
        Dialogs.OpenPaths.push_back(XY);
        QTest::mouseClick(W().SpeedButton3, Qt::LeftButton);
        ASSERT_EQ(Form->Map().StarPoints(), Stars);
        OpenPanel();
    }

    void OpenPanel()
    {
        QTest::mouseClick(W().BitBtn1, Qt::LeftButton);
        ASSERT_TRUE(WaitForSlide(*Form));
        ASSERT_EQ(W().Panel1->x(), -4);
    }

    QString Name(size_t Index) const { return NameById(Stars[Index].NameId); }

    // A planet from the middle of the file whose band spans several map
    // columns, whose name leads no other name of the list (the list's
    // completion would otherwise lengthen a typed name) and whose y is not
    // the universe's smallest or largest (moving it keeps the file's mirror).
    size_t Planet(size_t From) const
    {
        const TBounds bounds = TStarsXY::FromImage(Original).GetBounds();
        for (size_t k = From; k + 1 < Stars.size(); ++k) {
            if (int32_t(Stars[k].Y) == bounds.Top || int32_t(Stars[k].Y) == bounds.Bottom)
                continue;
            const QString name = Name(k);
            bool prefix = false;
            for (size_t i = 0; i < Stars.size(); ++i)
                prefix = prefix || (i != k && Name(i).startsWith(name, Qt::CaseInsensitive));
            if (!prefix && Stars[k + 1].X - Stars[k - 1].X >= 20)
                return k;
        }
        ADD_FAILURE() << "no planet from " << From;
        return From;
    }

    void AddGroup(const QString &Text)
    {
        const size_t before = W().Groups().size();
        QTest::mouseClick(W().BitBtn4, Qt::LeftButton);
        ASSERT_EQ(W().Groups().size(), before + 1);
        QTest::keyClicks(W().Groups().back().Names, Text);
        ASSERT_EQ(W().Groups().back().Names->text(), Text);
    }

    // A name waits for its pick.
    bool Waiting() const { return Form->Relocation().Running() && !W().Label12->text().isEmpty(); }

    // A column whose whole universe x lies inside the band and matches no
    // star's x, so the planet visibly moves.
    static int InsideColumn(const QByteArray &File, int32_t Min, int32_t Max)
    {
        const std::vector<TStarRec> stars = FileStars(File);
        int fallback = -1;
        for (int c = 0; c < MapWidth; ++c) {
            const int32_t x = Under(ViewOf(File), {c, 0}).x();
            if (x < Min || x > Max)
                continue;
            if (std::none_of(stars.begin(), stars.end(), [x](const TStarRec &s) { return s.X == uint32_t(x); }))
                return c;
            fallback = c;
        }
        EXPECT_NE(fallback, -1) << "no map column inside the band " << Min << ".." << Max;
        return std::max(fallback, 0);
    }

    // Looks at the waiting name and answers it by Step.
    void Answer(const TStep &Step, TSeen &Seen)
    {
        const TUi ui = W();
        Seen.Prompt = ui.Label12->text();
        Seen.BandMin = Form->Relocation().Pick()->Band.MinX;
        Seen.BandMax = Form->Relocation().Pick()->Band.MaxX;
        Seen.File = ReadBytes(XY);
        Seen.Disabled = DisabledControls(*Form);
        Seen.ActiveGroup = Form->Relocation().ActiveGroup();
        Seen.BandDrawn = BandDrawn(*Form);
        for (const TGroupRow &row : ui.Groups())
            Seen.Captions.push_back(row.Caption->palette().color(QPalette::WindowText));
        Seen.MapHasFocus = QApplication::focusWidget() == ui.PaintBox1;
        Seen.Landing = ui.PaintBox1->Landing();

        if (!Step.Replace.isEmpty())
            WriteBytes(XY, Step.Replace);
        auto click = [&](QPoint At) { QTest::mouseClick(ui.PaintBox1, Qt::LeftButton, Qt::NoModifier, At); };
        switch (Step.Act) {
        case TAct::Pick:
        case TAct::PickLeft:
        case TAct::PickRight: {
            const int column = Step.Act == TAct::PickLeft    ? 0
                               : Step.Act == TAct::PickRight ? MapWidth - 1
                                                             : InsideColumn(Seen.File, Seen.BandMin, Seen.BandMax);
            Seen.Pixel = Step.At.x() >= 0 ? Step.At : QPoint(column, Step.Row);
            const QPoint under = Under(ViewOf(Seen.File), Seen.Pixel);
            Seen.Expected = QPoint(std::clamp(under.x(), Seen.BandMin, Seen.BandMax), under.y());
            MovePointer(*Form, Seen.Pixel);
            Seen.Status = ui.Status();
            Seen.Cursor = ui.PaintBox1->cursor().shape();
            click(Seen.Pixel);
            break;
        }
        case TAct::CloseButton:
            QTest::mouseClick(ui.SpeedButton4, Qt::LeftButton);
            break;
        case TAct::CloseAndNext:
            QTest::mouseClick(ui.SpeedButton4, Qt::LeftButton);
            ASSERT_TRUE(ui.BitBtn3->isVisible() && ui.BitBtn3->isEnabled());
            QTest::mouseClick(ui.BitBtn3, Qt::LeftButton); // must not start a second run
            break;
        case TAct::CloseWindow:
            Form->close();
            break;
        case TAct::CloseAndClick: {
            const QPoint inside(InsideColumn(Seen.File, Seen.BandMin, Seen.BandMax), Step.Row);
            QTest::mouseClick(ui.SpeedButton4, Qt::LeftButton);
            MovePointer(*Form, inside);
            click(inside);
            break;
        }
        case TAct::ClickOnly:
            click(QPoint(5, Step.Row));
            break;
        case TAct::Keys:
            for (const TKey &key : Step.Keys)
                for (int i = 0; i < key.Times; ++i)
                    QTest::keyClick(QApplication::focusWidget(), key.Key, key.Modifiers);
            break;
        }
    }

    // Start() begins the run; each wait is answered by the next step, after
    // its prompt took Step.Pulses colour steps; then the run must be over.
    std::vector<TSeen> Run(const std::vector<TStep> &Steps, const std::function<void()> &Start)
    {
        std::vector<TSeen> seen;
        QElapsedTimer clock;
        clock.start();
        auto prompt = [this] { return W().Label12->palette().color(QPalette::WindowText); };
        Start();
        Settle();
        for (const TStep &step : Steps) {
            if (!Waiting())
                break;
            TSeen s;
            s.Prompts = {prompt()};
            s.PromptTimes = {clock.elapsed()};
            while (int(s.Prompts.size()) <= step.Pulses && Waiting() && clock.elapsed() < 30000) {
                QTest::qWait(5);
                if (prompt() != s.Prompts.back()) {
                    s.Prompts.push_back(prompt());
                    s.PromptTimes.push_back(clock.elapsed());
                }
            }
            Answer(step, s);
            seen.push_back(s);
            Settle();
        }
        if (Waiting()) {
            ADD_FAILURE() << "an unexpected wait: " << W().Label12->text().toStdString();
            QTest::mouseClick(W().SpeedButton4, Qt::LeftButton);
        }
        EXPECT_TRUE(WaitForSlide(*Form));
        EXPECT_EQ(seen.size(), Steps.size()) << "waits answered";
        return seen;
    }

    std::vector<TSeen> Next(const std::vector<TStep> &Steps)
    {
        return Run(Steps, [this] { QTest::mouseClick(W().BitBtn3, Qt::LeftButton); });
    }

    // Now holds the original planets except those in Moved, which stand at
    // their given model positions; only their words and their successors'
    // words differ from the original bytes.
    void ExpectImage(const QByteArray &Now, const std::map<size_t, QPoint> &Moved)
    {
        ASSERT_EQ(Now.size(), Original.size());
        const TStarsXY original = TStarsXY::FromImage(Original);
        const TBounds bounds = original.GetBounds();
        const std::vector<TStarRec> is = FileStars(Now);
        ASSERT_EQ(is.size(), Words.size());
        std::set<int> mayDiffer;
        for (const auto &[k, at] : Moved)
            for (size_t w : {k, k + 1})
                for (int b = 0; b < 4; ++b)
                    mayDiffer.insert(original.PlanetsStart() + 4 * int(w) + b);
        for (int at : DifferingBytes(Original, Now))
            EXPECT_TRUE(mayDiffer.count(at)) << "byte " << at << " changed";
        for (size_t i = 0; i < is.size(); ++i) {
            const auto moved = Moved.find(i);
            if (moved == Moved.end()) {
                EXPECT_EQ(is[i], Words[i]) << "planet " << i << " must not change";
                continue;
            }
            // The file's Y is the model's mirrored between the bounds.
            const TStarRec expected{uint32_t(moved->second.x()),
                                    uint32_t(bounds.Top + bounds.Bottom - moved->second.y()), Words[i].NameId};
            EXPECT_EQ(is[i], expected) << "planet " << i;
        }
    }

    // Every way out of a run ends here: panel closed, band gone, the
    // window's controls enabled, the map and the status line never disabled.
    void ExpectFinished()
    {
        EXPECT_LT(W().Panel1->x(), -15);
        EXPECT_FALSE(Form->Relocation().Pick()) << "no band";
        // The free space threshold is enabled only with its check box.
        EXPECT_EQ(DisabledControls(*Form),
                  W().FreeSp->isChecked() ? QStringList() : QStringList{QStringLiteral("FreeSpaceRng")});
        EXPECT_FALSE(Form->Panel().Sliding());
        EXPECT_FALSE(Form->Relocation().Running());
        EXPECT_FALSE(Form->Panel().ChangeMode());
    }

    void ExpectEntryMode()
    {
        EXPECT_EQ(W().Label11->text(), QStringLiteral("Enter names of home worlds to move."));
        EXPECT_TRUE(W().ComboBox2->isEnabled());
        EXPECT_TRUE(W().BitBtn3->isEnabled());
        EXPECT_FALSE(W().BitBtn3->isHidden());
        for (const TGroupRow &row : W().Groups())
            EXPECT_FALSE(row.Names->isReadOnly());
        EXPECT_EQ(W().Label12->text(), QString());
    }
};

QString Prompt(const QString &Name, int Group)
{
    return QStringLiteral("Select new cooridinates of star %1 (Group #%2)").arg(Name).arg(Group);
}

TEST_F(Relocation, MovesTheNamedPlanetsToThePickedPositionsAndNothingElse)
{
    const size_t a = Planet(30), b = Planet(a + 10);
    ASSERT_LT(a + 2, b);
    // One name from the list through "Ins", one typed, and a trailing comma
    // that adds no third name.
    QTest::mouseClick(W().BitBtn4, Qt::LeftButton);
    QTest::keyClicks(W().ComboBox2, Name(a));
    QTest::mouseClick(W().BitBtn5, Qt::LeftButton);
    QTest::keyClicks(W().Groups()[0].Names, QStringLiteral(", ") + Name(b) + QStringLiteral(","));
    ASSERT_EQ(W().Groups()[0].Names->text(), Name(a) + QStringLiteral(", ") + Name(b) + QStringLiteral(","));

    const auto seen = Next({{TAct::Pick, 40}, {TAct::Pick, 190}});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(Dialogs.Errors, QStringList());
    const size_t planet[] = {a, b};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const size_t k = planet[i];
        EXPECT_EQ(seen[i].Prompt, Prompt(Name(k), 1));
        EXPECT_EQ(seen[i].BandMin, int32_t(Stars[k - 1].X));
        EXPECT_EQ(seen[i].BandMax, int32_t(Stars[k + 1].X));
        EXPECT_NE(seen[i].Expected, QPoint(Stars[k].X, Stars[k].Y)) << "the pick must move the planet";
        EXPECT_TRUE(seen[i].Status.startsWith(
            QStringLiteral("Abs: [%1:%2]     Star: ").arg(seen[i].Expected.x()).arg(seen[i].Expected.y())))
            << seen[i].Status.toStdString();
        EXPECT_EQ(seen[i].Cursor, Qt::CrossCursor);
        EXPECT_EQ(seen[i].Disabled, Sorted(SwitchedControls));
        EXPECT_EQ(seen[i].ActiveGroup, 0);
        EXPECT_EQ(seen[i].Captions, std::vector<QColor>{Blue});
    }
    // The first move was saved before the second wait began.
    ExpectImage(seen[1].File, {{a, seen[0].Expected}});
    ExpectImage(ReadBytes(XY), {{a, seen[0].Expected}, {b, seen[1].Expected}});

    // The map shows the band while waiting and is repainted without it.
    EXPECT_TRUE(seen[0].BandDrawn);
    EXPECT_FALSE(BandDrawn(*Form));
    ExpectFinished();
    // After a normal end the closed panel keeps its pick-mode texts.
    EXPECT_EQ(W().Label11->text(), QStringLiteral("Select new coordinates in \"Map view\" screen."));
    EXPECT_TRUE(W().Groups()[0].Names->isReadOnly());
}

TEST_F(Relocation, ClicksBesideTheBandPutThePlanetOnTheBandsEdges)
{
    // Left of the band the planet takes the left neighbour's x, right of it
    // the right neighbour's; the y is the one under the pointer.
    const size_t a = Planet(30), b = Planet(a + 10);
    AddGroup(Name(a) + QStringLiteral(",") + Name(b));
    const auto seen = Next({{TAct::PickLeft, 57}, {TAct::PickRight, 150}});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(Dialogs.Errors, QStringList());
    EXPECT_EQ(seen[0].Expected.x(), int32_t(Stars[a - 1].X));
    EXPECT_EQ(seen[1].Expected.x(), int32_t(Stars[b + 1].X));
    for (const TSeen &s : seen) {
        EXPECT_EQ(s.Cursor, Qt::ArrowCursor) << "outside the band";
        EXPECT_TRUE(s.Status.startsWith(QStringLiteral("Abs: [%1:").arg(s.Expected.x())));
    }
    ExpectImage(ReadBytes(XY), {{a, seen[0].Expected}, {b, seen[1].Expected}});
    ExpectFinished();
}

TEST_F(Relocation, PlanetNamedInTwoGroupsAndInOtherLetterCaseMovesTwice)
{
    const size_t a = Planet(40);
    const QString typed = Name(a).toUpper();
    ASSERT_NE(typed, Name(a));
    AddGroup(Name(a));
    AddGroup(QStringLiteral("  ") + typed + QStringLiteral(" "));
    const auto seen = Next({{TAct::Pick, 30}, {TAct::Pick, 200}});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(Dialogs.Errors, QStringList());
    EXPECT_EQ(seen[0].Prompt, Prompt(Name(a), 1));
    EXPECT_EQ(seen[1].Prompt, Prompt(typed, 2)) << "the name as typed, trimmed";
    // The second group is the active one: its label blue, the first black.
    EXPECT_EQ(seen[1].ActiveGroup, 1);
    EXPECT_EQ(seen[1].Captions, (std::vector<QColor>{Black, Blue}));
    EXPECT_EQ(seen[1].BandMin, int32_t(Stars[a - 1].X));
    EXPECT_EQ(seen[1].BandMax, int32_t(Stars[a + 1].X));
    ASSERT_NE(seen[0].Expected, seen[1].Expected);
    ExpectImage(seen[1].File, {{a, seen[0].Expected}});
    ExpectImage(ReadBytes(XY), {{a, seen[1].Expected}});
    ExpectFinished();
    EXPECT_EQ(Form->Relocation().ActiveGroup(), 1) << "the last group processed";
    EXPECT_EQ(W().Groups()[1].Caption->palette().color(QPalette::WindowText), Blue);
}

TEST_F(Relocation, SecondOfTwoNeighboursGetsABandFromTheFirstsNewX)
{
    const size_t a = Planet(30);
    AddGroup(Name(a) + QStringLiteral(", ") + Name(a + 1));
    const auto seen = Next({{TAct::Pick, 80}, {TAct::Pick, 120}});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(Dialogs.Errors, QStringList());
    ASSERT_NE(seen[0].Expected.x(), int32_t(Stars[a].X));
    EXPECT_EQ(seen[1].BandMin, seen[0].Expected.x());
    EXPECT_EQ(seen[1].BandMax, int32_t(Stars[a + 2].X));
    ExpectImage(ReadBytes(XY), {{a, seen[0].Expected}, {a + 1, seen[1].Expected}});
    ExpectFinished();
}

TEST_F(Relocation, PromptPulsesInBlueFromTheStartOfEachWait)
{
    // Every 500 ms the prompt's blue steps by 10 from 100; until the first
    // step it keeps the colour it had, the last one of the previous wait.
    const size_t a = Planet(30), b = Planet(a + 10);
    AddGroup(Name(a) + QStringLiteral(",") + Name(b));
    const QColor before = W().Label12->palette().color(QPalette::WindowText);
    const auto seen = Next({{TAct::Pick, 60, 4}, {TAct::Pick, 60, 2}});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Prompts, (std::vector<QColor>{before, QColor(0, 0, 110), QColor(0, 0, 120), QColor(0, 0, 130),
                                                    QColor(0, 0, 140)}));
    EXPECT_EQ(seen[1].Prompts, (std::vector<QColor>{QColor(0, 0, 140), QColor(0, 0, 110), QColor(0, 0, 120)}));
    // The steps come every 500 ms, give or take the test's own 5 ms look.
    ASSERT_EQ(seen[0].PromptTimes.size(), 5u);
    std::vector<qint64> periods;
    for (size_t i = 2; i < seen[0].PromptTimes.size(); ++i)
        periods.push_back(seen[0].PromptTimes[i] - seen[0].PromptTimes[i - 1]);
    std::sort(periods.begin(), periods.end());
    EXPECT_GE(periods[1], 490);
    EXPECT_LE(periods[1], 540) << "the median of three periods";
}

TEST_F(Relocation, UnknownOrEmptyNamesAreRefusedBeforeAnythingChanges)
{
    // A planet name of the table that this universe does not use: only the
    // list of the panel counts.
    QString foreign;
    for (int id = 0; id < PlanetNameCount && foreign.isEmpty(); ++id)
        if (std::none_of(Stars.begin(), Stars.end(), [id](const TStarRec &s) { return s.NameId == uint32_t(id); }))
            foreign = NameById(id);
    ASSERT_FALSE(foreign.isEmpty());
    const QString known = Name(Planet(30));
    struct Row {
        QStringList Groups;
        int Line;
        QString Name; // as the message quotes it
        QString Meant{}; // the suggestion that follows it: this universe's names within two edits
    };
    const Row rows[] = {
        {{known, foreign}, 2, foreign, QStringLiteral(" (did you mean \"409\"?)")},
        {{known, known + QStringLiteral(", Nowhere")}, 2, QStringLiteral("Nowhere"),
         QStringLiteral(" (did you mean \"Where\"?)")},
        {{QString()}, 1, QString()},
        {{known + QStringLiteral(",,") + known}, 1, QString()},
        {{known, known, QStringLiteral(" , ") + known}, 3, QString()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.Groups.join(QStringLiteral(" | ")).toStdString());
        while (!W().Groups().empty()) {
            Dialogs.Answers.push_back(true);
            QTest::mouseClick(W().BitBtn6, Qt::LeftButton);
        }
        for (const QString &text : row.Groups)
            AddGroup(text);
        Dialogs.Errors.clear();
        const auto seen = Next({});
        EXPECT_TRUE(seen.empty());
        EXPECT_EQ(Dialogs.Errors,
                  QStringList{QStringLiteral("Unknown star name in line #%1: \"%2\"").arg(row.Line).arg(row.Name) +
                              row.Meant});
        EXPECT_TRUE(SameBytes(ReadBytes(XY), Original));
        EXPECT_TRUE(Form->Panel().ChangeMode());
        EXPECT_EQ(W().Panel1->x(), -4) << "the panel stays open";
        EXPECT_EQ(DisabledControls(*Form), Sorted(SwitchedControls));
        EXPECT_FALSE(Form->Relocation().Pick()) << "no band";
        ExpectEntryMode();
    }
}

TEST_F(Relocation, FirstAndLastPlanetsMoveUpToTheUniversesEdge)
{
    // The first planet's band is open to the universe's left edge, the last
    // one's to the right edge of the size class ("Small": 1798); a pick
    // beyond the map's last column lands one light year past the old
    // largest x, beyond the bounds the file was read with.
    const size_t last = Stars.size() - 1;
    ASSERT_EQ(W().SizeSel->currentText(), QStringLiteral("Small"));
    AddGroup(Name(0) + QStringLiteral(", ") + Name(last));
    const auto seen = Next({{TAct::PickLeft, 100}, {TAct::PickRight, 120}});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'|').toStdString();
    EXPECT_EQ(seen[0].BandMin, 1000);
    EXPECT_EQ(seen[0].BandMax, int32_t(Stars[1].X));
    EXPECT_EQ(seen[1].BandMin, int32_t(Stars[last - 1].X));
    EXPECT_EQ(seen[1].BandMax, 1798);
    ExpectImage(ReadBytes(XY), {{0, seen[0].Expected}, {last, seen[1].Expected}});
    ExpectFinished();
}

TEST_F(Relocation, AFileReplacedMeanwhileMovesTheNamedPlanetOrNothing)
{
    // Another program swaps the names of two planets after the panel was
    // filled: the name still moves the planet that bears it now, not the one
    // at its index on the map.
    const size_t a = Planet(20), b = Planet(a + 4);
    TStarsXY swapped = TStarsXY::FromImage(Original);
    swapped.SetStar(int32_t(a), int32_t(Stars[a].X), int32_t(Stars[a].Y), int32_t(Stars[b].NameId), false);
    swapped.SetStar(int32_t(b), int32_t(Stars[b].X), int32_t(Stars[b].Y), int32_t(Stars[a].NameId), false);
    const QByteArray replaced = swapped.PackImage(false);
    AddGroup(Name(a));
    WriteBytes(XY, replaced);
    auto seen = Next({{TAct::Pick}});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].BandMin, int32_t(Stars[b - 1].X));
    EXPECT_EQ(seen[0].BandMax, int32_t(Stars[b + 1].X));
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
    const std::vector<TStarRec> now = FileStars(ReadBytes(XY)), before = FileStars(replaced);
    for (size_t i = 0; i < now.size(); ++i) {
        if (i != b) {
            EXPECT_EQ(now[i], before[i]) << "planet " << i;
        }
    }
    EXPECT_EQ(now[b].X, uint32_t(seen[0].Expected.x()));
    EXPECT_EQ(now[b].NameId, Stars[a].NameId);
    ExpectFinished();

    // Replaced during the wait for the pick: nothing is written over it.
    OpenPanel();
    Dialogs.Errors.clear();
    seen = Next({{TAct::Pick, 100, 0, Original}});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(Dialogs.Errors,
              QStringList{QStringLiteral("The file \"%1\" was changed by another program since it was read; "
                                         "nothing was written.")
                              .arg(XY)});
    EXPECT_TRUE(SameBytes(ReadBytes(XY), Original));
    ExpectFinished();
}

TEST_F(Relocation, ClickWithoutAPointerMoveLeavesThePlanetWhereItIs)
{
    // The landing point starts on the waiting planet and only the pointer
    // or the keys move it: a click with no move since leaves the planet, and
    // the pointer's place in the previous band never breaks the file order.
    const size_t a = Planet(30), b = Planet(a + 30);
    AddGroup(Name(a) + QStringLiteral(",") + Name(b));
    const auto seen = Next({{TAct::Pick, 100}, {TAct::ClickOnly, 100}});
    ASSERT_EQ(seen.size(), 2u);
    ASSERT_LT(seen[0].Expected.x(), seen[1].BandMin);
    EXPECT_EQ(Dialogs.Errors, QStringList());
    EXPECT_EQ(W().Status(), QStringLiteral("%1 \u2014 Ctrl+Z undoes").arg(FormatStr(TMsg::StarMoved, {Name(a), (long long)seen[0].Expected.x(), (long long)seen[0].Expected.y()})));
    ExpectImage(ReadBytes(XY), {{a, seen[0].Expected}});
    ExpectFinished();
}

TEST_F(Relocation, StopDuringAWaitLeavesThePendingPlanetUnmoved)
{
    // Each way ends the run through the close button, which restores entry
    // mode itself (closing the window too).
    const size_t a = Planet(30), b = Planet(a + 10);
    for (const TAct stop : {TAct::CloseButton, TAct::CloseWindow, TAct::CloseAndClick, TAct::CloseAndNext}) {
        SCOPED_TRACE(int(stop));
        WriteBytes(XY, Original);
        if (!Form->isVisible()) {
            Form->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        }
        Dialogs.OpenPaths.push_back(XY);
        QTest::mouseClick(W().SpeedButton3, Qt::LeftButton);
        OpenPanel();
        AddGroup(Name(a) + QStringLiteral(", ") + Name(b));
        const auto seen = Next({{TAct::Pick, 60}, {stop, 160}});
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(Dialogs.Errors, QStringList());
        EXPECT_EQ(seen[1].Prompt, Prompt(Name(b), 1)) << "stopped while waiting for the second planet";
        EXPECT_TRUE(SameBytes(ReadBytes(XY), seen[1].File)) << "nothing saved after the stop";
        ExpectImage(ReadBytes(XY), {{a, seen[0].Expected}});
        ExpectFinished();
        EXPECT_EQ(Form->isVisible(), stop != TAct::CloseWindow);
        ExpectEntryMode();

        // The next opening is in entry mode.
        if (!Form->isVisible()) {
            Form->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        }
        OpenPanel();
        EXPECT_TRUE(Form->Panel().ChangeMode());
        ExpectEntryMode();
        QTest::mouseClick(W().SpeedButton4, Qt::LeftButton);
        ASSERT_TRUE(WaitForSlide(*Form));
    }
}

// The keyboard alone, from the open panel: "+" by Tab and Space, a typed
// name, Tab on to "Next"; in pick mode the map has the focus and the arrows
// move the landing point from the planet's own position by one map pixel's
// worth of light years (ten with Shift), held in the band and never against
// their direction; Return places the planet there, Escape ends the run.
TEST_F(Relocation, KeyboardAloneMovesAPlanet)
{
    const size_t a = Planet(30), b = Planet(a + 10);
    auto key = [](Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Key, Modifiers);
    };
    auto tabTo = [&](QWidget *Target) {
        for (int i = 0; i < 40 && QApplication::focusWidget() != Target; ++i)
            key(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), Target);
    };
    QApplication::setActiveWindow(Form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    tabTo(W().BitBtn4);
    key(Qt::Key_Space);
    ASSERT_EQ(W().Groups().size(), 1u);
    QTest::keyClicks(QApplication::focusWidget(), Name(a) + QStringLiteral(",") + Name(b));
    ASSERT_EQ(W().Groups()[0].Names->text(), Name(a) + QStringLiteral(",") + Name(b));
    key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), W().ComboBox2) << "the group field comes before the name list";

    const std::vector<TKey> keys = {{Qt::Key_Left, Qt::ShiftModifier, 30}, {Qt::Key_Right, Qt::NoModifier, 2},
                                    {Qt::Key_Down, Qt::ShiftModifier, 1},  {Qt::Key_Up, Qt::NoModifier, 3},
                                    {Qt::Key_Return}};
    const auto seen = Run({{TAct::Keys, 0, 0, {}, keys}, {TAct::Keys, 0, 0, {}, {{Qt::Key_Escape}}}}, [&] {
        tabTo(W().BitBtn3);
        key(Qt::Key_Space);
    });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(Dialogs.Errors, QStringList());
    ExpectFinished();
    // One map pixel is width / 273 light years across and height / 228
    // down, rounded, at least one.
    const TView view = ViewOf(Original);
    const int across = std::max(1, int(std::lround(double(view.Width) / MapWidth)));
    const int down = std::max(1, int(std::lround(double(view.Height) / MapHeight)));
    for (const TSeen &wait : seen)
        EXPECT_TRUE(wait.MapHasFocus);
    ASSERT_TRUE(seen[0].Landing.has_value());
    EXPECT_EQ(*seen[0].Landing, PixelAt(view, Stars[a])) << "the landing point starts on the planet";
    const QPoint landed(seen[0].BandMin + 2 * across, int(Stars[a].Y) + 7 * down);
    ExpectImage(ReadBytes(XY), {{a, landed}});
    EXPECT_TRUE(SameBytes(seen[1].File, ReadBytes(XY))) << "Escape wrote nothing";
}

TEST_F(Relocation, NextWithoutGroupsClosesThePanelAtOnce)
{
    const auto seen = Next({});
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(Dialogs.Errors, QStringList());
    EXPECT_TRUE(SameBytes(ReadBytes(XY), Original));
    ExpectFinished();
    EXPECT_EQ(W().Label11->text(), QStringLiteral("Select new coordinates in \"Map view\" screen."));
}

} // namespace
