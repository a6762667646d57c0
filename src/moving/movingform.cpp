// The Stars moving panel of the main window and the relocation of named
// planets to positions picked on the map.
#include "groupnames.h"
#include "messages.h"
#include "paintbox.h"
#include "planetnames.h"
#include "relocation.h"
#include "stars.h"
#include "starsxy.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace {

const QColor ActiveCaption(0, 0, 255); // 0xFF0000: pure blue
const QColor PlainCaption(0, 0, 0);
const QColor GroupText(0, 0, 128); // 0x800000: navy

void SetTextColor(QWidget *Widget, const QColor &Color)
{
    QPalette palette = Widget->palette();
    palette.setColor(QPalette::WindowText, Color);
    palette.setColor(QPalette::Text, Color);
    Widget->setPalette(palette);
}

// Each slide step waits this long so the movement can be seen; the steps
// and positions themselves are those of the panel's layout.
constexpr int SlideStepMs = 6;

void SlideStep(QWidget *Panel, int Left)
{
    QElapsedTimer step;
    step.start();
    Panel->move(Left, Panel->y());
    QCoreApplication::processEvents();
    const qint64 rest = SlideStepMs - step.elapsed();
    if (rest > 0)
        QThread::msleep(static_cast<unsigned long>(rest));
}

} // namespace

// ---- the panel -------------------------------------------------------------

void TForm1::BitBtn1Click()
{
    // A relocation inside a run would be undone by the run's final write.
    if (Generating || FPanelOpen)
        return;
    ChangeMode = true;
    FillNameList();
    SetEntryMode();
    SlidePanel();
}

void TForm1::SpeedButton4Click()
{
    StopRequested = true;
    ChangeMode = false;
    if (ComboBox2->isEnabled())
        SlidePanel(); // entry mode: the panel closes
    else
        SetEntryMode(); // pick mode: the waiting relocation ends and closes it
}

void TForm1::SlidePanel()
{
    if (PanelBusy)
        return;
    PanelBusy = true;
    struct TBusy {
        bool &Flag;
        ~TBusy() { Flag = false; }
    } busy{PanelBusy};

    UpdatePanelHeight();
    Panel1->show();
    Panel1->raise();
    // The window's own controls are disabled while the panel is open and
    // enabled again, as far as the window's state allows, when it closes;
    // both before the movement.
    const bool opening = Panel1->x() < -15;
    FPanelOpen = opening;
    UpdateControls();
    if (opening) {
        for (int i = 0; i <= 27; ++i)
            SlideStep(Panel1, 8 * i - 220);
    } else {
        for (int n = 13; n >= 0; --n)
            SlideStep(Panel1, 16 * n - 220);
    }
}

void TForm1::UpdatePanelHeight()
{
    const int height = 150 + 14 * static_cast<int>(Groups.size());
    Panel1->resize(Panel1->width(), height);
    for (const auto &[control, top] : FBottomAnchored)
        control->move(control->x(), top + height - 173);
}

void TForm1::BitBtn4Click()
{
    bool isNumber = false;
    int limit = lPlayers->text().toInt(&isNumber);
    if (!isNumber)
        limit = 0;
    if (static_cast<int>(Groups.size()) >= limit)
        return;
    const int n = static_cast<int>(Groups.size()) + 1;
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
    row.Names->setProperty("tag", n - 1);
    row.Names->setAccessibleName(QStringLiteral("Group %1").arg(n));
    row.Names->installEventFilter(this);
    row.Caption->show();
    row.Names->show();
    // The group fields stand above the panel's other controls and come
    // before them when tabbing.
    setTabOrder(Groups.empty() ? static_cast<QWidget *>(SpeedButton5) : Groups.back().Names, row.Names);
    Groups.push_back(row);
    row.Names->setFocus();
    // The focus event reaches GroupNamesEnter only in an active window; the
    // new group becomes the active one either way.
    GroupNamesEnter(n - 1);
    UpdatePanelHeight();
}

void TForm1::BitBtn6Click()
{
    if (Groups.empty())
        throw EZorvane(TMsg::NothingToDelete);
    if (!FDialogs.Confirm(this, LoadStr(TMsg::DeleteLastGroup)))
        return;
    TGroupRow row = Groups.back();
    Groups.pop_back();
    delete row.Caption;
    delete row.Names;
    UpdatePanelHeight();
    ActiveGroup = -1;
    ResetGroupColors();
}

void TForm1::BitBtn5Click()
{
    if (ActiveGroup < 0 || ActiveGroup >= static_cast<int32_t>(Groups.size()))
        return;
    QLineEdit *names = Groups[ActiveGroup].Names;
    names->setText(AppendName(names->text(), ComboBox2->currentText()));
    ComboBox2->clearEditText();
}

void TForm1::GroupNamesEnter(int Tag)
{
    ResetGroupColors();
    ActiveGroup = Tag;
    if (Tag >= 0 && Tag < static_cast<int>(Groups.size()))
        SetTextColor(Groups[Tag].Caption, ActiveCaption);
}

void TForm1::PaintBox1Click()
{
    PickDone = true;
    if (ChangeMode && ActiveGroup >= 0 && ActiveGroup < static_cast<int32_t>(Groups.size())) {
        QLineEdit *names = Groups[ActiveGroup].Names;
        names->setText(AppendName(names->text(), Map.HoverName));
    }
}

void TForm1::PaintBox1KeyDown(int Key, Qt::KeyboardModifiers Shift)
{
    if (!Relocating || PickDone || !PaintBox1->Landing())
        return;
    const int step = Shift.testFlag(Qt::ShiftModifier) ? 10 : 1;
    switch (Key) {
    case Qt::Key_Escape:
        SpeedButton4Click();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int dx = Key == Qt::Key_Left ? -step : Key == Qt::Key_Right ? step : 0;
        const int dy = Key == Qt::Key_Up ? -step : Key == Qt::Key_Down ? step : 0;
        const QPoint to = Map.StepPointer(FKeyPointer, dx, dy);
        PaintBox1MouseMove(Qt::NoModifier, to.x(), to.y());
        return;
    }
    default:
        // A click there is always preceded by the pointer's move there.
        PaintBox1MouseMove(Qt::NoModifier, FKeyPointer.x(), FKeyPointer.y());
        PaintBox1Click();
    }
}

void TForm1::StartKeyboardPick(QPoint StarPixel)
{
    PaintBox1->setFocusPolicy(Qt::StrongFocus);
    PaintBox1->setFocus(Qt::OtherFocusReason);
    FKeyPointer = Map.StepPointer(StarPixel, 0, 0);
    PaintBox1->SetLanding(Map.LandingPixel(FKeyPointer));
}

void TForm1::EndKeyboardPick()
{
    PaintBox1->SetLanding(std::nullopt);
    const bool hadFocus = PaintBox1->hasFocus();
    PaintBox1->setFocusPolicy(Qt::NoFocus);
    if (hadFocus && BitBtn1->isEnabled())
        BitBtn1->setFocus(Qt::OtherFocusReason);
}

bool TForm1::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::FocusIn) {
        const QVariant tag = Watched->property("tag");
        if (tag.isValid())
            Guard([&] { GroupNamesEnter(tag.toInt()); });
    } else if (Event->type() == QEvent::MouseButtonDblClick && Watched == ComboBox2->lineEdit()) {
        Guard([this] { BitBtn5Click(); });
    }
    return QWidget::eventFilter(Watched, Event);
}

void TForm1::FillNameList()
{
    ComboBox2->setUpdatesEnabled(false);
    struct TRedraw {
        QWidget *List;
        ~TRedraw() { List->setUpdatesEnabled(true); }
    } redraw{ComboBox2};
    ComboBox2->clear();
    ComboBox2->clearEditText();
    QStringList names;
    names.reserve(static_cast<qsizetype>(Map.StarPoints.size()));
    for (const TStarRec &star : Map.StarPoints)
        names << NameById(star.NameId);
    // The list keeps itself sorted, letter case ignored.
    std::stable_sort(names.begin(), names.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    ComboBox2->addItems(names);
    ComboBox2->clearEditText();
    StaticText1->setText(LoadStr(TMsg::StarsCount) + QString::number(Map.StarPoints.size()));
}

// Entry mode builds groups; pick mode only shows prompts while a relocation
// runs. The enabled state of ComboBox2 is how the close button tells them
// apart.
static void SetPanelMode(TForm1 &Form, bool Picking)
{
    Form.Label11->setText(LoadStr(Picking ? TMsg::PickModeHint : TMsg::EntryModeHint));
    for (const TGroupRow &row : Form.Groups)
        row.Names->setReadOnly(Picking);
    for (QWidget *control :
         std::initializer_list<QWidget *>{Form.ComboBox2, Form.BitBtn6, Form.BitBtn4, Form.BitBtn5, Form.BitBtn3})
        control->setEnabled(!Picking);
    Form.BitBtn3->setVisible(!Picking);
    Form.Label12->clear();
}

void TForm1::SetEntryMode() { SetPanelMode(*this, false); }

void TForm1::SetPickMode() { SetPanelMode(*this, true); }

void TForm1::ResetGroupColors()
{
    for (const TGroupRow &row : Groups)
        SetTextColor(row.Caption, PlainCaption);
}

void TForm1::ClearGroups()
{
    for (const TGroupRow &row : Groups) {
        delete row.Caption;
        delete row.Names;
    }
    Groups.clear();
    ActiveGroup = -1;
}

bool TForm1::IsKnownName(const QString &Name) const
{
    for (int i = 0; i < ComboBox2->count(); ++i)
        if (SameName(ComboBox2->itemText(i), Name))
            return true;
    return false;
}

// ---- relocation ------------------------------------------------------------

void TForm1::ValidateGroup(const QString &Text, int Number) const
{
    for (const QString &name : SplitNames(Text))
        if (!IsKnownName(name))
            throw EZorvane(TMsg::UnknownStarName, {Number});
}

bool TForm1::WaitForPick()
{
    // The flags are tested after each batch of window messages. Between
    // batches the loop sleeps until the next message instead of spinning, so
    // a user thinking about where to put a planet costs no processor time. A
    // precise timer wakes it just when the next pulse step is due, which
    // keeps the pulse at its period (a fixed wake-up interval would land
    // after the step's moment and stretch every period by up to a slice).
    constexpr qint64 PulseMs = 500;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    uint8_t intensity = 100;
    QElapsedTimer pulse;
    pulse.start();
    for (;;) {
        if (pulse.elapsed() > PulseMs) {
            pulse.restart();
            intensity = static_cast<uint8_t>(intensity + 10);
            if (intensity < 100)
                intensity = 100;
            QCoreApplication::processEvents();
            QPalette palette = Label12->palette();
            palette.setColor(QPalette::WindowText, QColor(0, 0, intensity));
            Label12->setPalette(palette);
        } else {
            wake.start(static_cast<int>(PulseMs + 1 - pulse.elapsed()));
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        if (StopRequested)
            return false;
        if (PickDone)
            return true;
    }
}

void TForm1::FinishRelocation(std::unique_ptr<TStarsXY> &Universe)
{
    Universe.reset();
    SlidePanel();
    EndKeyboardPick();
    Map.BandMinX = -1;
    Map.BandMaxX = -1;
    RepaintMap();
}

void TForm1::BitBtn3Click()
{
    if (Relocating)
        return;
    StopRequested = false;
    for (size_t i = 0; i < Groups.size(); ++i)
        ValidateGroup(Groups[i].Names->text(), static_cast<int>(i) + 1);
    SetPickMode();
    ChangeMode = false;

    // From here every way out passes through FinishRelocation, before any
    // message is shown.
    Relocating = true;
    struct TRunning {
        bool &Flag;
        ~TRunning() { Flag = false; }
    } running{Relocating};
    std::unique_ptr<TStarsXY> universe;
    try {
        Relocate(universe);
    } catch (...) {
        FinishRelocation(universe);
        throw;
    }
    FinishRelocation(universe);
}

void TForm1::Relocate(std::unique_ptr<TStarsXY> &Universe)
{
    for (size_t j = 0; j < Groups.size(); ++j) {
        const QStringList names = SplitNames(Groups[j].Names->text());
        ResetGroupColors();
        SetTextColor(Groups[j].Caption, ActiveCaption);
        for (const QString &name : names) {
            Universe.reset();
            const QString path = StaticXY->text();
            // A file that went away or went bad ends the run with its reason.
            Universe = std::make_unique<TStarsXY>(path);
            // The star and its band come from the file just read, never
            // from the map's copy of an earlier paint.
            const int32_t k = FindStarIndex(*Universe, name);
            if (k < 0)
                throw EZorvane(TMsg::StarGone, {name});
            const TBand band = StarBand(*Universe, k);
            Map.BandMinX = band.MinX;
            Map.BandMaxX = band.MaxX;
            RepaintMap();
            Label12->setText(FormatStr(TMsg::SelectCoordinates, {name, static_cast<long long>(j) + 1}));
            ActiveGroup = static_cast<int32_t>(j);
            PickDone = false;
            const TStarRec star = Universe->GetStar(k);
            StartKeyboardPick(Map.PixelOf(static_cast<int32_t>(star.X), static_cast<int32_t>(star.Y)));
            const bool picked = WaitForPick();
            PaintBox1->SetLanding(std::nullopt);
            if (!picked)
                return; // stopped: the pending planet stays where it is
            MoveStar(*Universe, k, Map.PickPos.x(), Map.PickPos.y());
            // Written only when the file still holds what was read before
            // the pick.
            Universe->SaveToFile(path, false);
            const TStarRec moved = Universe->GetStar(k);
            Wrote({Universe->ReadImage(), Universe->FileImage(),
                   FormatStr(TMsg::StarMoved, {NameById(moved.NameId), static_cast<long long>(Map.PickPos.x()),
                                               static_cast<long long>(Map.PickPos.y())})});
            if (j >= Groups.size())
                return; // the groups were cleared while waiting
        }
    }
}
