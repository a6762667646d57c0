// The Stars moving panel of the main window: groups of planet names built
// in entry mode, and the relocation run that places each named planet at a
// position picked on the map.
//
// The panel slides in over the window's left column and out again by an
// animation. While a relocation runs the panel is in pick mode: a state, not
// a loop. Each name waits for a click on the map (or Return on it), which
// the window forwards to MapClicked(); the close button or Escape ends the
// run. Every write goes through the session.
#pragma once

#include "guard.h"
#include "relocationrun.h"
#include "session.h"
#include "starmap.h"

#include <QObject>
#include <QPoint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;

// One group of planet names on the panel.
struct TGroupRow {
    QLabel *Caption = nullptr;
    QLineEdit *Names = nullptr;
};

class TMovingPanel : public QObject {
    Q_OBJECT
public:
    // Players is the window's player count label, which bounds the groups.
    TMovingPanel(QWidget *Form, const TGuard &Guard, TUniverseSession &Session, TStarMap &Map,
                 const QLabel *Players);
    ~TMovingPanel() override;

    // "Change...": the panel slides in, in entry mode.
    void BitBtn1Click();
    // A click on the map: in pick mode it places the planet at the map's
    // PickPos; opened by "Change..." it adds the planet under the pointer to
    // the active group.
    void MapClicked();
    // In pick mode: places the waiting planet at Target (x inside its band).
    // A target that is the planet's own position writes nothing, and the
    // run goes on with the next name.
    void PickAt(QPoint Target);
    // The planet waiting for its pick, where it stands now.
    std::optional<TStarRec> PendingStar() const;
    // The close button: entry mode slides the panel out; pick mode ends the
    // relocation, which slides it out.
    void SpeedButton4Click();
    // Back to the state of a window just shown: no groups, none active.
    void Reset();
    void ClearGroups();

    bool IsOpen() const { return FOpen; }
    bool Sliding() const;
    bool Picking() const { return FRun != nullptr; }
    bool ChangeMode() const { return FChangeMode; }
    int32_t ActiveGroup() const { return FActiveGroup; }
    const std::vector<TGroupRow> &Groups() const { return FGroups; }

signals:
    // A relocation wrote the file and ended; What says what.
    void Wrote(const QString &What);
    // A word for the status line (a move during the run, a stop, a refusal).
    void Said(const QString &Text);
    // The panel opened or closed (its controls are the window's business).
    void OpenChanged();
    // The band changed: the map must be drawn anew.
    void BandChanged();
    // The groups' names changed (typed, inserted, a group added or gone).
    void GroupsChanged(const std::vector<QStringList> &Groups);
    // A planet waits for its pick at map pixel StarPixel; the wait ended.
    void PickStarted(QPoint StarPixel);
    void PickEnded();

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void BuildPanel(QWidget *Form);
    // Slides the panel in when it is out, and out when it is in; a slide
    // under way ignores the call; Force slides it out from wherever it is
    // (the end of a run).
    void SlidePanel(bool Force = false);
    void SlideStep();
    void UpdatePanelHeight();
    void BitBtn4Click();
    void BitBtn6Click();
    void BitBtn5Click();
    void BitBtn3Click();
    void GroupNamesEnter(int Tag);
    void FillNameList();
    void SetPanelMode(bool Picking);
    void ResetGroupColors();
    void NextName();
    // Ends the run; Stopped: by the player, before every name was placed.
    void FinishRelocation(bool Stopped = false);
    void Pulse();
    // Marks the names moved by stopped runs in their groups.
    void ShowMoved();
    void TellGroups();

    const TGuard &FGuard;
    TUniverseSession &FSession;
    TStarMap &FMap;
    const QLabel *FPlayers;
    std::vector<TGroupRow> FGroups;
    int32_t FActiveGroup = -1;
    bool FChangeMode = false;
    bool FOpen = false;
    std::unique_ptr<TRelocationRun> FRun;
    // The names the run moves, how many, and what its last write did.
    int FRunNames = 0;
    QString FLastWhat;
    // The names moved by stopped runs, per group: Next moves only the rest.
    std::vector<QStringList> FMovedBefore;
    // The slide: the panel's left edges still to go, one per step.
    std::vector<int> FSlideSteps;
    QTimer *FSlideTimer;
    // The prompt's pulse while a planet waits for its pick.
    QTimer *FPulseTimer;
    uint8_t FIntensity = 100;
    // The controls that keep their distance from the panel's bottom edge,
    // with their tops in the layout of a 173-pixel panel.
    std::vector<std::pair<QWidget *, int>> FBottomAnchored;

    QFrame *Panel1;
    QLabel *Panel2, *Label11, *Label12, *StaticText1;
    QToolButton *SpeedButton4;
    QComboBox *ComboBox2;
    QPushButton *BitBtn3, *BitBtn4, *BitBtn5, *BitBtn6;
};
