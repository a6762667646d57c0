#include "universecanvas.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

TUniverseCanvas::TUniverseCanvas(QWidget *Parent) : QWidget(Parent)
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
    if (Painter)
        Painter(painter);
}

void TUniverseCanvas::resizeEvent(QResizeEvent *) { Geometry.Resize(size()); }

void TUniverseCanvas::wheelEvent(QWheelEvent *Event)
{
    const double notches = Event->angleDelta().y() / 120.0;
    if (notches == 0 || Geometry.Universe().isNull())
        return;
    // About the centre of the pixel under the pointer, so the light year
    // there stays under it.
    const QPointF at(std::floor(Event->position().x()) + 0.5, std::floor(Event->position().y()) + 0.5);
    Geometry.ZoomAbout(at, std::pow(TViewGeometry::ZoomStep, notches));
    emit Moved();
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
        if (!FDragging && (at - *FPress).manhattanLength() >= QApplication::startDragDistance()) {
            FDragging = true;
            setCursor(Qt::ClosedHandCursor);
        }
        if (FDragging) {
            Geometry.PanBy(at - FLast);
            FLast = at;
            emit Moved();
        }
    }
    emit PointerMoved(at);
}

void TUniverseCanvas::mouseReleaseEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton || !FPress)
        return;
    const bool click = !FDragging && rect().contains(Event->position().toPoint());
    FPress.reset();
    FDragging = false;
    emit PointerMoved(Event->position().toPoint()); // the cursor as it was before the drag
    if (click)
        emit Clicked(Event->position().toPoint());
}

void TUniverseCanvas::leaveEvent(QEvent *) { emit PointerLeft(); }

void TUniverseCanvas::keyPressEvent(QKeyEvent *Event)
{
    if (!Keys || !Keys(Event->key(), Event->modifiers()))
        QWidget::keyPressEvent(Event);
}
