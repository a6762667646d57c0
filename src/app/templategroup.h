// The template selection, the generation settings and "Generate !" of the
// main window: the controls of the window's left column, and the generation
// run behind the button.
//
// It builds its controls on the main window at their layout places and
// keeps them to itself; the window learns of runs and writes by signals.
#pragma once

#include "generationrun.h"
#include "guard.h"
#include "session.h"
#include "templatelist.h"
#include "comments.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QToolButton;

class TTemplateGroup : public QObject {
    Q_OBJECT
public:
    // Templates are listed from Folders, the earlier folder winning a name.
    TTemplateGroup(QWidget *Form, const TGuard &Guard, TUniverseSession &Session, QStringList Folders);
    ~TTemplateGroup() override;

    void SetComments(TFConf *Comments) { FComments = Comments; }

    // Lists the templates and loads the first with its settings; "Tiny" in
    // the size list. An empty list is reported once the window is up.
    void InitTemplates();
    // The file of the template the list shows; empty when none is listed.
    QString TemplatePath() const;
    // The size class the next generation spreads the stars over.
    void SetSizeIndex(int SizeIndex);

    // A generation run is under way.
    bool Generating() const { return FRun != nullptr; }
    // The enabled states of "Generate !" (a read-only file generates
    // nothing, a run can always be stopped) and of the free space threshold
    // (with its check box), while the window's controls are enabled.
    void UpdateControls(bool Writable);
    // The group's controls in keyboard order, "Generate !" last.
    std::vector<QWidget *> TabOrder() const;
    // The run ends at its next check, writing nothing (the window closes).
    void Stop();

signals:
    // A run wrote the file; What says what.
    void Wrote(const QString &What);
    // A word for the status line (a stop, nothing to place).
    void Said(const QString &Text);
    // A run started or ended.
    void RunningChanged();
    // The template selection changed: the template as loaded.
    void TemplateChanged(const QImage &Template);

private:
    void BuildControls(QWidget *Form);
    void LoadTemplate();
    void ReadTemplateSettings();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void BitBtn2Click();
    void StartRun();
    void GenerationEnded();
    QString NotFoundText() const;

    const TGuard &FGuard;
    TUniverseSession &FSession;
    QStringList FFolders;
    std::vector<TTemplateEntry> FTemplates;
    std::unique_ptr<TGenerationRun> FRun;
    QPointer<TFConf> FComments;
    // The button's caption when the player pressed it, and when the last
    // run started: one press makes at most one run.
    QString FCaptionAtPress;
    QElapsedTimer FLastStart;

    QGroupBox *GroupBox1;
    QLabel *Image1;
    QToolButton *SpeedButton1, *SpeedButton2, *Conf;
    QComboBox *ComboBox1, *SizeSel;
    QSpinBox *Chv, *FreeSpaceRng, *MinD;
    QCheckBox *FreeSp, *MaxC;
    QPushButton *BitBtn2;
    QProgressBar *Progr;
    bool FWritable = true;
};
