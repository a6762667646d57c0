#include "paintbox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

namespace {

// The map pixel under the pointer; outside the widget too.
QPoint PixelOf(const QMouseEvent *Event)
{
    const QPointF at = Event->position();
    return {static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))};
}

// The landing crosshair: arms of this many pixels around its centre, in a
// colour that neither the stars, the band nor the marks use.
constexpr int LandingArm = 5;
const QColor LandingColor(255, 128, 0);

QRect LandingBox(QPoint Pixel)
{
    return QRect(Pixel - QPoint(LandingArm, LandingArm), QSize(2 * LandingArm + 1, 2 * LandingArm + 1));
}

} // namespace

TPaintBox::TPaintBox(const TStarMap &Map, QWidget *Parent) : QWidget(Parent), FMap(Map)
{
    setFixedSize(MapWidth, MapHeight);
    setAutoFillBackground(false);
    setMouseTracking(true);
}

void TPaintBox::RepaintPixel(QPoint Pixel)
{
    const QRect one(Pixel, QSize(1, 1));
    FFromImage += one;
    update(one);
}

void TPaintBox::RepaintPixels(std::initializer_list<QPoint> Pixels)
{
    for (QPoint pixel : Pixels)
        RepaintPixel(pixel);
}

void TPaintBox::ShowImage()
{
    FFromImage = rect();
    update();
}

void TPaintBox::RepaintMap()
{
    FMapPending = true;
    repaint();
}

void TPaintBox::SetLanding(std::optional<QPoint> Pixel)
{
    if (Pixel == FLanding)
        return;
    for (const auto &at : {FLanding, Pixel}) {
        if (at) {
            const QRect box = LandingBox(*at) & rect();
            FFromImage += box;
            update(box);
        }
    }
    FLanding = Pixel;
}

void TPaintBox::paintEvent(QPaintEvent *Event)
{
    const QRegion region = Event->region();
    const bool fromImage = !FMapPending && (region - FFromImage).isEmpty();
    FMapPending = false;
    FFromImage -= region;
    if (!fromImage) {
        emit Paint();
        // The map was drawn anew as a whole: the parts outside this paint
        // show the new picture too, from the image.
        const QRegion rest = QRegion(rect()) - region;
        if (!rest.isEmpty()) {
            FFromImage += rest;
            update(rest);
        }
    }
    if (!FMap.HasPicture())
        return;
    QPainter painter(this);
    const QRect box = region.boundingRect() & rect();
    painter.drawImage(box, FMap.Image(), box);
    if (FLanding) {
        const QPoint at = *FLanding;
        painter.setPen(LandingColor);
        painter.drawLine(at.x() - LandingArm, at.y(), at.x() - 2, at.y());
        painter.drawLine(at.x() + 2, at.y(), at.x() + LandingArm, at.y());
        painter.drawLine(at.x(), at.y() - LandingArm, at.x(), at.y() - 2);
        painter.drawLine(at.x(), at.y() + 2, at.x(), at.y() + LandingArm);
    }
}

void TPaintBox::mouseMoveEvent(QMouseEvent *Event)
{
    const QPoint at = PixelOf(Event);
    emit MouseMoved(at.x(), at.y(), Event->modifiers());
}

void TPaintBox::mousePressEvent(QMouseEvent *Event)
{
    const QPoint at = PixelOf(Event);
    if (Event->button() == Qt::LeftButton)
        FLeftDown = true;
    emit MousePressed(Event->button(), Event->modifiers(), at.x(), at.y());
}

void TPaintBox::mouseDoubleClickEvent(QMouseEvent *Event)
{
    const QPoint at = PixelOf(Event);
    FLeftDown = false;
    emit MousePressed(Event->button(), Event->modifiers(), at.x(), at.y());
    if (Event->button() == Qt::LeftButton)
        emit DoubleClicked();
}

void TPaintBox::mouseReleaseEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton || !FLeftDown)
        return;
    FLeftDown = false;
    if (rect().contains(PixelOf(Event)))
        emit Clicked();
}

void TPaintBox::focusInEvent(QFocusEvent *Event)
{
    QWidget::focusInEvent(Event);
    emit FocusChanged(true);
}

void TPaintBox::focusOutEvent(QFocusEvent *Event)
{
    QWidget::focusOutEvent(Event);
    emit FocusChanged(false);
}

void TPaintBox::keyPressEvent(QKeyEvent *Event)
{
    switch (Event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Escape:
    case Qt::Key_M:
    case Qt::Key_Delete:
        emit KeyPressed(Event->key(), Event->modifiers());
        Event->accept();
        break;
    default:
        QWidget::keyPressEvent(Event);
    }
}
