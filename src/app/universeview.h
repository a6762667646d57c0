// The universe view: a second, resizable window beside the main one that
// shows the whole universe square of the file's size class at any zoom,
// the planets with their names, the marks, the template as the placement
// lays it over the universe, the groups of the Stars moving panel with a
// table of how fairly they lie, and, while a relocation waits, the band in
// which a click picks a new position to the light year.
//
// It follows the session (the universe) and the relocation controller (the
// groups, the band and the landing point) itself, and sends the pick's
// input to the controller; the main window gives it the marks and the
// template. It keeps no file open and writes nothing but the pictures the
// player saves.
//
// Fair starts: Ctrl+B ("Propose fair starts") asks the relocation for
// positions of the groups' planets that make the start fair; the view shows
// them beside today's, with a line from each, and the table before and
// after; Ctrl+Return ("Apply") writes them as one step, Escape discards
// them.
//
// Keys (the drawing has the focus): wheel or + and - zoom, dragging or the
// arrows pan, Ctrl+0 fits the square, Ctrl+S saves the picture, Ctrl+Z and
// Ctrl+Shift+Z undo and redo as in the main window, Escape closes the
// window. While a pick waits, the arrows move the landing point instead (one
// view pixel, at least a light year; Shift ten times as far; Ctrl exactly
// one light year), Return or Space picks there and Escape ends the
// relocation. Closing the window only hides it, also while a pick waits
// (the main map still takes it).
#pragma once

#include "relocationcontrol.h"
#include "session.h"
#include "starmap.h"
#include "universecanvas.h"
#include "universedrawing.h"

#include <QImage>
#include <QRgb>
#include <QWidget>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class TDialogs;
class TFairnessTable;

class TUniverseView final : public QWidget {
    Q_OBJECT
public:
    // Margin of the fitted square in the window, in pixels.
    static constexpr int FitMargin = 8;
    static constexpr int DefaultRadius = 100;
    static constexpr int DefaultPictureSize = 2000;

    // A top-level window even with a parent. Dialogs asks for the picture's
    // file name and shows a failed save (the view does not own it).
    TUniverseView(TDialogs &Dialogs, TUniverseSession &Session, TRelocation &Relocation, QWidget *Parent = nullptr);

    // Shows the window, or brings it forward when it is shown.
    void Open();

    // The marks as the main map holds them, in pixels of the map's View; each
    // live one is shown as the area of the universe its disc covers there.
    void SetMarks(const std::vector<TMarkRec> &Marks, const TMapView &MapView);
    // The selected template; a null image hides the overlay and its toggle.
    void SetTemplate(const QImage &Template);
    void SetTemplateShown(bool Shown);
    void SetRadius(int Radius);
    // The target distance of fair starts; 0: none.
    void SetTarget(int Target);

    bool HasUniverse() const { return FScene.HasUniverse(); }
    int Radius() const;
    const std::vector<TGroupFairness> &Fairness() const { return FScene.Fairness; }
    TUniverseCanvas *Canvas() const { return FCanvas; }
    QTreeWidget *Table() const;
    QString PointerReport() const;
    // What the view last said about fair starts.
    QString Note() const;

    // The whole square fitted to Size with what the view shows (template,
    // band, marks, groups, planets and names), without the pointer's
    // highlight and the landing crosshair.
    QImage Picture(QSize Size) const;
    // Asks for a file and saves Picture() at the size the spin boxes give as
    // PNG; false when cancelled or failed (the failure is shown).
    bool SavePicture();
    // Ctrl+B and Ctrl+Return.
    void Propose();
    void Apply();

    // Group colours, as drawn and as the table shows them.
    static QRgb GroupColor(int Group) { return TUniverseDrawing::GroupColor(Group); }

signals:
    // Ctrl+Z (Back) or Ctrl+Shift+Z in the view.
    void StepRequested(bool Back);

protected:
    void keyPressEvent(QKeyEvent *Event) override;

private:
    void FollowSession();
    void FollowPick(bool Started);
    void FollowPointer(QPoint Pixel);
    void LosePointer();
    void PickAt(QPoint Pixel);
    bool CanvasKey(int Key, Qt::KeyboardModifiers Modifiers);
    void ZoomBy(double Factor);
    void Fit();
    void UpdateFairness();
    void UpdateReport();
    void UpdateCursor();
    void UpdateTitle();
    void Say(const QString &Text);
    // The drawing's accessible description from what it shows now.
    void Describe();

    TDialogs &FDialogs;
    TUniverseSession &FSession;
    TRelocation &FRelocation;
    TUniverseDrawing FDrawing;
    TUniverseScene FScene;
    QString FFilePath;
    QString FPictureDir;
    bool FPictureSaved = false;

    TUniverseCanvas *FCanvas = nullptr;
    TFairnessTable *FTable = nullptr;
    QLabel *FReport = nullptr;
    QLabel *FNote = nullptr;
    QWidget *FAnnouncer = nullptr; // what a key did, for a screen reader
    bool FPlaced = false;          // the window was put on its screen
    QCheckBox *FTemplateBox = nullptr;
    QCheckBox *FGridBox = nullptr;
    QCheckBox *FNamesBox = nullptr;
    QSpinBox *FRadius = nullptr;
    QSpinBox *FTarget = nullptr;
    QPushButton *FProposeButton = nullptr;
    QPushButton *FApplyButton = nullptr;
    QSpinBox *FPictureWidth = nullptr;
    QSpinBox *FPictureHeight = nullptr;
    QPushButton *FSaveButton = nullptr;
};
