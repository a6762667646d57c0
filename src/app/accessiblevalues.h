// What a screen reader learns from the window beyond Qt's defaults: labels
// that show a value, the status line, keys of a custom widget, and
// decoration kept out of the accessibility tree.
//
// A label's accessible name is the only text Qt's AT-SPI bridge passes on
// for it. QLabel::setText sends no event a filter could catch, but it does
// announce NameChanged itself while the label has no fixed accessible name;
// so the name here is computed from the text whenever it is read, by an
// accessible interface of this unit that a factory keyed on dynamic
// properties gives in place of Qt's. Call these while building the window,
// before it is shown.
#pragma once

#include <QAccessible>
#include <QKeySequence>
#include <QList>
#include <QString>

class QComboBox;
class QLabel;
class QWidget;

// Label shows the value Caption names: its accessible name is
// "Caption: text" ("Stars count: 300"), Caption alone while it is empty.
// Clears a fixed accessible name: QLabel::setText announces the change
// (NameChanged) only for a label without one. QLabel::clear() announces
// nothing; set an empty text instead.
void MakeValueLabel(QLabel *Label, const QString &Caption);

// Label is the window's status line: role StatusBar, its name its text.
// Change its text with SetStatusText only.
void MakeStatusLine(QLabel *Label);
// Shows Text on the status line and has a screen reader speak it once, also
// when the line already says the same, so a repeated message is heard again.
// Spoken, when given, is the whole of a text shortened to fit the line.
void SetStatusText(QLabel *Label, const QString &Text, const QString &Spoken = {});

// A drop-down list whose value a screen reader reads. Orca takes a Qt combo
// box's value from the selected item of its list, which Qt selects only
// while the list pops up, and reads none when the box gets the focus: the
// item shown is selected in the list as the player changes it, so a change
// by the arrow keys is spoken, and it leads the box's description (after its tooltip is set),
// so it is read with the box.
void ShowComboValue(QComboBox *Combo);

// Speaking without the focus. Orca (43, Debian 12's) speaks a change of a
// name or a description only for the object that has the focus, and the
// status line never has it; it does speak a notification that appears. An
// announcer is such a notification: a widget of the role Notification
// (through this unit's accessibility factory) in Window, invisible to the
// eye, hidden, given the text and shown again for each announcement. Its
// text is a property its accessible name reads, so no name change is sent
// (Orca 43 can hang on one for an object that is not focused); only its
// appearance is. (Qt's own QAccessibleAnnouncementEvent is Qt 6.8's; the
// role AlertMessage is not spoken at all.)
QWidget *MakeAnnouncer(QWidget *Window);
// Speaks Text (rich text as its plain words) through Announcer.
void Announce(QWidget *Announcer, const QString &Text);
// Whether Widget is an announcer (none of the window's controls).
bool IsAnnouncer(const QWidget *Widget);

// Named actions on a widget with keys of its own (the map): a screen reader
// lists Keys as the action's key bindings, and invoking the action presses
// the first of them on the widget. For plain QWidget subclasses only: Qt's
// own widgets (buttons) keep their interface; give a button its keys with
// QAbstractButton::setShortcut, which Qt passes on itself.
struct TAccessibleKeys {
    QString Action;
    QList<QKeySequence> Keys;
};
void SetAccessibleKeys(QWidget *Widget, const QList<TAccessibleKeys> &Actions);

// Keeps a decorative widget (a caption repeated by a value label's name, a
// frame) out of the accessibility tree: its parent no longer lists it, and
// with it its children. Its parent keeps its role and name.
// Hidden false lists it again (a caption that only shows while the map has
// nothing to draw).
void HideFromAccessibility(QWidget *Widget, bool Hidden = true);

// Widget's role as a screen reader sees it (the main window: a frame, where
// Qt makes a plain widget a filler).
void SetAccessibleRole(QWidget *Widget, QAccessible::Role Role);
