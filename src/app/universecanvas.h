// The drawing surface of the universe view: it holds the geometry of what
// it shows, zooms it by the wheel and pans it by dragging, and hands the
// rest of its input to the view, which owns the state and draws it
// (universedrawing.cpp).
#pragma once

#include "viewgeometry.h"

#include <QPoint>
#include <QWidget>
#include <optional>

class TUniverseView;

class TUniverseCanvas final : public QWidget {
    Q_OBJECT
public:
    explicit TUniverseCanvas(TUniverseView &View);
    TViewGeometry Geometry;

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
    friend class TUniverseView;
    TUniverseView &FView;
    std::optional<QPoint> FPress; // where the left button went down
    QPoint FLast;                 // the last pointer pixel while it is held
    bool FDragging = false;
};
