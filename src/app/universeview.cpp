// The universe view's window: its controls and table built, what it
// follows, and the input of its canvas.
#include "universeview.h"

#include "accessiblevalues.h"
#include "dialogs.h"
#include "fairnesstable.h"
#include "gamefile.h"
#include "messages.h"
#include "planetnames.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

// ---- the window ------------------------------------------------------------

TUniverseView::TUniverseView(TDialogs &Dialogs, TUniverseSession &Session, TRelocation &Relocation, QWidget *Parent)
    : QWidget(Parent, Qt::Window), FDialogs(Dialogs), FSession(Session), FRelocation(Relocation), FDrawing(font())
{
    setObjectName(QStringLiteral("UniverseView"));
    setWindowTitle(QStringLiteral("Universe view"));
    resize(1240, 780);

    FCanvas = new TUniverseCanvas(this);
    FCanvas->Painter = [this](QPainter &P) { FDrawing.Render(P, FCanvas->Geometry, FScene, true); };
    FCanvas->Keys = [this](int Key, Qt::KeyboardModifiers Modifiers) { return CanvasKey(Key, Modifiers); };
    connect(FCanvas, &TUniverseCanvas::PointerMoved, this, &TUniverseView::FollowPointer);
    connect(FCanvas, &TUniverseCanvas::PointerLeft, this, &TUniverseView::LosePointer);
    connect(FCanvas, &TUniverseCanvas::Clicked, this, &TUniverseView::PickAt);
    connect(FCanvas, &TUniverseCanvas::Moved, this, &TUniverseView::UpdateReport);

    FTemplateBox = new QCheckBox(QStringLiteral("Template"), this);
    FTemplateBox->setToolTip(QStringLiteral("Lay the selected template over the universe as the generation uses it"));
    FTemplateBox->setEnabled(false);
    FGridBox = new QCheckBox(QStringLiteral("Grid"), this);
    FGridBox->setToolTip(QStringLiteral("Lines every 100 light years, with their numbers"));
    FGridBox->setChecked(true);
    FNamesBox = new QCheckBox(QStringLiteral("Names"), this);
    FNamesBox->setToolTip(QStringLiteral("The names of the planets where they fit"));
    FNamesBox->setChecked(true);
    FRadius = new QSpinBox(this);
    FRadius->setRange(1, 4000);
    FRadius->setValue(DefaultRadius);
    FRadius->setSuffix(QStringLiteral(" l.y."));
    FRadius->setAccessibleName(QStringLiteral("Radius"));
    FRadius->setToolTip(QStringLiteral("The room of a group: planets within this distance of its planets"));
    FTarget = new QSpinBox(this);
    FTarget->setRange(0, 4000);
    FTarget->setSpecialValueText(QStringLiteral("none"));
    FTarget->setSuffix(QStringLiteral(" l.y."));
    FTarget->setAccessibleName(QStringLiteral("Target distance"));
    FTarget->setToolTip(QStringLiteral("Fair starts count each distance between players as at most this: players "
                                       "need not be as far apart as the bands allow, and room and territory get more "
                                       "say. None: as far apart as possible."));
    FProposeButton = new QPushButton(QStringLiteral("Propose fair starts"), this);
    FProposeButton->setToolTip(QStringLiteral("Positions for the groups' planets that make the start fair (Ctrl+B)"));
    FApplyButton = new QPushButton(QStringLiteral("Apply"), this);
    FApplyButton->setToolTip(QStringLiteral("Move the planets to the proposed positions in one step (Ctrl+Return); "
                                            "Ctrl+Z takes it back"));
    FApplyButton->setEnabled(false);
    FPictureWidth = new QSpinBox(this);
    FPictureHeight = new QSpinBox(this);
    for (QSpinBox *box : {FPictureWidth, FPictureHeight}) {
        box->setRange(100, 8000);
        box->setValue(DefaultPictureSize);
    }
    FPictureWidth->setObjectName(QStringLiteral("PictureWidth"));
    FPictureWidth->setAccessibleName(QStringLiteral("Picture width"));
    FPictureHeight->setObjectName(QStringLiteral("PictureHeight"));
    FPictureHeight->setAccessibleName(QStringLiteral("Picture height"));
    FSaveButton = new QPushButton(QStringLiteral("Save picture..."), this);
    FSaveButton->setToolTip(QStringLiteral("Save the map with the table and a legend as a PNG picture (Ctrl+S)"));
    FSaveButton->setEnabled(false);
    auto *fitButton = new QPushButton(QStringLiteral("Fit"), this);
    fitButton->setToolTip(QStringLiteral("Show the whole universe (Ctrl+0)"));
    fitButton->setFocusPolicy(Qt::NoFocus);

    FTable = new TFairnessTable(this);

    FReport = new QLabel(this);
    FReport->setAccessibleName(QStringLiteral("Pointer report"));
    FReport->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FNote = new QLabel(this);
    FNote->setObjectName(QStringLiteral("ViewNote"));
    FNote->setWordWrap(true);

    auto *tools = new QHBoxLayout;
    for (QCheckBox *box : {FTemplateBox, FGridBox, FNamesBox})
        tools->addWidget(box);
    tools->addSpacing(12);
    tools->addWidget(new QLabel(QStringLiteral("Radius:"), this));
    tools->addWidget(FRadius);
    tools->addWidget(new QLabel(QStringLiteral("Target:"), this));
    tools->addWidget(FTarget);
    tools->addWidget(FProposeButton);
    tools->addWidget(FApplyButton);
    tools->addStretch(1);
    tools->addWidget(fitButton);
    tools->addSpacing(12);
    tools->addWidget(new QLabel(QStringLiteral("Picture:"), this));
    tools->addWidget(FPictureWidth);
    tools->addWidget(new QLabel(QStringLiteral("x"), this));
    tools->addWidget(FPictureHeight);
    tools->addWidget(FSaveButton);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(FCanvas);
    splitter->addWidget(FTable);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setSizes({760, 480});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(splitter, 1);
    layout->addWidget(FNote);
    layout->addWidget(FReport);

    connect(FTemplateBox, &QCheckBox::toggled, this, [this](bool Shown) {
        FScene.Template = Shown;
        FCanvas->update();
    });
    connect(FGridBox, &QCheckBox::toggled, this, [this](bool Shown) {
        FScene.Grid = Shown;
        FCanvas->update();
    });
    connect(FNamesBox, &QCheckBox::toggled, this, [this](bool Shown) {
        FScene.Names = Shown;
        FCanvas->update();
    });
    // What a screen reader learns: a window, a drawing with its keys and a
    // description of what it shows, the reports with their values, and
    // what the keys did.
    SetAccessibleRole(this, QAccessible::Window);
    SetAccessibleKeys(FCanvas, {{QStringLiteral("Place"), {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Space)}},
                                {QStringLiteral("Zoom in"), {QKeySequence(Qt::Key_Plus)}},
                                {QStringLiteral("Zoom out"), {QKeySequence(Qt::Key_Minus)}},
                                {QStringLiteral("Fit"), {QKeySequence(Qt::CTRL | Qt::Key_0)}},
                                {QStringLiteral("Propose fair starts"), {QKeySequence(Qt::CTRL | Qt::Key_B)}},
                                {QStringLiteral("Apply"), {QKeySequence(Qt::CTRL | Qt::Key_Return)}}});
    SetAccessibleRole(FCanvas, QAccessible::Canvas);
    MakeValueLabel(FReport, QStringLiteral("Pointer report"));
    MakeStatusLine(FNote);
    FAnnouncer = MakeAnnouncer(this);
    connect(FProposeButton, &QPushButton::clicked, this, &TUniverseView::Propose);
    connect(FApplyButton, &QPushButton::clicked, this, &TUniverseView::Apply);
    connect(FRadius, &QSpinBox::valueChanged, this, [this] { UpdateFairness(); });
    connect(FSaveButton, &QPushButton::clicked, this, [this] { SavePicture(); });
    connect(fitButton, &QPushButton::clicked, this, [this] { Fit(); });

    auto *save = new QAction(this);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, [this] {
        if (HasUniverse())
            SavePicture();
    });
    auto *fit = new QAction(this);
    fit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(fit, &QAction::triggered, this, [this] { Fit(); });
    // Undo and redo work here as in the main window, which makes them.
    auto *undo = new QAction(this);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undo, &QAction::triggered, this, [this] { emit StepRequested(true); });
    auto *redo = new QAction(this);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence::Redo});
    connect(redo, &QAction::triggered, this, [this] { emit StepRequested(false); });
    auto *propose = new QAction(this);
    propose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(propose, &QAction::triggered, this, &TUniverseView::Propose);
    auto *apply = new QAction(this);
    apply->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    connect(apply, &QAction::triggered, this, &TUniverseView::Apply);
    addActions({save, fit, undo, redo, propose, apply});

    FPictureDir = WritableFolderFor({});
    connect(&FSession, &TUniverseSession::Opened, this, &TUniverseView::FollowSession);
    connect(&FSession, &TUniverseSession::Changed, this, &TUniverseView::FollowSession);
    connect(&FRelocation, &TRelocation::GroupsChanged, this, &TUniverseView::UpdateFairness);
    connect(&FRelocation, &TRelocation::PickStarted, this, [this] { FollowPick(true); });
    connect(&FRelocation, &TRelocation::LandingMoved, this, [this] { FollowPick(false); });
    connect(&FRelocation, &TRelocation::RunEnded, this, [this] { FollowPick(false); });
    connect(&FRelocation, &TRelocation::ProposalChanged, this, [this](const QString &Words) {
        FApplyButton->setEnabled(FRelocation.Proposal().has_value());
        if (!Words.isEmpty())
            Say(Words);
        else if (FRelocation.Proposing() && FRelocation.ProposalProgress() > 0.05)
            Say(FormatStr(TMsg::ProposalProgress, {qRound64(100 * FRelocation.ProposalProgress())}));
        else if (!FRelocation.Proposing() && !FRelocation.Proposal())
            Say(QString());
        UpdateFairness();
    });
    FollowSession();
}

QTreeWidget *TUniverseView::Table() const { return FTable; }

QString TUniverseView::Note() const { return FNote->text(); }

void TUniverseView::Say(const QString &Text)
{
    SetStatusText(FNote, Text);
}

void TUniverseView::Describe()
{
    if (!HasUniverse()) {
        FCanvas->setAccessibleDescription(LoadStr(TMsg::SelectXYFirst));
        return;
    }
    const QRect seen = FCanvas->Geometry.VisiblePositions();
    QString text = FormatStr(TMsg::ViewShowing, {seen.left(), seen.right(), seen.top(), seen.bottom()}) +
                   QStringLiteral(". ");
    if (const auto &pick = FRelocation.Pick())
        text += FormatStr(TMsg::MapPicking, {PlanetName(pick->Star.NameId), static_cast<long long>(pick->Group) + 1,
                                             static_cast<long long>(pick->Band.MinX),
                                             static_cast<long long>(pick->Band.MaxX),
                                             static_cast<long long>(FScene.Landing.x()),
                                             static_cast<long long>(FScene.Landing.y())}) +
                QStringLiteral(" ");
    text += QStringLiteral("The universe of the open file with the groups' planets ringed. The arrow keys pan (while a "
                           "planet is being placed they move its landing point; Ctrl+arrows by one light year), + and "
                           "- zoom, Return or Space places the planet, Ctrl+B proposes fair starts.");
    FCanvas->setAccessibleDescription(text);
}

void TUniverseView::SetTarget(int Target) { FTarget->setValue(Target); }

void TUniverseView::Propose()
{
    try {
        FRelocation.Propose(Radius(), FTarget->value());
    } catch (const EZorvane &e) {
        Say(e.Message()); // a refusal is a word, not a box
    }
}

void TUniverseView::Apply()
{
    try {
        FRelocation.ApplyProposal();
    } catch (const EZorvane &e) {
        Say(e.Message());
    }
}

void TUniverseView::UpdateTitle()
{
    // What the square is: the size class's, which may differ from the
    // universe's extent the main window shows.
    QString title = QStringLiteral("Universe view");
    if (HasUniverse())
        title += QStringLiteral(" - %1 - %2: %3 \u00D7 %3 l.y")
                     .arg(QFileInfo(FFilePath).fileName(), SizeNames[size_t(FScene.SizeIndex)])
                     .arg(FScene.Square.width() - 1);
    setWindowTitle(title);
}

void TUniverseView::Open()
{
    // Within the screen it opens on: every control reachable on a small
    // one (1024 x 768) too.
    if (!FPlaced) {
        FPlaced = true;
        if (const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            resize(std::min(width(), area.width() - 40), std::min(height(), area.height() - 60));
            move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
        }
    }
    show();
    raise();
    activateWindow();
    FCanvas->setFocus(Qt::OtherFocusReason);
}

void TUniverseView::FollowSession()
{
    const TStarsXY *universe = FSession.Universe();
    if (!universe) {
        // No file open, or it is gone: the view shows only a hint.
        FScene.Stars.clear();
        FScene.Square = QRect();
        FFilePath.clear();
        UpdateTitle();
        FSaveButton->setEnabled(false);
        FollowPick(false);
        UpdateFairness();
        UpdateReport();
        UpdateCursor();
        return;
    }
    const int sizeIndex = universe->GetSizeIndex();
    const QRect square = SizeClassSquare(sizeIndex);
    if (square != FScene.Square)
        FCanvas->Geometry = TViewGeometry(square, FCanvas->size(), FitMargin);
    FScene.Stars.clear();
    for (int i = 0; i < universe->StarCount; ++i)
        FScene.Stars.push_back(universe->GetStar(i));
    FScene.Square = square;
    FScene.SizeIndex = std::clamp(sizeIndex, 0, SizeClassCount - 1);
    FScene.MinY = FScene.MaxY = 0;
    if (!FScene.Stars.empty()) {
        const TBounds bounds = universe->GetBounds();
        FScene.MinY = bounds.Top;
        FScene.MaxY = bounds.Bottom;
    }
    FFilePath = FSession.Path();
    UpdateTitle();
    // The picture's dialog starts where the player can write: beside the
    // universe, else the Documents or home folder; once a picture was
    // saved, where that one went.
    if (!FPictureSaved)
        FPictureDir = WritableFolderFor(FFilePath);
    FSaveButton->setEnabled(true);
    UpdateFairness();
    UpdateReport();
    Describe();
}

void TUniverseView::FollowPick(bool Started)
{
    const auto &pick = FRelocation.Pick();
    if (pick && HasUniverse()) {
        FScene.Band = std::make_pair(std::min(pick->Band.MinX, pick->Band.MaxX), std::max(pick->Band.MinX, pick->Band.MaxX));
        FScene.Landing = FRelocation.Landing();
        // Brought into sight when a pick starts; the pointer's moves never
        // pan the view under it.
        if (Started) {
            FCanvas->Geometry.Reveal(FScene.Landing, 24);
            if (isActiveWindow())
                FCanvas->setFocus(Qt::OtherFocusReason); // the keys pick at once
        }
    } else {
        FScene.Band.reset();
    }
    UpdateFairness(); // the figures with the planet where it would land
    UpdateReport();
    UpdateCursor();
    Describe();
    FCanvas->update();
}

void TUniverseView::SetMarks(const std::vector<TMarkRec> &Marks, const TMapView &MapView)
{
    FScene.Marks.clear();
    if (MapView.ScaleX > 0 && MapView.ScaleY > 0) {
        // The disc's radius in light years along each axis: the main map is
        // stretched, so a disc there covers an ellipse of the universe.
        const double rx = MarkRadius / MapView.ScaleX, ry = MarkRadius / MapView.ScaleY;
        for (const TMarkRec &mark : Marks) {
            if (mark.Color == RemovedMark)
                continue;
            const QPointF centre = QPointF(MapToUniverse(MapView, mark.X, mark.Y)) + QPointF(0.5, 0.5);
            FScene.Marks.push_back(
                {QRectF(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry), ColorToRgb(mark.Color)});
        }
    }
    FCanvas->update();
}

void TUniverseView::SetTemplate(const QImage &Template)
{
    FDrawing.SetTemplate(Template);
    FTemplateBox->setEnabled(FDrawing.HasTemplate());
    FCanvas->update();
}

void TUniverseView::SetTemplateShown(bool Shown) { FTemplateBox->setChecked(Shown); }

void TUniverseView::SetRadius(int Radius) { FRadius->setValue(Radius); }

int TUniverseView::Radius() const { return FRadius->value(); }

QImage TUniverseView::Picture(QSize Size) const
{
    return FDrawing.Picture(Size, FScene, windowTitle().section(QStringLiteral(" - "), 1), FTable->Rows());
}

bool TUniverseView::SavePicture()
{
    const QString name = FFilePath.isEmpty() ? QStringLiteral("universe.png")
                                             : QFileInfo(FFilePath).completeBaseName() + QStringLiteral(".png");
    // The dialog adds ".png" to a name typed without it before it asks
    // whether to replace a file of that name.
    const QString path = FDialogs.SaveFile(this, FPictureDir, QStringLiteral("PNG pictures|*.png"), name,
                                           QStringLiteral("png"));
    if (path.isEmpty())
        return false;
    const QImage picture = Picture(QSize(FPictureWidth->value(), FPictureHeight->value()));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    try {
        if (picture.isNull() || !writer.write(picture))
            throw EZorvane(TMsg::CannotWriteFile, {path, writer.errorString()});
        // Never over the open universe, never through a link, never a
        // partial picture.
        WriteNewFile(path, png, FFilePath);
        FPictureSaved = true;
        FPictureDir = QFileInfo(path).absolutePath();
    } catch (const EZorvane &e) {
        FDialogs.Error(this, ErrorBoxText(e.Message()));
        return false;
    }
    return true;
}

// ---- pointer, picking and keys ---------------------------------------------

QString TUniverseView::PointerReport() const { return FReport->text(); }

void TUniverseView::UpdateReport()
{
    if (!HasUniverse() || FScene.Stars.empty() || (!FScene.Pointer && !FScene.Band)) {
        FReport->setText(HasUniverse() ? QString() : LoadStr(TMsg::SelectXYFirst));
        return;
    }
    const QPoint at = FScene.Band ? FScene.Landing : FCanvas->Geometry.PositionAt(*FScene.Pointer);
    const int32_t n = NearestPlanet(FScene.Stars, at);
    const TStarRec &star = FScene.Stars[size_t(n)];
    const double d = std::hypot(double(star.X) - at.x(), double(star.Y) - at.y());
    FReport->setText(FormatStr(TMsg::PointerReport, {at.x(), at.y(), PlanetName(star.NameId), star.X, star.Y}) +
                     QStringLiteral(" ->%1   %2 l.y.").arg(n).arg(d, 0, 'f', 1));
}

void TUniverseView::UpdateCursor()
{
    if (FCanvas->Dragging())
        return;
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (FScene.Band && FScene.Pointer && HasUniverse()) {
        const int x = FCanvas->Geometry.PositionAt(*FScene.Pointer).x();
        if (FScene.Band->first <= x && x <= FScene.Band->second)
            shape = Qt::CrossCursor;
    }
    FCanvas->setCursor(shape);
}

void TUniverseView::FollowPointer(QPoint Pixel)
{
    FScene.Pointer = Pixel;
    if (FScene.Band && HasUniverse() && !FCanvas->Dragging())
        FRelocation.MoveLanding(FCanvas->Geometry.PositionAt(Pixel));
    UpdateReport();
    UpdateCursor();
    FCanvas->update();
}

void TUniverseView::LosePointer()
{
    FScene.Pointer.reset();
    UpdateReport();
    FCanvas->update();
}

void TUniverseView::PickAt(QPoint Pixel)
{
    if (!FScene.Band || !HasUniverse())
        return;
    FRelocation.MoveLanding(FCanvas->Geometry.PositionAt(Pixel));
    FRelocation.Place();
}

void TUniverseView::ZoomBy(double Factor)
{
    TViewGeometry &g = FCanvas->Geometry;
    QPointF about(g.ViewSize().width() / 2.0, g.ViewSize().height() / 2.0);
    if (FScene.Band) {
        const QPointF landing = g.ToView(QPointF(FScene.Landing) + QPointF(0.5, 0.5));
        if (QRectF(QPointF(0, 0), QSizeF(g.ViewSize())).contains(landing))
            about = landing;
    }
    g.ZoomAbout(about, Factor);
    UpdateReport();
    FCanvas->update();
}

void TUniverseView::Fit()
{
    FCanvas->Geometry.Fit();
    UpdateReport();
    FCanvas->update();
}

bool TUniverseView::CanvasKey(int Key, Qt::KeyboardModifiers Modifiers)
{
    if (!HasUniverse())
        return false;
    const int dx = Key == Qt::Key_Left ? -1 : Key == Qt::Key_Right ? 1 : 0;
    const int dy = Key == Qt::Key_Up ? -1 : Key == Qt::Key_Down ? 1 : 0;
    if (dx != 0 || dy != 0) {
        if (FScene.Band) {
            // One view pixel, but at least a light year, as the main map's
            // arrows move by one of its pixels; Shift ten of them; Ctrl one
            // light year.
            int step = std::max(1, int(std::lround(1 / FCanvas->Geometry.Scale())));
            if (Modifiers & Qt::ShiftModifier)
                step *= 10;
            if (Modifiers & Qt::ControlModifier)
                step = 1;
            FRelocation.StepLanding(dx, dy, step);
            FCanvas->Geometry.Reveal(FRelocation.Landing(), 24);
            FCanvas->update();
            if (const auto &pick = FRelocation.Pick())
                Announce(FAnnouncer, FormatStr(TMsg::PickLanding, {PlanetName(pick->Star.NameId),
                                                                   static_cast<long long>(FRelocation.Landing().x()),
                                                                   static_cast<long long>(FRelocation.Landing().y())}));
        } else {
            const QSize size = FCanvas->Geometry.ViewSize();
            const double part = Modifiers & Qt::ShiftModifier ? 0.5 : 0.1;
            FCanvas->Geometry.PanBy(QPointF(-dx * size.width() * part, -dy * size.height() * part));
            UpdateReport();
            FCanvas->update();
            const QRect seen = FCanvas->Geometry.VisiblePositions();
            Announce(FAnnouncer, FormatStr(TMsg::ViewShowing, {seen.left(), seen.right(), seen.top(), seen.bottom()}));
        }
        Describe();
        return true;
    }
    switch (Key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Minus: {
        ZoomBy(Key == Qt::Key_Minus ? 1 / TViewGeometry::ZoomStep : TViewGeometry::ZoomStep);
        const QRect seen = FCanvas->Geometry.VisiblePositions();
        Announce(FAnnouncer, FormatStr(TMsg::ViewShowing, {seen.left(), seen.right(), seen.top(), seen.bottom()}));
        Describe();
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!FScene.Band)
            return false;
        FRelocation.Place();
        return true;
    default:
        return false;
    }
}

void TUniverseView::keyPressEvent(QKeyEvent *Event)
{
    if (Event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(Event);
        return;
    }
    // A shown proposal goes first, then a waiting pick, then the window.
    if (FRelocation.Proposing() || FRelocation.Proposal())
        FRelocation.DiscardProposal();
    else if (FRelocation.Running())
        FRelocation.Stop();
    else
        close();
}

// ---- fairness table ---------------------------------------------------------

void TUniverseView::UpdateFairness()
{
    FScene.Radius = Radius();
    FScene.Moves.clear();
    const std::vector<QStringList> groups = FRelocation.Groups();
    if (!HasUniverse()) {
        FScene.Fairness.clear();
        FScene.GroupOf.clear();
        FTable->Show({}, nullptr, Radius(), {});
        FCanvas->update();
        return;
    }
    // A planet waiting for its pick counts where it would land.
    std::vector<TStarRec> stars = FScene.Stars;
    if (const auto &pick = FRelocation.Pick(); pick && size_t(pick->Index) < stars.size()) {
        stars[size_t(pick->Index)].X = uint32_t(FRelocation.Landing().x());
        stars[size_t(pick->Index)].Y = uint32_t(FRelocation.Landing().y());
    }
    FScene.Fairness = GroupFairness(stars, groups, Radius());
    FScene.GroupOf.assign(FScene.Stars.size(), -1);
    for (size_t g = 0; g < FScene.Fairness.size(); ++g)
        for (const TGroupPlanet &planet : FScene.Fairness[g].Planets)
            if (planet.Star >= 0 && FScene.GroupOf[size_t(planet.Star)] < 0)
                FScene.GroupOf[size_t(planet.Star)] = int(g);
    std::vector<QRgb> colours;
    for (size_t g = 0; g < groups.size(); ++g)
        colours.push_back(GroupColor(int(g)));
    // A proposal: the figures after it, and a line from each planet to
    // where it would go.
    std::vector<TGroupFairness> after;
    if (const auto &proposal = FRelocation.Proposal()) {
        for (const auto &[star, at] : proposal->Positions) {
            stars[size_t(star)].X = uint32_t(at.x());
            stars[size_t(star)].Y = uint32_t(at.y());
            FScene.Moves.push_back({QPoint(int(FScene.Stars[size_t(star)].X), int(FScene.Stars[size_t(star)].Y)), at,
                                    FScene.GroupOf[size_t(star)]});
        }
        after = GroupFairness(stars, groups, proposal->Radius);
    }
    FTable->Show(FScene.Fairness, FRelocation.Proposal() ? &after : nullptr, Radius(), colours);
    FCanvas->update();
}
