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
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>

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

// Light years per map pixel along an axis, at least one.
int PixelStep(double Scale) { return Scale > 0 ? std::max(1, int(std::lround(1 / Scale))) : 1; }

} // namespace

TForm1::TForm1(const QString &ProgramDir, TDialogs &Dialogs, QWidget *Parent)
    : QWidget(Parent), FProgramDir(ProgramDir), FDialogs(Dialogs), FGuard(this, Dialogs), FRelocation(FSession),
      FOpenFolder(ProgramDir)
{
    BuildWindow();
    // The program's own templates first, then the player's.
    FTemplates = new TTemplateGroup(this, FGuard, FSession, QStringList{ProgramDir, UserTemplateDir()});
    FPanel = new TMovingPanel(this, FGuard, FRelocation, SpeedButton5);
    FView = new TUniverseView(Dialogs, FSession, FRelocation, this);
    // The map stands above the template group's controls, the panel above all.
    PaintBox1->raise();
    ConnectHandlers();
    SetUpKeyboardAndNames();
    qApp->installEventFilter(new TWrappedTooltips(this));
    UpdateControls();
}

TForm1::~TForm1()
{
    // The map loses its focus while the window goes: nothing may reach the
    // half-destroyed window from there.
    disconnect(PaintBox1, nullptr, this, nullptr);
    disconnect(&FRelocation, nullptr, this, nullptr);
    disconnect(&FSession, nullptr, this, nullptr);
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
    FGuard.Connect(PaintBox1, &TPaintBox::Clicked, this, &TForm1::PaintBox1Click);
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { ShowSideWindow(FHelp); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        // A relocation inside a run would be undone by the run's final write.
        if (!FTemplates->Generating())
            FGuard([this] { FPanel->BitBtn1Click(); });
    });
    connect(PaintBox1, &TPaintBox::MouseMoved, this,
            [this](int x, int y, Qt::KeyboardModifiers) { FGuard([&] { PaintBox1MouseMove(x, y); }); });
    connect(PaintBox1, &TPaintBox::MousePressed, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
                FGuard([&] { PaintBox1MouseDown(button, shift, x, y); });
            });
    connect(PaintBox1, &TPaintBox::KeyPressed, this, [this](int key, Qt::KeyboardModifiers shift) {
        FGuard([&] { PaintBox1KeyDown(key, shift); });
    });
    connect(PaintBox1, &TPaintBox::FocusChanged, this, [this](bool In) {
        // The keyboard's crosshair shows while the map has the focus.
        if (!FRelocation.Pick())
            PaintBox1->SetLanding(In && FMap.HasPicture() ? std::optional<QPoint>(FKeyPointer) : std::nullopt);
    });

    // The parts and the session tell the window what changed.
    connect(&FSession, &TUniverseSession::Opened, this, [this] { FGuard([this] { FileOpened(); }); });
    connect(&FSession, &TUniverseSession::Changed, this, [this] {
        FGuard([this] {
            RepaintMap();
            UpdateControls();
        });
    });
    const auto say = [this](const QString &Text) { ShowStatus(Text); };
    connect(FTemplates, &TTemplateGroup::Wrote, this, &TForm1::ShowWrite);
    connect(FTemplates, &TTemplateGroup::Said, this, say);
    connect(FTemplates, &TTemplateGroup::RunningChanged, this, &TForm1::UpdateControls);
    connect(&FRelocation, &TRelocation::Wrote, this, &TForm1::ShowWrite);
    connect(&FRelocation, &TRelocation::Said, this, say);
    connect(&FRelocation, &TRelocation::Failed, this,
            [this](std::exception_ptr Error) { FGuard.Report(Error); });
    connect(&FRelocation, &TRelocation::PickStarted, this, [this] { FGuard([this] { FollowPick(); }); });
    connect(&FRelocation, &TRelocation::LandingMoved, this, [this] { FGuard([this] { ShowLanding(); }); });
    connect(&FRelocation, &TRelocation::RunEnded, this, [this] { FGuard([this] { FollowRunEnd(); }); });
    connect(FPanel, &TMovingPanel::OpenChanged, this, [this] {
        UpdateControls();
        // Closed, the panel gives the focus back to "Change...".
        const QWidget *focus = focusWidget();
        if (!FPanel->IsOpen() && BitBtn1->isEnabled() &&
            (!focus || !focus->isEnabled() || FPanel->Frame()->isAncestorOf(focus)))
            BitBtn1->setFocus(Qt::OtherFocusReason);
    });
    // A mouse-only player undoes and redoes by the link in the status line.
    StaticText2->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(StaticText2, &QLabel::linkActivated, this, [this](const QString &Link) {
        FGuard([&] { AskStep(Link == u"undo"); });
    });

    // The universe view: Ctrl+M, or a double click on the map outside pick
    // mode. It follows the session and the relocation itself; the window
    // gives it the marks and the template, and makes its undo and redo.
    const auto openView = [this] { FGuard([this] { FView->Open(); }); };
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this), &QShortcut::activated, this, openView);
    connect(PaintBox1, &TPaintBox::DoubleClicked, this, [this, openView] {
        if (!FRelocation.Pick())
            openView();
    });
    connect(FTemplates, &TTemplateGroup::TemplateChanged, FView, &TUniverseView::SetTemplate);
    connect(FView, &TUniverseView::StepRequested, this, [this](bool Back) { FGuard([&] { AskStep(Back); }); });

    // F1 shows the help at any time; Ctrl+O is the folder button and does
    // what it may do now.
    // F1 in any of the program's windows, the universe view too.
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    help->setContext(Qt::ApplicationShortcut);
    connect(help, &QShortcut::activated, this, [this] { ShowSideWindow(FHelp); });
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
    connect(undo, &QShortcut::activated, this, [this] { FGuard([this] { UndoStep(); }); });
    connect(redo, &QShortcut::activated, this, [this] { FGuard([this] { RedoStep(); }); });
    connect(&FSession, &TUniverseSession::StepEnded, this,
            [this](bool Back, const QString &What, std::exception_ptr Error) {
                FGuard([&] { ShowStep(Back, What, Error); });
            });
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
    FRelocation.ClearGroups();
    FTemplates->InitTemplates();
}

void TForm1::closeEvent(QCloseEvent *Event)
{
    // A running generation or relocation ends, as does an undo waiting for
    // another program's lock; closing is never refused.
    FTemplates->Stop();
    FSession.CancelStep();
    if (FRelocation.Running())
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
    // cancelled dialog does. The relocation forgets its groups itself.
    FSession.Open(path);
}

void TForm1::FileOpened()
{
    const QString path = FSession.Path();
    FOpenFolder = QFileInfo(path).absolutePath();
    StaticXY->setText(path);
    StaticXY->setToolTip(path);
    ShowStatus({});
    FFileSizeClass = -1;
    PaintMap();
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

void TForm1::ShowStatus(const QString &Text, bool Report)
{
    // The pointer's report in the face fitted to the longest one; the
    // program's own words in the window's face, shortened to fit (whole in
    // the tooltip, and to a screen reader).
    FReportShown = Report;
    StaticText2->setFont(Report ? FReportFont : font());
    SetStatusText(StaticText2, Report ? Text : FitStatusText(StaticText2, Text), Text);
    if (Report)
        StaticText2->setToolTip(QString());
}

void TForm1::ShowWrite(const QString &What)
{
    QString text = FormatStr(TMsg::WroteHint, {What.toHtmlEscaped(), KeyLink(UndoKeys, "undo")});
    if (!FSession.LastWriteNote().isEmpty())
        text += QStringLiteral("; ") + FSession.LastWriteNote().toHtmlEscaped();
    ShowStatus(text);
}

void TForm1::AskStep(bool Back)
{
    if (FSession.Busy())
        throw EZorvane(TMsg::UndoWhileBusy);
    if (!FSession.ReadOnly().isEmpty()) {
        ShowStatus(FormatStr(TMsg::ReadOnlyStatus, {FSession.ReadOnly()}));
        return;
    }
    if (!(Back ? FSession.CanUndo() : FSession.CanRedo())) {
        ShowStatus(LoadStr(Back ? TMsg::NothingToUndo : TMsg::NothingToRedo));
        return;
    }
    // Made at once, or once another program lets go of its lock on the
    // file: StepEnded says so.
    FSession.StartStep(Back);
}

void TForm1::ShowStep(bool Back, const QString &What, std::exception_ptr Error)
{
    if (Error)
        std::rethrow_exception(Error);
    if (What.isEmpty())
        return; // cancelled: nothing written
    ShowStatus(Back ? FormatStr(TMsg::UndoneHint, {What.toHtmlEscaped(), KeyLink(RedoKeys, "redo")})
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
            control == FPanel->Frame() || IsAnnouncer(control))
            continue;
        control->setEnabled(!panelOpen);
    }
    if (panelOpen)
        return;
    const bool running = FTemplates->Generating();
    // Nothing is written to a read-only file: no generation, no moving.
    const bool writable = FSession.ReadOnly().isEmpty();
    BitBtn1->setEnabled(FSession.IsOpen() && !running && writable);
    FTemplates->UpdateControls(writable);
    SpeedButton3->setEnabled(!running);
    if (!writable)
        ShowStatus(FormatStr(TMsg::ReadOnlyStatus, {FSession.ReadOnly()}));
}

void TForm1::changeEvent(QEvent *Event)
{
    QWidget::changeEvent(Event);
    // Coming back to the window, the map shows the file as it is now.
    if (Event->type() == QEvent::ActivationChange && isActiveWindow())
        FGuard([this] { FSession.Refresh(); });
}

// ---- the map ---------------------------------------------------------------

std::pair<int32_t, int32_t> TForm1::Band() const
{
    if (const auto &pick = FRelocation.Pick())
        return {pick->Band.MinX, pick->Band.MaxX};
    return {-1, -1};
}

void TForm1::PaintBox1Paint()
{
    const QByteArray before = FMap.ShownImage();
    const auto [left, right] = Band();
    AfterPaint(FMap.PaintMap(FSession.Universe(), left, right), before);
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
    // A pointer report about another universe than the one shown now goes.
    if (FMap.ShownImage() != ShownBefore && FReportShown)
        ShowStatus({});
    ShowMapCaption();
    FView->SetMarks(FMap.Marks(), FMap.View());
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

void TForm1::PaintMap()
{
    // Outside a paint event: draw into the image, then show it as it is.
    const QByteArray before = FMap.ShownImage();
    const auto [left, right] = Band();
    AfterPaint(FMap.PaintMap(FSession.Universe(), left, right), before);
    PaintBox1->ShowImage();
}

void TForm1::RepaintMap() { PaintBox1->RepaintMap(); }

void TForm1::PaintBox1MouseMove(int X, int Y)
{
    FKeyPointer = FMap.StepPointer({X, Y}, 0, 0);
    if (PaintBox1->Landing() && !FRelocation.Pick())
        PaintBox1->SetLanding(FKeyPointer);
    const TPointerReport report = FMap.MouseMove(X, Y, [this](QPoint pixel) { PaintBox1->RepaintPixel(pixel); });
    if (!report.Tracked) {
        if (report.StatusChanged)
            ShowStatus(report.Status, true);
        return;
    }
    QString status = report.Status;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    if (const auto &pick = FRelocation.Pick()) {
        // The pointer carries the landing point, held in the band; the
        // crosshair shows over the band itself.
        FRelocation.MoveLanding(report.Position);
        status = FMap.PointerStatus(FRelocation.Landing());
        if (pick->Band.MinX <= report.Position.x() && report.Position.x() <= pick->Band.MaxX)
            cursor = Qt::CrossCursor;
    }
    PaintBox1->setCursor(cursor);
    ShowStatus(status, true);
}

void TForm1::PaintBox1Click()
{
    if (FRelocation.Pick())
        FRelocation.Place();
    else if (FPanel->ChangeMode())
        FRelocation.InsertName(FMap.HoverName());
}

void TForm1::PaintBox1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)
{
    const std::vector<TMarkRec> before = FMap.Marks();
    if (!FMap.MouseDown(Button == Qt::RightButton, Shift.testFlag(Qt::ShiftModifier), X, Y))
        return;
    RepaintMap();
    FView->SetMarks(FMap.Marks(), FMap.View());
    // What became of the mark, in words (a screen reader hears them).
    const std::vector<TMarkRec> &after = FMap.Marks();
    size_t i = 0;
    while (i < before.size() && before[i] == after[i])
        ++i;
    if (i >= after.size())
        return;
    const TMarkRec &mark = after[i];
    const QPoint at = MapToUniverse(FMap.View(), mark.X, mark.Y);
    const QString colour = QLatin1String(MarkColorName(mark.Color));
    const long long x = at.x(), y = at.y();
    ShowStatus(i >= before.size()        ? FormatStr(TMsg::MarkPlaced, {x, y, colour})
                               : mark.Color == RemovedMark ? FormatStr(TMsg::MarkRemoved, {x, y})
                                                           : FormatStr(TMsg::MarkRecoloured, {x, y, colour}));
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
    FView->SetMarks(FMap.Marks(), FMap.View());
    ShowStatus(LoadStr(TMsg::MarksCleared));
}

void TForm1::PaintBox1KeyDown(int Key, Qt::KeyboardModifiers Shift)
{
    const int dx = Key == Qt::Key_Left ? -1 : Key == Qt::Key_Right ? 1 : 0;
    const int dy = Key == Qt::Key_Up ? -1 : Key == Qt::Key_Down ? 1 : 0;
    const int times = Shift.testFlag(Qt::ShiftModifier) ? 10 : 1;
    if (!FRelocation.Pick()) {
        // Outside pick mode the crosshair points at planets and marks: M
        // puts a mark there (or gives it the next colour), Delete removes
        // it, Return adds the planet to the active group as a click does.
        if (dx != 0 || dy != 0) {
            const QPoint to = FMap.StepPointer(FKeyPointer, dx * times, dy * times);
            PaintBox1MouseMove(to.x(), to.y());
            PaintBox1->SetLanding(FKeyPointer);
            DescribeMap();
        } else if (Key == Qt::Key_M || Key == Qt::Key_Delete) {
            PaintBox1MouseDown(Qt::RightButton, Key == Qt::Key_Delete ? Qt::ShiftModifier : Qt::NoModifier,
                               FKeyPointer.x(), FKeyPointer.y());
        } else if (Key == Qt::Key_Return || Key == Qt::Key_Enter || Key == Qt::Key_Space) {
            PaintBox1Click();
        }
        return;
    }
    switch (Key) {
    case Qt::Key_Escape:
        FPanel->SpeedButton4Click();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        // One map pixel's worth of light years (ten with Shift), or one
        // light year with Ctrl, from where the planet would land now.
        const int step = Shift.testFlag(Qt::ControlModifier) ? 1 : times * PixelStep(dx ? FMap.ScaleX() : FMap.ScaleY());
        FRelocation.StepLanding(dx, dy, step);
        const auto &pick = FRelocation.Pick();
        if (pick)
            ShowStatus(FormatStr(TMsg::PickLanding, {PlanetName(pick->Star.NameId),
                                                                     static_cast<long long>(FRelocation.Landing().x()),
                                                                     static_cast<long long>(FRelocation.Landing().y())}));
        DescribeMap();
        return;
    }
    default:
        // Where the crosshair shows; no movement keeps the planet where it is.
        FRelocation.Place();
    }
}

void TForm1::FollowPick()
{
    RepaintMap(); // the band
    PaintBox1->setFocus(Qt::OtherFocusReason);
    ShowLanding();
}

void TForm1::ShowLanding()
{
    const QPoint at = FRelocation.Landing();
    PaintBox1->SetLanding(FMap.PixelOf(at.x(), at.y()));
    DescribeMap();
}

void TForm1::FollowRunEnd()
{
    PaintBox1->SetLanding(std::nullopt);
    RepaintMap(); // without the band
    DescribeMap();
    if (PaintBox1->hasFocus() && BitBtn1->isEnabled())
        BitBtn1->setFocus(Qt::OtherFocusReason);
}

void TForm1::DescribeMap()
{
    // What a screen reader learns of the map: in pick mode the planet, its
    // group and band, where it would land and the planet nearest to that;
    // otherwise where the crosshair points.
    QString text = LoadStr(TMsg::MapDescription);
    const auto &pick = FRelocation.Pick();
    const QPoint at = pick ? FRelocation.Landing() : FMap.Pointer();
    const int32_t nearest = FMap.NearestStar(at);
    const QString near =
        nearest < 0 ? QString()
                    : FormatStr(TMsg::MapNearest, {PlanetName(FMap.StarPoints()[size_t(nearest)].NameId),
                                                   static_cast<long long>(FMap.StarPoints()[size_t(nearest)].X),
                                                   static_cast<long long>(FMap.StarPoints()[size_t(nearest)].Y)});
    if (pick)
        text = FormatStr(TMsg::MapPicking, {PlanetName(pick->Star.NameId), static_cast<long long>(pick->Group) + 1,
                                            static_cast<long long>(pick->Band.MinX),
                                            static_cast<long long>(pick->Band.MaxX), static_cast<long long>(at.x()),
                                            static_cast<long long>(at.y())}) +
               near;
    else if (PaintBox1->hasFocus() && !FMap.StarPoints().empty())
        text = FormatStr(TMsg::MapPointing, {static_cast<long long>(at.x()), static_cast<long long>(at.y())}) + near +
               QStringLiteral(" ") + text;
    PaintBox1->setAccessibleDescription(text);
}
