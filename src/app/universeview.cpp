// The universe view's window: its controls and table built, and the
// setters through which the main window feeds it.
#include "universeview.h"

#include "gamefile.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

// ---- the window ------------------------------------------------------------

TUniverseView::TUniverseView(TDialogs &Dialogs, QWidget *Parent) : QWidget(Parent, Qt::Window), FDialogs(Dialogs)
{
    setObjectName(QStringLiteral("UniverseView"));
    setWindowTitle(QStringLiteral("Universe view"));
    resize(1240, 780);

    FCanvas = new TUniverseCanvas(*this);

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

    connect(FTemplateBox, &QCheckBox::toggled, FCanvas, qOverload<>(&QWidget::update));
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
    addActions({save, fit});

    FPictureDir = WritableFolderFor({});
    UpdateFairness();
}

void TUniverseView::Open()
{
    show();
    raise();
    activateWindow();
    FCanvas->setFocus(Qt::OtherFocusReason);
}

void TUniverseView::SetUniverse(const std::vector<TStarRec> &Stars, int SizeIndex, const QString &FilePath)
{
    const QRect square = SizeClassSquare(SizeIndex);
    if (square != FSquare)
        FCanvas->Geometry = TViewGeometry(square, FCanvas->size(), FitMargin);
    FStars = Stars;
    FSquare = square;
    FSizeIndex = std::clamp(SizeIndex, 0, SizeClassCount - 1);
    FFilePath = FilePath;
    FMinY = FMaxY = 0;
    if (!FStars.empty()) {
        const auto [low, high] = std::minmax_element(FStars.begin(), FStars.end(),
                                                     [](const TStarRec &A, const TStarRec &B) { return A.Y < B.Y; });
        FMinY = static_cast<int32_t>(low->Y);
        FMaxY = static_cast<int32_t>(high->Y);
    }
    setWindowTitle(FilePath.isEmpty() ? QStringLiteral("Universe view")
                                      : QStringLiteral("Universe view - %1").arg(QFileInfo(FilePath).fileName()));
    // The picture's dialog starts where the player can write: beside the
    // universe, else the Documents or home folder; once a picture was
    // saved, where that one went.
    if (!FilePath.isEmpty() && !FPictureSaved)
        FPictureDir = WritableFolderFor(FilePath);
    FSaveButton->setEnabled(true);
    if (FBand)
        FLanding = HoldInBand(FLanding);
    UpdateFairness();
    UpdateReport();
}

void TUniverseView::ClearUniverse()
{
    FStars.clear();
    FSquare = QRect();
    FFilePath.clear();
    FBand.reset();
    setWindowTitle(QStringLiteral("Universe view"));
    FSaveButton->setEnabled(false);
    UpdateFairness();
    UpdateReport();
    UpdateCursor();
}

void TUniverseView::SetMarks(const std::vector<TMarkRec> &Marks, const TMapView &MapView)
{
    FMarks.clear();
    if (MapView.ScaleX > 0 && MapView.ScaleY > 0) {
        // The disc's radius in light years along each axis: the main map is
        // stretched, so a disc there covers an ellipse of the universe.
        const double rx = MarkRadius / MapView.ScaleX, ry = MarkRadius / MapView.ScaleY;
        for (const TMarkRec &mark : Marks) {
            if (mark.Color == RemovedMark)
                continue;
            const QPointF centre = QPointF(MapToUniverse(MapView, mark.X, mark.Y)) + QPointF(0.5, 0.5);
            FMarks.push_back({QRectF(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry), ColorToRgb(mark.Color)});
        }
    }
    FCanvas->update();
}

void TUniverseView::SetGroups(const std::vector<QStringList> &Groups)
{
    FGroups = Groups;
    UpdateFairness();
}

void TUniverseView::SetBand(int32_t MinX, int32_t MaxX, std::optional<QPoint> Landing)
{
    FBand = std::make_pair(std::min(MinX, MaxX), std::max(MinX, MaxX));
    FLanding = HoldInBand(Landing.value_or(QPoint(int((int64_t(MinX) + MaxX) / 2), (FMinY + FMaxY) / 2)));
    if (HasUniverse())
        FCanvas->Geometry.Reveal(FLanding, 24);
    if (isActiveWindow())
        FCanvas->setFocus(Qt::OtherFocusReason); // the keys pick at once
    UpdateReport();
    UpdateCursor();
    FCanvas->update();
}

void TUniverseView::ClearBand()
{
    FBand.reset();
    UpdateReport();
    UpdateCursor();
    FCanvas->update();
}

void TUniverseView::SetTemplate(const QImage &Template)
{
    FTemplate = Template.isNull() ? QImage() : Template.convertToFormat(QImage::Format_RGB32);
    // Half strength: each channel halved.
    for (int y = 0; y < FTemplate.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(FTemplate.scanLine(y));
        for (int x = 0; x < FTemplate.width(); ++x)
            line[x] = 0xFF000000u | ((line[x] >> 1) & 0x7F7F7Fu);
    }
    FTemplateLayer = QImage();
    FTemplateBox->setEnabled(!FTemplate.isNull());
    FCanvas->update();
}

void TUniverseView::SetTemplateShown(bool Shown) { FTemplateBox->setChecked(Shown); }

void TUniverseView::SetRadius(int Radius) { FRadius->setValue(Radius); }

int TUniverseView::Radius() const { return FRadius->value(); }

// ---- fairness table ---------------------------------------------------------

void TUniverseView::UpdateFairness()
{
    FFairness = HasUniverse() ? GroupFairness(FStars, FGroups, Radius()) : std::vector<TGroupFairness>();
    FGroupOf.assign(FStars.size(), -1);
    for (size_t g = 0; g < FFairness.size(); ++g)
        for (const TGroupPlanet &planet : FFairness[g].Planets)
            if (planet.Star >= 0 && FGroupOf[planet.Star] < 0)
                FGroupOf[planet.Star] = int(g);

    auto position = [](QPoint P) { return QStringLiteral("%1:%2").arg(P.x()).arg(P.y()); };
    auto distance = [](double D) { return QString::number(D, 'f', 1); };
    auto alignNumbers = [](QTreeWidgetItem *Item) {
        for (int c : {3, 4})
            Item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    };
    FTable->headerItem()->setText(4, QStringLiteral("Within %1").arg(Radius()));
    FTable->clear();
    for (size_t g = 0; g < FFairness.size(); ++g) {
        const TGroupFairness &group = FFairness[g];
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
                row->setToolTip(2, position(PositionOf(FStars[planet.Nearest])));
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
