// The main window's own controls at their layout places: the XY-file
// selection, the map with its frame and caption, the status line and the
// buttons around them. The template group and the Stars moving panel build
// their own.
#include "controls.h"
#include "messages.h"
#include "paintbox.h"
#include "stars.h"

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
    Caption(GroupBox2, "Label2", QStringLiteral("Universe size :"), 16, 52);
    Caption(GroupBox2, "Label4", QStringLiteral("Stars count :"), 16, 76);
    Caption(GroupBox2, "Label7", QStringLiteral("Players count :"), 16, 100);
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
    Caption(this, "Label6", QStringLiteral("final"), 180, 384);

    // The caption lies under the map: it shows through while the map has
    // nothing to draw.
    Label10 = Caption(this, "Label10", LoadStr(TMsg::SelectXYFirst), 308, 232);
    Bevel2 = Make<QFrame>(this, "Bevel2", 214, 139, 277, 232);
    Bevel2->setFrameShape(QFrame::Panel);
    Bevel2->setFrameShadow(QFrame::Sunken);
    Bevel2->lower();
    Label10->raise();
    PaintBox1 = new TPaintBox(FMap, this);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->move(216, 141);
    PaintBox1->raise();

    StaticText2 = Make<QLabel>(this, "StaticText2", 212, 376, 241, 17);
    StaticText2->setFrameShape(QFrame::Panel);
    StaticText2->setFrameShadow(QFrame::Sunken);
    StaticText2->setIndent(2);
    FitReportFont(StaticText2);
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
