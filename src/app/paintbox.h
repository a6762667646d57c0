// The paint surface of the map: a fixed 273 x 228 widget that shows the
// picture of a TStarMap and reports the mouse.
//
// It draws the map's Image while the map has a picture and nothing at all
// otherwise; it fills no background of its own, so what lies beneath it (the
// window and the caption under the map) shows through.
//
// Painting. The widget tells apart the updates it was asked for from the
// image (single pixels, or the whole image after a paint outside a paint
// event) from every other paint: a paint of any other part (the window
// uncovered, RepaintMap) first emits Paint, whose receiver redraws the map
// from the file (TStarMap::PaintMap) and updates the labels; it must not ask
// the widget to update or repaint. Pixel updates never emit Paint, so a
// pointer move or a blink never rereads the file.
//
// Mouse. Tracking is on, so moves without a button are reported too; while
// a button is held, Qt's implicit grab reports moves outside the widget,
// with coordinates outside the map. Coordinates are the pixel under the
// pointer. Clicked follows a press and release of the left button with the
// pointer still over the widget; the second press of a double click is
// reported as a press but does not make a click.
//
// Keys. While the map has the focus (Tab, or pick mode gives it), the keys
// it handles are reported by KeyPressed; the others go on to the window.
//
// Landing point. A crosshair drawn over the image, not into it, at the pixel
// where the planet would land; it leaves the map's picture untouched.
#pragma once

#include "starmap.h"

#include <QRegion>
#include <QWidget>
#include <initializer_list>
#include <optional>

class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(const TStarMap &Map, QWidget *Parent = nullptr);

    // These pixels of the image changed: show them, without Paint.
    void RepaintPixel(QPoint Pixel);
    void RepaintPixels(std::initializer_list<QPoint> Pixels);
    // The whole image changed (PaintMap ran outside a paint event): show it,
    // without Paint.
    void ShowImage();
    // Repaints the whole map at once through Paint.
    void RepaintMap();
    // Shows the landing crosshair at Pixel, or none; without Paint.
    void SetLanding(std::optional<QPoint> Pixel);
    std::optional<QPoint> Landing() const { return FLanding; }

signals:
    void Paint();
    void MouseMoved(int X, int Y, Qt::KeyboardModifiers Shift);
    void MousePressed(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Clicked();
    // The left button's second press of a double click (after MousePressed).
    void DoubleClicked();
    // Arrow keys, Return, Enter, Space, Escape, M and Delete.
    void KeyPressed(int Key, Qt::KeyboardModifiers Modifiers);
    void FocusChanged(bool In);

protected:
    void paintEvent(QPaintEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseDoubleClickEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;
    void focusInEvent(QFocusEvent *Event) override;
    void focusOutEvent(QFocusEvent *Event) override;

private:
    const TStarMap &FMap;
    QRegion FFromImage;     // asked-for updates that only show the image
    bool FMapPending = false; // RepaintMap asked for a paint through Paint
    bool FLeftDown = false;   // a left press that a release may turn into a click
    std::optional<QPoint> FLanding;
};
