// The relocation run of the Stars moving panel: pick mode, one name after
// the other, each placed where the player picks on the map.
#include "controls.h"
#include "groupnames.h"
#include "messages.h"
#include "movingpanel.h"
#include "planetnames.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>

namespace {

const QColor ActiveCaption(0, 0, 255); // 0xFF0000: pure blue

} // namespace

// ---- relocation ------------------------------------------------------------

void TMovingPanel::BitBtn3Click()
{
    // Not a second run, nor one from a panel that is sliding out.
    if (FRun || !FOpen)
        return;
    // Every name must be one of the list's, before anything moves.
    auto known = [this](const QString &Name) {
        for (int i = 0; i < ComboBox2->count(); ++i)
            if (SameName(ComboBox2->itemText(i), Name))
                return true;
        return false;
    };
    std::vector<QStringList> groups;
    for (size_t i = 0; i < FGroups.size(); ++i) {
        groups.push_back(SplitNames(FGroups[i].Names->text()));
        for (const QString &name : groups.back())
            if (!known(name))
                throw EZorvane(TMsg::UnknownStarName, {static_cast<long long>(i) + 1, name});
    }
    // After a stopped run only the names not yet moved.
    FMovedBefore.resize(groups.size());
    int total = 0, skipped = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
        total += static_cast<int>(groups[i].size());
        QStringList rest;
        for (const QString &name : groups[i]) {
            const bool moved = std::any_of(FMovedBefore[i].begin(), FMovedBefore[i].end(),
                                           [&](const QString &done) { return SameName(done, name); });
            if (!moved)
                rest << name;
        }
        skipped += static_cast<int>(groups[i].size() - rest.size());
        groups[i] = rest;
    }
    SetPanelMode(true);
    FChangeMode = false;
    if (skipped > 0)
        emit Said(FormatStr(TMsg::ResumeRun, {static_cast<long long>(skipped), static_cast<long long>(total)}));
    // From here every way out passes through FinishRelocation, before any
    // message is shown.
    FRunNames = total - skipped;
    FLastWhat.clear();
    FRun = std::make_unique<TRelocationRun>(FSession, std::move(groups));
    FSession.SetBusy(true);
    NextName();
}

void TMovingPanel::NextName()
{
    try {
        if (!FRun->Advance()) {
            FinishRelocation();
            if (!FLastWhat.isEmpty())
                emit Wrote(FLastWhat);
            return;
        }
    } catch (...) {
        FinishRelocation(true);
        throw;
    }
    const TRelocationRun::TPending &pending = *FRun->Pending();
    ResetGroupColors();
    if (pending.Group < static_cast<int>(FGroups.size()))
        SetTextColor(FGroups[pending.Group].Caption, ActiveCaption);
    FMap.BandMinX = pending.Band.MinX;
    FMap.BandMaxX = pending.Band.MaxX;
    emit BandChanged();
    Label12->setText(FormatStr(TMsg::SelectCoordinates, {pending.Name, static_cast<long long>(pending.Group) + 1}));
    FActiveGroup = pending.Group;
    emit PickStarted(FMap.PixelOf(static_cast<int32_t>(pending.Star.X), static_cast<int32_t>(pending.Star.Y)));
    FIntensity = 100;
    FPulseTimer->start();
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

std::optional<TStarRec> TMovingPanel::PendingStar() const
{
    if (!FRun || !FRun->Pending())
        return std::nullopt;
    return FRun->Pending()->Star;
}

void TMovingPanel::MapClicked()
{
    if (FRun) {
        PickAt(FMap.PickPos);
        return;
    }
    if (FChangeMode && FActiveGroup >= 0 && FActiveGroup < static_cast<int32_t>(FGroups.size())) {
        QLineEdit *names = FGroups[FActiveGroup].Names;
        names->setText(AppendName(names->text(), FMap.HoverName));
    }
}

void TMovingPanel::PickAt(QPoint Target)
{
    if (!FRun || !FRun->Pending())
        return;
    FPulseTimer->stop();
    emit PickEnded();
    const TStarRec star = FRun->Pending()->Star;
    if (Target == QPoint(static_cast<int>(star.X), static_cast<int>(star.Y))) {
        // No movement: the planet stays exactly where it is.
        emit Said(FormatStr(TMsg::StarKept, {FRun->Pending()->Name}));
        FRun->Skip();
    } else {
        try {
            FLastWhat = FRun->Place(Target);
        } catch (...) {
            FinishRelocation(true);
            throw;
        }
        // While the run goes on, undo is refused: the status line does not
        // offer it.
        emit Said(FLastWhat);
    }
    NextName();
}

void TMovingPanel::FinishRelocation(bool Stopped)
{
    if (FRun) {
        const std::vector<QStringList> &moved = FRun->Moved();
        int count = 0;
        for (size_t i = 0; i < moved.size(); ++i) {
            count += static_cast<int>(moved[i].size());
            if (Stopped && i < FMovedBefore.size())
                FMovedBefore[i] << moved[i];
        }
        if (!Stopped)
            FMovedBefore.clear();
        ShowMoved();
        if (Stopped)
            emit Said(FormatStr(TMsg::RelocationStopped,
                                {static_cast<long long>(count), static_cast<long long>(FRunNames)}));
    }
    FRun.reset();
    FSession.SetBusy(false);
    FPulseTimer->stop();
    if (FOpen)
        SlidePanel(true);
    emit PickEnded();
    FMap.BandMinX = -1;
    FMap.BandMaxX = -1;
    emit BandChanged();
}

void TMovingPanel::ShowMoved()
{
    for (size_t i = 0; i < FGroups.size(); ++i) {
        const QStringList moved = i < FMovedBefore.size() ? FMovedBefore[i] : QStringList();
        const int n = static_cast<int>(i) + 1;
        FGroups[i].Caption->setText(moved.isEmpty() ? QStringLiteral("#%1 :").arg(n)
                                                    : QStringLiteral("#%1 \u2713").arg(n));
        const QString note = moved.isEmpty() ? QString() : QStringLiteral("Moved already: ") + moved.join(u", ");
        FGroups[i].Caption->setToolTip(note);
        FGroups[i].Names->setToolTip(note);
        FGroups[i].Names->setAccessibleDescription(note);
    }
}
