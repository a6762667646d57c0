// The main window: the XY-file selection, the map with its pointer report,
// and the frame that holds the template group and the Stars moving panel.
//
// The window owns no file state of its own: the open file, the bytes last
// read and the history of writes belong to the session, which the window
// follows (the map draws what the session holds); the groups and the pick
// belong to the relocation controller, which the map, the panel and the
// universe view show and feed. The template group runs generations; both
// runs write through the session and say so by signals. Every handler runs
// through the guard, so an exception never crosses a Qt frame: it ends the
// handler and shows the error box.
#pragma once

#include "dialogs.h"
#include "guard.h"
#include "relocationcontrol.h"
#include "session.h"
#include "starmap.h"

#include <QPointer>
#include <QTimer>
#include <QString>
#include <QWidget>
#include <optional>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
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
    TRelocation &Relocation() { return FRelocation; }
    TTemplateGroup &Templates() { return *FTemplates; }
    TMovingPanel &Panel() { return *FPanel; }
    // The universe view (Ctrl+M, or a double click on the map).
    TUniverseView &View() { return *FView; }

    // The folder button: opens a universe file.
    void SpeedButton3Click();
    // Undo and redo of the writes to the open file (Ctrl+Z, Ctrl+Shift+Z).
    void UndoStep() { AskStep(true); }
    void RedoStep() { AskStep(false); }
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
    // Names, descriptions, tooltips and the keyboard order of the window's
    // own controls, and the order of its parts' controls among them.
    void SetUpKeyboardAndNames();
    void ConnectHandlers();
    void FormShow();
    void FileOpened();
    void OfferWritableCopy();
    void AskStep(bool Back);
    void ShowStep(bool Back, const QString &What, std::exception_ptr Error);
    void ShowWrite(const QString &What);
    // The status line says Text (a screen reader hears it); Report: the
    // pointer's report, which goes when the map shows another universe.
    void ShowStatus(const QString &Text, bool Report = false);
    // The enabled state of the window's controls from what goes on: the
    // panel open (everything but the map), a run (no opening, no "Change..."),
    // a file open ("Change...").
    void UpdateControls();
    void PaintMap();
    void ShowMapCaption();
    void PaintBox1Paint();
    // Shows the map's facts after a paint; the pointer report is cleared
    // when the paint found another universe than the one shown before.
    void AfterPaint(const std::optional<TMapFacts> &Facts, const QByteArray &ShownBefore);
    void PaintBox1MouseMove(int X, int Y);
    void PaintBox1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    // A key on the map. While a planet waits for its pick: arrows move the
    // landing point by one map pixel's light years (ten with Shift, one
    // light year with Ctrl), Return, Enter and Space place the planet there,
    // Escape ends the relocation as the close button. Otherwise arrows move
    // the keyboard's crosshair, M marks, Delete removes a mark, Return adds
    // the planet to the active group.
    void PaintBox1KeyDown(int Key, Qt::KeyboardModifiers Shift);
    void PaintBox1Click();
    void SpeedButton6Click();
    // A planet waits for its pick: the map takes the focus and shows where
    // it would land, starting on the planet itself.
    void FollowPick();
    void FollowRunEnd();
    // The landing point moved: the crosshair follows it.
    void ShowLanding();
    // The band of the planet waiting for its pick; -1, -1 for none.
    std::pair<int32_t, int32_t> Band() const;
    // The map's accessible description from what it shows now.
    void DescribeMap();

    QString FProgramDir;
    TDialogs &FDialogs;
    TGuard FGuard;
    TUniverseSession FSession;
    TStarMap FMap;
    TRelocation FRelocation;
    TTemplateGroup *FTemplates = nullptr;
    TMovingPanel *FPanel = nullptr;
    TUniverseView *FView = nullptr;
    // Where the open dialog starts: the folder of the universe opened last
    // in this session, the program's folder before that.
    QString FOpenFolder;
    // The map pixel the keyboard points at outside a pick; the mouse moves
    // it too.
    QPoint FKeyPointer{MapWidth / 2, MapHeight / 2};
    // The size class of the open file as last shown: the size list follows
    // the file when it is opened and when its class changes on disk, never
    // on a mere repaint, so the player's own choice stays.
    int FFileSizeClass = -1;
    QPointer<THelpForm> FHelp;
    bool FReportShown = false;
    QFont FReportFont; // the face in which the longest pointer report fits

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
