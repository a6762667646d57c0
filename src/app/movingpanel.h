// The Stars moving panel of the main window: it shows the relocation's
// groups and lets the player build them (entry mode), and shows the prompt
// while a planet waits for its pick (pick mode).
//
// The panel holds no model state: the groups, the active group, the names
// moved and the run belong to the relocation controller. A typed group text
// goes to the controller as it changes; what the controller says is shown.
// The panel slides in over the window's left column and out again by an
// animation.
#pragma once

#include "guard.h"
#include "relocationcontrol.h"

#include <QObject>
#include <QTimer>
#include <utility>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// One group of planet names on the panel.
struct TGroupRow {
    QLabel *Caption = nullptr;
    QLineEdit *Names = nullptr;
};

class TMovingPanel : public QObject {
    Q_OBJECT
public:
    // TabBefore is the control the panel's controls follow when tabbing.
    TMovingPanel(QWidget *Form, const TGuard &Guard, TRelocation &Relocation, QWidget *TabBefore);
    ~TMovingPanel() override;

    // "Change...": the panel slides in, in entry mode.
    void BitBtn1Click();
    // The close button (and Escape on the panel): entry mode slides the
    // panel out; pick mode ends the relocation, which slides it out.
    void SpeedButton4Click();

    bool IsOpen() const { return FOpen; }
    bool Sliding() const;
    // Opened by "Change...": a click on the map adds a name to the active
    // group.
    bool ChangeMode() const { return FChangeMode; }
    const std::vector<TGroupRow> &Rows() const { return FRows; }
    // The panel itself, with every control on it.
    QWidget *Frame() const;
    // The panel's controls in keyboard order.
    std::vector<QWidget *> TabOrder() const;

signals:
    // The panel opened or closed (its controls are the window's business).
    void OpenChanged();

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
    void FillNameList();
    void SetPanelMode(bool Picking);
    // The rows, texts, colours and marks as the controller has them.
    void ShowGroups();
    void ShowPick();
    void ShowRunEnd(bool Stopped);
    void Pulse();

    const TGuard &FGuard;
    TRelocation &FRelocation;
    QWidget *FTabBefore;
    std::vector<TGroupRow> FRows;
    bool FChangeMode = false;
    bool FPickMode = false;
    bool FOpen = false;
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
