// The main window's own controls at their layout places: the XY-file
// selection, the map with its frame and caption, the status line and the
// buttons around them. The template group and the Stars moving panel build
// their own.
#include "accessiblevalues.h"
#include "controls.h"
#include "messages.h"
#include "paintbox.h"
#include "movingpanel.h"
#include "stars.h"
#include "templategroup.h"

#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

void TForm1::BuildWindow()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(LoadStr(TMsg::MainCaption));
    setFixedSize(499, 398);
    // The layout's pixel positions were made for a small, narrow dialog font.
    QFont small = font();
    small.setPixelSize(11);
    small.setStretch(QFont::SemiCondensed);
    setFont(small);

    GroupBox2 = Make<QGroupBox>(this, "GroupBox2", 216, 8, 277, 125);
    GroupBox2->setTitle(QStringLiteral("XY-file selection"));
    StaticXY = Make<QLabel>(GroupBox2, "StaticXY", 14, 26, 232, 17);
    StaticXY->setFrameShape(QFrame::Panel);
    StaticXY->setFrameShadow(QFrame::Sunken);
    StaticXY->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SpeedButton3 = Flat(GroupBox2, "SpeedButton3", 248, 24, 21, 21);
    SpeedButton3->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    SpeedButton3->setToolTip(QStringLiteral("Open XY-file"));
    // Captions the values' accessible names repeat, kept out of the tree.
    for (QLabel *caption : {Caption(GroupBox2, "Label2", QStringLiteral("Universe size :"), 16, 52),
                            Caption(GroupBox2, "Label4", QStringLiteral("Stars count :"), 16, 76),
                            Caption(GroupBox2, "Label7", QStringLiteral("Players count :"), 16, 100)})
        HideFromAccessibility(caption);
    lSize = Caption(GroupBox2, "lSize", QString(), 124, 52);
    lStars = Caption(GroupBox2, "lStars", QString(), 124, 76);
    lPlayers = Caption(GroupBox2, "lPlayers", QString(), 124, 100);
    for (QLabel *facts : {lSize, lStars, lPlayers})
        facts->resize(145, 15);

    BitBtn1 = Make<QPushButton>(this, "BitBtn1", 8, 320, 73, 37);
    BitBtn1->setText(QStringLiteral("Change..."));
    BitBtn1->setEnabled(false);

    SpeedButton5 = Flat(this, "SpeedButton5", 4, 372, 23, 22);
    SpeedButton5->setText(QStringLiteral("?"));
    SpeedButton5->setToolTip(QStringLiteral("Help"));
    Caption(this, "Label9", QStringLiteral("\u00A9 2026 Zorvane"), 30, 378);
    HideFromAccessibility(Caption(this, "Label6", QStringLiteral("final"), 180, 384));

    // The caption lies under the map: it shows through while the map has
    // nothing to draw.
    Label10 = Caption(this, "Label10", LoadStr(TMsg::SelectXYFirst), 308, 232);
    Bevel2 = Make<QFrame>(this, "Bevel2", 214, 139, 277, 232);
    Bevel2->setFrameShape(QFrame::Panel);
    Bevel2->setFrameShadow(QFrame::Sunken);
    Bevel2->lower();
    HideFromAccessibility(Bevel2);
    Label10->raise();
    PaintBox1 = new TPaintBox(FMap, this);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->move(216, 141);
    PaintBox1->raise();

    StaticText2 = Make<QLabel>(this, "StaticText2", 212, 376, 241, 17);
    StaticText2->setFrameShape(QFrame::Panel);
    StaticText2->setFrameShadow(QFrame::Sunken);
    StaticText2->setIndent(2);
    FReportFont = FitReportFont(StaticText2);
    SpeedButton6 = Flat(this, "SpeedButton6", 456, 376, 37, 17);
    SpeedButton6->setText(QStringLiteral("Clear"));
    SpeedButton6->setToolTip(QStringLiteral("Remove all marks"));

    // The planet names live in their own table; the list stays hidden.
    StarsBuf = Make<QListWidget>(this, "StarsBuf", 408, 340, 81, 21);
    StarsBuf->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer1->start();

    // Centred on the screen.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm1::SetUpKeyboardAndNames()
{
    // Controls named by their caption get it from Qt; these have none, or a
    // caption that says too little on its own. Labels that show a value or
    // a text of their own are not named: their text is what a screen reader
    // must hear. The template group and the panel name their own.
    const std::pair<QWidget *, const char *> names[] = {
        {SpeedButton3, "Open XY-file"}, {BitBtn1, "Change: move planets by hand"},
        {SpeedButton5, "Help"},         {PaintBox1, "Star map"},
        {SpeedButton6, "Clear all marks"}, {StarsBuf, "Planet names"},
    };
    for (const auto &[control, name] : names)
        control->setAccessibleName(QString::fromLatin1(name));
    const std::pair<QLabel *, const char *> values[] = {
        {StaticXY, "XY-file"}, {lSize, "Universe size"}, {lStars, "Stars count"}, {lPlayers, "Players count"}};
    for (const auto &[label, caption] : values)
        MakeValueLabel(label, QString::fromLatin1(caption));
    MakeStatusLine(StaticText2);
    StaticText2->setAccessibleDescription(LoadStr(TMsg::StatusKeys));
    SetAccessibleRole(this, QAccessible::Window);
    setAccessibleDescription(QStringLiteral("Keys: Ctrl+O opens a universe, F1 the help, Ctrl+M the universe "
                                            "view, Ctrl+Z undoes the last write, Ctrl+Shift+Z redoes it."));
    SpeedButton5->setAccessibleDescription(QStringLiteral("Shows the help (F1)"));
    SetAccessibleKeys(PaintBox1, {{QStringLiteral("Place"), {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Space)}},
                                  {QStringLiteral("Stop"), {QKeySequence(Qt::Key_Escape)}},
                                  {QStringLiteral("Mark"), {QKeySequence(Qt::Key_M)}},
                                  {QStringLiteral("Remove mark"), {QKeySequence(Qt::Key_Delete)}},
                                  {QStringLiteral("Universe view"), {QKeySequence(Qt::CTRL | Qt::Key_M)}}});
    SetAccessibleRole(PaintBox1, QAccessible::Canvas); // a drawing, not a filler
    BitBtn1->setToolTip(
        QStringLiteral("Move single planets, usually the home worlds, to places you pick on the map."));
    PaintBox1->setAccessibleDescription(LoadStr(TMsg::MapDescription));
    PaintBox1->setFocusPolicy(Qt::StrongFocus);
    PaintBox1->setToolTip(QStringLiteral("Double-click or Ctrl+M: the universe view, large and to the light year"));

    // Tab runs down the left column, then through the file selection, the
    // buttons under the map, and the panel's controls while it is open.
    // "Change..." stands before the template group's last control,
    // "Generate !".
    for (QWidget *button : {SpeedButton3, SpeedButton5, SpeedButton6})
        button->setFocusPolicy(Qt::StrongFocus);
    // The file's path can be read and copied from the keyboard too.
    StaticXY->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    StaticXY->setFocusPolicy(Qt::StrongFocus);
    std::vector<QWidget *> order = FTemplates->TabOrder();
    order.insert(order.end() - 1, BitBtn1);
    for (QWidget *control : {static_cast<QWidget *>(SpeedButton3), static_cast<QWidget *>(StaticXY),
                             static_cast<QWidget *>(PaintBox1), static_cast<QWidget *>(SpeedButton6),
                             static_cast<QWidget *>(SpeedButton5)})
        order.push_back(control);
    const std::vector<QWidget *> panel = FPanel->TabOrder();
    order.insert(order.end(), panel.begin(), panel.end());
    for (size_t i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}
