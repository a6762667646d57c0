// The universe view's input: the canvas's events, and what the view does
// with the pointer, a click, the wheel and the keys.
#include "universeview.h"

#include "messages.h"
#include "planetnames.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

// ---- the canvas ------------------------------------------------------------

TUniverseCanvas::TUniverseCanvas(TUniverseView &View) : QWidget(&View), FView(View)
{
    setObjectName(QStringLiteral("UniverseCanvas"));
    setAccessibleName(QStringLiteral("Universe map"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 200);
}

void TUniverseCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    FView.Render(painter, Geometry, true);
}

void TUniverseCanvas::resizeEvent(QResizeEvent *) { Geometry.Resize(size()); }

void TUniverseCanvas::wheelEvent(QWheelEvent *Event)
{
    const double notches = Event->angleDelta().y() / 120.0;
    if (notches == 0 || !FView.HasUniverse())
        return;
    // About the centre of the pixel under the pointer, so the light year
    // there stays under it.
    const QPointF at(std::floor(Event->position().x()) + 0.5, std::floor(Event->position().y()) + 0.5);
    Geometry.ZoomAbout(at, std::pow(TViewGeometry::ZoomStep, notches));
    FView.UpdateReport();
    update();
    Event->accept();
}

void TUniverseCanvas::mousePressEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton)
        return;
    FPress = Event->position().toPoint();
    FLast = *FPress;
    FDragging = false;
}

void TUniverseCanvas::mouseDoubleClickEvent(QMouseEvent *)
{
    // The second press of a double click makes no second click: it would
    // pick for the planet that comes next.
    FPress.reset();
}

void TUniverseCanvas::mouseMoveEvent(QMouseEvent *Event)
{
    const QPoint at = Event->position().toPoint();
    if (FPress && (Event->buttons() & Qt::LeftButton)) {
        if (!FDragging && (at - *FPress).manhattanLength() >= QApplication::startDragDistance())
            FDragging = true;
        if (FDragging) {
            Geometry.PanBy(at - FLast);
            FLast = at;
        }
    }
    FView.PointerAt(at);
}

void TUniverseCanvas::mouseReleaseEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton || !FPress)
        return;
    const bool click = !FDragging && rect().contains(Event->position().toPoint());
    FPress.reset();
    FDragging = false;
    FView.UpdateCursor();
    if (click)
        FView.ClickAt(Event->position().toPoint());
}

void TUniverseCanvas::leaveEvent(QEvent *) { FView.PointerLeft(); }

void TUniverseCanvas::keyPressEvent(QKeyEvent *Event)
{
    if (!FView.CanvasKey(Event->key(), Event->modifiers()))
        QWidget::keyPressEvent(Event);
}

// ---- pointer, picking and keys ---------------------------------------------

QPoint TUniverseView::HoldInBand(QPoint Position) const
{
    if (!FBand)
        return Position;
    return {std::clamp(Position.x(), FBand->first, FBand->second), std::clamp(Position.y(), FMinY, FMaxY)};
}

int32_t TUniverseView::NearestPlanet(QPoint Position) const
{
    // The exact nearest, the first in file order among equals.
    int32_t best = -1;
    int64_t bestSquare = std::numeric_limits<int64_t>::max();
    for (size_t i = 0; i < FStars.size(); ++i) {
        const int64_t dx = int64_t(FStars[i].X) - Position.x(), dy = int64_t(FStars[i].Y) - Position.y();
        if (dx * dx + dy * dy < bestSquare) {
            bestSquare = dx * dx + dy * dy;
            best = int32_t(i);
        }
    }
    return best;
}

QString TUniverseView::PointerReport() const { return FReport->text(); }

void TUniverseView::UpdateReport()
{
    if (!HasUniverse() || FStars.empty() || (!FPointer && !FBand)) {
        FReport->setText(HasUniverse() ? QString() : LoadStr(TMsg::SelectXYFirst));
        return;
    }
    const QPoint at = FBand ? FLanding : FCanvas->Geometry.PositionAt(*FPointer);
    const int32_t n = NearestPlanet(at);
    const TStarRec &star = FStars[n];
    const double d = std::hypot(double(star.X) - at.x(), double(star.Y) - at.y());
    FReport->setText(FormatStr(TMsg::PointerReport, {at.x(), at.y(), PlanetName(star.NameId), star.X, star.Y}) +
                     QStringLiteral(" ->%1   %2 l.y.").arg(n).arg(d, 0, 'f', 1));
}

void TUniverseView::UpdateCursor()
{
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (FCanvas->FDragging)
        shape = Qt::ClosedHandCursor;
    else if (FBand && FPointer && HasUniverse()) {
        const int x = FCanvas->Geometry.PositionAt(*FPointer).x();
        if (FBand->first <= x && x <= FBand->second)
            shape = Qt::CrossCursor;
    }
    FCanvas->setCursor(shape);
}

void TUniverseView::PointerAt(QPoint Pixel)
{
    FPointer = Pixel;
    if (FBand && HasUniverse() && !FCanvas->FDragging)
        FLanding = HoldInBand(FCanvas->Geometry.PositionAt(Pixel));
    UpdateReport();
    UpdateCursor();
    FCanvas->update();
}

void TUniverseView::PointerLeft()
{
    FPointer.reset();
    UpdateReport();
    FCanvas->update();
}

void TUniverseView::ClickAt(QPoint Pixel)
{
    if (!FBand || !HasUniverse())
        return;
    FLanding = HoldInBand(FCanvas->Geometry.PositionAt(Pixel));
    UpdateReport();
    FCanvas->update();
    emit Picked(FLanding);
}

void TUniverseView::MoveLanding(int DX, int DY, Qt::KeyboardModifiers Modifiers)
{
    // One view pixel, but at least a light year, as the main map's arrows
    // move by one of its pixels; Shift ten of them; Ctrl one light year.
    int step = std::max(1, int(std::lround(1 / FCanvas->Geometry.Scale())));
    if (Modifiers & Qt::ShiftModifier)
        step *= 10;
    if (Modifiers & Qt::ControlModifier)
        step = 1;
    FLanding = HoldInBand(FLanding + QPoint(DX * step, DY * step));
    FCanvas->Geometry.Reveal(FLanding, 24);
    UpdateReport();
    FCanvas->update();
}

void TUniverseView::ZoomBy(double Factor)
{
    TViewGeometry &g = FCanvas->Geometry;
    QPointF about(g.ViewSize().width() / 2.0, g.ViewSize().height() / 2.0);
    if (FBand) {
        const QPointF landing = g.ToView(QPointF(FLanding) + QPointF(0.5, 0.5));
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
        if (FBand) {
            MoveLanding(dx, dy, Modifiers);
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
        if (!FBand)
            return false;
        emit Picked(FLanding);
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
    if (FBand)
        emit PickCancelled();
    else
        close();
}
