// Keyboard order and accessible names of the main window's controls.
#include "accessiblevalues.h"
#include "messages.h"
#include "stars.h"

#include <QLabel>

#include <QWidget>
#include <iterator>
#include <utility>

void SetUpKeyboardAndNames(QWidget &Form)
{
    const auto find = [&Form](const char *Name) {
        QWidget *control = Form.findChild<QWidget *>(QLatin1String(Name));
        Q_ASSERT(control);
        return control;
    };
    // Controls named by their caption get it from Qt; these have none, or a
    // caption that says too little on its own. Labels that show a value or
    // a text of their own are not named: their text is what a screen reader
    // must hear.
    const std::pair<QWidget *, const char *> names[] = {
        {find("Image1"), "Template preview"},
        {find("SpeedButton1"), "Previous template"},
        {find("SpeedButton2"), "Next template"},
        {find("ComboBox1"), "Template file"},
        {find("SpeedButton3"), "Open XY-file"},
        {find("Chv"), "Sensitivity"},
        {find("FreeSp"), "Free space mode"},
        {find("FreeSpaceRng"), "Free space threshold"},
        {find("MinD"), "Min. stars distance"},
        {find("SizeSel"), "Universe size"},
        {find("MaxC"), "Maximize search"},
        {find("Conf"), "Comments"},
        {find("BitBtn1"), "Change: move planets by hand"},
        {find("BitBtn2"), "Generate !"},
        {find("Progr"), "Generation progress"},
        {find("SpeedButton5"), "Help"},
        {find("PaintBox1"), "Star map"},
        {find("SpeedButton6"), "Clear all marks"},
        {find("StarsBuf"), "Planet names"},
        {find("Panel1"), "Stars moving"},
        {find("Panel2"), "Stars moving"},
        {find("SpeedButton4"), "Close"},
        {find("ComboBox2"), "Planet name"},
        {find("BitBtn5"), "Insert the name into the active group"},
        {find("BitBtn4"), "Add group"},
        {find("BitBtn6"), "Remove group"},
        {find("BitBtn3"), "Next: place the planets of the groups"},
    };
    for (const auto &[control, name] : names)
        control->setAccessibleName(QString::fromLatin1(name));
    const std::pair<const char *, const char *> values[] = {
        {"StaticXY", "XY-file"},       {"lSize", "Universe size"}, {"lStars", "Stars count"},
        {"lPlayers", "Players count"}, {"Label11", "Instructions"},
    };
    for (const auto &[label, caption] : values)
        MakeValueLabel(static_cast<QLabel *>(find(label)), QString::fromLatin1(caption));
    MakeStatusLine(static_cast<QLabel *>(find("StaticText2")));
    find("StaticText2")->setAccessibleDescription(LoadStr(TMsg::StatusKeys));
    // Captions the values' names repeat, and decoration.
    for (const char *decoration : {"Label2", "Label4", "Label7", "Bevel2", "Label6"})
        HideFromAccessibility(find(decoration));
    // A caption before a control names it for a screen reader.
    const std::pair<const char *, const char *> buddies[] = {
        {"Label1", "ComboBox1"}, {"Label3", "Chv"}, {"Label5", "MinD"}, {"Label8", "SizeSel"}};
    for (const auto &[label, control] : buddies)
        static_cast<QLabel *>(find(label))->setBuddy(find(control));
    SetAccessibleRole(&Form, QAccessible::Window);
    Form.setAccessibleDescription(QStringLiteral("Keys: Ctrl+O opens a universe, F1 the help, Ctrl+M the universe "
                                                 "view, Ctrl+Z undoes the last write, Ctrl+Shift+Z redoes it."));
    find("SpeedButton5")->setAccessibleDescription(QStringLiteral("Shows the help (F1)"));
    SetAccessibleKeys(find("PaintBox1"), {{QStringLiteral("Place"), {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Space)}},
                                          {QStringLiteral("Stop"), {QKeySequence(Qt::Key_Escape)}},
                                          {QStringLiteral("Mark"), {QKeySequence(Qt::Key_M)}},
                                          {QStringLiteral("Remove mark"), {QKeySequence(Qt::Key_Delete)}},
                                          {QStringLiteral("Universe view"), {QKeySequence(Qt::CTRL | Qt::Key_M)}}});

    // The settings explained where they are, in the help document's words.
    const std::pair<QWidget *, const char *> hints[] = {
        {find("Chv"), "Sensitivity, 1 to 2000: the higher the value, the more of the lighter shades of the template "
              "count as places for planets; very low values use only its brightest points."},
        {find("FreeSp"), "Free space mode: no star is placed on a point of the template darker than the threshold "
                 "beside it."},
        {find("FreeSpaceRng"), "Free space threshold, a darkness from 0 to 255: lower values are stricter and force the "
                       "stars into the brightest points of the template; up to 255 they follow it roughly."},
        {find("MinD"), "The smallest distance, in light years, kept between two stars."},
        {find("SizeSel"), "The size of the universe the next generation spreads the stars over. It need not be the size "
                  "of the open file shown above."},
        {find("MaxC"), "Packs the stars more efficiently when they do not fit into the light areas of the template at "
               "the chosen distance: tries ten times as often."},
        {find("BitBtn1"), "Move single planets, usually the home worlds, to places you pick on the map."},
        {find("Image1"), "The selected template: light areas attract planets, dark areas repel them."},
        {find("ComboBox1"), "The templates: the program's own, then your own from ~/.local/share/zorvane/templates "
                            "(a .bmp picture, with a .zv settings file of the same name if you like)."},
        {find("BitBtn2"), "Reshape the whole universe from the template and write it to the open .xy file "
                  "(Ctrl+Z undoes)."},
    };
    for (const auto &[control, hint] : hints)
        control->setToolTip(QString::fromLatin1(hint));
    find("PaintBox1")->setAccessibleDescription(LoadStr(TMsg::MapDescription));
    find("PaintBox1")->setFocusPolicy(Qt::StrongFocus);
    find("PaintBox1")->setToolTip(QStringLiteral("Double-click or Ctrl+M: the universe view, large and to the light "
                                                 "year"));

    // Tab runs down the left column, then through the file selection, the
    // buttons under the map, and the panel's controls while it is open.
    for (const char *button : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton5", "SpeedButton6", "Conf"})
        find(button)->setFocusPolicy(Qt::StrongFocus);
    const char *order[] = {"ComboBox1", "SpeedButton1", "SpeedButton2", "Chv", "FreeSp", "FreeSpaceRng", "MinD",
                           "SizeSel", "MaxC", "Conf", "BitBtn1", "BitBtn2", "SpeedButton3", "PaintBox1", "SpeedButton6",
                           "SpeedButton5", "ComboBox2", "BitBtn5", "BitBtn4", "BitBtn6", "BitBtn3", "SpeedButton4"};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(find(order[i]), find(order[i + 1]));
}
