// The universe view: a second, resizable window beside the main one that
// shows the whole universe square of the file's size class at any zoom,
// the planets with their names, the marks, the template as the placement
// lays it over the universe, the groups of the Stars moving panel with a
// table of how fairly they lie, and, while a relocation waits, the band in
// which a click picks a new position to the light year.
//
// The main window drives it through the setters and hears back through the
// signals; the view keeps no file open and writes nothing but the pictures
// the player saves.
//
// Keys (the drawing has the focus): wheel or + and - zoom, dragging or the
// arrows pan, Ctrl+0 fits the square, Ctrl+S saves the picture, Escape
// closes the window. While a pick waits, the arrows move the landing
// crosshair instead (one view pixel, at least a light year; Shift ten times
// as far; Ctrl exactly one light year), Return or Space picks there and
// Escape cancels the pick. Closing the window only hides it, also while a
// pick waits (the main map still takes it).
//
// The window is built and fed in universeview.cpp, the input is handled in
// universecanvas.cpp, and everything is drawn in universedrawing.cpp.
#pragma once

#include "fairness.h"
#include "mapgeometry.h"
#include "marks.h"
#include "starsxy.h"
#include "universecanvas.h"
#include "viewgeometry.h"

#include <QHash>
#include <QImage>
#include <QRgb>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class TDialogs;

class TUniverseView final : public QWidget {
    Q_OBJECT
public:
    // Margin of the fitted square in the window, in pixels.
    static constexpr int FitMargin = 8;
    static constexpr int DefaultRadius = 100;
    static constexpr int DefaultPictureSize = 2000;

    // A top-level window even with a parent. Dialogs asks for the picture's
    // file name and shows a failed save (the view does not own it).
    explicit TUniverseView(TDialogs &Dialogs, QWidget *Parent = nullptr);

    // Shows the window, or brings it forward when it is shown.
    void Open();

    // The universe: the stars in file order and model orientation, the size
    // class whose square is shown, and the file's path for the title and the
    // picture's proposed name. A new square is fitted; the same square keeps
    // the zoom.
    void SetUniverse(const std::vector<TStarRec> &Stars, int SizeIndex, const QString &FilePath = {});
    // No file open: the view shows only a hint; the band goes too.
    void ClearUniverse();
    // The marks as the main map holds them, in pixels of the map's View; each
    // live one is shown as the area of the universe its disc covers there.
    void SetMarks(const std::vector<TMarkRec> &Marks, const TMapView &MapView);
    // The groups of the Stars moving panel, names per group.
    void SetGroups(const std::vector<QStringList> &Groups);
    // A relocation waits for a pick: positions with X from MinX to MaxX and Y
    // within the universe's extent (the smallest to the largest Y of the
    // stars, the bounds the move is checked against) can be picked. The
    // landing crosshair starts at Landing (the moving planet), held into
    // that area, or at the area's centre.
    void SetBand(int32_t MinX, int32_t MaxX, std::optional<QPoint> Landing = std::nullopt);
    void ClearBand();
    // The selected template; a null image hides the overlay and its toggle.
    void SetTemplate(const QImage &Template);
    void SetTemplateShown(bool Shown);
    void SetRadius(int Radius);

    bool HasUniverse() const { return !FSquare.isNull(); }
    bool Picking() const { return FBand.has_value(); }
    QPoint Landing() const { return FLanding; }
    int Radius() const;
    const std::vector<TGroupFairness> &Fairness() const { return FFairness; }
    TUniverseCanvas *Canvas() const { return FCanvas; }
    QTreeWidget *Table() const { return FTable; }
    QString PointerReport() const;

    // The whole square fitted to Size with what the view shows (template,
    // band, marks, groups, planets and names), without the pointer's
    // highlight and the landing crosshair.
    QImage Picture(QSize Size) const;
    // Asks for a file and saves Picture() at the size the spin boxes give as
    // PNG; false when cancelled or failed (the failure is shown).
    bool SavePicture();

    // Group colours, as drawn and as the table shows them.
    static QRgb GroupColor(int Group);

signals:
    // The position picked, X in the band and Y within the universe's extent.
    void Picked(QPoint Position);
    void PickCancelled();

protected:
    void keyPressEvent(QKeyEvent *Event) override;

private:
    friend class TUniverseCanvas;

    // Drawing, at any geometry; Live adds the pointer's highlight and the
    // landing crosshair.
    void Render(QPainter &P, const TViewGeometry &G, bool Live) const;
    void DrawGrid(QPainter &P, const TViewGeometry &G) const;
    void DrawPlanets(QPainter &P, const TViewGeometry &G) const;
    QImage TextImage(const QString &Text, const QColor &Colour, bool Bold) const;
    const QImage &NameImage(uint32_t NameId) const;
    const QImage &GridLabel(int Value) const;

    // Input from the canvas.
    void PointerAt(QPoint Pixel);
    void PointerLeft();
    void ClickAt(QPoint Pixel);
    bool CanvasKey(int Key, Qt::KeyboardModifiers Modifiers);
    void ZoomBy(double Factor);
    void Fit();

    QPoint HoldInBand(QPoint Position) const;
    void MoveLanding(int DX, int DY, Qt::KeyboardModifiers Modifiers);
    int32_t NearestPlanet(QPoint Position) const;
    void UpdateFairness();
    void UpdateReport();
    void UpdateCursor();
    static QPoint PositionOf(const TStarRec &Star) { return {static_cast<int>(Star.X), static_cast<int>(Star.Y)}; }

    TDialogs &FDialogs;
    TUniverseCanvas *FCanvas = nullptr;
    QTreeWidget *FTable = nullptr;
    QLabel *FReport = nullptr;
    QCheckBox *FTemplateBox = nullptr;
    QSpinBox *FRadius = nullptr;
    QSpinBox *FPictureWidth = nullptr;
    QSpinBox *FPictureHeight = nullptr;
    QPushButton *FSaveButton = nullptr;

    std::vector<TStarRec> FStars;
    QRect FSquare; // null: no universe
    int FSizeIndex = 0;
    QString FFilePath;
    int32_t FMinY = 0, FMaxY = 0; // the stars' extent in Y
    struct TMarkArea {
        QRectF Area; // continuous universe coordinates
        QRgb Color;
    };
    std::vector<TMarkArea> FMarks;
    std::vector<QStringList> FGroups;
    std::vector<TGroupFairness> FFairness;
    std::vector<int> FGroupOf; // per star: the first group naming it, or -1
    std::optional<std::pair<int32_t, int32_t>> FBand;
    QPoint FLanding;
    QImage FTemplate;                 // at half strength
    mutable QImage FTemplateLayer;    // FTemplate scaled to FTemplateTarget in a view
    mutable QRectF FTemplateTarget;
    std::optional<QPoint> FPointer; // the pointer's pixel over the canvas
    QString FPictureDir;
    bool FPictureSaved = false;

    // Every name and grid number drawn once, then copied.
    mutable QHash<uint32_t, QImage> FNames;
    mutable QHash<int, QImage> FGridLabels;
};
