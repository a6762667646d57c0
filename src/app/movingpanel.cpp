#include "movingpanel.h"

#include "accessiblevalues.h"
#include "controls.h"
#include "messages.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
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

TMovingPanel::TMovingPanel(QWidget *Form, const TGuard &Guard, TRelocation &Relocation, QWidget *TabBefore)
    : QObject(Form), FGuard(Guard), FRelocation(Relocation), FTabBefore(TabBefore)
{
    FSlideTimer = new QTimer(this);
    FPulseTimer = new QTimer(this);
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
    connect(&FRelocation, &TRelocation::GroupsChanged, this, &TMovingPanel::ShowGroups);
    connect(&FRelocation, &TRelocation::PickStarted, this, &TMovingPanel::ShowPick);
    connect(&FRelocation, &TRelocation::RunEnded, this, &TMovingPanel::ShowRunEnd);
}

TMovingPanel::~TMovingPanel() = default;

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
    // The list's own typing never adds an entry: a typo never becomes a
    // known name. Keys reach the combo box, which has the focus, and mouse
    // clicks its line edit.
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    ComboBox2->installEventFilter(this);
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

    // What a screen reader calls them.
    const std::pair<QWidget *, const char *> names[] = {
        {Panel1, "Stars moving"},
        {Panel2, "Stars moving"},
        {SpeedButton4, "Close"},
        {ComboBox2, "Planet name"},
        {BitBtn5, "Insert the name into the active group"},
        {BitBtn4, "Add group"},
        {BitBtn6, "Remove group"},
        {BitBtn3, "Next: place the planets of the groups"},
    };
    for (const auto &[control, name] : names)
        control->setAccessibleName(QString::fromLatin1(name));
    MakeValueLabel(Label11, QStringLiteral("Instructions"));
    ComboBox2->lineEdit()->setAccessibleName(QStringLiteral("Planet name"));
    const std::vector<QWidget *> order = TabOrder();
    for (size_t i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

QWidget *TMovingPanel::Frame() const { return Panel1; }

std::vector<QWidget *> TMovingPanel::TabOrder() const
{
    std::vector<QWidget *> order;
    for (const TGroupRow &row : FRows)
        order.push_back(row.Names);
    for (QWidget *control : std::initializer_list<QWidget *>{ComboBox2, BitBtn5, BitBtn4, BitBtn6, BitBtn3, SpeedButton4})
        order.push_back(control);
    return order;
}

// ---- the panel -------------------------------------------------------------

void TMovingPanel::BitBtn1Click()
{
    // A relocation inside a run would be undone by the run's final write.
    if (FOpen || FRelocation.FileBusy())
        return;
    FChangeMode = true;
    FillNameList();
    SetPanelMode(false);
    SlidePanel();
}

void TMovingPanel::SpeedButton4Click()
{
    FChangeMode = false;
    if (FRelocation.Running()) {
        // pick mode: the relocation ends, which slides the panel out
        SetPanelMode(false);
        FRelocation.Stop();
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
        if (!FRows.empty())
            FRows.front().Names->setFocus(Qt::OtherFocusReason);
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
    const int height = 150 + 14 * static_cast<int>(FRows.size());
    Panel1->resize(Panel1->width(), height);
    for (const auto &[control, top] : FBottomAnchored)
        control->move(control->x(), top + height - 173);
}

void TMovingPanel::BitBtn4Click()
{
    if (!FRelocation.AddGroup())
        return;
    FRows.back().Names->setFocus();
    UpdatePanelHeight();
}

void TMovingPanel::BitBtn6Click()
{
    if (FRelocation.GroupCount() == 0)
        throw EZorvane(TMsg::NothingToDelete);
    if (!FGuard.Dialogs().Confirm(FGuard.Parent(), LoadStr(TMsg::DeleteLastGroup)))
        return;
    FRelocation.RemoveLastGroup();
    UpdatePanelHeight();
}

void TMovingPanel::BitBtn5Click()
{
    FRelocation.InsertName(ComboBox2->currentText());
    if (FRelocation.ActiveGroup() >= 0)
        ComboBox2->clearEditText();
}

void TMovingPanel::BitBtn3Click()
{
    // Not a second run, nor one from a panel that is sliding out. The names
    // are checked before anything changes: a refusal leaves entry mode.
    if (FRelocation.Running() || !FOpen)
        return;
    FRelocation.Start();
    FChangeMode = false;
    if (!FPickMode)
        SetPanelMode(true); // a run without names ended at once
}

void TMovingPanel::ShowGroups()
{
    const int count = FRelocation.GroupCount();
    while (int(FRows.size()) > count) {
        delete FRows.back().Caption;
        delete FRows.back().Names;
        FRows.pop_back();
    }
    while (int(FRows.size()) < count) {
        const int n = int(FRows.size()) + 1;
        TGroupRow row;
        row.Caption = new QLabel(Panel1);
        row.Caption->setObjectName(QStringLiteral("GroupCaption%1").arg(n));
        row.Caption->move(5, 14 * n + 50);
        row.Caption->resize(30, 14);
        row.Names = new QLineEdit(Panel1);
        row.Names->setObjectName(QStringLiteral("GroupNames%1").arg(n));
        row.Names->setGeometry(35, row.Caption->y(), 165, 14);
        row.Names->setFrame(false);
        QPalette palette = row.Names->palette();
        palette.setColor(QPalette::Base, Panel1->palette().color(QPalette::Window));
        palette.setColor(QPalette::Text, GroupText);
        row.Names->setPalette(palette);
        // A thin line shows where the field is, the highlight which one has
        // the focus.
        row.Names->setStyleSheet(
            QStringLiteral("QLineEdit { background: palette(window); color: #000080; border: none; "
                           "border-bottom: 1px solid palette(mid); }"
                           "QLineEdit:focus { border-bottom: 1px solid palette(highlight); "
                           "background: palette(base); }"));
        row.Names->setProperty("tag", n - 1);
        row.Names->setAccessibleName(QStringLiteral("Group %1").arg(n));
        row.Names->setReadOnly(FPickMode);
        row.Names->installEventFilter(this);
        connect(row.Names, &QLineEdit::textChanged, this,
                [this, n](const QString &Text) { FRelocation.SetGroupText(n - 1, Text); });
        row.Caption->show();
        row.Names->show();
        // The group fields come before the panel's other controls when
        // tabbing.
        QWidget::setTabOrder(FRows.empty() ? FTabBefore : FRows.back().Names, row.Names);
        QWidget::setTabOrder(row.Names, ComboBox2);
        FRows.push_back(row);
    }
    for (int i = 0; i < count; ++i) {
        const TGroupRow &row = FRows[size_t(i)];
        if (row.Names->text() != FRelocation.GroupText(i))
            row.Names->setText(FRelocation.GroupText(i));
        const QStringList moved = FRelocation.Moved(i);
        row.Caption->setText(moved.isEmpty() ? QStringLiteral("#%1 :").arg(i + 1)
                                             : QStringLiteral("#%1 \u2713").arg(i + 1));
        const QString note = moved.isEmpty() ? QString() : QStringLiteral("Moved already: ") + moved.join(u", ");
        row.Caption->setToolTip(note);
        row.Names->setToolTip(note);
        row.Names->setAccessibleDescription(note);
        SetTextColor(row.Caption, i == FRelocation.ActiveGroup() ? ActiveCaption : PlainCaption);
    }
    UpdatePanelHeight();
}

bool TMovingPanel::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::FocusIn) {
        const QVariant tag = Watched->property("tag");
        if (tag.isValid())
            FGuard([&] { FRelocation.SetActiveGroup(tag.toInt()); });
    } else if (Event->type() == QEvent::MouseButtonDblClick && Watched == ComboBox2->lineEdit()) {
        FGuard([this] { BitBtn5Click(); });
    } else if (Event->type() == QEvent::KeyPress && Watched == ComboBox2) {
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
    const QStringList names = FRelocation.PlanetNames();
    ComboBox2->clear();
    ComboBox2->addItems(names);
    ComboBox2->clearEditText();
    StaticText1->setText(LoadStr(TMsg::StarsCount) + QString::number(names.size()));
}

// Entry mode builds groups; pick mode only shows prompts while a relocation
// runs.
void TMovingPanel::SetPanelMode(bool Picking)
{
    FPickMode = Picking;
    Label11->setText(LoadStr(Picking ? TMsg::PickModeHint : TMsg::EntryModeHint));
    for (const TGroupRow &row : FRows)
        row.Names->setReadOnly(Picking);
    for (QWidget *control : std::initializer_list<QWidget *>{ComboBox2, BitBtn6, BitBtn4, BitBtn5, BitBtn3})
        control->setEnabled(!Picking);
    BitBtn3->setVisible(!Picking);
    Label12->clear();
}

void TMovingPanel::ShowPick()
{
    if (!FPickMode)
        SetPanelMode(true);
    const auto &pick = FRelocation.Pick();
    Label12->setText(FormatStr(TMsg::SelectCoordinates, {pick->Name, static_cast<long long>(pick->Group) + 1}));
    FIntensity = 100;
    FPulseTimer->start();
}

void TMovingPanel::ShowRunEnd(bool Stopped)
{
    FPulseTimer->stop();
    // Stopped by the player or a failure, the panel opens next in entry
    // mode; after every name it keeps the pick mode's texts.
    if (Stopped && FPickMode)
        SetPanelMode(false);
    if (FOpen)
        SlidePanel(true);
}

void TMovingPanel::Pulse()
{
    FIntensity = static_cast<uint8_t>(FIntensity + 10);
    if (FIntensity < 100)
        FIntensity = 100;
    QPalette palette = Label12->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, FIntensity));
    Label12->setPalette(palette);
}
