#include "fakedialogs.h"
#include "paintbox.h"
#include "stars.h"
#include "testsupport.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QToolButton>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

TEST(Accessibility, EveryControlHasAName)
{
    TScratch dir;
    TFakeDialogs dialogs;
    TForm1 form(dir.Dir(), dialogs);
    const auto controls = form.findChildren<QWidget *>();
    for (QWidget *control : controls) {
        if (control->objectName().isEmpty() || control->objectName().startsWith(u"qt_"))
            continue; // parts Qt builds inside its own widgets
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(face, nullptr) << control->objectName().toStdString();
        EXPECT_FALSE(face->text(QAccessible::Name).trimmed().isEmpty()) << control->objectName().toStdString();
    }
    QAccessibleInterface *map = QAccessible::queryAccessibleInterface(form.PaintBox1);
    EXPECT_EQ(map->text(QAccessible::Name), QStringLiteral("Star map"));
}

TEST(Accessibility, TabWalksTheSettingsInReadingOrder)
{
    TScratch dir;
    TFakeDialogs dialogs;
    TForm1 form(dir.Dir(), dialogs);
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.FreeSp->setChecked(true); // the threshold is skipped while it is off
    form.BitBtn1->setEnabled(true);
    form.ComboBox1->setFocus();
    const QWidget *expected[] = {form.ComboBox1, form.SpeedButton1, form.SpeedButton2, form.Chv,
                                 form.FreeSp, form.FreeSpaceRng, form.MinD, form.SizeSel,
                                 form.MaxC, form.Conf, form.BitBtn1, form.BitBtn2,
                                 form.SpeedButton3, form.SpeedButton6, form.SpeedButton5};
    for (const QWidget *want : expected) {
        ASSERT_EQ(QApplication::focusWidget(), want)
            << "focus on " << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "none");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}
