// Geometry of the universe view: light years to view pixels and back at any
// zoom and pan, with one scale for both axes, so the universe square is
// never stretched.
//
// A light year position X covers the stretch [X, X + 1) of continuous
// universe space, and view pixel p the stretch [p, p + 1) of view space. The
// position under a pixel is the one that holds the pixel's centre; the
// pixel of a position is the one that holds the position's centre. So when
// a light year is wider than a pixel, every pixel of it maps back to it, and
// when a pixel is wider than a light year, every position the pixel shows
// maps to it.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

// The universe square of a size class: positions 1000 to 1000 + 400 (k + 1)
// - 2 on both axes, both ends included (QRect's right and bottom are
// inclusive too). A class outside 0..4 is held to that range.
QRect SizeClassSquare(int SizeIndex);

class TViewGeometry {
public:
    // One wheel notch, one + or - key.
    static constexpr double ZoomStep = 1.25;
    // View pixels per light year at the closest zoom.
    static constexpr double MaxScale = 64;
    // The farthest zoom shows the fitted square at this part of its size.
    static constexpr double MinFitPart = 0.25;

    TViewGeometry() = default;
    // Universe fitted into a view of ViewSize, Margin pixels kept free on
    // every side.
    TViewGeometry(const QRect &Universe, QSize ViewSize, int Margin = 0);

    const QRect &Universe() const { return FUniverse; }
    QSize ViewSize() const { return FViewSize; }
    double Scale() const { return FScale; }   // view pixels per light year
    QPointF Origin() const { return FOrigin; } // view point of the universe's top-left corner
    // True from Fit until the next zoom or pan.
    bool Fitted() const { return FFitted; }

    // The whole universe, centred, as large as the view allows with Margin
    // pixels free on each side.
    void Fit();
    double FitScale() const;
    // A new view size: a fitted view is fitted again; otherwise the universe
    // point at the view's centre stays there at the same scale.
    void Resize(QSize ViewSize);
    // Scale multiplied by Factor, held to FitScale() * MinFitPart ..
    // MaxScale, with the universe point under ViewPoint kept there.
    void ZoomAbout(QPointF ViewPoint, double Factor);
    // The picture moved by Delta view pixels. The view's centre is kept over
    // the universe, so the square cannot be lost from sight.
    void PanBy(QPointF Delta);
    // Pans as little as needed to bring the pixel of Position at least
    // Border pixels inside the view (as far as the view is large enough).
    void Reveal(QPoint Position, int Border);

    // Continuous coordinates.
    QPointF ToView(QPointF Universe) const;
    QPointF ToUniverse(QPointF View) const;
    // The light year position under view pixel Pixel.
    QPoint PositionAt(QPoint Pixel) const;
    // The view pixel that holds the centre of light year Position.
    QPoint PixelOf(QPoint Position) const;
    // The view area covered by the positions of Positions (right and bottom
    // inclusive, as QRect has them).
    QRectF AreaOf(const QRect &Positions) const;
    // The positions whose area meets the view, clipped to the universe;
    // empty when the universe is out of sight.
    QRect VisiblePositions() const;

private:
    void Clamp();

    QRect FUniverse;
    QSize FViewSize;
    int FMargin = 0;
    double FScale = 1;
    QPointF FOrigin;
    bool FFitted = false;
};
