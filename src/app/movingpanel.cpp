#include "movingpanel.h"

#include "controls.h"
#include "groupnames.h"
#include "messages.h"
#include "planetnames.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QShortcut>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace {

const QColor ActiveCaption(0, 0, 255); // 0xFF0000: pure blue
const QColor PlainCaption(0, 0, 0);
const QColor GroupText(0, 0, 128); // 0x800000: navy

// Each slide step waits this long so the movement can be seen; the steps
// and positions themselves are those of the panel's layout.
constexpr int SlideStepMs = 6;
// The prompt brightens by one step this often while a planet waits.
constexpr int PulseMs = 500;

} // namespace

TMovingPanel::TMovingPanel(QWidget *Form, const TGuard &Guard, TUniverseSession &Session, TStarMap &Map,
                           const QLabel *Players)
    : QObject(Form), FGuard(Guard), FSession(Session), FMap(Map), FPlayers(Players),
      FSlideTimer(new QTimer(this)), FPulseTimer(new QTimer(this))
{
    BuildPanel(Form);
    FGuard.Connect(SpeedButton4, &QToolButton::clicked, this, &TMovingPanel::SpeedButton4Click);
    FGuard.Connect(BitBtn4, &QPushButton::clicked, this, &TMovingPanel::BitBtn4Click);
    FGuard.Connect(BitBtn6, &QPushButton::clicked, this, &TMovingPanel::BitBtn6Click);
    FGuard.Connect(BitBtn5, &QPushButton::clicked, this, &TMovingPanel::BitBtn5Click);
    FGuard.Connect(BitBtn3, &QPushButton::clicked, this, &TMovingPanel::BitBtn3Click);
    FSlideTimer->setInterval(SlideStepMs);
    FSlideTimer->setTimerType(Qt::PreciseTimer);
    connect(FSlideTimer, &QTimer::timeout, this, &TMovingPanel::SlideStep);
    FPulseTimer->setInterval(PulseMs);
    FPulseTimer->setTimerType(Qt::PreciseTimer);
    connect(FPulseTimer, &QTimer::timeout, this, &TMovingPanel::Pulse);
}

TMovingPanel::~TMovingPanel()
{
    if (FRun)
        FSession.SetBusy(false);
    ClearGroups();
}

void TMovingPanel::BuildPanel(QWidget *Form)
{
    Panel1 = Make<QFrame>(Form, "Panel1", -202, 0, 209, 173);
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
    QFont bold = Form->font();
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
    // Return on a focused button presses it; Escape closes the panel as its
    // close button does.
    for (QPushButton *button : {BitBtn3, BitBtn4, BitBtn5, BitBtn6})
        button->setAutoDefault(true);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), Panel1, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] { FGuard([this] { SpeedButton4Click(); }); });
}

// ---- the panel -------------------------------------------------------------

void TMovingPanel::BitBtn1Click()
{
    // A relocation inside a run would be undone by the run's final write.
    if (FOpen || FSession.Busy())
        return;
    FChangeMode = true;
    FillNameList();
    SetPanelMode(false);
    SlidePanel();
}

void TMovingPanel::SpeedButton4Click()
{
    FChangeMode = false;
    if (FRun) {
        // pick mode: the relocation ends, which slides the panel out
        SetPanelMode(false);
        FinishRelocation(true);
    } else {
        SlidePanel();
    }
}

bool TMovingPanel::Sliding() const { return FSlideTimer->isActive(); }

void TMovingPanel::SlidePanel(bool Force)
{
    if (Sliding()) {
        if (!Force)
            return;
        FSlideTimer->stop(); // turns back from where it is
    }
    UpdatePanelHeight();
    Panel1->show();
    Panel1->raise();
    // The window's own controls are disabled while the panel is open and
    // enabled again, as far as the window's state allows, when it closes;
    // both before the movement.
    FOpen = !Force && Panel1->x() < -15;
    emit OpenChanged();
    FSlideSteps.clear();
    if (FOpen) {
        // The focus goes to what comes first: the first group, else "+".
        if (!FGroups.empty())
            FGroups.front().Names->setFocus(Qt::OtherFocusReason);
        else
            BitBtn4->setFocus(Qt::OtherFocusReason);
        for (int i = 0; i <= 27; ++i)
            FSlideSteps.push_back(8 * i - 220);
    } else {
        for (int n = 13; n >= 0; --n)
            FSlideSteps.push_back(16 * n - 220);
    }
    std::reverse(FSlideSteps.begin(), FSlideSteps.end());
    SlideStep();
    FSlideTimer->start();
}

void TMovingPanel::SlideStep()
{
    if (FSlideSteps.empty()) {
        FSlideTimer->stop();
        return;
    }
    Panel1->move(FSlideSteps.back(), Panel1->y());
    FSlideSteps.pop_back();
    if (FSlideSteps.empty()) {
        FSlideTimer->stop();
        // Out of sight, its controls leave the Tab cycle and the tree too.
        if (!FOpen)
            Panel1->hide();
    }
}

void TMovingPanel::UpdatePanelHeight()
{
    const int height = 150 + 14 * static_cast<int>(FGroups.size());
    Panel1->resize(Panel1->width(), height);
    for (const auto &[control, top] : FBottomAnchored)
        control->move(control->x(), top + height - 173);
}

void TMovingPanel::BitBtn4Click()
{
    bool isNumber = false;
    int limit = FPlayers->text().toInt(&isNumber);
    if (!isNumber)
        limit = 0;
    if (static_cast<int>(FGroups.size()) >= limit) {
        emit Said(FormatStr(TMsg::GroupLimit, {static_cast<long long>(limit)}));
        return;
    }
    const int n = static_cast<int>(FGroups.size()) + 1;
    TGroupRow row;
    row.Caption = new QLabel(QStringLiteral("#%1 :").arg(n), Panel1);
    row.Caption->setObjectName(QStringLiteral("GroupCaption%1").arg(n));
    row.Caption->move(5, 14 * n + 50);
    row.Caption->resize(30, 14);
    SetTextColor(row.Caption, PlainCaption);
    row.Names = new QLineEdit(Panel1);
    row.Names->setObjectName(QStringLiteral("GroupNames%1").arg(n));
    row.Names->setGeometry(35, row.Caption->y(), 165, 14);
    row.Names->setFrame(false);
    QPalette palette = row.Names->palette();
    palette.setColor(QPalette::Base, Panel1->palette().color(QPalette::Window));
    palette.setColor(QPalette::Text, GroupText);
    row.Names->setPalette(palette);
    // A thin line shows where the field is, the highlight which one has the
    // focus.
    row.Names->setStyleSheet(QStringLiteral("QLineEdit { background: palette(window); color: #000080; border: none; "
                                            "border-bottom: 1px solid palette(mid); }"
                                            "QLineEdit:focus { border-bottom: 1px solid palette(highlight); "
                                            "background: palette(base); }"));
    row.Names->setProperty("tag", n - 1);
    row.Names->setAccessibleName(QStringLiteral("Group %1").arg(n));
    row.Names->installEventFilter(this);
    connect(row.Names, &QLineEdit::textChanged, this, &TMovingPanel::TellGroups);
    row.Caption->show();
    row.Names->show();
    // The group fields stand above the panel's other controls and come
    // before them when tabbing.
    auto *help = Panel1->parentWidget()->findChild<QWidget *>(QStringLiteral("SpeedButton5"));
    QWidget::setTabOrder(FGroups.empty() ? help : FGroups.back().Names, row.Names);
    FGroups.push_back(row);
    row.Names->setFocus();
    // The focus event reaches GroupNamesEnter only in an active window; the
    // new group becomes the active one either way.
    GroupNamesEnter(n - 1);
    UpdatePanelHeight();
}

void TMovingPanel::BitBtn6Click()
{
    if (FGroups.empty())
        throw EZorvane(TMsg::NothingToDelete);
    if (!FGuard.Dialogs().Confirm(FGuard.Parent(), LoadStr(TMsg::DeleteLastGroup)))
        return;
    TGroupRow row = FGroups.back();
    FGroups.pop_back();
    delete row.Caption;
    delete row.Names;
    UpdatePanelHeight();
    FActiveGroup = -1;
    ResetGroupColors();
    TellGroups();
}

void TMovingPanel::TellGroups()
{
    std::vector<QStringList> groups;
    for (const TGroupRow &row : FGroups)
        groups.push_back(SplitNames(row.Names->text()));
    emit GroupsChanged(groups);
}

void TMovingPanel::BitBtn5Click()
{
    if (FActiveGroup < 0 || FActiveGroup >= static_cast<int32_t>(FGroups.size())) {
        emit Said(LoadStr(TMsg::NoGroupForName));
        return;
    }
    QLineEdit *names = FGroups[FActiveGroup].Names;
    names->setText(AppendName(names->text(), ComboBox2->currentText()));
    ComboBox2->clearEditText();
}

void TMovingPanel::GroupNamesEnter(int Tag)
{
    ResetGroupColors();
    FActiveGroup = Tag;
    if (Tag >= 0 && Tag < static_cast<int>(FGroups.size()))
        SetTextColor(FGroups[Tag].Caption, ActiveCaption);
}

bool TMovingPanel::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::FocusIn) {
        const QVariant tag = Watched->property("tag");
        if (tag.isValid())
            FGuard([&] { GroupNamesEnter(tag.toInt()); });
    } else if (Event->type() == QEvent::MouseButtonDblClick && Watched == ComboBox2->lineEdit()) {
        FGuard([this] { BitBtn5Click(); });
    } else if (Event->type() == QEvent::KeyPress && Watched == ComboBox2->lineEdit()) {
        // Return and Insert in the name list insert the name, as "Ins".
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Insert) {
            FGuard([this] { BitBtn5Click(); });
            return true;
        }
    }
    return QObject::eventFilter(Watched, Event);
}

void TMovingPanel::FillNameList()
{
    ComboBox2->setUpdatesEnabled(false);
    struct TRedraw {
        QWidget *List;
        ~TRedraw() { List->setUpdatesEnabled(true); }
    } redraw{ComboBox2};
    ComboBox2->clear();
    ComboBox2->clearEditText();
    QStringList names;
    names.reserve(static_cast<qsizetype>(FMap.StarPoints.size()));
    for (const TStarRec &star : FMap.StarPoints)
        names << PlanetName(star.NameId);
    // The list keeps itself sorted, letter case ignored.
    std::stable_sort(names.begin(), names.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    ComboBox2->addItems(names);
    ComboBox2->clearEditText();
    StaticText1->setText(LoadStr(TMsg::StarsCount) + QString::number(FMap.StarPoints.size()));
}

// Entry mode builds groups; pick mode only shows prompts while a relocation
// runs.
void TMovingPanel::SetPanelMode(bool Picking)
{
    Label11->setText(LoadStr(Picking ? TMsg::PickModeHint : TMsg::EntryModeHint));
    for (const TGroupRow &row : FGroups)
        row.Names->setReadOnly(Picking);
    for (QWidget *control : std::initializer_list<QWidget *>{ComboBox2, BitBtn6, BitBtn4, BitBtn5, BitBtn3})
        control->setEnabled(!Picking);
    BitBtn3->setVisible(!Picking);
    Label12->clear();
}

void TMovingPanel::ResetGroupColors()
{
    for (const TGroupRow &row : FGroups)
        SetTextColor(row.Caption, PlainCaption);
}

void TMovingPanel::ClearGroups()
{
    FMovedBefore.clear();
    for (const TGroupRow &row : FGroups) {
        delete row.Caption;
        delete row.Names;
    }
    FGroups.clear();
    FActiveGroup = -1;
    TellGroups();
}

void TMovingPanel::Reset()
{
    FActiveGroup = -1;
    FChangeMode = false;
    ClearGroups();
}
