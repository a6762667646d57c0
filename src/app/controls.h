// Small helpers that build the window's controls at their layout places.
#pragma once

#include <QLabel>
#include <QSpinBox>
#include <QString>
#include <QToolButton>
#include <QWidget>

template <class W> W *Make(QWidget *Parent, const char *Name, int Left, int Top, int Width, int Height)
{
    auto *w = new W(Parent);
    w->setObjectName(QLatin1String(Name));
    w->setGeometry(Left, Top, Width, Height);
    return w;
}

// A label sized to its text.
QLabel *Caption(QWidget *Parent, const char *Name, const QString &Text, int Left, int Top);

// A caption in front of a control ends a few pixels before it, however wide
// the font makes its text: the control would cover the text's end otherwise.
void FitBefore(QLabel *Label, const QWidget *Control);

// A spin editor that lets a number above its maximum be typed whole, to be
// clamped to the maximum (Qt's own would refuse the last digit: 2500 typed
// into a field of 1..2000 would read 250).
class TSpinBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString &Input, int &Pos) const override;
    void fixup(QString &Input) const override;
};

// A spin editor whose typed text counts when it loses the focus.
QSpinBox *Spin(QWidget *Parent, const char *Name, int Left, int Top, int Width, int Min, int Max, int Value);

// What the spin editor shows, with typed text taken as if it lost the focus:
// a number is clamped into the range, any other text counts as the minimum.
// (Qt's own correction would turn a number above the range into the minimum.)
int SpinValue(QSpinBox *Spin);

QToolButton *Flat(QWidget *Parent, const char *Name, int Left, int Top, int Width, int Height);

// Shows a side window, or brings it forward when it is already visible.
void ShowSideWindow(QWidget *Window);

// The text colour of a label or an edit.
void SetTextColor(QWidget *Widget, const QColor &Color);

// Shows every plain-text tooltip of the program wrapped at a readable width:
// Qt shows plain text on one line however long it is (up to the screen's
// width), rich text wrapped. The widgets' toolTip() stays the plain text.
class TWrappedTooltips : public QObject {
public:
    using QObject::QObject;
    // The tooltip's text as it is shown.
    static QString Shown(const QString &Text);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
};

// The pointer report is long: the box keeps its size and the face narrows,
// and if need be shrinks, until the longest report fits. Returns that face.
QFont FitReportFont(QLabel *Report);

// Text (rich text with links allowed) as the status line Line shows it in
// its present font: whole when it fits; otherwise the words before " — "
// shortened with "…", what follows kept when it is keys to click (a link),
// dropped when it is advice. The whole text then goes to the tooltip.
QString FitStatusText(QLabel *Line, const QString &Text);
