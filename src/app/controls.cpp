#include "controls.h"

#include "messages.h"
#include "planetnames.h"

#include <QEvent>
#include <QHelpEvent>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <algorithm>

QLabel *Caption(QWidget *Parent, const char *Name, const QString &Text, int Left, int Top)
{
    auto *label = new QLabel(Text, Parent);
    label->setObjectName(QLatin1String(Name));
    label->move(Left, Top);
    label->adjustSize();
    return label;
}

void FitBefore(QLabel *Label, const QWidget *Control)
{
    const int room = Control->x() - 3;
    if (Label->x() + Label->width() > room)
        Label->move(std::max(room - Label->width(), 0), Label->y());
}

QValidator::State TSpinBox::validate(QString &Input, int &Pos) const
{
    bool isNumber = false;
    const qlonglong typed = Input.trimmed().toLongLong(&isNumber);
    if (isNumber && typed > maximum() && !Input.trimmed().startsWith(u'+'))
        return QValidator::Intermediate;
    return QSpinBox::validate(Input, Pos);
}

void TSpinBox::fixup(QString &Input) const
{
    bool isNumber = false;
    const qlonglong typed = Input.trimmed().toLongLong(&isNumber);
    if (isNumber && typed > maximum())
        Input = QString::number(maximum());
    else
        QSpinBox::fixup(Input);
}

QSpinBox *Spin(QWidget *Parent, const char *Name, int Left, int Top, int Width, int Min, int Max, int Value)
{
    auto *spin = Make<TSpinBox>(Parent, Name, Left, Top, Width, 22);
    spin->setRange(Min, Max);
    spin->setValue(Value);
    // Typed text counts when the editor loses the focus, clamped into range.
    spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    spin->setKeyboardTracking(false);
    return spin;
}

int SpinValue(QSpinBox *Spin)
{
    bool isNumber = false;
    const qlonglong typed = Spin->cleanText().trimmed().toLongLong(&isNumber);
    const int value = isNumber ? static_cast<int>(std::clamp<qlonglong>(typed, Spin->minimum(), Spin->maximum()))
                               : Spin->minimum();
    Spin->setValue(value);
    return value;
}

QToolButton *Flat(QWidget *Parent, const char *Name, int Left, int Top, int Width, int Height)
{
    auto *button = Make<QToolButton>(Parent, Name, Left, Top, Width, Height);
    button->setAutoRaise(true);
    return button;
}

void ShowSideWindow(QWidget *Window)
{
    if (!Window)
        return;
    Window->show();
    Window->raise();
    Window->activateWindow();
}

void SetTextColor(QWidget *Widget, const QColor &Color)
{
    QPalette palette = Widget->palette();
    palette.setColor(QPalette::WindowText, Color);
    palette.setColor(QPalette::Text, Color);
    Widget->setPalette(palette);
}

QString TWrappedTooltips::Shown(const QString &Text)
{
    if (Text.isEmpty() || Qt::mightBeRichText(Text))
        return Text;
    return QStringLiteral("<p>%1</p>").arg(Text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>")));
}

bool TWrappedTooltips::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() != QEvent::ToolTip || !Watched->isWidgetType())
        return QObject::eventFilter(Watched, Event);
    auto *widget = static_cast<QWidget *>(Watched);
    const QString text = widget->toolTip();
    if (text.isEmpty() || Qt::mightBeRichText(text))
        return QObject::eventFilter(Watched, Event);
    QToolTip::showText(static_cast<QHelpEvent *>(Event)->globalPos(), Shown(text), widget);
    return true;
}

// The pointer report is long: the box keeps its size and the face narrows,
// and if need be shrinks, until the longest report fits. Which faces exist
// differs between systems, so it is measured here, with the widest name of
// the planet name table at the widest coordinates and index.
QFont FitReportFont(QLabel *Report)
{
    const int room = Report->contentsRect().width() - 2 * Report->margin() - Report->indent();
    auto widest = [](const QFontMetrics &metrics) {
        QChar digit = u'0';
        for (char16_t d = u'1'; d <= u'9'; ++d)
            if (metrics.horizontalAdvance(QChar(d)) > metrics.horizontalAdvance(digit))
                digit = QChar(d);
        QString name;
        for (int id = 0; id < PlanetNameCount; ++id)
            if (metrics.horizontalAdvance(NameById(id)) > metrics.horizontalAdvance(name))
                name = NameById(id);
        const QString coordinate(4, digit);
        return metrics.horizontalAdvance(FormatStr(TMsg::PointerReport, {coordinate, coordinate, name, coordinate,
                                                                         coordinate}) +
                                         QStringLiteral(" ->") + QString(3, digit));
    };
    QFont font = Report->font();
    for (int pixels = font.pixelSize(); pixels >= 7; --pixels) {
        for (const int stretch : {int(QFont::Condensed), 70, 66, int(QFont::ExtraCondensed)}) {
            font.setPixelSize(pixels);
            font.setStretch(stretch);
            if (widest(QFontMetrics(font)) <= room) {
                Report->setFont(font);
                return font;
            }
        }
    }
    Report->setFont(font);
    return font;
}

QString FitStatusText(QLabel *Line, const QString &Text)
{
    const auto plain = [](const QString &Rich) {
        return Qt::mightBeRichText(Rich) ? QTextDocumentFragment::fromHtml(Rich).toPlainText() : Rich;
    };
    const QFontMetrics metrics(Line->font());
    const int room = Line->contentsRect().width() - 2 * Line->margin() - Line->indent() - 2;
    const QString whole = plain(Text);
    Line->setToolTip(QString());
    if (metrics.horizontalAdvance(whole) <= room)
        return Text;
    Line->setToolTip(whole);
    const QString dash = QStringLiteral(" \u2014 ");
    const qsizetype at = Text.indexOf(dash);
    const bool rich = Qt::mightBeRichText(Text);
    QString words = plain(at < 0 ? Text : Text.left(at)), tail;
    if (at >= 0 && Text.indexOf(QStringLiteral("<a "), at) >= 0)
        tail = Text.mid(at);
    const int left = room - metrics.horizontalAdvance(plain(tail)) - metrics.horizontalAdvance(u' ');
    words = metrics.elidedText(words, Qt::ElideRight, std::max(left, 0));
    return (rich ? words.toHtmlEscaped() : words) + tail;
}

