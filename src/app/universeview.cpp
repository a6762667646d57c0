// The universe view's window: its controls and table built, what it
// follows, and the input of its canvas.
#include "universeview.h"

#include "dialogs.h"
#include "gamefile.h"
#include "messages.h"
#include "planetnames.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
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
    FRadius = new QSpinBox(this);
    FRadius->setRange(1, 4000);
    FRadius->setValue(DefaultRadius);
    FRadius->setSuffix(QStringLiteral(" l.y."));
    FRadius->setAccessibleName(QStringLiteral("Radius"));
    FRadius->setToolTip(QStringLiteral("Planets within this distance of a group's planet are counted"));
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
    FSaveButton->setToolTip(QStringLiteral("Save the map as a PNG picture (Ctrl+S)"));
    FSaveButton->setEnabled(false);
    auto *fitButton = new QPushButton(QStringLiteral("Fit"), this);
    fitButton->setToolTip(QStringLiteral("Show the whole universe (Ctrl+0)"));
    fitButton->setFocusPolicy(Qt::NoFocus);

    FTable = new QTreeWidget(this);
    FTable->setObjectName(QStringLiteral("FairnessTable"));
    FTable->setAccessibleName(QStringLiteral("Groups"));
    FTable->setHeaderLabels({QStringLiteral("Planet"), QStringLiteral("Position"),
                             QStringLiteral("Nearest other"), QStringLiteral("l.y."), QString()});
    FTable->headerItem()->setToolTip(2, QStringLiteral("The nearest planet of another group"));
    FTable->headerItem()->setToolTip(3, QStringLiteral("Distance to the nearest planet of another group"));
    FTable->headerItem()->setToolTip(4, QStringLiteral("Planets within the radius, other groups' planets not counted"));
    FTable->setRootIsDecorated(false);
    FTable->setIndentation(10);
    FTable->setSelectionMode(QAbstractItemView::NoSelection);
    FTable->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    FReport = new QLabel(this);
    FReport->setAccessibleName(QStringLiteral("Pointer report"));
    FReport->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *tools = new QHBoxLayout;
    tools->addWidget(FTemplateBox);
    tools->addSpacing(12);
    tools->addWidget(new QLabel(QStringLiteral("Radius:"), this));
    tools->addWidget(FRadius);
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
    splitter->setSizes({800, 440});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(splitter, 1);
    layout->addWidget(FReport);

    connect(FTemplateBox, &QCheckBox::toggled, this, [this](bool Shown) {
        FScene.Template = Shown;
        FCanvas->update();
    });
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
    addActions({save, fit, undo, redo});

    FPictureDir = WritableFolderFor({});
    connect(&FSession, &TUniverseSession::Opened, this, &TUniverseView::FollowSession);
    connect(&FSession, &TUniverseSession::Changed, this, &TUniverseView::FollowSession);
    connect(&FRelocation, &TRelocation::GroupsChanged, this, &TUniverseView::UpdateFairness);
    connect(&FRelocation, &TRelocation::PickStarted, this, [this] { FollowPick(true); });
    connect(&FRelocation, &TRelocation::LandingMoved, this, [this] { FollowPick(false); });
    connect(&FRelocation, &TRelocation::RunEnded, this, [this] { FollowPick(false); });
    FollowSession();
}

void TUniverseView::Open()
{
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
        setWindowTitle(QStringLiteral("Universe view"));
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
    setWindowTitle(QStringLiteral("Universe view - %1").arg(QFileInfo(FFilePath).fileName()));
    // The picture's dialog starts where the player can write: beside the
    // universe, else the Documents or home folder; once a picture was
    // saved, where that one went.
    if (!FPictureSaved)
        FPictureDir = WritableFolderFor(FFilePath);
    FSaveButton->setEnabled(true);
    UpdateFairness();
    UpdateReport();
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
    UpdateReport();
    UpdateCursor();
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

QImage TUniverseView::Picture(QSize Size) const { return FDrawing.Picture(Size, FScene); }

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
        } else {
            const QSize size = FCanvas->Geometry.ViewSize();
            const double part = Modifiers & Qt::ShiftModifier ? 0.5 : 0.1;
            FCanvas->Geometry.PanBy(QPointF(-dx * size.width() * part, -dy * size.height() * part));
            UpdateReport();
            FCanvas->update();
        }
        return true;
    }
    switch (Key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomBy(TViewGeometry::ZoomStep);
        return true;
    case Qt::Key_Minus:
        ZoomBy(1 / TViewGeometry::ZoomStep);
        return true;
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
    if (FRelocation.Running())
        FRelocation.Stop();
    else
        close();
}

// ---- fairness table ---------------------------------------------------------

void TUniverseView::UpdateFairness()
{
    FScene.Radius = Radius();
    FScene.Fairness = HasUniverse() ? GroupFairness(FScene.Stars, FRelocation.Groups(), Radius())
                                    : std::vector<TGroupFairness>();
    FScene.GroupOf.assign(FScene.Stars.size(), -1);
    for (size_t g = 0; g < FScene.Fairness.size(); ++g)
        for (const TGroupPlanet &planet : FScene.Fairness[g].Planets)
            if (planet.Star >= 0 && FScene.GroupOf[size_t(planet.Star)] < 0)
                FScene.GroupOf[size_t(planet.Star)] = int(g);

    auto position = [](QPoint P) { return QStringLiteral("%1:%2").arg(P.x()).arg(P.y()); };
    auto distance = [](double D) { return QString::number(D, 'f', 1); };
    auto alignNumbers = [](QTreeWidgetItem *Item) {
        for (int c : {3, 4})
            Item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    };
    FTable->headerItem()->setText(4, QStringLiteral("Within %1").arg(Radius()));
    FTable->clear();
    for (size_t g = 0; g < FScene.Fairness.size(); ++g) {
        const TGroupFairness &group = FScene.Fairness[g];
        auto *head = new QTreeWidgetItem(FTable);
        head->setText(0, QStringLiteral("Group #%1").arg(g + 1));
        head->setForeground(0, QColor(GroupColor(int(g))).darker(130));
        QFont bold = head->font(0);
        bold.setBold(true);
        head->setFont(0, bold);
        head->setFont(3, bold);
        if (group.Closest >= 0) {
            head->setText(3, distance(group.SmallestDistance()));
            head->setToolTip(3, QStringLiteral("The group's smallest distance to another group"));
        }
        for (const TGroupPlanet &planet : group.Planets) {
            auto *row = new QTreeWidgetItem(head);
            row->setText(0, planet.Name);
            if (planet.Star < 0) {
                row->setText(1, QStringLiteral("not in this universe"));
                continue;
            }
            row->setText(1, position(planet.Position));
            if (planet.Nearest >= 0) {
                row->setText(2, planet.NearestName);
                const TStarRec &nearest = FScene.Stars[size_t(planet.Nearest)];
                row->setToolTip(2, position(QPoint(int(nearest.X), int(nearest.Y))));
                row->setText(3, distance(planet.NearestDistance));
            }
            row->setText(4, QString::number(planet.WithinRadius));
        }
        alignNumbers(head);
        for (int i = 0; i < head->childCount(); ++i)
            alignNumbers(head->child(i));
    }
    FTable->expandAll();
    FCanvas->update();
}
