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

    // The settings explained where they are, in the help document's words.
    const std::pair<QWidget *, const char *> hints[] = {
        {Chv, "Sensitivity, 1 to 2000: the higher the value, the more of the lighter shades of the template "
              "count as places for planets; very low values use only its brightest points."},
        {FreeSp, "Free space mode: no star is placed on a point of the template darker than the threshold "
                 "beside it."},
        {FreeSpaceRng, "Free space threshold, a darkness from 0 to 255: lower values are stricter and force the "
                       "stars into the brightest points of the template; up to 255 they follow it roughly."},
        {MinD, "The smallest distance, in light years, kept between two stars."},
        {SizeSel, "The size of the universe the next generation spreads the stars over. It need not be the size "
                  "of the open file shown above."},
        {MaxC, "Packs the stars more efficiently when they do not fit into the light areas of the template at "
               "the chosen distance: tries ten times as often."},
        {BitBtn1, "Move single planets, usually the home worlds, to places you pick on the map."},
        {BitBtn2, "Reshape the whole universe from the template and write it to the open .xy file "
                  "(Ctrl+Z undoes)."},
    };
    for (const auto &[control, hint] : hints)
        control->setToolTip(QString::fromLatin1(hint));
    PaintBox1->setAccessibleDescription(QStringLiteral(
        "The planets of the open universe. While a planet is being placed, the map has the keyboard: the arrow "
        "keys move the landing point by one pixel (with Shift by ten), Return or Space places the planet there, "
        "Escape ends the moving."));

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
