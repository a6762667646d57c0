#include "accessiblevalues.h"

#include <QAccessible>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QAccessibleInterface *Face(QObject *Object) { return QAccessible::queryAccessibleInterface(Object); }

// The NameChanged events sent for one object, as an update handler sees them.
QObject *Watched = nullptr;
int Announced = 0;
void CountNames(QAccessibleEvent *Event)
{
    Announced += Event->object() == Watched && Event->type() == QAccessible::NameChanged;
}

class TKeyWidget : public QWidget {
public:
    using QWidget::QWidget;
    int Pressed = 0;
    void keyPressEvent(QKeyEvent *Event) override { Pressed = Event->keyCombination().toCombined(); }
};

// A value label's and the status line's texts in turn: the name a screen
// reader then reads and the NameChanged events it is sent.
void RunLabelSteps(bool CountEvents)
{
    QWidget window;
    auto *facts = new QLabel(QStringLiteral("1196x1181 l.y [Medium]"), &window); // Qt's interface exists now
    facts->setAccessibleName(QStringLiteral("Stars count"));
    auto *status = new QLabel(QStringLiteral("moved to [2083:1152]"), &window);
    MakeValueLabel(facts, QStringLiteral("Stars count"));
    MakeStatusLine(status);
    EXPECT_EQ(Face(facts)->role(), QAccessible::StaticText);
    EXPECT_EQ(Face(status)->role(), QAccessible::StatusBar);

    const struct { QLabel *Label; QString FixedName, Text, Name; int Events; } steps[] = {
        {facts, {}, QStringLiteral("300"), QStringLiteral("Stars count: 300"), 1},
        {facts, {}, QStringLiteral("300"), QStringLiteral("Stars count: 300"), 0},
        {facts, {}, QString(), QStringLiteral("Stars count"), 1},
        {facts, {}, QStringLiteral("<b>4</b>"), QStringLiteral("Stars count: 4"), 1},
        {status, {}, QStringLiteral("Nothing to undo"), QStringLiteral("Nothing to undo"), 1},
        {status, {}, QStringLiteral("Nothing to undo"), QStringLiteral("Nothing to undo"), 1}, // heard again
        {status, QStringLiteral("Pointer report"), QStringLiteral("Ctrl+Z"), QStringLiteral("Ctrl+Z"), 1},
        {status, {}, QString(), QString(), 1},
    };
    QAccessible::installUpdateHandler(&CountNames);
    for (const auto &step : steps) {
        if (!step.FixedName.isEmpty())
            step.Label->setAccessibleName(step.FixedName);
        Watched = step.Label;
        Announced = 0;
        step.Label == status ? SetStatusText(status, step.Text) : step.Label->setText(step.Text);
        EXPECT_EQ(Face(step.Label)->text(QAccessible::Name), step.Name);
        EXPECT_TRUE(!CountEvents || Announced == step.Events) << step.Text.toStdString() << ": " << Announced;
    }
    QAccessible::installUpdateHandler(nullptr);
}

} // namespace

TEST(AccessibleValues, LabelsSayTheirValue) { RunLabelSteps(false); }

// Qt sends accessibility events only through a live AT-SPI bridge, which
// tests/e2e/atspi_run.sh --command provides (and switches on by this
// variable); without one there is nothing to count.
TEST(AccessibleValues, EachChangeIsAnnounced)
{
    if (!qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
        GTEST_SKIP() << "no accessibility bus";
    ASSERT_TRUE(QTest::qWaitFor([] { return QAccessible::isActive(); }, 10000)) << "the bridge did not start";
    RunLabelSteps(true);
}

TEST(AccessibleValues, DecorationLeavesTheTreeAndKeysReachTheWidget)
{
    QGroupBox box(QStringLiteral("&XY-file selection"));
    auto *caption = new QLabel(QStringLiteral("Stars count :"), &box);
    auto *value = new QLabel(QStringLiteral("300"), &box);
    auto *map = new TKeyWidget(&box);
    HideFromAccessibility(caption);
    SetAccessibleKeys(map, {{QStringLiteral("Place"), {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Space)}},
                            {QStringLiteral("Move"), {QKeySequence(Qt::SHIFT | Qt::Key_Left)}}});

    QAccessibleInterface *group = Face(&box);
    EXPECT_EQ(group->role(), QAccessible::Grouping);
    EXPECT_EQ(group->text(QAccessible::Name), QStringLiteral("XY-file selection"));
    ASSERT_EQ(group->childCount(), 2);
    EXPECT_EQ(group->indexOfChild(Face(caption)), -1);
    EXPECT_EQ(group->child(0)->object(), value);
    EXPECT_EQ(group->indexOfChild(Face(map)), 1);
    EXPECT_EQ(Face(map)->role(), QAccessible::Client);

    const struct { const char *Action; QStringList Keys; QKeyCombination Pressed; } actions[] = {
        {"Place", {QStringLiteral("Return"), QStringLiteral("Space")}, Qt::Key_Return},
        {"Move", {QStringLiteral("Shift+Left")}, Qt::SHIFT | Qt::Key_Left},
    };
    QAccessibleActionInterface *actor = Face(map)->actionInterface();
    for (const auto &action : actions) {
        map->Pressed = 0;
        EXPECT_TRUE(actor->actionNames().contains(QLatin1String(action.Action)));
        EXPECT_EQ(actor->keyBindingsForAction(QLatin1String(action.Action)), action.Keys);
        actor->doAction(QLatin1String(action.Action));
        EXPECT_EQ(map->Pressed, action.Pressed.toCombined()) << action.Action;
    }
}
