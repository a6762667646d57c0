#include "viewgeometry.h"

#include "starsxy.h"

#include <algorithm>
#include <cmath>

namespace {

QPoint FloorPoint(QPointF P)
{
    return {static_cast<int>(std::floor(P.x())), static_cast<int>(std::floor(P.y()))};
}

// A view of no size still gets a scale that divides.
constexpr double SmallestScale = 1e-3;

} // namespace

QRect SizeClassSquare(int SizeIndex)
{
    const int last = static_cast<int>(SizeClassRight(static_cast<unsigned>(std::clamp(SizeIndex, 0, 4))));
    return QRect(QPoint(1000, 1000), QPoint(last, last));
}

TViewGeometry::TViewGeometry(const QRect &Universe, QSize ViewSize, int Margin)
    : FUniverse(Universe), FViewSize(ViewSize), FMargin(Margin)
{
    Fit();
}

double TViewGeometry::FitScale() const
{
    if (FUniverse.isEmpty())
        return 1;
    const double across = (FViewSize.width() - 2.0 * FMargin) / FUniverse.width();
    const double down = (FViewSize.height() - 2.0 * FMargin) / FUniverse.height();
    return std::max(std::min(across, down), SmallestScale);
}

void TViewGeometry::Fit()
{
    FScale = FitScale();
    FOrigin = QPointF((FViewSize.width() - FUniverse.width() * FScale) / 2,
                      (FViewSize.height() - FUniverse.height() * FScale) / 2);
    FFitted = true;
}

void TViewGeometry::Resize(QSize ViewSize)
{
    if (FFitted) {
        FViewSize = ViewSize;
        Fit();
        return;
    }
    const QPointF centre = ToUniverse(QPointF(FViewSize.width() / 2.0, FViewSize.height() / 2.0));
    FViewSize = ViewSize;
    FOrigin = QPointF(FViewSize.width() / 2.0, FViewSize.height() / 2.0) - (centre - FUniverse.topLeft()) * FScale;
    Clamp();
}

void TViewGeometry::ZoomAbout(QPointF ViewPoint, double Factor)
{
    const double lowest = std::min(FitScale() * MinFitPart, MaxScale);
    const double scale = std::clamp(FScale * Factor, lowest, MaxScale);
    if (scale == FScale)
        return;
    const QPointF fixed = ToUniverse(ViewPoint);
    FScale = scale;
    FOrigin = ViewPoint - (fixed - FUniverse.topLeft()) * FScale;
    FFitted = false;
    Clamp();
}

void TViewGeometry::PanBy(QPointF Delta)
{
    if (Delta.isNull())
        return;
    FOrigin += Delta;
    FFitted = false;
    Clamp();
}

void TViewGeometry::Reveal(QPoint Position, int Border)
{
    const QPointF at = ToView(QPointF(Position) + QPointF(0.5, 0.5));
    auto shift = [Border](double V, int Size) {
        if (V < Border)
            return Border - V;
        if (V > Size - Border)
            return Size - Border - V;
        return 0.0;
    };
    PanBy(QPointF(shift(at.x(), FViewSize.width()), shift(at.y(), FViewSize.height())));
}

void TViewGeometry::Clamp()
{
    // The universe point at the view's centre is held inside the universe.
    const QPointF centreView(FViewSize.width() / 2.0, FViewSize.height() / 2.0);
    const QPointF centre = ToUniverse(centreView);
    const QPointF held(std::clamp(centre.x(), double(FUniverse.left()), double(FUniverse.left() + FUniverse.width())),
                       std::clamp(centre.y(), double(FUniverse.top()), double(FUniverse.top() + FUniverse.height())));
    if (held != centre)
        FOrigin = centreView - (held - FUniverse.topLeft()) * FScale;
}

QPointF TViewGeometry::ToView(QPointF Universe) const
{
    return FOrigin + (Universe - FUniverse.topLeft()) * FScale;
}

QPointF TViewGeometry::ToUniverse(QPointF View) const
{
    return QPointF(FUniverse.topLeft()) + (View - FOrigin) / FScale;
}

QPoint TViewGeometry::PositionAt(QPoint Pixel) const
{
    return FloorPoint(ToUniverse(QPointF(Pixel) + QPointF(0.5, 0.5)));
}

QPoint TViewGeometry::PixelOf(QPoint Position) const
{
    return FloorPoint(ToView(QPointF(Position) + QPointF(0.5, 0.5)));
}

QRectF TViewGeometry::AreaOf(const QRect &Positions) const
{
    return QRectF(ToView(Positions.topLeft()), ToView(QPointF(Positions.bottomRight()) + QPointF(1, 1)));
}

QRect TViewGeometry::VisiblePositions() const
{
    // Position X shows when [X, X + 1) meets [0, width) once mapped.
    const QPointF from = ToUniverse(QPointF(0, 0));
    const QPointF to = ToUniverse(QPointF(FViewSize.width(), FViewSize.height()));
    const QRect seen(QPoint(static_cast<int>(std::floor(from.x())), static_cast<int>(std::floor(from.y()))),
                     QPoint(static_cast<int>(std::ceil(to.x())) - 1, static_cast<int>(std::ceil(to.y())) - 1));
    return seen.intersected(FUniverse);
}
