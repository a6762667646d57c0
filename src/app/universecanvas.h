// The drawing surface of the universe view: it holds the geometry of what
// it shows, zooms it by the wheel and pans it by dragging, and hands the
// rest of its input on by signals; what it shows, Painter draws.
#pragma once

#include "viewgeometry.h"

#include <QPoint>
#include <QWidget>
#include <functional>
#include <optional>

class QPainter;

class TUniverseCanvas final : public QWidget {
    Q_OBJECT
public:
    explicit TUniverseCanvas(QWidget *Parent);
    TViewGeometry Geometry;
    // Draws the view at Geometry.
    std::function<void(QPainter &)> Painter;
    // Handles a key; false lets the widget's parent have it.
    std::function<bool(int Key, Qt::KeyboardModifiers Modifiers)> Keys;
    bool Dragging() const { return FDragging; }

signals:
    // The pointer over view pixel Pixel, or gone from the canvas.
    void PointerMoved(QPoint Pixel);
    void PointerLeft();
    // A click of the left button (no drag) at view pixel Pixel.
    void Clicked(QPoint Pixel);
    // The wheel or a drag changed the geometry.
    void Moved();

protected:
    void paintEvent(QPaintEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;
    void wheelEvent(QWheelEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseDoubleClickEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void leaveEvent(QEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;

private:
    std::optional<QPoint> FPress; // where the left button went down
    QPoint FLast;                 // the last pointer pixel while it is held
    bool FDragging = false;
};
