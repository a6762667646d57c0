#include "paintbox.h"

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
    painter.drawImage(box, FMap.Image, box);
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
}

void TPaintBox::mouseReleaseEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton || !FLeftDown)
        return;
    FLeftDown = false;
    if (rect().contains(PixelOf(Event)))
        emit Clicked();
}
