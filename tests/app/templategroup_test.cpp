// The template selection and the generation run, through the main window:
// listing and browsing templates, their settings in the controls, and
// "Generate !" with its stops, limits and quiet ends. Runs offscreen.
#include "stars.h"

#include "comments.h"
#include "messages.h"
#include "paintbox.h"
#include "placement.h"
#include "random.h"
#include "starsxy.h"
#include "templatelist.h"
#include "testsupport.h"
#include "windowsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <deque>
#include <gtest/gtest.h>
#include <optional>

namespace {

const QString TemplatesDir = QStringLiteral(ZV_TEMPLATES_DIR);
const QString GenerateData = QStringLiteral(ZV_GENERATE_DATA);
const QString TooSmallUniverse = QStringLiteral("Universe to small. Set \"Maximize search\" and try again.");
// The message of an empty template list, naming the folders searched.
QString NoTemplatesIn(const QString &ProgramDir)
{
    return QStringLiteral("Templates not found ! (must be .bmp file)\nSearched: %1, %2").arg(ProgramDir, UserTemplateDir());
}

// The window's state when an error box comes up.
struct TStateAtError {
    QString Caption;
    bool ProgressShown;
    bool ChangeEnabled;
};

// Dialogs answered by the test that also note what the window showed when
// each error box came up.
class TRunDialogs final : public TDialogs {
public:
    QStringList Errors;
    std::vector<TStateAtError> States;
    std::deque<QString> OpenPaths;
    TForm1 *Form = nullptr;

    void Error(QWidget *, const QString &Text) override
    {
        Errors << Text;
        if (Form)
            States.push_back({Ui(*Form).BitBtn2->text(), Ui(*Form).Progr->isVisible(), Ui(*Form).BitBtn1->isEnabled()});
    }
    bool Confirm(QWidget *, const QString &) override { return false; }
    QString OpenFile(QWidget *, const QString &, const QString &) override
    {
        if (OpenPaths.empty())
            return {};
        const QString path = OpenPaths.front();
        OpenPaths.pop_front();
        return path;
    }
};

QImage Filled(int Width, int Height, QRgb Colour)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(Colour);
    return image;
}

// A program directory, its window (created when shown) and the comments
// window beside it.
struct TProgram {
    TScratch Scratch;
    TRunDialogs Dialogs;
    TFConf Comments;
    std::unique_ptr<TForm1> Form;

    TForm1 &F() { return *Form; }

    void WriteTemplate(const QString &Name, const QImage &Image)
    {
        ASSERT_TRUE(Image.save(Scratch.Path(Name), "BMP")) << Name.toStdString();
    }
    void WriteSettings(const QString &Name, const QByteArray &Text) { WriteBytes(Scratch.Path(Name), Text); }
    // One of the sample templates with its settings file.
    void CopySample(const QString &Base)
    {
        for (const QString &ext : {QStringLiteral(".bmp"), QStringLiteral(".zv")})
            WriteBytes(Scratch.Path(Base + ext), ReadBytes(TemplatesDir + u'/' + Base + ext));
    }

    void Show()
    {
        Form = std::make_unique<TForm1>(Scratch.Dir(), Dialogs);
        Dialogs.Form = Form.get();
        Form->SetSideWindows(nullptr, &Comments);
        Form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        Settle();
    }
    void Open(const QString &Path)
    {
        Dialogs.OpenPaths.push_back(Path);
        Ui(*Form).SpeedButton3->click();
        Settle();
    }
    // Pressing "Generate !"; returns when the run is over.
    void Generate()
    {
        Ui(*Form).BitBtn2->click();
        EXPECT_TRUE(WaitForRun(*Form));
    }
};

std::vector<TStarRec> StarsOf(const QString &Path)
{
    TStarsXY universe(Path);
    std::vector<TStarRec> stars;
    for (int i = 0; i < universe.StarCount; ++i)
        stars.push_back(universe.GetStar(i));
    return stars;
}

// The same run without a window: PlaceStars and SaveToFile on a copy of
// Original, from Seed. The new file's bytes, or the failure's message; the
// generator's seed afterwards in SeedAfter.
struct TDirectRun {
    QByteArray Bytes;
    QString Failure;
    uint32_t SeedAfter = 0;
};
TDirectRun RunDirectly(const QByteArray &Original, const QString &TemplatePath, const TPlacementSettings &Settings,
                       int MinDistance, int SizeIndex, uint32_t Seed)
{
    TScratch scratch;
    const QString path = scratch.Path("direct.xy");
    WriteBytes(path, Original);
    TStarsXY universe(path);
    universe.MinDistance = static_cast<uint16_t>(MinDistance);
    universe.SetSizeIndex(static_cast<uint8_t>(SizeIndex));
    QImage image;
    EXPECT_TRUE(LoadTemplateImage(TemplatePath, image));
    TDirectRun run;
    ProgramRandom().Seed = Seed;
    try {
        PlaceStars(universe, image, Settings);
        universe.SaveToFile(path, true);
    } catch (const EZorvane &e) {
        run.Failure = e.Message();
    }
    run.SeedAfter = ProgramRandom().Seed;
    run.Bytes = ReadBytes(path);
    return run;
}

// The bytes of File outside its planet words.
QByteArray OutsidePlanetWords(const QByteArray &File)
{
    const TStarsXY universe = TStarsXY::FromImage(File);
    QByteArray rest = File;
    rest.remove(universe.PlanetsStart(), 4 * universe.StarCount);
    return rest;
}

int PreviewWidth(TForm1 &Form) { return Ui(Form).Image1->pixmap().width(); }

} // namespace

// ---- the template list -------------------------------------------------------

// Listing, browsing with the arrows (no wrap, a reload at either end), and
// each load putting the template's settings into the controls and its
// comment into the comments window.
TEST(TemplateSelection, ListingAndBrowsing)
{
    TProgram p;
    // Created out of order; the previews tell the templates apart by width.
    p.WriteTemplate("b.BMP", Filled(9, 24, qRgb(90, 90, 90)));
    p.WriteTemplate("a.bmp", Filled(8, 24, qRgb(80, 80, 80)));
    p.WriteTemplate("c.bmp", Filled(10, 24, qRgb(100, 100, 100)));
    p.WriteTemplate(".h.bmp", Filled(11, 24, qRgb(110, 110, 110)));
    ASSERT_TRUE(QDir(p.Scratch.Dir()).mkdir("x.bmp"));
    p.WriteTemplate("x.png", Filled(12, 24, qRgb(0, 0, 0)));
    p.WriteSettings("a.zv", "[CONFIG]\nSensitivity=5000\nFreeSpaceMode=0\nMinStarsDist=7\nComments=Alpha comment\n");
    p.WriteSettings("c.zv", "[config]\nsensitivity=33\nFREESPACEMODE=99\nMinStarsDist=12\nComments=Gamma\n");
    p.WriteSettings("x.zv", "[CONFIG]\nSensitivity=1\n");
    p.Show();
    TForm1 &form = p.F();

    QStringList items;
    for (int i = 0; i < Ui(form).ComboBox1->count(); ++i)
        items << Ui(form).ComboBox1->itemText(i);
    EXPECT_EQ(items, QStringList({"a.bmp", "b.BMP", "c.bmp"}));

    struct TStep {
        const char *What;
        std::function<void()> Do;
        int Index;
        int Preview;
        int Chv;
        bool FreeSp;
        int FreeSpaceRng;
        int MinD;
        QString Comment;
    };
    auto left = [&] { Ui(form).SpeedButton1->click(); };
    auto right = [&] { Ui(form).SpeedButton2->click(); };
    const std::vector<TStep> steps = {
        {"shown: the first template", [] {}, 0, 8, 2000, false, 235, 7, "Alpha comment"},
        // By hand, then the left arrow at the first template reloads it: the
        // threshold stays, since free space mode is off in a.zv.
        {"left at the first reloads", [&] {
             Ui(form).Chv->setValue(3);
             Ui(form).FreeSp->setChecked(true);
             Ui(form).FreeSpaceRng->setValue(100);
             Ui(form).MinD->setValue(40);
             left();
         }, 0, 8, 2000, false, 100, 7, "Alpha comment"},
        {"right: no settings file, all defaults", right, 1, 9, 25, true, 235, 3, ""},
        {"right: the last one", right, 2, 10, 33, true, 99, 12, "Gamma"},
        {"right at the last reloads", [&] {
             Ui(form).Chv->setValue(500);
             Ui(form).FreeSpaceRng->setValue(1);
             right();
         }, 2, 10, 33, true, 99, 12, "Gamma"},
        {"left", left, 1, 9, 25, true, 235, 3, ""},
        {"left", left, 0, 8, 2000, false, 235, 7, "Alpha comment"},
    };
    for (const TStep &s : steps) {
        SCOPED_TRACE(s.What);
        s.Do();
        EXPECT_EQ(Ui(form).ComboBox1->currentIndex(), s.Index);
        EXPECT_EQ(PreviewWidth(form), s.Preview);
        EXPECT_EQ(Ui(form).Chv->value(), s.Chv);
        EXPECT_EQ(Ui(form).FreeSp->isChecked(), s.FreeSp);
        EXPECT_EQ(Ui(form).FreeSpaceRng->value(), s.FreeSpaceRng);
        EXPECT_EQ(Ui(form).MinD->value(), s.MinD);
        EXPECT_EQ(Ui(form).Conf->toolTip(), s.Comment);
        EXPECT_EQ(p.Comments.Comment(), s.Comment);
    }
    EXPECT_TRUE(p.Dialogs.Errors.isEmpty());
}

// Picking a template in the drop-down list loads it; a listed file that is
// gone or not a valid image keeps the previous settings, and the preview
// says in words why it cannot be used.
TEST(TemplateSelection, PickingFromTheListAndBrokenTemplates)
{
    TProgram p;
    p.WriteTemplate("a.bmp", Filled(8, 24, qRgb(80, 80, 80)));
    WriteBytes(p.Scratch.Path("b.bmp"), QByteArray("BM this is not a bitmap"));
    p.WriteSettings("b.zv", "[CONFIG]\nSensitivity=77\nMinStarsDist=9\nComments=Broken\n");
    p.WriteTemplate("c.bmp", Filled(10, 24, qRgb(100, 100, 100)));
    p.WriteSettings("c.zv", "[CONFIG]\nSensitivity=66\nFreeSpaceMode=0\nComments=Third\n");
    p.WriteTemplate("d.bmp", Filled(12, 24, qRgb(120, 120, 120)));
    p.WriteSettings("d.zv", "[CONFIG]\nSensitivity=44\n");
    p.Show();
    TForm1 &form = p.F();
    ASSERT_EQ(Ui(form).ComboBox1->count(), 4);
    ASSERT_TRUE(QFile::remove(p.Scratch.Path("d.bmp")));
    const QImage first = Ui(form).Image1->pixmap().toImage();

    // Keyboard steps in the closed list count as picks.
    Ui(form).ComboBox1->setFocus();
    QTest::keyClick(Ui(form).ComboBox1, Qt::Key_Down);
    EXPECT_EQ(Ui(form).ComboBox1->currentText(), QStringLiteral("b.bmp"));
    EXPECT_TRUE(Ui(form).Image1->pixmap().isNull()) << "no picture of another template";
    EXPECT_EQ(Ui(form).Image1->text(), QStringLiteral("Cannot load template \"b.bmp\": it is no complete BMP image"));
    EXPECT_EQ(Ui(form).Chv->value(), 25);
    EXPECT_EQ(Ui(form).MinD->value(), 3);
    EXPECT_EQ(p.Comments.Comment(), QString());

    QTest::keyClick(Ui(form).ComboBox1, Qt::Key_Down);
    EXPECT_EQ(Ui(form).ComboBox1->currentText(), QStringLiteral("c.bmp"));
    EXPECT_EQ(PreviewWidth(form), 10);
    EXPECT_EQ(Ui(form).Chv->value(), 66);
    EXPECT_FALSE(Ui(form).FreeSp->isChecked());
    EXPECT_EQ(p.Comments.Comment(), QStringLiteral("Third"));

    Ui(form).Chv->setValue(1234);
    Ui(form).SpeedButton2->click(); // d.bmp has gone since the list was made
    EXPECT_EQ(Ui(form).ComboBox1->currentText(), QStringLiteral("d.bmp"));
    EXPECT_EQ(Ui(form).Image1->text(), QStringLiteral("Cannot load template \"d.bmp\": it is missing"));
    EXPECT_EQ(Ui(form).Chv->value(), 1234);
    EXPECT_EQ(Ui(form).Conf->toolTip(), QStringLiteral("Third"));

    QTest::keyClick(Ui(form).ComboBox1, Qt::Key_Home);
    EXPECT_EQ(Ui(form).ComboBox1->currentIndex(), 0);
    EXPECT_EQ(PreviewWidth(form), 8);
    EXPECT_EQ(Ui(form).Chv->value(), 25);
    EXPECT_TRUE(Ui(form).FreeSp->isChecked());
    EXPECT_TRUE(p.Dialogs.Errors.isEmpty());
}

TEST(TemplateSelection, NoTemplates)
{
    struct TCase {
        const char *What;
        std::function<void(TProgram &)> Fill;
    };
    const std::vector<TCase> cases = {
        {"an empty directory", [](TProgram &) {}},
        {"only things that are no templates", [](TProgram &p) {
             ASSERT_TRUE(QDir(p.Scratch.Dir()).mkdir("x.bmp"));
             p.WriteTemplate(".h.bmp", Filled(8, 24, qRgb(255, 255, 255)));
             p.WriteTemplate("a.png", Filled(8, 24, qRgb(255, 255, 255)));
             p.WriteTemplate("a.bmp.old", Filled(8, 24, qRgb(255, 255, 255)));
             p.WriteSettings("a.zv", "[CONFIG]\nSensitivity=99\n");
         }},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.What);
        TProgram p;
        c.Fill(p);
        p.Form = std::make_unique<TForm1>(p.Scratch.Dir(), p.Dialogs);
        p.Form->SetSideWindows(nullptr, &p.Comments);
        TForm1 &form = p.F();
        Ui(form).SizeSel->setCurrentIndex(3);
        form.show();
        Settle();
        QTest::qWait(20);
        EXPECT_EQ(p.Dialogs.Errors, QStringList{NoTemplatesIn(p.Scratch.Dir())});
        EXPECT_EQ(Ui(form).SizeSel->currentText(), QStringLiteral("Tiny"));
        EXPECT_EQ(Ui(form).ComboBox1->count(), 0);
        EXPECT_EQ(Ui(form).ComboBox1->currentIndex(), -1);
        EXPECT_TRUE(Ui(form).Image1->pixmap().isNull());
        EXPECT_EQ(Ui(form).Chv->value(), 25);
        EXPECT_FALSE(Ui(form).FreeSp->isChecked());
        EXPECT_EQ(Ui(form).FreeSpaceRng->value(), 235);
        EXPECT_EQ(Ui(form).MinD->value(), 3);
        // The arrows have nothing to load.
        Ui(form).SpeedButton1->click();
        Ui(form).SpeedButton2->click();
        EXPECT_TRUE(Ui(form).Image1->pixmap().isNull());
        EXPECT_EQ(p.Dialogs.Errors.size(), 1);
    }
}

// ---- generation --------------------------------------------------------------

// Runs that end before placing anything say why, after the window is put
// back: no draw, nothing written, no repaint.
TEST(Generation, EndsWithItsReasonWithoutUniverseOrTemplate)
{
    struct TCase {
        const char *What;
        bool WithTemplate;
        std::function<QString(TProgram &)> Prepare; // the file opened, if any
        QString Message; // %1: the universe, %2: the template, %3, %4: the program's and the player's folders
    };
    const QString cannotLoad = QStringLiteral("Cannot load template \"%2\": it is ");
    const std::vector<TCase> cases = {
        {"no file opened", true, [](TProgram &) { return QString(); }, "XY-file not open."},
        {"the file is no universe any more", true,
         [](TProgram &p) {
             const QString path = p.Scratch.CopyReal("tiny-32planets-2players.xy");
             p.Open(path);
             WriteBytes(path, QByteArray(300, 'x'));
             return path;
         },
         "The game file appears to be corrupt."},
        {"the file went away", true,
         [](TProgram &p) {
             const QString path = p.Scratch.CopyReal("tiny-32planets-2players.xy");
             p.Open(path);
             EXPECT_TRUE(QFile::remove(path));
             return path;
         },
         "Cannot open file \"%1\": No such file or directory."},
        {"the template went away", true,
         [](TProgram &p) {
             EXPECT_TRUE(QFile::remove(p.Scratch.Path("disc.bmp")));
             const QString path = p.Scratch.CopyReal("tiny-32planets-2players.xy");
             p.Open(path);
             return path;
         },
         cannotLoad + "missing."},
        {"the template is no bitmap any more", true,
         [](TProgram &p) {
             WriteBytes(p.Scratch.Path("disc.bmp"), QByteArray("GIF89a"));
             const QString path = p.Scratch.CopyReal("tiny-32planets-2players.xy");
             p.Open(path);
             return path;
         },
         cannotLoad + "no complete BMP image."},
        {"no templates at all", false,
         [](TProgram &p) {
             const QString path = p.Scratch.CopyReal("tiny-32planets-2players.xy");
             p.Open(path);
             return path;
         },
         "Templates not found ! (must be .bmp file)\nSearched: %3, %4."},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.What);
        TProgram p;
        if (c.WithTemplate)
            p.CopySample("disc");
        p.Show();
        QTest::qWait(10);
        TForm1 &form = p.F();
        const QString path = c.Prepare(p);
        form.Session().Refresh(); // the change is noticed before the run, as its watcher would
        Settle();
        p.Dialogs.Errors.clear();
        p.Dialogs.States.clear();
        const QByteArray before = QFile::exists(path) ? ReadBytes(path) : QByteArray();
        const bool changeEnabled = Ui(form).BitBtn1->isEnabled();
        QSignalSpy paints(Ui(form).PaintBox1, &TPaintBox::Paint);
        ProgramRandom().Seed = 31337;

        p.Generate();

        const QString message = QString(c.Message)
                                    .replace(QStringLiteral("%1"), path)
                                    .replace(QStringLiteral("%2"), p.Scratch.Path("disc.bmp"))
                                    .replace(QStringLiteral("%3"), p.Scratch.Dir())
                                    .replace(QStringLiteral("%4"), UserTemplateDir());
        EXPECT_EQ(p.Dialogs.Errors, QStringList{message});
        ASSERT_EQ(p.Dialogs.States.size(), 1u);
        EXPECT_EQ(p.Dialogs.States[0].Caption, QStringLiteral("Generate !")) << "the window is put back first";
        EXPECT_FALSE(p.Dialogs.States[0].ProgressShown);
        EXPECT_EQ(ProgramRandom().Seed, 31337u) << "nothing was drawn";
        EXPECT_EQ(Ui(form).BitBtn2->text(), QStringLiteral("Generate !"));
        EXPECT_FALSE(Ui(form).Progr->isVisible());
        EXPECT_EQ(Ui(form).BitBtn1->isEnabled(), changeEnabled);
        EXPECT_FALSE(form.Session().Busy());
        EXPECT_EQ(paints.count(), 0);
        if (!before.isEmpty()) {
            EXPECT_TRUE(ReadBytes(path) == before);
        }
    }
}

// A whole run through the window writes exactly the placement of the same
// inputs from the same generator state: the independent reference's files
// (data/, written by golden_placement.py from seed 0) where the window's
// settings are one of its cases, else what PlaceStars and SaveToFile write.
TEST(Generation, FullRunWritesThePlacement)
{
    struct TCase {
        const char *What;
        const char *File;
        const char *Template;
        uint32_t Seed;
        std::function<void(TForm1 &)> Adjust = {}; // just before "Generate !"
        const char *Golden = nullptr;              // the reference's file; none: the direct run
        uint32_t GoldenSeed = 0;                   // the generator's seed after the reference's run
        int Sensitivity = -1, MinD = -1;           // what the run must use; -1: the control's value
    };
    auto typeInto = [](QSpinBox *Spin, const QString &Text) {
        // Typed, the focus still in the editor: the value is not taken yet.
        auto *edit = Spin->findChild<QLineEdit *>();
        ASSERT_NE(edit, nullptr);
        edit->setText(Text);
    };
    const std::vector<TCase> cases = {
        // Neither the panel's close button nor an earlier "Stop !" leaves a
        // stop behind for the next run.
        {"tiny universe, letters, after the Stars moving panel was closed", "tiny-32planets-2players.xy", "letters", 0,
         [](TForm1 &f) {
             Ui(f).BitBtn1->click();
             ASSERT_TRUE(WaitForSlide(f));
             Ui(f).SpeedButton4->click();
             ASSERT_TRUE(WaitForSlide(f));
             ASSERT_TRUE(Ui(f).BitBtn2->isEnabled());
             Ui(f).Chv->setValue(10);
             Ui(f).MinD->setValue(20);
             Ui(f).FreeSp->setChecked(false);
             Ui(f).MaxC->setChecked(false);
         },
         "tiny2-letters-tiny", 4001038765u},
        {"another size class chosen, after a stopped run", "small-128planets-3players.xy", "spiral", 0,
         [](TForm1 &f) {
             Ui(f).SizeSel->setCurrentIndex(2);
             Ui(f).Chv->setValue(50);
             Ui(f).MinD->setValue(12);
             Ui(f).BitBtn2->click();
             Ui(f).BitBtn2->click(); // "Stop !"
             ASSERT_TRUE(WaitForRun(f));
             QTest::qWait(QApplication::doubleClickInterval() + 50); // a new press, no double click
         },
         "small3-spiral-medium", 1595739649u},
        {"large universe on a huge map, free space off", "large-640planets-2players.xy", "clusters", 0,
         [](TForm1 &f) {
             Ui(f).SizeSel->setCurrentIndex(4);
             Ui(f).Chv->setValue(2);
         },
         "large2-clusters-huge", 1474144877u},
        {"typed values count", "small-128planets-1player.xy", "frame", 0,
         [&](TForm1 &f) {
             Ui(f).SizeSel->setCurrentIndex(0);
             typeInto(Ui(f).Chv, "26");
             typeInto(Ui(f).FreeSpaceRng, "239");
         },
         "small1-frame-tiny", 992472172u, 26},
        {"typed values are clamped", "small-128planets-1player.xy", "ring", 2024,
         [&](TForm1 &f) {
             typeInto(Ui(f).Chv, "3000");
             typeInto(Ui(f).MinD, "1");
         },
         nullptr, 0, 2000, 3},
        {"a cleared editor counts as its minimum", "tiny-32planets-2players.xy", "ring", 3,
         [&](TForm1 &f) { typeInto(Ui(f).Chv, ""); }, nullptr, 0, 1},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.What);
        TProgram p;
        const QString templateFile = QLatin1String(c.Template) + ".bmp";
        if (QFile::exists(TemplatesDir + u'/' + templateFile))
            p.CopySample(QLatin1String(c.Template));
        else // the reference's own test template, without settings
            WriteBytes(p.Scratch.Path(templateFile), ReadBytes(GenerateData + u'/' + templateFile));
        p.Show();
        TForm1 &form = p.F();
        const QString path = p.Scratch.CopyReal(QLatin1String(c.File));
        const QByteArray original = ReadBytes(path);
        p.Open(path);
        ASSERT_EQ(Ui(form).ComboBox1->currentText(), templateFile);
        if (c.Adjust)
            c.Adjust(form);
        ASSERT_EQ(form.Map().HilitePixel().x(), -1) << "a blinking star would draw from the generator";

        QSignalSpy paints(Ui(form).PaintBox1, &TPaintBox::Paint);
        const int sizeIndex = Ui(form).SizeSel->currentIndex();
        ProgramRandom().Seed = c.Seed;
        // What the window shows once the run has started, before its first turn.
        Ui(form).BitBtn2->click();
        const TUi ui = Ui(form);
        const struct {
            QString Caption;
            bool ProgressShown;
            int Minimum, Maximum, Value;
            bool ChangeEnabled;
        } during{ui.BitBtn2->text(), ui.Progr->isVisible(), ui.Progr->minimum(), ui.Progr->maximum(),
                 ui.Progr->value(), ui.BitBtn1->isEnabled()};
        ASSERT_TRUE(WaitForRun(form));
        const uint32_t seedAfter = ProgramRandom().Seed;

        TPlacementSettings settings;
        settings.Sensitivity = c.Sensitivity >= 0 ? c.Sensitivity : ui.Chv->value();
        settings.FreeSpace = ui.FreeSp->isChecked();
        settings.Threshold = ui.FreeSpaceRng->value();
        settings.AttemptLimit = 250;
        const int minD = c.MinD >= 0 ? c.MinD : ui.MinD->value();
        const TDirectRun expected =
            c.Golden ? TDirectRun{ReadBytes(GenerateData + u'/' + QLatin1String(c.Golden) + ".xy"), {}, c.GoldenSeed}
                     : RunDirectly(original, p.Scratch.Path(templateFile), settings, minD, sizeIndex, c.Seed);
        ASSERT_EQ(expected.Failure, QString());

        const QByteArray written = ReadBytes(path);
        EXPECT_EQ(written.size(), original.size());
        EXPECT_TRUE(written == expected.Bytes) << "the window wrote another universe";
        EXPECT_NE(written, original);
        EXPECT_EQ(OutsidePlanetWords(written), OutsidePlanetWords(original));
        EXPECT_EQ(seedAfter, expected.SeedAfter) << "the same draws in the same order";

        const int stars = TStarsXY(path).StarCount;
        EXPECT_EQ(during.Caption, QStringLiteral("Stop !"));
        EXPECT_TRUE(during.ProgressShown);
        EXPECT_EQ(during.Minimum, 0);
        EXPECT_EQ(during.Maximum, stars - 1);
        EXPECT_EQ(during.Value, 0);
        EXPECT_FALSE(during.ChangeEnabled) << "\"Change...\" waits for the run";

        EXPECT_EQ(paints.count(), 1);
        EXPECT_EQ(form.Map().StarPoints(), StarsOf(path)) << "the map shows the new universe";
        EXPECT_EQ(ui.SizeSel->currentIndex(), TStarsXY(path).GetSizeIndex());
        EXPECT_EQ(ui.BitBtn2->text(), QStringLiteral("Generate !"));
        EXPECT_FALSE(ui.Progr->isVisible());
        EXPECT_TRUE(ui.BitBtn1->isEnabled());
        EXPECT_FALSE(form.Session().Busy());
        EXPECT_TRUE(p.Dialogs.Errors.isEmpty());
        // The editors show the values the run used.
        EXPECT_EQ(ui.Chv->value(), settings.Sensitivity);
        EXPECT_EQ(ui.MinD->value(), minD);
    }
}

// "Stop !" and closing the window end a run at its next pass: nothing is
// written and the map is not repainted.
TEST(Generation, StoppedRun)
{
    struct TCase {
        const char *What;
        std::function<void(TForm1 &)> Stop;
        bool StaysOpen;
    };
    const std::vector<TCase> cases = {
        {"Stop ! pressed", [](TForm1 &f) { Ui(f).BitBtn2->click(); }, true},
        {"the window closed", [](TForm1 &f) { f.close(); }, false},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.What);
        TProgram p;
        p.CopySample("spiral");
        p.Show();
        TForm1 &form = p.F();
        const QString path = p.Scratch.CopyReal("large-640planets-2players.xy");
        const QByteArray original = ReadBytes(path);
        p.Open(path);
        const auto stars = form.Map().StarPoints();
        QSignalSpy paints(Ui(form).PaintBox1, &TPaintBox::Paint);
        const uint32_t seed = 5;
        ProgramRandom().Seed = seed;
        // The stop comes while the run goes, before its first turn (a run
        // of this size ends within a turn or two).
        Ui(form).BitBtn2->click();
        const QString captionThen = Ui(form).BitBtn2->text();
        c.Stop(form);
        ASSERT_TRUE(WaitForRun(form));

        EXPECT_EQ(captionThen, QStringLiteral("Stop !"));
        EXPECT_EQ(ReadBytes(path), original);
        EXPECT_EQ(paints.count(), 0);
        EXPECT_EQ(form.Map().StarPoints(), stars);
        EXPECT_EQ(Ui(form).BitBtn2->text(), QStringLiteral("Generate !"));
        EXPECT_FALSE(Ui(form).Progr->isVisible());
        EXPECT_TRUE(Ui(form).BitBtn1->isEnabled());
        EXPECT_FALSE(form.Session().Busy());
        EXPECT_EQ(form.isVisible(), c.StaysOpen);
        EXPECT_TRUE(p.Dialogs.Errors.isEmpty());
        // The run stopped at its next pass, before its first draw.
        EXPECT_EQ(ProgramRandom().Seed, seed);
    }
}

// A run blocks every way to a second operation on its file, in whatever order
// the user tries them, and the window is usable as before once it ends.
TEST(Generation, ARunBlocksOpeningAndTheStarsMovingPanel)
{
    struct TAttempt {
        const char *What;
        std::function<void(TForm1 &)> Try;
    };
    const std::vector<TAttempt> attempts = {
        {"the folder button", [](TForm1 &f) { Ui(f).SpeedButton3->click(); }},
        {"the open handler itself", [](TForm1 &f) { f.SpeedButton3Click(); }},
        {"Change...", [](TForm1 &f) { Ui(f).BitBtn1->click(); }},
        {"the Change... handler itself", [](TForm1 &f) { f.Panel().BitBtn1Click(); }},
        {"opening, then Change...", [](TForm1 &f) {
             f.SpeedButton3Click();
             f.Panel().BitBtn1Click();
         }},
        {"Change..., then opening", [](TForm1 &f) {
             f.Panel().BitBtn1Click();
             f.SpeedButton3Click();
         }},
    };
    for (const TAttempt &attempt : attempts) {
        SCOPED_TRACE(attempt.What);
        TProgram p;
        p.CopySample("spiral");
        p.Show();
        TForm1 &form = p.F();
        const QString path = p.Scratch.CopyReal("large-640planets-2players.xy");
        const QString other = p.Scratch.CopyReal("tiny-32planets-2players.xy");
        p.Open(path);
        Ui(form).BitBtn2->click(); // the run goes on through the event loop
        const bool blocked =
            !Ui(form).BitBtn1->isEnabled() && !Ui(form).SpeedButton3->isEnabled() && Ui(form).BitBtn2->isEnabled();
        p.Dialogs.OpenPaths.push_back(other);
        attempt.Try(form);
        ASSERT_TRUE(WaitForRun(form));
        ASSERT_TRUE(WaitForSlide(form));
        EXPECT_TRUE(blocked) << "during the run";
        EXPECT_EQ(Ui(form).StaticXY->text(), path);
        EXPECT_LT(Ui(form).Panel1->x(), -15) << "the panel never opened";
        EXPECT_TRUE(p.Dialogs.Errors.isEmpty());
        EXPECT_NE(ReadBytes(path), ReadBytes(RealXYPath("large-640planets-2players.xy"))) << "the run wrote";
        EXPECT_TRUE(Ui(form).BitBtn1->isEnabled());
        EXPECT_TRUE(Ui(form).SpeedButton3->isEnabled());

        // Afterwards the panel opens and closes as ever, and leaves
        // "Change..." enabled.
        Ui(form).BitBtn1->click();
        ASSERT_TRUE(WaitForSlide(form));
        EXPECT_EQ(Ui(form).Panel1->x(), -4);
        EXPECT_FALSE(Ui(form).BitBtn1->isEnabled());
        EXPECT_FALSE(Ui(form).BitBtn2->isEnabled());
        Ui(form).SpeedButton4->click();
        ASSERT_TRUE(WaitForSlide(form));
        EXPECT_LT(Ui(form).Panel1->x(), -15);
        EXPECT_TRUE(Ui(form).BitBtn1->isEnabled());
        EXPECT_TRUE(Ui(form).BitBtn2->isEnabled());
    }
}

// Another program writes the file while a run goes on: the run's result is
// not written over it.
TEST(Generation, AFileChangedDuringARunIsNotOverwritten)
{
    TProgram p;
    p.CopySample("spiral");
    p.Show();
    const QString path = p.Scratch.CopyReal("large-640planets-2players.xy");
    p.Open(path);
    const QByteArray theirs = ReadBytes(RealXYPath("large-640planets-2players.xy")).replace(200, 4, "\x11\x22\x33\x01");
    Ui(p.F()).BitBtn2->click();
    WriteBytes(path, theirs); // while the run goes on
    ASSERT_TRUE(WaitForRun(p.F()));
    EXPECT_EQ(p.Dialogs.Errors,
              QStringList{QStringLiteral("The file \"%1\" was changed by another program since it was read; "
                                         "nothing was written.")
                              .arg(path)});
    EXPECT_TRUE(ReadBytes(path) == theirs);
}

// A run that cannot place a star fails with a message, after the window has
// been put back, and writes nothing.
TEST(Generation, CrowdedUniverseFails)
{
    TProgram p;
    QImage spot = Filled(30, 40, qRgb(0, 0, 0));
    spot.setPixel(5, 5, qRgb(255, 255, 255));
    p.WriteTemplate("spot.bmp", spot);
    p.Show();
    TForm1 &form = p.F();
    ASSERT_TRUE(Ui(form).FreeSp->isChecked()); // no settings file: free space mode at 235
    const QString path = p.Scratch.CopyReal("tiny-32planets-2players.xy");
    const QByteArray original = ReadBytes(path);
    p.Open(path);
    Ui(form).MinD->setValue(40);
    Ui(form).SizeSel->setCurrentIndex(0);
    Ui(form).MaxC->setChecked(false);
    QSignalSpy paints(Ui(form).PaintBox1, &TPaintBox::Paint);
    ProgramRandom().Seed = 1;

    p.Generate();
    const uint32_t seedAfter = ProgramRandom().Seed;

    EXPECT_EQ(p.Dialogs.Errors, QStringList{TooSmallUniverse});
    ASSERT_EQ(p.Dialogs.States.size(), 1u);
    EXPECT_EQ(p.Dialogs.States[0].Caption, QStringLiteral("Generate !")) << "the window is put back first";
    EXPECT_FALSE(p.Dialogs.States[0].ProgressShown);
    EXPECT_TRUE(p.Dialogs.States[0].ChangeEnabled);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(paints.count(), 0);
    EXPECT_FALSE(form.Session().Busy());

    // The same inputs without a window fail the same way with the 25 tries
    // of an unchecked "Maximize search".
    TPlacementSettings settings;
    settings.FreeSpace = true;
    settings.Threshold = 235;
    settings.AttemptLimit = 25;
    const TDirectRun direct = RunDirectly(original, p.Scratch.Path("spot.bmp"), settings, 40, 0, 1);
    EXPECT_EQ(direct.Failure, TooSmallUniverse);
    EXPECT_EQ(seedAfter, direct.SeedAfter) << "it gave up after the same draws";
}

// A template needs a column and more than 20 rows; a smaller one is refused
// through the error box before any draw.
TEST(Generation, TemplateSize)
{
    struct TCase {
        int Width, Height;
        QString Message; // empty: the run completes
    };
    const std::vector<TCase> cases = {
        {1, 20, "The template is too small: it is 1 x 20 pixels, and it needs at least 1 column and more than 20 rows."},
        {64, 20, "The template is too small: it is 64 x 20 pixels, and it needs at least 1 column and more than 20 rows."},
        {1, 21, ""},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Height);
        TProgram p;
        p.WriteTemplate("t.bmp", Filled(c.Width, c.Height, qRgb(255, 255, 255)));
        p.Show();
        TForm1 &form = p.F();
        // One star: it fits wherever the single sampled pixel puts it.
        const QString path = p.Scratch.Path("one.xy");
        WriteBytes(path, MakeImage({Word(500, 700, 42)}));
        const QByteArray original = ReadBytes(path);
        p.Open(path);
        const int sizeIndex = Ui(form).SizeSel->currentIndex();
        const uint32_t seed = 8;
        ProgramRandom().Seed = seed;
        p.Generate();

        if (c.Message.isEmpty()) {
            EXPECT_TRUE(p.Dialogs.Errors.isEmpty());
            TPlacementSettings settings;
            settings.Sensitivity = Ui(form).Chv->value();
            settings.FreeSpace = Ui(form).FreeSp->isChecked();
            settings.Threshold = Ui(form).FreeSpaceRng->value();
            const TDirectRun direct =
                RunDirectly(original, p.Scratch.Path("t.bmp"), settings, Ui(form).MinD->value(), sizeIndex, seed);
            EXPECT_EQ(ReadBytes(path), direct.Bytes);
            EXPECT_NE(ReadBytes(path), original);
        } else {
            EXPECT_EQ(p.Dialogs.Errors, QStringList{c.Message});
            EXPECT_EQ(ReadBytes(path), original);
            EXPECT_EQ(ProgramRandom().Seed, seed);
            ASSERT_EQ(p.Dialogs.States.size(), 1u);
            EXPECT_EQ(p.Dialogs.States[0].Caption, QStringLiteral("Generate !"));
            EXPECT_FALSE(p.Dialogs.States[0].ProgressShown);
        }
        EXPECT_EQ(Ui(form).BitBtn2->text(), QStringLiteral("Generate !"));
        EXPECT_FALSE(Ui(form).Progr->isVisible());
    }
}
