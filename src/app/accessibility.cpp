// Keyboard order and accessible names of the main window's controls.
#include "paintbox.h"
#include "stars.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

void TForm1::SetUpKeyboardAndNames()
{
    // Controls named by their caption get it from Qt; these have none, or a
    // caption that says too little on its own.
    const std::pair<QWidget *, const char *> names[] = {
        {Image1, "Template preview"},
        {SpeedButton1, "Previous template"},
        {SpeedButton2, "Next template"},
        {ComboBox1, "Template file"},
        {StaticXY, "XY-file"},
        {SpeedButton3, "Open XY-file"},
        {lSize, "Universe size"},
        {lStars, "Stars count"},
        {lPlayers, "Players count"},
        {Chv, "Sensitivity"},
        {FreeSp, "Free space mode"},
        {FreeSpaceRng, "Free space threshold"},
        {MinD, "Min. stars distance"},
        {SizeSel, "Universe size"},
        {MaxC, "Maximize search"},
        {Conf, "Comments"},
        {BitBtn1, "Change..."},
        {BitBtn2, "Generate !"},
        {Progr, "Generation progress"},
        {SpeedButton5, "Help"},
        {Bevel2, "Star map frame"},
        {PaintBox1, "Star map"},
        {StaticText2, "Pointer report"},
        {SpeedButton6, "Clear"},
        {StarsBuf, "Planet names"},
        {Panel1, "Stars moving"},
        {Panel2, "Stars moving"},
        {SpeedButton4, "Close"},
        {Label11, "Instructions"},
        {ComboBox2, "Planet name"},
        {BitBtn5, "Ins"},
        {BitBtn4, "Add group"},
        {BitBtn6, "Remove group"},
        {StaticText1, "Stars count"},
        {Label12, "Prompt"},
        {BitBtn3, "Next"},
    };
    for (const auto &[control, name] : names)
        control->setAccessibleName(QString::fromLatin1(name));

    // Tab runs down the left column, then through the file selection, the
    // buttons under the map, and the panel's controls while it is open.
    for (QToolButton *button : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton5, SpeedButton6, Conf})
        button->setFocusPolicy(Qt::StrongFocus);
    const QWidget *order[] = {ComboBox1, SpeedButton1, SpeedButton2, Chv, FreeSp, FreeSpaceRng, MinD, SizeSel,
                              MaxC, Conf, BitBtn1, BitBtn2, SpeedButton3, SpeedButton6, SpeedButton5,
                              ComboBox2, BitBtn5, BitBtn4, BitBtn6, BitBtn3, SpeedButton4};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(const_cast<QWidget *>(order[i]), const_cast<QWidget *>(order[i + 1]));
}
