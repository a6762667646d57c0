// The main window: the XY-file selection, the map with its pointer report,
// and the frame that holds the template group and the Stars moving panel.
//
// The window owns no file state of its own: the open file, the bytes last
// read and the history of writes belong to the session, which the window
// follows (the map draws what the session holds). The template group runs
// generations and the panel runs relocations; both write through the
// session and say so by signals. Every handler runs through the guard, so
// an exception never crosses a Qt frame: it ends the handler and shows the
// error box.
#pragma once

#include "dialogs.h"
#include "guard.h"
#include "session.h"
#include "starmap.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;
class QToolButton;
class QGroupBox;
class THelpForm;
class TFConf;
class TMovingPanel;
class TPaintBox;
class TTemplateGroup;
class TUniverseView;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // ProgramDir is where templates are listed and the open dialog starts;
    // Dialogs answers every message box (the window does not own it).
    TForm1(const QString &ProgramDir, TDialogs &Dialogs, QWidget *Parent = nullptr);
    ~TForm1() override;

    // The help and comments windows, created after the main window.
    void SetSideWindows(THelpForm *Help, TFConf *Comments);

    TUniverseSession &Session() { return FSession; }
    TStarMap &Map() { return FMap; }
    TTemplateGroup &Templates() { return *FTemplates; }
    TMovingPanel &Panel() { return *FPanel; }
    // The universe view (Ctrl+M, or a double click on the map).
    TUniverseView &View() { return *FView; }

    // The folder button: opens a universe file.
    void SpeedButton3Click();
    // Undo and redo of the writes to the open file (Ctrl+Z, Ctrl+Shift+Z).
    void Undo() { StepHistory(true); }
    void Redo() { StepHistory(false); }
    // An immediate repaint of the map from the session's universe.
    void RepaintMap();
    // A tick of the blink timer.
    void Timer1Timer();

protected:
    void closeEvent(QCloseEvent *Event) override;
    void changeEvent(QEvent *Event) override;
    void showEvent(QShowEvent *Event) override;

private:
    void BuildWindow();
    void ConnectHandlers();
    void FormShow();
    void FileOpened();
    void OfferWritableCopy();
    void StepHistory(bool Back);
    void StepEnded(bool Back, const QString &What, std::exception_ptr Error);
    void Wrote(const QString &What);
    // The enabled state of the window's controls from what goes on: the
    // panel open (everything but the map), a run (no opening, no "Change..."),
    // a file open ("Change...").
    void UpdateControls();
    void PaintMap(int32_t BandLeft, int32_t BandRight);
    void ShowMapCaption();
    // The universe view follows what the map shows.
    void SyncView();
    void PaintBox1Paint();
    // Shows the map's facts after a paint; the pointer report is cleared
    // when the paint found another universe than the one shown before.
    void AfterPaint(const std::optional<TMapFacts> &Facts, const QByteArray &ShownBefore);
    void PaintBox1MouseMove(int X, int Y);
    void PaintBox1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    // A key on the map while a planet waits for its pick: arrows move the
    // keyboard pointer one pixel (ten with Shift), Ctrl+arrows move the
    // landing position one light year, Return, Enter and Space place the
    // planet there, Escape ends the relocation as the close button.
    void PaintBox1KeyDown(int Key, Qt::KeyboardModifiers Shift);
    void SpeedButton6Click();
    // Pick mode by keyboard: the map takes the focus and shows where the
    // planet would land, starting from the planet's own pixel.
    void StartKeyboardPick(QPoint StarPixel);
    void EndKeyboardPick();
    // The landing position of a keyboard pick moved to At: the crosshair
    // and the status line show it.
    void SetPickTarget(QPoint At);
    // The map's accessible description from what it shows now.
    void DescribeMap();

    QString FProgramDir;
    TDialogs &FDialogs;
    TGuard FGuard;
    TUniverseSession FSession;
    TStarMap FMap;
    TTemplateGroup *FTemplates = nullptr;
    TMovingPanel *FPanel = nullptr;
    TUniverseView *FView = nullptr;
    // Where the open dialog starts: the folder of the universe opened last
    // in this session, the program's folder before that.
    QString FOpenFolder;
    // The map pixel the keyboard points at; the mouse moves it too.
    QPoint FKeyPointer{MapWidth / 2, MapHeight / 2};
    // The size class of the open file as last shown: the size list follows
    // the file when it is opened and when its class changes on disk, never
    // on a mere repaint, so the player's own choice stays.
    int FFileSizeClass = -1;
    // Where Return puts the waiting planet, to the light year: its own
    // position until the pointer or a key moves it.
    std::optional<QPoint> FPickTarget;
    QPointer<THelpForm> FHelp;

    // ---- controls, named as in the window layout ----
    QGroupBox *GroupBox2;
    QLabel *StaticXY, *lSize, *lStars, *lPlayers, *Label10, *StaticText2;
    QToolButton *SpeedButton3, *SpeedButton5, *SpeedButton6;
    QPushButton *BitBtn1;
    QFrame *Bevel2;
    TPaintBox *PaintBox1;
    QTimer *Timer1;
    QListWidget *StarsBuf;
};

// Keyboard order, accessible names and tooltips of the window's controls,
// found by their names.
void SetUpKeyboardAndNames(QWidget &Form);
