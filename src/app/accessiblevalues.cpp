#include "accessiblevalues.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTextDocumentFragment>
#include <QVariant>
#include <optional>

namespace {

// The dynamic properties that carry each widget's settings; a widget with
// RoleProperty gets TAccessibleWidget from the factory.
constexpr char RoleProperty[] = "zvAccessibleRole";
constexpr char CaptionProperty[] = "zvAccessibleCaption";
constexpr char StatusProperty[] = "zvAccessibleStatus";
constexpr char KeysProperty[] = "zvAccessibleKeys";
constexpr char HiddenProperty[] = "zvAccessibleHidden";
constexpr char AnnouncerProperty[] = "zvAnnouncer";
constexpr char AnnouncementProperty[] = "zvAnnouncement";

// The label's text as it is shown: rich text as its plain words.
QString Shown(const QLabel *Label)
{
    const QString text = Label->text();
    const bool rich = Label->textFormat() == Qt::RichText ||
                      (Label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
    return rich ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

bool Hidden(const QAccessibleInterface *Face)
{
    return Face && Face->object() && Face->object()->property(HiddenProperty).toBool();
}

// Qt's generic widget interface, with the name, role, actions and children
// the properties ask for. Qt's own label interface is private, so a label
// gets this one and the read-only state that one gives it.
class TAccessibleWidget final : public QAccessibleWidget {
public:
    explicit TAccessibleWidget(QWidget *Widget) : QAccessibleWidget(Widget) {}

    QAccessible::Role role() const override
    {
        return QAccessible::Role(widget()->property(RoleProperty).toInt());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = state.readOnly || qobject_cast<const QLabel *>(widget());
        return state;
    }

    QString text(QAccessible::Text Kind) const override
    {
        const QString own = QAccessibleWidget::text(Kind);
        if (Kind != QAccessible::Name)
            return own;
        if (const auto *label = qobject_cast<const QLabel *>(widget())) {
            if (label->property(StatusProperty).toBool())
                return Shown(label);
            const QString caption = label->property(CaptionProperty).toString();
            if (!caption.isEmpty())
                return Shown(label).isEmpty() ? caption : caption + QStringLiteral(": ") + Shown(label);
            return own.isEmpty() ? Shown(label) : own;
        }
        if (const auto *box = qobject_cast<const QGroupBox *>(widget()); box && own.isEmpty())
            return QString(box->title()).remove(u'&');
        if (const QVariant said = widget()->property(AnnouncementProperty); said.isValid())
            return said.toString();
        return own;
    }

    // The children Qt lists, less those kept out of the tree.
    QList<QAccessibleInterface *> Listed() const
    {
        QList<QAccessibleInterface *> children;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i)
            if (QAccessibleInterface *child = QAccessibleWidget::child(i); child && !Hidden(child))
                children.append(child);
        return children;
    }
    int childCount() const override { return int(Listed().size()); }
    QAccessibleInterface *child(int Index) const override { return Listed().value(Index); }
    int indexOfChild(const QAccessibleInterface *Child) const override
    {
        return int(Listed().indexOf(const_cast<QAccessibleInterface *>(Child)));
    }

    QList<TAccessibleKeys> Keys() const { return widget()->property(KeysProperty).value<QList<TAccessibleKeys>>(); }
    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        for (const TAccessibleKeys &action : Keys())
            names.append(action.Action);
        return names;
    }
    QStringList keyBindingsForAction(const QString &Action) const override
    {
        for (const TAccessibleKeys &action : Keys())
            if (action.Action == Action) {
                QStringList keys;
                for (const QKeySequence &key : action.Keys)
                    keys.append(key.toString(QKeySequence::NativeText));
                return keys;
            }
        return QAccessibleWidget::keyBindingsForAction(Action);
    }
    void doAction(const QString &Action) override
    {
        for (const TAccessibleKeys &action : Keys())
            if (action.Action == Action && !action.Keys.isEmpty() && !action.Keys.first().isEmpty()) {
                const QKeyCombination key = action.Keys.first()[0];
                QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers());
                QKeyEvent release(QEvent::KeyRelease, key.key(), key.keyboardModifiers());
                QCoreApplication::sendEvent(widget(), &press);
                QCoreApplication::sendEvent(widget(), &release);
                return;
            }
        QAccessibleWidget::doAction(Action);
    }
};

QAccessibleInterface *Factory(const QString &, QObject *Object)
{
    auto *widget = qobject_cast<QWidget *>(Object);
    return widget && widget->property(RoleProperty).isValid() ? new TAccessibleWidget(widget) : nullptr;
}

// Gives Widget this unit's interface, with Role or the role Qt's own gave it.
// Qt creates and caches a widget's interface on its first accessibility
// event (a QLabel's setText in its constructor already sends one), so the
// cached one is dropped: the next query goes to the factory.
void Adopt(QWidget *Widget, std::optional<QAccessible::Role> Role = std::nullopt)
{
    [[maybe_unused]] static const bool installed = (QAccessible::installFactory(Factory), true);
    if (!Widget->property(RoleProperty).isValid()) {
        QAccessibleInterface *qts = QAccessible::queryAccessibleInterface(Widget);
        Widget->setProperty(RoleProperty, int(Role.value_or(qts->role())));
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(qts));
    } else if (Role) {
        Widget->setProperty(RoleProperty, int(*Role));
    }
}

void AnnounceName(QWidget *Widget)
{
    QAccessibleEvent changed(Widget, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

} // namespace

void MakeValueLabel(QLabel *Label, const QString &Caption)
{
    Label->setProperty(CaptionProperty, Caption);
    Label->setAccessibleName(QString()); // announces the name
    Adopt(Label, QAccessible::StaticText);
}

void MakeStatusLine(QLabel *Label)
{
    Label->setProperty(StatusProperty, true);
    Label->setAccessibleName(QString());
    Adopt(Label, QAccessible::StatusBar);
    Label->setProperty(AnnouncerProperty, QVariant::fromValue<QObject *>(MakeAnnouncer(Label->window())));
}

void SetStatusText(QLabel *Label, const QString &Text, const QString &Spoken)
{
    // QLabel::setText announces a new text itself, and only that.
    const bool announced = Label->text() != Text && Label->accessibleName().isEmpty();
    Label->setText(Text);
    if (!announced)
        AnnounceName(Label);
    if (auto *announcer = qobject_cast<QWidget *>(Label->property(AnnouncerProperty).value<QObject *>()))
        Announce(announcer, Spoken.isEmpty() ? Text : Spoken);
}

QWidget *MakeAnnouncer(QWidget *Window)
{
    // A widget that paints nothing, one pixel in the corner.
    auto *announcer = new QWidget(Window);
    announcer->setObjectName(QStringLiteral("Announcer"));
    announcer->setGeometry(0, 0, 1, 1);
    announcer->setAttribute(Qt::WA_TransparentForMouseEvents);
    announcer->setAttribute(Qt::WA_NoSystemBackground);
    announcer->setFocusPolicy(Qt::NoFocus);
    announcer->setProperty(AnnouncementProperty, QString());
    announcer->hide();
    Adopt(announcer, QAccessible::Notification);
    return announcer;
}

bool IsAnnouncer(const QWidget *Widget) { return Widget->property(AnnouncementProperty).isValid(); }

void Announce(QWidget *Announcer, const QString &Text)
{
    const QString words = Qt::mightBeRichText(Text) ? QTextDocumentFragment::fromHtml(Text).toPlainText() : Text;
    Announcer->hide();
    if (words.isEmpty())
        return;
    Announcer->setProperty(AnnouncementProperty, words);
    Announcer->raise();
    Announcer->show();
}

void SetAccessibleKeys(QWidget *Widget, const QList<TAccessibleKeys> &Actions)
{
    Adopt(Widget);
    Widget->setProperty(KeysProperty, QVariant::fromValue(Actions));
}

void SetAccessibleRole(QWidget *Widget, QAccessible::Role Role) { Adopt(Widget, Role); }

void HideFromAccessibility(QWidget *Widget, bool Hidden)
{
    Widget->setProperty(HiddenProperty, Hidden);
    if (QWidget *parent = Widget->parentWidget())
        Adopt(parent);
}

void ShowComboValue(QComboBox *Combo)
{
    const auto select = [Combo](int Index) {
        // Arriving at the box, Orca reads its label, its role and its
        // description: the value leads the description.
        Combo->setAccessibleDescription(Combo->toolTip().isEmpty()
                                            ? Combo->currentText()
                                            : Combo->currentText() + QStringLiteral(". ") + Combo->toolTip());
        // Only a change the player makes: a selection in the list of a box
        // without the focus is read out as if the focus went there.
        QItemSelectionModel *selection = Combo->view()->selectionModel();
        if (Index < 0 || !selection || !Combo->hasFocus())
            return;
        selection->setCurrentIndex(Combo->model()->index(Index, Combo->modelColumn(), Combo->rootModelIndex()),
                                   QItemSelectionModel::ClearAndSelect);
    };
    QObject::connect(Combo, &QComboBox::currentIndexChanged, Combo, select);
    select(Combo->currentIndex());
}
