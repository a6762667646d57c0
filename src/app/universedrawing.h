// What the universe view shows, drawn at any geometry: on the canvas, and
// in the picture the player saves. The view gathers what is to be drawn in
// a TUniverseScene; the drawing keeps only its caches (names and numbers
// drawn once, the template scaled once per zoom).
#pragma once

#include "fairness.h"
#include "starsxy.h"
#include "viewgeometry.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QRgb>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class QPainter;
class TRoom;

// A mark of the main map as the area of the universe its disc covers.
struct TMarkArea {
    QRectF Area; // continuous universe coordinates
    QRgb Color;
};

struct TUniverseScene {
    std::vector<TStarRec> Stars; // file order, model orientation
    QRect Square;                // the size class's square; null: no universe
    int SizeIndex = 0;
    int32_t MinY = 0, MaxY = 0;  // the stars' extent in y
    std::vector<TMarkArea> Marks;
    std::vector<TGroupFairness> Fairness;
    std::vector<int> GroupOf;    // per star: the first group naming it, or -1
    int Radius = 100;
    bool Template = false;       // the template laid over the square
    bool Grid = true;            // lines every 100 light years with their numbers
    bool Names = true;           // the names of the planets no group names
    // A proposal: each planet's move, from where it is to where it would
    // go, and its group.
    struct TMove {
        QPoint From, To;
        int Group;
    };
    std::vector<TMove> Moves;
    // A planet waiting for its pick: its band of x and its landing point.
    std::optional<std::pair<int32_t, int32_t>> Band;
    QPoint Landing;
    std::optional<QPoint> Pointer; // the pointer's view pixel

    bool HasUniverse() const { return !Square.isNull(); }
};

// The star of Stars nearest to Position, exactly; the first in file order
// among equals; -1 without stars.
int32_t NearestPlanet(const std::vector<TStarRec> &Stars, QPoint Position);

class TUniverseDrawing {
public:
    // Group colours, as drawn and as the table shows them.
    static QRgb GroupColor(int Group);

    explicit TUniverseDrawing(const QFont &Font) : FFont(Font) {}
    // The selected template, drawn at half strength; null: none.
    void SetTemplate(const QImage &Template);
    bool HasTemplate() const { return !FTemplate.isNull(); }

    // Everything the scene holds at geometry G; Live adds the pointer's
    // highlight and the landing crosshair.
    void Render(QPainter &P, const TViewGeometry &G, const TUniverseScene &S, bool Live) const;
    // The whole square fitted to Size, without the live parts; beside it
    // Title, a legend (the groups' colours and names, the radius, the marks
    // and a proposal's lines) and Table (rows of cells, the header first).
    QImage Picture(QSize Size, const TUniverseScene &S, const QString &Title = {},
                   const std::vector<QStringList> &Table = {}) const;

private:
    void DrawGridLines(QPainter &P, const TViewGeometry &G, const TUniverseScene &S) const;
    void DrawGridLabels(QPainter &P, const TViewGeometry &G, const TUniverseScene &S, TRoom &Room) const;
    void DrawPlanets(QPainter &P, const TViewGeometry &G, const TUniverseScene &S, TRoom &Room) const;
    QImage TextImage(const QString &Text, const QColor &Colour, bool Bold) const;
    const QImage &NameImage(uint32_t NameId) const;
    const QImage &GroupName(uint32_t NameId, int Group) const;
    const QImage &GridLabel(int Value) const;

    QFont FFont;
    QImage FTemplate;              // at half strength
    mutable QImage FTemplateLayer; // FTemplate scaled to FTemplateTarget in a view
    mutable QRectF FTemplateTarget;
    mutable QHash<uint32_t, QImage> FNames;
    mutable QHash<qint64, QImage> FGroupNames;
    mutable QHash<int, QImage> FGridLabels;
};
