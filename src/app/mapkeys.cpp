// The map by keyboard while a planet waits for its pick: the landing
// crosshair, moved by pixels or by light years, and the pick itself.
#include "messages.h"
#include "movingpanel.h"
#include "paintbox.h"
#include "planetnames.h"
#include "stars.h"

#include "accessiblevalues.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

void TForm1::PaintBox1KeyDown(int Key, Qt::KeyboardModifiers Shift)
{
    const int step = Shift.testFlag(Qt::ShiftModifier) ? 10 : 1;
    const int dx = Key == Qt::Key_Left ? -1 : Key == Qt::Key_Right ? 1 : 0;
    const int dy = Key == Qt::Key_Up ? -1 : Key == Qt::Key_Down ? 1 : 0;
    if (!FPanel->Picking()) {
        // Outside pick mode the same crosshair points at planets and marks:
        // M puts a mark there (or gives it the next colour), Delete removes
        // it, Return adds the planet to the active group as a click does.
        if (dx != 0 || dy != 0) {
            const QPoint to = FMap.StepPointer(FKeyPointer, dx * step, dy * step);
            PaintBox1MouseMove(to.x(), to.y());
            PaintBox1->SetLanding(FKeyPointer);
            DescribeMap();
        } else if (Key == Qt::Key_M || Key == Qt::Key_Delete) {
            PaintBox1MouseDown(Qt::RightButton, Key == Qt::Key_Delete ? Qt::ShiftModifier : Qt::NoModifier,
                               FKeyPointer.x(), FKeyPointer.y());
        } else if (Key == Qt::Key_Return || Key == Qt::Key_Enter || Key == Qt::Key_Space) {
            FPanel->MapClicked();
        }
        return;
    }
    if (!PaintBox1->Landing())
        return;
    switch (Key) {
    case Qt::Key_Escape:
        FPanel->SpeedButton4Click();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (Shift.testFlag(Qt::ControlModifier) && FPickTarget) {
            // One light year, held in the band and between the map's edges.
            const TBounds view = FMap.ViewRect;
            const QPoint to = FMap.ClampToBand(*FPickTarget + QPoint(dx, dy));
            SetPickTarget({to.x(), std::clamp(to.y(), view.Top, view.Bottom)});
        } else {
            const QPoint to = FMap.StepPointer(FKeyPointer, dx * step, dy * step);
            PaintBox1MouseMove(to.x(), to.y());
            if (FPickTarget)
                SetPickTarget(*FPickTarget);
        }
        return;
    default:
        // Where the crosshair shows, to the light year; no movement keeps the
        // planet where it is.
        if (FPickTarget)
            FPanel->PickAt(*FPickTarget);
    }
}

void TForm1::SetPickTarget(QPoint At)
{
    FPickTarget = At;
    PaintBox1->SetLanding(FMap.PixelOf(At.x(), At.y()));
    if (const auto star = FPanel->PendingStar())
        SetStatusText(StaticText2, FormatStr(TMsg::PickLanding, {PlanetName(star->NameId),
                                                                 static_cast<long long>(At.x()),
                                                                 static_cast<long long>(At.y())}));
    DescribeMap();
}

void TForm1::DescribeMap()
{
    // What a screen reader learns of the map: in pick mode the planet, its
    // group and band, where it would land and the planet nearest to that;
    // otherwise where the crosshair points.
    QString text = LoadStr(TMsg::MapDescription);
    const auto star = FPanel->PendingStar();
    const QPoint at = star && FPickTarget ? *FPickTarget : FMap.PickPos;
    const int32_t nearest = FMap.NearestStar(at);
    const QString near = nearest < 0 ? QString()
                                     : FormatStr(TMsg::MapNearest, {PlanetName(FMap.StarPoints[nearest].NameId),
                                                                    static_cast<long long>(FMap.StarPoints[nearest].X),
                                                                    static_cast<long long>(FMap.StarPoints[nearest].Y)});
    if (star)
        text = FormatStr(TMsg::MapPicking, {PlanetName(star->NameId), static_cast<long long>(FPanel->ActiveGroup()) + 1,
                                            static_cast<long long>(FMap.BandMinX),
                                            static_cast<long long>(FMap.BandMaxX), static_cast<long long>(at.x()),
                                            static_cast<long long>(at.y())}) +
               near;
    else if (PaintBox1->hasFocus() && !FMap.StarPoints.empty())
        text = FormatStr(TMsg::MapPointing, {static_cast<long long>(at.x()), static_cast<long long>(at.y())}) + near +
               QStringLiteral(" ") + text;
    PaintBox1->setAccessibleDescription(text);
}

void TForm1::StartKeyboardPick(QPoint StarPixel)
{
    PaintBox1->setFocus(Qt::OtherFocusReason);
    FKeyPointer = FMap.StepPointer(StarPixel, 0, 0);
    const auto star = FPanel->PendingStar();
    FPickTarget = QPoint(static_cast<int>(star->X), static_cast<int>(star->Y));
    PaintBox1->SetLanding(FMap.PixelOf(FPickTarget->x(), FPickTarget->y()));
    DescribeMap();
}

void TForm1::EndKeyboardPick()
{
    PaintBox1->SetLanding(std::nullopt);
    FPickTarget.reset();
    if (FPanel->Picking())
        return; // the next name's pick follows at once
    DescribeMap();
    if (PaintBox1->hasFocus() && BitBtn1->isEnabled())
        BitBtn1->setFocus(Qt::OtherFocusReason);
}
