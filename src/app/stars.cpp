#include "stars.h"

#include "comments.h"
#include "help.h"
#include "messages.h"
#include "paintbox.h"
#include "planetnames.h"
#include "random.h"
#include "gamefile.h"
#include "starsxy.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <new>

bool StopPressed = false;

namespace {

// The keys the status line names after a write, the same on every desktop.
constexpr QKeyCombination UndoKeys = Qt::CTRL | Qt::Key_Z;
constexpr QKeyCombination RedoKeys = Qt::CTRL | Qt::SHIFT | Qt::Key_Z;

QString KeyText(QKeyCombination Keys) { return QKeySequence(Keys).toString(QKeySequence::NativeText); }

template <class W> W *Make(QWidget *Parent, const char *Name, int Left, int Top, int Width, int Height)
{
    auto *w = new W(Parent);
    w->setObjectName(QLatin1String(Name));
    w->setGeometry(Left, Top, Width, Height);
    return w;
}

QLabel *Caption(QWidget *Parent, const char *Name, const QString &Text, int Left, int Top)
{
    auto *label = new QLabel(Text, Parent);
    label->setObjectName(QLatin1String(Name));
    label->move(Left, Top);
    label->adjustSize();
    return label;
}

// A caption in front of a control ends a few pixels before it, however wide
// the font makes its text: the control would cover the text's end otherwise.
void FitBefore(QLabel *Label, const QWidget *Control)
{
    const int room = Control->x() - 3;
    if (Label->x() + Label->width() > room)
        Label->move(std::max(room - Label->width(), 0), Label->y());
}

QSpinBox *Spin(QWidget *Parent, const char *Name, int Left, int Top, int Width, int Min, int Max, int Value)
{
    auto *spin = Make<QSpinBox>(Parent, Name, Left, Top, Width, 22);
    spin->setRange(Min, Max);
    spin->setValue(Value);
    // Typed text counts when the editor loses the focus, clamped into range.
    spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    spin->setKeyboardTracking(false);
    return spin;
}

// The pointer report is long: the box keeps its size and the face narrows,
// and if need be shrinks, until the longest report fits. Which faces exist
// differs between systems, so it is measured here, with the widest name of
// the planet name table at the widest coordinates and index.
void FitReportFont(QLabel *Report)
{
    const int room = Report->contentsRect().width() - 2 * Report->margin() - Report->indent();
    auto widest = [](const QFontMetrics &metrics) {
        QChar digit = u'0';
        for (char16_t d = u'1'; d <= u'9'; ++d)
            if (metrics.horizontalAdvance(QChar(d)) > metrics.horizontalAdvance(digit))
                digit = QChar(d);
        QString name;
        for (int id = 0; id < PlanetNameCount; ++id)
            if (metrics.horizontalAdvance(NameById(id)) > metrics.horizontalAdvance(name))
                name = NameById(id);
        const QString coordinate(4, digit);
        return metrics.horizontalAdvance(FormatStr(TMsg::PointerReport, {coordinate, coordinate, name, coordinate,
                                                                         coordinate}) +
                                         QStringLiteral(" ->") + QString(3, digit));
    };
    QFont font = Report->font();
    for (int pixels = font.pixelSize(); pixels >= 7; --pixels) {
        for (const int stretch : {int(QFont::Condensed), 70, 66, int(QFont::ExtraCondensed)}) {
            font.setPixelSize(pixels);
            font.setStretch(stretch);
            if (widest(QFontMetrics(font)) <= room) {
                Report->setFont(font);
                return;
            }
        }
    }
    Report->setFont(font);
}

QToolButton *Flat(QWidget *Parent, const char *Name, int Left, int Top, int Width, int Height)
{
    auto *button = Make<QToolButton>(Parent, Name, Left, Top, Width, Height);
    button->setAutoRaise(true);
    return button;
}

} // namespace

TForm1::TForm1(const QString &ProgramDir, TDialogs &Dialogs, QWidget *Parent)
    : QWidget(Parent), FProgramDir(ProgramDir), FUserTemplateDir(UserTemplateDir()), FOpenFolder(ProgramDir),
      FDialogs(Dialogs)
{
    BuildWindow();
    BuildPanel();
    ConnectHandlers();
    SetUpKeyboardAndNames();
    UpdateControls();
    Guard([this] { FormCreate(); });
}

TForm1::~TForm1() { ClearGroups(); }

void TForm1::SetSideWindows(THelpForm *Help, TFConf *Comments)
{
    FHelp = Help;
    FComments = Comments;
}

void TForm1::BuildWindow()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(LoadStr(TMsg::MainCaption));
    setFixedSize(499, 398);
    // The layout's pixel positions were made for a small, narrow dialog font.
    QFont small = font();
    small.setPixelSize(11);
    small.setStretch(QFont::SemiCondensed);
    setFont(small);

    GroupBox1 = Make<QGroupBox>(this, "GroupBox1", 4, 0, 193, 177);
    GroupBox1->setTitle(QStringLiteral("Template selection"));
    Image1 = Make<QLabel>(GroupBox1, "Image1", 40, 24, 113, 113);
    Image1->setScaledContents(true);
    Image1->setFrameShape(QFrame::Box);
    Image1->setFrameShadow(QFrame::Sunken);
    SpeedButton1 = Flat(GroupBox1, "SpeedButton1", 16, 24, 25, 113);
    SpeedButton1->setArrowType(Qt::LeftArrow);
    SpeedButton1->setToolTip(QStringLiteral("Previous template"));
    SpeedButton2 = Flat(GroupBox1, "SpeedButton2", 152, 24, 25, 113);
    SpeedButton2->setArrowType(Qt::RightArrow);
    SpeedButton2->setToolTip(QStringLiteral("Next template"));
    QLabel *fileLabel = Caption(GroupBox1, "Label1", QStringLiteral("File :"), 24, 148);
    ComboBox1 = Make<QComboBox>(GroupBox1, "ComboBox1", 60, 144, 113, 21);
    FitBefore(fileLabel, ComboBox1);

    GroupBox2 = Make<QGroupBox>(this, "GroupBox2", 216, 8, 277, 125);
    GroupBox2->setTitle(QStringLiteral("XY-file selection"));
    StaticXY = Make<QLabel>(GroupBox2, "StaticXY", 14, 26, 232, 17);
    StaticXY->setFrameShape(QFrame::Panel);
    StaticXY->setFrameShadow(QFrame::Sunken);
    StaticXY->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SpeedButton3 = Flat(GroupBox2, "SpeedButton3", 248, 24, 21, 21);
    SpeedButton3->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    SpeedButton3->setToolTip(QStringLiteral("Open XY-file"));
    Caption(GroupBox2, "Label2", QStringLiteral("Universe size :"), 16, 52);
    Caption(GroupBox2, "Label4", QStringLiteral("Stars count :"), 16, 76);
    Caption(GroupBox2, "Label7", QStringLiteral("Players count :"), 16, 100);
    lSize = Caption(GroupBox2, "lSize", QString(), 124, 52);
    lStars = Caption(GroupBox2, "lStars", QString(), 124, 76);
    lPlayers = Caption(GroupBox2, "lPlayers", QString(), 124, 100);
    for (QLabel *facts : {lSize, lStars, lPlayers})
        facts->resize(145, 15);

    Label3 = Caption(this, "Label3", QStringLiteral("Sensitivity :"), 12, 196);
    Chv = Spin(this, "Chv", 108, 192, 93, 1, 2000, 25);
    FreeSp = Make<QCheckBox>(this, "FreeSp", 16, 220, 109, 17);
    FreeSp->setText(QStringLiteral("Free space mode :"));
    FreeSpaceRng = Spin(this, "FreeSpaceRng", 128, 216, 73, 0, 255, 235);
    Label5 = Caption(this, "Label5", QStringLiteral("Min. stars distance :"), 12, 244);
    MinD = Spin(this, "MinD", 108, 240, 93, 3, 40, 3);
    Label8 = Caption(this, "Label8", QStringLiteral("Universe size :"), 12, 268);
    SizeSel = Make<QComboBox>(this, "SizeSel", 108, 264, 93, 21);
    FitBefore(Label3, Chv);
    FitBefore(Label5, MinD);
    FitBefore(Label8, SizeSel);
    for (const QString &name : SizeNames)
        SizeSel->addItem(name);
    MaxC = Make<QCheckBox>(this, "MaxC", 16, 290, 125, 17);
    MaxC->setText(QStringLiteral("Maximize search"));
    MaxC->setChecked(true);
    Conf = Flat(this, "Conf", 144, 288, 59, 21);
    Conf->setText(QStringLiteral("Comments"));

    BitBtn1 = Make<QPushButton>(this, "BitBtn1", 8, 320, 73, 37);
    BitBtn1->setText(QStringLiteral("Change..."));
    BitBtn1->setEnabled(false);
    BitBtn2 = Make<QPushButton>(this, "BitBtn2", 96, 320, 105, 37);
    BitBtn2->setText(QStringLiteral("Generate !"));
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    Progr = Make<QProgressBar>(this, "Progr", 100, 348, 97, 5);
    Progr->setTextVisible(false);
    Progr->hide();

    SpeedButton5 = Flat(this, "SpeedButton5", 4, 372, 23, 22);
    SpeedButton5->setText(QStringLiteral("?"));
    SpeedButton5->setToolTip(QStringLiteral("Help"));
    Label9 = Caption(this, "Label9", QStringLiteral("\u00A9 2026 Zorvane"), 30, 378);
    Label6 = Caption(this, "Label6", QStringLiteral("final"), 180, 384);

    // The caption lies under the map: it shows through while the map has
    // nothing to draw.
    Label10 = Caption(this, "Label10", LoadStr(TMsg::SelectXYFirst), 308, 232);
    Bevel2 = Make<QFrame>(this, "Bevel2", 214, 139, 277, 232);
    Bevel2->setFrameShape(QFrame::Panel);
    Bevel2->setFrameShadow(QFrame::Sunken);
    Bevel2->lower();
    Label10->raise();
    PaintBox1 = new TPaintBox(Map, this);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->move(216, 141);
    PaintBox1->raise();

    StaticText2 = Make<QLabel>(this, "StaticText2", 212, 376, 241, 17);
    StaticText2->setFrameShape(QFrame::Panel);
    StaticText2->setFrameShadow(QFrame::Sunken);
    StaticText2->setIndent(2);
    FitReportFont(StaticText2);
    SpeedButton6 = Flat(this, "SpeedButton6", 456, 376, 37, 17);
    SpeedButton6->setText(QStringLiteral("Clear"));
    SpeedButton6->setToolTip(QStringLiteral("Remove all marks"));

    // The planet names live in their own table; the list stays hidden.
    StarsBuf = Make<QListWidget>(this, "StarsBuf", 408, 340, 81, 21);
    StarsBuf->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer1->start();

    // Centred on the screen.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm1::BuildPanel()
{
    Panel1 = Make<QFrame>(this, "Panel1", -202, 0, 209, 173);
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setAutoFillBackground(true);
    Panel1->hide();

    Panel2 = Make<QLabel>(Panel1, "Panel2", 8, 4, 193, 17);
    Panel2->setText(QStringLiteral("Stars moving"));
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Sunken);
    Panel2->setAutoFillBackground(true);
    Panel2->setBackgroundRole(QPalette::Highlight);
    Panel2->setForegroundRole(QPalette::HighlightedText);
    SpeedButton4 = Make<QToolButton>(Panel2, "SpeedButton4", 178, 2, 14, 14);
    SpeedButton4->setText(QStringLiteral("\u00D7"));
    SpeedButton4->setToolTip(QStringLiteral("Close"));

    Label11 = Make<QLabel>(Panel1, "Label11", 12, 28, 189, 57);
    Label11->setWordWrap(true);
    Label11->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ComboBox2 = Make<QComboBox>(Panel1, "ComboBox2", 8, 96, 109, 21);
    ComboBox2->setEditable(true);
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    ComboBox2->lineEdit()->installEventFilter(this);
    BitBtn5 = Make<QPushButton>(Panel1, "BitBtn5", 120, 96, 29, 21);
    BitBtn5->setText(QStringLiteral("Ins"));
    QFont bold = font();
    bold.setBold(true);
    BitBtn4 = Make<QPushButton>(Panel1, "BitBtn4", 152, 96, 23, 21);
    BitBtn4->setText(QStringLiteral("+"));
    BitBtn4->setFont(bold);
    BitBtn4->setToolTip(QStringLiteral("Add group"));
    BitBtn6 = Make<QPushButton>(Panel1, "BitBtn6", 176, 96, 23, 21);
    BitBtn6->setText(QStringLiteral("-"));
    BitBtn6->setFont(bold);
    BitBtn6->setStyleSheet(QStringLiteral("color: #008000"));
    BitBtn6->setToolTip(QStringLiteral("Remove group"));
    StaticText1 = Make<QLabel>(Panel1, "StaticText1", 8, 120, 189, 15);
    StaticText1->setFrameShape(QFrame::Panel);
    StaticText1->setFrameShadow(QFrame::Sunken);
    Label12 = Make<QLabel>(Panel1, "Label12", 9, 137, 189, 29);
    Label12->setWordWrap(true);
    Label12->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    BitBtn3 = Make<QPushButton>(Panel1, "BitBtn3", 120, 140, 75, 25);
    BitBtn3->setText(QStringLiteral("Next"));
    for (QWidget *w : std::initializer_list<QWidget *>{ComboBox2, BitBtn5, BitBtn4, BitBtn6, StaticText1, Label12, BitBtn3})
        FBottomAnchored.emplace_back(w, w->y());
    BitBtn3->raise();
}

void TForm1::ConnectHandlers()
{
    auto on = [this](auto *sender, auto signal, auto handler) {
        connect(sender, signal, this, [this, handler] { Guard([this, handler] { (this->*handler)(); }); });
    };
    on(SpeedButton3, &QToolButton::clicked, &TForm1::SpeedButton3Click);
    on(SpeedButton5, &QToolButton::clicked, &TForm1::SpeedButton5Click);
    on(Conf, &QToolButton::clicked, &TForm1::ConfClick);
    on(SpeedButton6, &QToolButton::clicked, &TForm1::SpeedButton6Click);
    on(SpeedButton1, &QToolButton::clicked, &TForm1::SpeedButton1Click);
    on(SpeedButton2, &QToolButton::clicked, &TForm1::SpeedButton2Click);
    on(BitBtn2, &QPushButton::clicked, &TForm1::BitBtn2Click);
    on(BitBtn1, &QPushButton::clicked, &TForm1::BitBtn1Click);
    on(SpeedButton4, &QToolButton::clicked, &TForm1::SpeedButton4Click);
    on(BitBtn4, &QPushButton::clicked, &TForm1::BitBtn4Click);
    on(BitBtn6, &QPushButton::clicked, &TForm1::BitBtn6Click);
    on(BitBtn5, &QPushButton::clicked, &TForm1::BitBtn5Click);
    on(BitBtn3, &QPushButton::clicked, &TForm1::BitBtn3Click);
    on(Timer1, &QTimer::timeout, &TForm1::Timer1Timer);
    connect(ComboBox1, &QComboBox::activated, this, [this] { Guard([this] { ComboBox1Change(); }); });
    connect(PaintBox1, &TPaintBox::MouseMoved, this, [this](int x, int y, Qt::KeyboardModifiers shift) {
        Guard([&] { PaintBox1MouseMove(shift, x, y); });
    });
    connect(PaintBox1, &TPaintBox::MousePressed, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
                Guard([&] { PaintBox1MouseDown(button, shift, x, y); });
            });
    connect(PaintBox1, &TPaintBox::Clicked, this, [this] { Guard([this] { PaintBox1Click(); }); });
    connect(PaintBox1, &TPaintBox::Paint, this, [this] { Guard([this] { PaintBox1Paint(); }); });
    connect(PaintBox1, &TPaintBox::KeyPressed, this, [this](int key, Qt::KeyboardModifiers shift) {
        Guard([&] { PaintBox1KeyDown(key, shift); });
    });
    // F1 shows the help at any time; Ctrl+O is the folder button and does
    // what it may do now.
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [this] { Guard([this] { SpeedButton5Click(); }); });
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, [this] {
        if (SpeedButton3->isEnabled())
            Guard([this] { SpeedButton3Click(); });
    });
    auto *undo = new QShortcut(QKeySequence::Undo, this);
    auto *redo = new QShortcut(QKeySequence::Redo, this);
    // Ctrl+Shift+Z redoes whatever the desktop's own convention adds.
    QList<QKeySequence> redoKeys = redo->keys();
    if (!redoKeys.contains(QKeySequence(RedoKeys)))
        redoKeys.append(QKeySequence(RedoKeys));
    redo->setKeys(redoKeys);
    connect(undo, &QShortcut::activated, this, [this] { Guard([this] { Undo(); }); });
    connect(redo, &QShortcut::activated, this, [this] { Guard([this] { Redo(); }); });
    connect(FreeSp, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    FWatcher = new QFileSystemWatcher(this);
    connect(FWatcher, &QFileSystemWatcher::fileChanged, this,
            [this](const QString &path) { Guard([&] { UniverseFileChanged(path); }); });
}

void TForm1::ReportException(std::exception_ptr Error)
{
    QString message;
    try {
        std::rethrow_exception(Error);
    } catch (const EZorvane &e) {
        message = e.Message();
    } catch (const std::bad_alloc &) {
        message = QStringLiteral("Out of memory");
    } catch (const std::exception &e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("Unexpected failure");
    }
    FDialogs.Error(this, ErrorBoxText(message));
}

// ---- start-up and closing --------------------------------------------------

void TForm1::FormCreate()
{
    // The single-instance check runs in main(), before the window exists,
    // so that tests creating windows side by side never end each other.
    // The message boxes take their caption from the string table.
    Map.HoverName.clear();
}

void TForm1::showEvent(QShowEvent *Event)
{
    QWidget::showEvent(Event);
    if (!Event->spontaneous())
        Guard([this] { FormShow(); });
}

void TForm1::FormShow()
{
    InitTemplates();
    // The open dialog starts in the program's own directory (no trailing
    // separator); ProgramDir() is used directly when it runs.
}

void TForm1::closeEvent(QCloseEvent *Event)
{
    // FormCloseQuery: a running generation or relocation ends at its next
    // check of the flag; closing is never refused.
    StopRequested = true;
    Event->accept();
}

// ---- opening a universe ----------------------------------------------------

void TForm1::SpeedButton3Click()
{
    // A run writes back to the file it read: no other file meanwhile.
    if (Generating || Relocating)
        return;
    const QString path = FDialogs.OpenFile(this, FOpenFolder, LoadStr(TMsg::UniverseFilter));
    if (path.isEmpty())
        return;
    // A file that cannot be opened says why and changes nothing, as a
    // cancelled dialog does.
    { const TStarsXY check(path); }
    FOpenFolder = QFileInfo(path).absolutePath();
    StaticXY->setText(path);
    StaticXY->setToolTip(path);
    ClearGroups();
    History.Clear();
    StaticText2->clear();
    WatchFile(path);
    PaintMap(-1, -1);
    UpdateControls();
}

void TForm1::Wrote(TWrite Write)
{
    const QString what = Write.What;
    History.Record(std::move(Write));
    RepaintMap();
    StaticText2->setText(FormatStr(TMsg::WroteHint, {what, KeyText(UndoKeys)}));
}

void TForm1::Undo() { StepHistory(true); }

void TForm1::Redo() { StepHistory(false); }

void TForm1::StepHistory(bool Back)
{
    if (Generating || Relocating)
        throw EZorvane(TMsg::UndoWhileBusy);
    if (!(Back ? History.CanUndo() : History.CanRedo())) {
        StaticText2->setText(LoadStr(Back ? TMsg::NothingToUndo : TMsg::NothingToRedo));
        return;
    }
    const QString what = Back ? History.Undo(StaticXY->text()) : History.Redo(StaticXY->text());
    RepaintMap();
    StaticText2->setText(Back ? FormatStr(TMsg::UndoneHint, {what, KeyText(RedoKeys)})
                              : FormatStr(TMsg::RedoneHint, {what, KeyText(UndoKeys)}));
}

void TForm1::UpdateControls()
{
    // Every control placed directly on the window, except the map, its
    // bevel, the status text and the panel itself: the relocation needs the
    // map while the panel is open.
    for (QObject *child : children()) {
        auto *control = qobject_cast<QWidget *>(child);
        if (!control || control == PaintBox1 || control == Bevel2 || control == StaticText2 || control == Panel1)
            continue;
        control->setEnabled(!FPanelOpen);
    }
    if (FPanelOpen)
        return;
    BitBtn1->setEnabled(!StaticXY->text().isEmpty() && !Generating);
    SpeedButton3->setEnabled(!Generating);
    FreeSpaceRng->setEnabled(FreeSp->isChecked());
}

void TForm1::WatchFile(const QString &Path)
{
    if (!FWatcher->files().isEmpty())
        FWatcher->removePaths(FWatcher->files());
    FWatcher->addPath(Path);
}

void TForm1::UniverseFileChanged(const QString &Path)
{
    if (Path != StaticXY->text())
        return;
    // A file replaced by a rename is no longer watched: watch the new one.
    if (!FWatcher->files().contains(Path) && QFileInfo::exists(Path))
        FWatcher->addPath(Path);
    // The program's own writes are on the map already.
    try {
        if (ReadGameFile(Path, Map.ShownImage.size()) == Map.ShownImage)
            return;
    } catch (const EZorvane &) {
        // gone or unreadable: the paint shows what it can
    }
    RepaintMap();
}

void TForm1::changeEvent(QEvent *Event)
{
    QWidget::changeEvent(Event);
    // Coming back to the window, the map shows the file as it is now.
    if (Event->type() == QEvent::ActivationChange && isActiveWindow())
        Guard([this] { RepaintMap(); });
}

// Shows a side window, or brings it forward when it is already visible.
static void ShowSideWindow(QWidget *Window)
{
    if (!Window)
        return;
    Window->show();
    Window->raise();
    Window->activateWindow();
}

void TForm1::SpeedButton5Click() { ShowSideWindow(FHelp); }

void TForm1::ConfClick() { ShowSideWindow(FComments); }

// ---- the map ---------------------------------------------------------------

void TForm1::PaintBox1Paint()
{
    const QByteArray before = Map.ShownImage;
    AfterPaint(Map.PaintMap(StaticXY->text(), Map.BandMinX, Map.BandMaxX), before);
}

void TForm1::AfterPaint(const std::optional<TMapFacts> &Facts, const QByteArray &ShownBefore)
{
    ShowFacts(Facts);
    if (Map.ShownImage != ShownBefore)
        StaticText2->clear();
}

void TForm1::ShowFacts(const std::optional<TMapFacts> &Facts)
{
    if (!Facts)
        return;
    lSize->setText(Facts->SizeText);
    lStars->setText(Facts->StarsText);
    lPlayers->setText(Facts->PlayersText);
    SizeSel->setCurrentIndex(Facts->SizeIndex);
}

void TForm1::PaintMap(int32_t BandLeft, int32_t BandRight)
{
    // Outside a paint event: draw into the image, then show it as it is.
    const QByteArray before = Map.ShownImage;
    AfterPaint(Map.PaintMap(StaticXY->text(), BandLeft, BandRight), before);
    PaintBox1->ShowImage();
}

void TForm1::RepaintMap() { PaintBox1->RepaintMap(); }

void TForm1::PaintBox1MouseMove(Qt::KeyboardModifiers, int X, int Y)
{
    FKeyPointer = Map.StepPointer({X, Y}, 0, 0);
    if (PaintBox1->Landing())
        PaintBox1->SetLanding(Map.LandingPixel(FKeyPointer));
    TPointerReport report;
    // The cursor and status follow the steps that took effect, also when the
    // name lookup fails at the end.
    auto apply = [&] {
        if (report.Tracked)
            PaintBox1->setCursor(report.Crosshair ? Qt::CrossCursor : Qt::ArrowCursor);
        if (report.StatusChanged)
            StaticText2->setText(report.Status);
    };
    try {
        Map.MouseMove(X, Y, report, [this](QPoint pixel) { PaintBox1->RepaintPixel(pixel); });
    } catch (...) {
        apply();
        throw;
    }
    apply();
}

void TForm1::PaintBox1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)
{
    if (Map.MouseDown(Button == Qt::RightButton, Shift.testFlag(Qt::ShiftModifier), X, Y))
        RepaintMap();
}

void TForm1::Timer1Timer()
{
    if (const auto pixel = Map.BlinkTick(ProgramRandom()))
        PaintBox1->RepaintPixel(*pixel);
}

void TForm1::SpeedButton6Click()
{
    Map.ClearMarks();
    RepaintMap();
}
