#include "fakedialogs.h"
#include "messages.h"
#include "planetnames.h"
#include "paintbox.h"
#include "stars.h"
#include "testsupport.h"
#include "windowsupport.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QToolButton>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QAccessibleInterface *Face(QWidget *W) { return QAccessible::queryAccessibleInterface(W); }

// The objects a screen reader finds under the window.
QStringList Listed(TForm1 &Form)
{
    QStringList names;
    QAccessibleInterface *window = Face(&Form);
    for (int i = 0; i < window->childCount(); ++i)
        names << window->child(i)->object()->objectName();
    return names;
}

} // namespace

// What the screen shows is what the tree says: the facts as values, the
// status line as a status bar whose name is its text, the pick in the map's
// description; decoration and the covered caption stay out.
TEST(Accessibility, TheTreeCarriesTheValuesOnScreen)
{
    TScratch dir;
    TFakeDialogs dialogs;
    TForm1 form(dir.Dir(), dialogs);
    const TUi ui = Ui(form);
    EXPECT_EQ(Face(&form)->role(), QAccessible::Window);
    EXPECT_TRUE(Listed(form).contains(u"Label10"));
    const QString path = dir.CopyReal(QStringLiteral("tiny-32planets-2players.xy"));
    dialogs.OpenPaths.push_back(path);
    ui.SpeedButton3->click();
    form.UndoStep();
    const struct {
        QWidget *Control;
        QAccessible::Role Role;
        QString Name;
    } rows[] = {
        {ui.lStars, QAccessible::StaticText, QStringLiteral("Stars count: 32")},
        {ui.lPlayers, QAccessible::StaticText, QStringLiteral("Players count: 2")},
        {ui.StaticXY, QAccessible::StaticText, QStringLiteral("XY-file: ") + path},
        {ui.StaticText2, QAccessible::StatusBar, QStringLiteral("Nothing to undo")},
        {ui.BitBtn5, QAccessible::Button, QStringLiteral("Insert the name into the active group")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Control->objectName().toStdString());
        EXPECT_EQ(Face(row.Control)->role(), row.Role);
        EXPECT_EQ(Face(row.Control)->text(QAccessible::Name), row.Name);
    }
    EXPECT_TRUE(Face(ui.lSize)->text(QAccessible::Name).endsWith(u" l.y [Tiny]"));
    const QStringList listed = Listed(form);
    for (const char *hidden : {"Bevel2", "Label6", "Label2", "Label10"})
        EXPECT_FALSE(listed.contains(QLatin1String(hidden))) << hidden;
    const auto labelled = Face(ui.ComboBox1)->relations(QAccessible::Label);
    EXPECT_TRUE(std::any_of(labelled.begin(), labelled.end(), [&](const auto &r) { return r.first->object() == ui.Label1; }));
    EXPECT_TRUE(Face(ui.PaintBox1)->actionInterface()->keyBindingsForAction(QStringLiteral("Place")).contains(u"Return"));

    // Pick mode: the planet, its group and band, where it lands, by keys.
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const std::vector<TStarRec> stars = FileStars(ReadBytes(path));
    ui.BitBtn1->click();
    WaitForSlide(form);
    ui.BitBtn4->click();
    ui.Groups()[0].Names->setText(PlanetName(stars[3].NameId));
    ui.BitBtn3->click();
    const QString start = FormatStr(TMsg::MapPicking, {PlanetName(stars[3].NameId), 1LL, (long long)stars[2].X,
                                                       (long long)stars[4].X, (long long)stars[3].X,
                                                       (long long)(stars[3].Y)});
    EXPECT_TRUE(ui.PaintBox1->accessibleDescription().startsWith(start.left(start.indexOf(u':'))));
    QTest::keyClick(ui.PaintBox1, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_TRUE(ui.PaintBox1->accessibleDescription().contains(
        QStringLiteral("lands at [%1:").arg(stars[3].X + 1)));
    ui.SpeedButton4->click();
    WaitForSlide(form);
    EXPECT_TRUE(ui.Panel1->isHidden()) << "a closed panel leaves the Tab cycle";
}

TEST(Accessibility, TabWalksTheSettingsInReadingOrder)
{
    TScratch dir;
    TFakeDialogs dialogs;
    TForm1 form(dir.Dir(), dialogs);
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    const TUi ui = Ui(form);
    ui.FreeSp->setChecked(true); // the threshold is skipped while it is off
    ui.BitBtn1->setEnabled(true);
    ui.ComboBox1->setFocus();
    const QWidget *expected[] = {ui.ComboBox1, ui.SpeedButton1, ui.SpeedButton2, ui.Chv,
                                 ui.FreeSp, ui.FreeSpaceRng, ui.MinD, ui.SizeSel,
                                 ui.MaxC, ui.Conf, ui.BitBtn1, ui.BitBtn2,
                                 ui.SpeedButton3, ui.StaticXY, ui.PaintBox1, ui.SpeedButton6, ui.SpeedButton5};
    for (const QWidget *want : expected) {
        ASSERT_EQ(QApplication::focusWidget(), want)
            << "focus on " << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "none");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}
