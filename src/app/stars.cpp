#include "stars.h"

#include "accessiblevalues.h"
#include "comments.h"
#include "controls.h"
#include "gamefile.h"
#include "help.h"
#include "messages.h"
#include "movingpanel.h"
#include "paintbox.h"
#include "planetnames.h"
#include "random.h"
#include "templategroup.h"
#include "templatelist.h"
#include "universeview.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace {

// The keys the status line names after a write, the same on every desktop.
constexpr QKeyCombination UndoKeys = Qt::CTRL | Qt::Key_Z;
constexpr QKeyCombination RedoKeys = Qt::CTRL | Qt::SHIFT | Qt::Key_Z;

QString KeyText(QKeyCombination Keys) { return QKeySequence(Keys).toString(QKeySequence::NativeText); }

// The keys as a link in the status line that does what they do.
QString KeyLink(QKeyCombination Keys, const char *Action)
{
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(QLatin1String(Action), KeyText(Keys).toHtmlEscaped());
}

} // namespace

TForm1::TForm1(const QString &ProgramDir, TDialogs &Dialogs, QWidget *Parent)
    : QWidget(Parent), FProgramDir(ProgramDir), FDialogs(Dialogs), FGuard(this, Dialogs),
      FOpenFolder(ProgramDir)
{
    BuildWindow();
    // The program's own templates first, then the player's.
    FTemplates = new TTemplateGroup(this, FGuard, FSession, QStringList{ProgramDir, UserTemplateDir()});
    FPanel = new TMovingPanel(this, FGuard, FSession, FMap, lPlayers);
    FView = new TUniverseView(Dialogs, this);
    // The map stands above the template group's controls, the panel above all.
    PaintBox1->raise();
    ConnectHandlers();
    SetUpKeyboardAndNames(*this);
    qApp->installEventFilter(new TWrappedTooltips(this));
    UpdateControls();
}

TForm1::~TForm1()
{
    // The map loses its focus while the window goes: nothing may reach the
    // half-destroyed window from there.
    disconnect(PaintBox1, nullptr, this, nullptr);
    // The parts go first: they end their runs through the session.
    delete FView;
    delete FPanel;
    delete FTemplates;
}

void TForm1::SetSideWindows(THelpForm *Help, TFConf *Comments)
{
    FHelp = Help;
    FTemplates->SetComments(Comments);
}

void TForm1::ConnectHandlers()
{
    FGuard.Connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);
    FGuard.Connect(SpeedButton6, &QToolButton::clicked, this, &TForm1::SpeedButton6Click);
    FGuard.Connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    FGuard.Connect(PaintBox1, &TPaintBox::Paint, this, &TForm1::PaintBox1Paint);
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { ShowSideWindow(FHelp); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        // A relocation inside a run would be undone by the run's final write.
        if (!FTemplates->Running())
            FGuard([this] { FPanel->BitBtn1Click(); });
    });
    connect(PaintBox1, &TPaintBox::MouseMoved, this,
            [this](int x, int y, Qt::KeyboardModifiers) { FGuard([&] { PaintBox1MouseMove(x, y); }); });
    connect(PaintBox1, &TPaintBox::MousePressed, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
                FGuard([&] { PaintBox1MouseDown(button, shift, x, y); });
            });
    connect(PaintBox1, &TPaintBox::Clicked, this, [this] { FGuard([this] { FPanel->MapClicked(); }); });
    connect(PaintBox1, &TPaintBox::KeyPressed, this, [this](int key, Qt::KeyboardModifiers shift) {
        FGuard([&] { PaintBox1KeyDown(key, shift); });
    });

    // The parts and the session tell the window what changed.
    connect(&FSession, &TUniverseSession::Opened, this, [this] { FGuard([this] { FileOpened(); }); });
    connect(&FSession, &TUniverseSession::Changed, this, [this] {
        FGuard([this] {
            RepaintMap();
            UpdateControls();
        });
    });
    connect(FTemplates, &TTemplateGroup::Wrote, this, &TForm1::Wrote);
    const auto say = [this](const QString &Text) { SetStatusText(StaticText2, Text); };
    connect(FTemplates, &TTemplateGroup::Said, this, say);
    connect(FTemplates, &TTemplateGroup::RunningChanged, this, &TForm1::UpdateControls);
    connect(FPanel, &TMovingPanel::Wrote, this, &TForm1::Wrote);
    connect(FPanel, &TMovingPanel::Said, this, say);
    connect(FPanel, &TMovingPanel::OpenChanged, this, [this] {
        // Closed, the panel gives the focus back to "Change...".
        const QWidget *focus = focusWidget();
        const auto *panel = findChild<QWidget *>(QStringLiteral("Panel1"));
        if (!FPanel->IsOpen() && BitBtn1->isEnabled() &&
            (!focus || !focus->isEnabled() || panel->isAncestorOf(focus)))
            BitBtn1->setFocus(Qt::OtherFocusReason);
    });
    // A mouse-only player undoes and redoes by the link in the status line.
    StaticText2->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(StaticText2, &QLabel::linkActivated, this, [this](const QString &Link) {
        FGuard([&] { StepHistory(Link == u"undo"); });
    });
    connect(PaintBox1, &TPaintBox::FocusChanged, this, [this](bool In) {
        // The keyboard's crosshair shows while the map has the focus.
        if (!FPanel->Picking())
            PaintBox1->SetLanding(In && FMap.HasPicture() ? std::optional<QPoint>(FKeyPointer) : std::nullopt);
    });
    connect(FPanel, &TMovingPanel::OpenChanged, this, &TForm1::UpdateControls);
    connect(FPanel, &TMovingPanel::BandChanged, this, [this] { FGuard([this] { RepaintMap(); }); });
    connect(FPanel, &TMovingPanel::PickStarted, this, &TForm1::StartKeyboardPick);
    connect(FPanel, &TMovingPanel::PickEnded, this, &TForm1::EndKeyboardPick);

    // The universe view: Ctrl+M, or a double click on the map outside pick
    // mode. It follows the map, the marks, the groups, the template and the
    // pick; a pick in it goes the way of a click on the map.
    const auto openView = [this] { FGuard([this] { FView->Open(); }); };
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this), &QShortcut::activated, this, openView);
    connect(PaintBox1, &TPaintBox::DoubleClicked, this, [this, openView] {
        if (!FPanel->Picking())
            openView();
    });
    connect(FTemplates, &TTemplateGroup::TemplateChanged, FView, &TUniverseView::SetTemplate);
    connect(FPanel, &TMovingPanel::GroupsChanged, FView, &TUniverseView::SetGroups);
    connect(FPanel, &TMovingPanel::PickStarted, this, [this] {
        if (const auto star = FPanel->PendingStar())
            FView->SetBand(FMap.BandMinX, FMap.BandMaxX, QPoint(int(star->X), int(star->Y)));
    });
    connect(FPanel, &TMovingPanel::PickEnded, FView, &TUniverseView::ClearBand);
    connect(FView, &TUniverseView::Picked, this, [this](QPoint at) { FGuard([&] { FPanel->PickAt(at); }); });
    connect(FView, &TUniverseView::PickCancelled, this, [this] {
        if (FPanel->Picking())
            FGuard([this] { FPanel->SpeedButton4Click(); });
    });

    // F1 shows the help at any time; Ctrl+O is the folder button and does
    // what it may do now.
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [this] { ShowSideWindow(FHelp); });
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, [this] {
        if (SpeedButton3->isEnabled())
            FGuard([this] { SpeedButton3Click(); });
    });
    auto *undo = new QShortcut(QKeySequence::Undo, this);
    auto *redo = new QShortcut(QKeySequence::Redo, this);
    // Ctrl+Shift+Z redoes whatever the desktop's own convention adds.
    QList<QKeySequence> redoKeys = redo->keys();
    if (!redoKeys.contains(QKeySequence(RedoKeys)))
        redoKeys.append(QKeySequence(RedoKeys));
    redo->setKeys(redoKeys);
    connect(undo, &QShortcut::activated, this, [this] { FGuard([this] { Undo(); }); });
    connect(&FSession, &TUniverseSession::StepEnded, this,
            [this](bool Back, const QString &What, std::exception_ptr Error) {
                FGuard([&] { StepEnded(Back, What, Error); });
            });
    connect(redo, &QShortcut::activated, this, [this] { FGuard([this] { Redo(); }); });
    connect(findChild<QCheckBox *>(QStringLiteral("FreeSp")), &QCheckBox::toggled, this, &TForm1::UpdateControls);
}

// ---- start-up and closing --------------------------------------------------

void TForm1::showEvent(QShowEvent *Event)
{
    QWidget::showEvent(Event);
    if (!Event->spontaneous())
        FGuard([this] { FormShow(); });
}

void TForm1::FormShow()
{
    FMap.BandMinX = -1;
    FMap.BandMaxX = -1;
    FPanel->Reset();
    FTemplates->InitTemplates();
}

void TForm1::closeEvent(QCloseEvent *Event)
{
    // A running generation or relocation ends, as does an undo waiting for
    // another program's lock; closing is never refused.
    FTemplates->Stop();
    FSession.CancelStep();
    if (FPanel->Picking())
        FGuard([this] { FPanel->SpeedButton4Click(); });
    Event->accept();
}

// ---- opening a universe ----------------------------------------------------

void TForm1::SpeedButton3Click()
{
    // A run writes back to the file it read: no other file meanwhile.
    if (FSession.Busy())
        return;
    const QString path = FDialogs.OpenFile(this, FOpenFolder, LoadStr(TMsg::UniverseFilter));
    if (path.isEmpty())
        return;
    // A file that cannot be opened says why and changes nothing, as a
    // cancelled dialog does.
    FSession.Open(path);
}

void TForm1::FileOpened()
{
    const QString path = FSession.Path();
    FOpenFolder = QFileInfo(path).absolutePath();
    StaticXY->setText(path);
    StaticXY->setToolTip(path);
    FPanel->ClearGroups();
    SetStatusText(StaticText2, {});
    FFileSizeClass = -1;
    PaintMap(-1, -1);
    UpdateControls();
    if (!FSession.ReadOnly().isEmpty())
        OfferWritableCopy();
}

void TForm1::OfferWritableCopy()
{
    // A file that can be read but not written (the demo in a system folder,
    // say) is shown; a copy the player asks for can be worked on.
    const QString path = FSession.Path();
    if (!FDialogs.Confirm(this, FormatStr(TMsg::WritableCopyQuestion, {QDir::toNativeSeparators(path),
                                                                       FSession.ReadOnly()})))
        return;
    const QString copy = FDialogs.SaveFile(this, WritableFolderFor(path), LoadStr(TMsg::UniverseFilter),
                                           QFileInfo(path).fileName(), QStringLiteral("xy"));
    if (copy.isEmpty())
        return;
    // Never over the open file itself, never through a link, never a
    // partial copy.
    WriteNewFile(copy, FSession.Image(), path);
    FSession.Open(copy);
}

void TForm1::Wrote(const QString &What)
{
    QString text = FormatStr(TMsg::WroteHint, {What.toHtmlEscaped(), KeyLink(UndoKeys, "undo")});
    if (!FSession.LastWriteNote().isEmpty())
        text += QStringLiteral("; ") + FSession.LastWriteNote().toHtmlEscaped();
    SetStatusText(StaticText2, text);
}

void TForm1::StepHistory(bool Back)
{
    if (FSession.Busy())
        throw EZorvane(TMsg::UndoWhileBusy);
    if (!FSession.ReadOnly().isEmpty()) {
        SetStatusText(StaticText2, FormatStr(TMsg::ReadOnlyStatus, {FSession.ReadOnly()}));
        return;
    }
    if (!(Back ? FSession.CanUndo() : FSession.CanRedo())) {
        SetStatusText(StaticText2, LoadStr(Back ? TMsg::NothingToUndo : TMsg::NothingToRedo));
        return;
    }
    // Made at once, or once another program lets go of its lock on the
    // file: StepEnded says so.
    FSession.StartStep(Back);
}

void TForm1::StepEnded(bool Back, const QString &What, std::exception_ptr Error)
{
    if (Error)
        std::rethrow_exception(Error);
    if (What.isEmpty())
        return; // cancelled: nothing written
    SetStatusText(StaticText2, Back ? FormatStr(TMsg::UndoneHint, {What.toHtmlEscaped(), KeyLink(RedoKeys, "redo")})
                                    : FormatStr(TMsg::RedoneHint, {What.toHtmlEscaped(), KeyLink(UndoKeys, "undo")}));
}

void TForm1::UpdateControls()
{
    // Every control placed directly on the window, except the map, its
    // bevel, the status text and the panel itself: the relocation needs the
    // map while the panel is open.
    const bool panelOpen = FPanel->IsOpen();
    for (QObject *child : children()) {
        auto *control = qobject_cast<QWidget *>(child);
        if (!control || control->isWindow() || control == PaintBox1 || control == Bevel2 || control == StaticText2 ||
            control->objectName() == u"Panel1")
            continue;
        control->setEnabled(!panelOpen);
    }
    if (panelOpen)
        return;
    const bool running = FTemplates->Running();
    // Nothing is written to a read-only file: no generation, no moving.
    const bool writable = FSession.ReadOnly().isEmpty();
    BitBtn1->setEnabled(FSession.IsOpen() && !running && writable);
    findChild<QWidget *>(QStringLiteral("BitBtn2"))->setEnabled(writable || running);
    SpeedButton3->setEnabled(!running);
    if (!writable)
        SetStatusText(StaticText2, FormatStr(TMsg::ReadOnlyStatus, {FSession.ReadOnly()}));
    findChild<QWidget *>(QStringLiteral("FreeSpaceRng"))
        ->setEnabled(findChild<QCheckBox *>(QStringLiteral("FreeSp"))->isChecked());
}

void TForm1::changeEvent(QEvent *Event)
{
    QWidget::changeEvent(Event);
    // Coming back to the window, the map shows the file as it is now.
    if (Event->type() == QEvent::ActivationChange && isActiveWindow())
        FGuard([this] { FSession.Refresh(); });
}

// ---- the map ---------------------------------------------------------------

void TForm1::PaintBox1Paint()
{
    const QByteArray before = FMap.ShownImage;
    AfterPaint(FMap.PaintMap(FSession.Universe(), FMap.BandMinX, FMap.BandMaxX), before);
}

void TForm1::AfterPaint(const std::optional<TMapFacts> &Facts, const QByteArray &ShownBefore)
{
    if (Facts) {
        lSize->setText(Facts->SizeText);
        lStars->setText(Facts->StarsText);
        lPlayers->setText(Facts->PlayersText);
        if (Facts->SizeIndex != FFileSizeClass) {
            FFileSizeClass = Facts->SizeIndex;
            FTemplates->SetSizeIndex(Facts->SizeIndex);
        }
    }
    if (FMap.ShownImage != ShownBefore)
        SetStatusText(StaticText2, {});
    ShowMapCaption();
    SyncView();
}

void TForm1::SyncView()
{
    if (FSession.Universe()) {
        FView->SetUniverse(FMap.StarPoints, FFileSizeClass, FSession.Path());
        FView->SetMarks(FMap.Marks, FMap.View());
    } else {
        FView->ClearUniverse();
    }
}

void TForm1::ShowMapCaption()
{
    // Covered by the map's picture, the caption is not read out either.
    HideFromAccessibility(Label10, FMap.HasPicture());
    // The caption under the map shows through while the map has nothing to
    // draw: no file yet, or the open file gone or unreadable.
    // Set only on a change: any change repaints the label, and with it the
    // map above it, whose paint comes back here.
    if (FSession.IsOpen() && !FSession.Universe()) {
        const QString text = FormatStr(TMsg::FileUnreadable, {QDir::toNativeSeparators(FSession.Path())});
        if (Label10->text() == text)
            return;
        Label10->setText(text);
        Label10->setWordWrap(true);
        Label10->setAlignment(Qt::AlignCenter);
        Label10->setGeometry(PaintBox1->geometry().adjusted(8, 0, -8, 0));
    } else if (Label10->wordWrap()) {
        Label10->setWordWrap(false);
        Label10->setText(LoadStr(TMsg::SelectXYFirst));
        Label10->move(308, 232);
        Label10->adjustSize();
    }
}

void TForm1::PaintMap(int32_t BandLeft, int32_t BandRight)
{
    // Outside a paint event: draw into the image, then show it as it is.
    const QByteArray before = FMap.ShownImage;
    AfterPaint(FMap.PaintMap(FSession.Universe(), BandLeft, BandRight), before);
    PaintBox1->ShowImage();
}

void TForm1::RepaintMap() { PaintBox1->RepaintMap(); }

void TForm1::PaintBox1MouseMove(int X, int Y)
{
    FKeyPointer = FMap.StepPointer({X, Y}, 0, 0);
    if (PaintBox1->Landing())
        PaintBox1->SetLanding(FMap.LandingPixel(FKeyPointer));
    const TPointerReport report = FMap.MouseMove(X, Y, [this](QPoint pixel) { PaintBox1->RepaintPixel(pixel); });
    if (report.Tracked) {
        PaintBox1->setCursor(report.Crosshair ? Qt::CrossCursor : Qt::ArrowCursor);
        if (FPickTarget)
            FPickTarget = FMap.PickPos;
    }
    if (report.StatusChanged)
        SetStatusText(StaticText2, report.Status);
}

void TForm1::PaintBox1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)
{
    if (FMap.MouseDown(Button == Qt::RightButton, Shift.testFlag(Qt::ShiftModifier), X, Y)) {
        RepaintMap();
        FView->SetMarks(FMap.Marks, FMap.View());
    }
}

void TForm1::Timer1Timer()
{
    if (const auto pixel = FMap.BlinkTick(ProgramRandom()))
        PaintBox1->RepaintPixel(*pixel);
}

void TForm1::SpeedButton6Click()
{
    FMap.ClearMarks();
    RepaintMap();
    FView->SetMarks(FMap.Marks, FMap.View());
}
