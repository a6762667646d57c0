// The main window: template selection, XY-file selection, generation
// settings, the map and the Stars moving panel.
//
// The window owns all state; no universe lives from one user action to the
// next. Every handler that may fail runs through Guard(), so an exception
// never crosses a Qt frame: it ends the handler and shows the error box.
//
// The handlers are spread over the units of their subsystems: this file's
// stars.cpp holds start-up, opening a file and the map; generateform.cpp the
// templates and the generation; movingform.cpp the Stars moving panel and the
// relocation.
#pragma once

#include "dialogs.h"
#include "starmap.h"
#include "templatelist.h"
#include "writehistory.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

class QCheckBox;
class QFileSystemWatcher;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;
class QToolButton;
class QGroupBox;
class THelpForm;
class TFConf;
class TPaintBox;
class TStarsXY;

// Set by pressing the generation button while it reads "Stop !"; one flag for
// the whole program.
extern bool StopPressed;

// One group of planet names on the Stars moving panel.
struct TGroupRow {
    QLabel *Caption = nullptr;
    QLineEdit *Names = nullptr;
};

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // ProgramDir is where templates are listed and the open dialog starts;
    // Dialogs answers every message box (the window does not own it).
    TForm1(const QString &ProgramDir, TDialogs &Dialogs, QWidget *Parent = nullptr);
    ~TForm1() override;

    // The help and comments windows, created after the main window.
    void SetSideWindows(THelpForm *Help, TFConf *Comments);

    // Runs F, showing any failure in the error box instead of letting it
    // leave the handler.
    template <class F> void Guard(F &&Body)
    {
        try {
            Body();
        } catch (...) {
            ReportException(std::current_exception());
        }
    }

    // ---- state (zero, false or empty at creation) ----
    TStarMap Map; // StarPoints, ViewRect, scales, highlight, marks, band
    std::vector<TGroupRow> Groups;
    int32_t ActiveGroup = -1;
    bool StopRequested = false;
    bool PanelBusy = false;
    bool ChangeMode = false;
    bool PickDone = false;
    // A relocation is under way. The close button puts the panel back into
    // entry mode while the run is still ending, which shows "Next" again: a
    // click on it then must not start a second run inside the first.
    bool Relocating = false;
    // A generation run is under way. It writes back to the file it read, so
    // nothing may open another file or start a second operation meanwhile.
    bool Generating = false;

    // The writes made to the open file, for undo and redo; ends when another
    // file is opened or the window goes.
    TWriteHistory History;

    // ---- controls, named as in the window layout ----
    QGroupBox *GroupBox1, *GroupBox2;
    QLabel *Image1;
    QToolButton *SpeedButton1, *SpeedButton2, *SpeedButton3, *SpeedButton5, *SpeedButton6, *Conf;
    QComboBox *ComboBox1, *SizeSel;
    QLabel *StaticXY, *lSize, *lStars, *lPlayers;
    QSpinBox *Chv, *FreeSpaceRng, *MinD;
    QCheckBox *FreeSp, *MaxC;
    QPushButton *BitBtn1, *BitBtn2;
    QProgressBar *Progr;
    QFrame *Bevel2;
    TPaintBox *PaintBox1;
    QLabel *Label3, *Label5, *Label6, *Label8, *Label9, *Label10;
    QLabel *StaticText2;
    QTimer *Timer1;
    QListWidget *StarsBuf;
    // the Stars moving panel
    QFrame *Panel1;
    QLabel *Panel2;
    QToolButton *SpeedButton4;
    QLabel *Label11, *Label12, *StaticText1;
    QComboBox *ComboBox2;
    QPushButton *BitBtn3, *BitBtn4, *BitBtn5, *BitBtn6;

    // ---- start-up, files, closing (stars.cpp) ----
    void FormCreate();
    void FormShow();
    void SpeedButton3Click();
    void SpeedButton5Click();
    void ConfClick();
    QString ProgramDir() const { return FProgramDir; }

    // Undo and redo of the writes to the open file (Ctrl+Z, Ctrl+Shift+Z).
    void Undo();
    void Redo();
    // A write just made to the open file: recorded for undo, the map
    // repainted from the file, and the status line says what was written.
    void Wrote(TWrite Write);

    // The enabled state of the window's controls from what goes on: the
    // panel open (everything but the map), a run (no opening, no "Change..."),
    // a file open ("Change..."), free space mode (its threshold).
    void UpdateControls();

    // ---- map (stars.cpp) ----
    void PaintMap(int32_t BandLeft, int32_t BandRight);
    void PaintBox1Paint(); // the map's paint event: PaintMap with the band
    void RepaintMap();     // an immediate repaint through PaintBox1Paint
    void PaintBox1MouseMove(Qt::KeyboardModifiers Shift, int X, int Y);
    void PaintBox1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void PaintBox1Click();
    // A key on the map while a relocation waits for its pick: arrows move
    // the keyboard pointer one pixel (ten with Shift), Return, Enter and
    // Space click there, Escape ends the relocation as the close button.
    void PaintBox1KeyDown(int Key, Qt::KeyboardModifiers Shift);
    void Timer1Timer();
    void SpeedButton6Click();

    // ---- templates and generation (generateform.cpp) ----
    void InitTemplates();
    void LoadTemplate();
    void ReadTemplateSettings();
    void ComboBox1Change();
    // The file of the template the list shows; empty when none is listed.
    QString TemplatePath() const;
    void SpeedButton1Click();
    void SpeedButton2Click();
    void BitBtn2Click();
    void GenerateUniverse();

    // ---- Stars moving panel and relocation (movingform.cpp) ----
    void BitBtn1Click();
    void SpeedButton4Click();
    void BitBtn4Click();
    void BitBtn6Click();
    void BitBtn5Click();
    void BitBtn3Click();
    void GroupNamesEnter(int Tag);
    void SlidePanel();
    void UpdatePanelHeight();
    void FillNameList();
    void SetEntryMode();
    void SetPickMode();
    void ResetGroupColors();
    void ClearGroups();
    bool IsKnownName(const QString &Name) const;
    void ValidateGroup(const QString &Text, int Number) const;
    // Waits for a click on the map: true once PickDone is set, false when
    // StopRequested ends the wait first.
    bool WaitForPick();

protected:
    void closeEvent(QCloseEvent *Event) override;
    void changeEvent(QEvent *Event) override;
    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void BuildWindow();
    void BuildPanel();
    void ConnectHandlers();
    void SetUpKeyboardAndNames();
    void ReportException(std::exception_ptr Error);
    void ShowFacts(const std::optional<TMapFacts> &Facts);
    // Shows the map's facts after a paint; the pointer report is cleared
    // when the paint found another universe than the one shown before.
    void AfterPaint(const std::optional<TMapFacts> &Facts, const QByteArray &ShownBefore);
    // Watches the open file, so the map follows changes made by others.
    void WatchFile(const QString &Path);
    void UniverseFileChanged(const QString &Path);
    // Undo (Back) or redo one write, refused while a run goes on.
    void StepHistory(bool Back);
    void Relocate(std::unique_ptr<TStarsXY> &Universe);
    // Pick mode by keyboard: the map takes the focus and shows where the
    // planet would land, starting from the planet's own pixel.
    void StartKeyboardPick(QPoint StarPixel);
    void EndKeyboardPick();
    void FinishRelocation(std::unique_ptr<TStarsXY> &Universe);

    QString FProgramDir;
    // The player's own templates, listed after the program's.
    QString FUserTemplateDir;
    std::vector<TTemplateEntry> FTemplates;
    // Where the open dialog starts: the folder of the universe opened last
    // in this session, the program's folder before that.
    QString FOpenFolder;
    // The map pixel the keyboard points at; the mouse moves it too.
    QPoint FKeyPointer{MapWidth / 2, MapHeight / 2};
    QFileSystemWatcher *FWatcher = nullptr;
    bool FPanelOpen = false;
    TDialogs &FDialogs;
    QPointer<THelpForm> FHelp;
    QPointer<TFConf> FComments;
    // The Stars moving panel's controls that keep their distance from its
    // bottom edge, with their tops in the layout of a 173-pixel panel.
    std::vector<std::pair<QWidget *, int>> FBottomAnchored;
};
