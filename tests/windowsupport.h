// The main window's controls for the window tests, found by their object
// names (the names of the window layout), as a user finds them by sight:
// the window keeps its controls to itself.
#pragma once

#include "movingpanel.h"
#include "paintbox.h"
#include "stars.h"
#include "templategroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>
#include <string>

template <class T> T *ChildOf(const QObject &Parent, const char *Name)
{
    T *child = Parent.findChild<T *>(QLatin1String(Name));
    if (!child)
        throw std::logic_error(std::string("no control ") + Name);
    return child;
}

struct TUi {
    explicit TUi(TForm1 &F)
        : Form(F), GroupBox1(ChildOf<QGroupBox>(F, "GroupBox1")), GroupBox2(ChildOf<QGroupBox>(F, "GroupBox2")),
          Image1(ChildOf<QLabel>(F, "Image1")), SpeedButton1(ChildOf<QToolButton>(F, "SpeedButton1")),
          SpeedButton2(ChildOf<QToolButton>(F, "SpeedButton2")),
          SpeedButton3(ChildOf<QToolButton>(F, "SpeedButton3")),
          SpeedButton4(ChildOf<QToolButton>(F, "SpeedButton4")),
          SpeedButton5(ChildOf<QToolButton>(F, "SpeedButton5")),
          SpeedButton6(ChildOf<QToolButton>(F, "SpeedButton6")), Conf(ChildOf<QToolButton>(F, "Conf")),
          ComboBox1(ChildOf<QComboBox>(F, "ComboBox1")), ComboBox2(ChildOf<QComboBox>(F, "ComboBox2")),
          SizeSel(ChildOf<QComboBox>(F, "SizeSel")), StaticXY(ChildOf<QLabel>(F, "StaticXY")),
          lSize(ChildOf<QLabel>(F, "lSize")), lStars(ChildOf<QLabel>(F, "lStars")),
          lPlayers(ChildOf<QLabel>(F, "lPlayers")), Label1(ChildOf<QLabel>(F, "Label1")),
          Label3(ChildOf<QLabel>(F, "Label3")), Label5(ChildOf<QLabel>(F, "Label5")),
          Label6(ChildOf<QLabel>(F, "Label6")), Label8(ChildOf<QLabel>(F, "Label8")),
          Label9(ChildOf<QLabel>(F, "Label9")), Label10(ChildOf<QLabel>(F, "Label10")),
          Label11(ChildOf<QLabel>(F, "Label11")), Label12(ChildOf<QLabel>(F, "Label12")),
          StaticText1(ChildOf<QLabel>(F, "StaticText1")), StaticText2(ChildOf<QLabel>(F, "StaticText2")),
          Panel2(ChildOf<QLabel>(F, "Panel2")), Chv(ChildOf<QSpinBox>(F, "Chv")),
          FreeSpaceRng(ChildOf<QSpinBox>(F, "FreeSpaceRng")), MinD(ChildOf<QSpinBox>(F, "MinD")),
          FreeSp(ChildOf<QCheckBox>(F, "FreeSp")), MaxC(ChildOf<QCheckBox>(F, "MaxC")),
          BitBtn1(ChildOf<QPushButton>(F, "BitBtn1")), BitBtn2(ChildOf<QPushButton>(F, "BitBtn2")),
          BitBtn3(ChildOf<QPushButton>(F, "BitBtn3")), BitBtn4(ChildOf<QPushButton>(F, "BitBtn4")),
          BitBtn5(ChildOf<QPushButton>(F, "BitBtn5")), BitBtn6(ChildOf<QPushButton>(F, "BitBtn6")),
          Progr(ChildOf<QProgressBar>(F, "Progr")), Bevel2(ChildOf<QFrame>(F, "Bevel2")),
          Panel1(ChildOf<QFrame>(F, "Panel1")), PaintBox1(ChildOf<TPaintBox>(F, "PaintBox1")),
          Timer1(ChildOf<QTimer>(F, "Timer1")), StarsBuf(ChildOf<QListWidget>(F, "StarsBuf"))
    {
    }

    TForm1 &Form;
    QGroupBox *GroupBox1, *GroupBox2;
    QLabel *Image1;
    QToolButton *SpeedButton1, *SpeedButton2, *SpeedButton3, *SpeedButton4, *SpeedButton5, *SpeedButton6, *Conf;
    QComboBox *ComboBox1, *ComboBox2, *SizeSel;
    QLabel *StaticXY, *lSize, *lStars, *lPlayers;
    QLabel *Label1, *Label3, *Label5, *Label6, *Label8, *Label9, *Label10, *Label11, *Label12;
    QLabel *StaticText1, *StaticText2, *Panel2;
    QSpinBox *Chv, *FreeSpaceRng, *MinD;
    QCheckBox *FreeSp, *MaxC;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3, *BitBtn4, *BitBtn5, *BitBtn6;
    QProgressBar *Progr;
    QFrame *Bevel2, *Panel1;
    TPaintBox *PaintBox1;
    QTimer *Timer1;
    QListWidget *StarsBuf;

    // The status line as it reads (its links as their text), whole: a text
    // shortened to fit has its whole in the tooltip.
    QString Status() const
    {
        if (!StaticText2->toolTip().isEmpty())
            return StaticText2->toolTip();
        const QString text = StaticText2->text();
        return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
    }
    TStarMap &Map() const { return Form.Map(); }
    TMovingPanel &Panel() const { return Form.Panel(); }
    const std::vector<TGroupRow> &Groups() const { return Form.Panel().Rows(); }
};

// The controls of Form, looked up anew (group rows come and go).
inline TUi Ui(TForm1 &Form) { return TUi(Form); }

// ---- the window's event-driven steps, as a user waits for them ----

// Lets every pending update and zero-delay timer run.
inline void Settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Waits (bounded) until "Generate !" reads so again: the run is over.
inline bool WaitForRun(TForm1 &Form)
{
    const bool over = QTest::qWaitFor(
        [&] { return !Form.Templates().Generating() && Ui(Form).BitBtn2->text() == QLatin1String("Generate !"); },
        60000);
    Settle();
    return over;
}

// Waits (bounded) until the Stars moving panel has stopped sliding.
inline bool WaitForSlide(TForm1 &Form) { return QTest::qWaitFor([&] { return !Form.Panel().Sliding(); }, 5000); }

// A mouse event on Target at At; a press holds Button.
inline void SendMouse(QWidget *Target, QEvent::Type Type, QPoint At, Qt::MouseButton Button = Qt::NoButton,
                      Qt::KeyboardModifiers Modifiers = Qt::NoModifier)
{
    const Qt::MouseButtons held = Type == QEvent::MouseButtonPress ? Qt::MouseButtons(Button) : Qt::MouseButtons();
    QMouseEvent event(Type, QPointF(At), Target->mapToGlobal(QPointF(At)), Button, held, Modifiers);
    QCoreApplication::sendEvent(Target, &event);
}

// The pointer moved to map pixel At.
inline void MovePointer(TForm1 &Form, QPoint At) { SendMouse(Ui(Form).PaintBox1, QEvent::MouseMove, At); }
