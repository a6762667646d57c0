#include "comments.h"
#include "help.h"
#include "testsupport.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <gtest/gtest.h>

namespace {

void Click(QWidget *Widget, Qt::MouseButton Button, QPoint At)
{
    const QPoint global = Widget->mapToGlobal(At);
    QMouseEvent press(QEvent::MouseButtonPress, At, global, Button, Button, Qt::NoModifier);
    QApplication::sendEvent(Widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, At, global, Button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Widget, &release);
}

} // namespace

TEST(SideWindows, CaptionsSizesAndControls)
{
    THelpForm help;
    TFConf comments;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((help.geometry().center() - screen.center()).manhattanLength(), 2) << "help is centred";
    for (QWidget *w : {static_cast<QWidget *>(&help), static_cast<QWidget *>(&comments)}) {
        const bool isHelp = w == &help;
        EXPECT_EQ(w->windowTitle(), isHelp ? "Zorvane - Easy Help" : "Comments");
        EXPECT_EQ(w->size(), isHelp ? QSize(472, 406) : QSize(324, 101));
        EXPECT_EQ(w->windowType(), Qt::Tool);
        w->show();
    }
    EXPECT_EQ(help.findChild<QTextBrowser *>("RichEdit1"), help.RichEdit1);
    EXPECT_EQ(help.findChild<QFrame *>("Panel1"), help.Panel1);
    EXPECT_EQ(help.findChild<QLabel *>("Label1"), help.Label1);
    EXPECT_EQ(help.findChild<QPushButton *>("SpeedButton1"), help.SpeedButton1);
    EXPECT_EQ(comments.findChild<QPlainTextEdit *>("ConfM"), comments.ConfM);

    EXPECT_TRUE(help.RichEdit1->isReadOnly());
    EXPECT_EQ(help.RichEdit1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(help.RichEdit1->geometry(), QRect(0, 0, 472, 406 - 17));
    EXPECT_EQ(help.Panel1->geometry(), QRect(0, 406 - 17, 472, 17));
    EXPECT_EQ(help.Label1->text(), "Go to ZV home page now !");
    EXPECT_EQ(help.Label1->toolTip(), "https://zorvane.example/");
    EXPECT_TRUE(help.Label1->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(help.Label1->font().underline());
    EXPECT_EQ(help.Label1->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(help.Label1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(help.SpeedButton1->text(), "&Close");
    EXPECT_TRUE(help.SpeedButton1->isFlat());
    EXPECT_EQ(help.SpeedButton1->geometry(), QRect(472 - 61, 0, 61, 17));
    EXPECT_TRUE(comments.ConfM->isReadOnly());
    EXPECT_EQ(comments.ConfM->geometry(), QRect(0, 0, 324, 101));
}

TEST(HelpForm, EveryShowLoadsTheDocument)
{
    THelpForm form;
    form.show();
    const QString text = form.RichEdit1->toPlainText();
    // In the order of the guide.
    const char *const parts[] = {
        "Zorvane 1.3", "for Stars!", "the Zorvane developers", "2026", "freeware, free source",
        "Getting Started", "Creating a game with a custom shape.", "\"Generate.\"",
        "Changing Planet Positions", "\"Change.\"", "blue highlighted area", "Details",
        "What do those other options mean?", "Sensitivity", "Free Space Mode", "Min. Star Distance",
        "Universe Size", "Maximize Search", "Comments", "Use Additional Marks :",
        "Right mouse click  Toggle(change color of) mark", "[Shift] + [Right mouse click]  Remove mark",
        "Thanks", "https://zorvane.example/",
    };
    qsizetype from = 0;
    for (const char *part : parts) {
        const qsizetype at = text.indexOf(QString::fromUtf8(part), from);
        EXPECT_GE(at, 0) << part << ": missing or out of order";
        from = std::max(at, from);
    }
    EXPECT_FALSE(text.contains('@')) << "an unfilled mark is left";
    const QTextCursor title = form.RichEdit1->document()->find("Zorvane 1.3");
    EXPECT_EQ(title.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_TRUE(title.charFormat().fontUnderline());

    const QString loaded = form.RichEdit1->toHtml();
    form.RichEdit1->setPlainText("scribbled over");
    form.show(); // already visible: only brought forward
    EXPECT_EQ(form.RichEdit1->toPlainText(), "scribbled over");
    form.hide();
    form.show();
    EXPECT_EQ(form.RichEdit1->toHtml(), loaded);

    // An unreadable document leaves what the viewer showed.
    form.hide();
    form.HelpResource = ":/no-such-document";
    form.RichEdit1->setPlainText("kept");
    form.show();
    EXPECT_EQ(form.RichEdit1->toPlainText(), "kept");
    EXPECT_FALSE(form.LoadHelp());
}

TEST(HelpForm, LinkAndCloseButton)
{
    struct Case {
        Qt::MouseButton Button;
        bool Inside;
        int Opened;
    };
    const Case cases[] = {{Qt::LeftButton, true, 1}, {Qt::RightButton, true, 0}, {Qt::LeftButton, false, 0}};
    for (const Case &c : cases) {
        THelpForm form;
        std::vector<QUrl> opened;
        form.OpenUrl = [&](const QUrl &Url) { return opened.push_back(Url), true; };
        form.show();
        Click(form.Label1, c.Button, c.Inside ? form.Label1->rect().center() : QPoint(-5, -5));
        EXPECT_EQ(opened, std::vector<QUrl>(c.Opened, QUrl("https://zorvane.example/")))
            << c.Button << " inside " << c.Inside;
        EXPECT_TRUE(form.isVisible());
        form.SpeedButton1->click();
        EXPECT_TRUE(form.isHidden());
    }
}

TEST(HelpForm, ArrowKeysScrollByLines)
{
    // One line from the window; the key is not consumed, and the viewer's
    // own handling moves its caret a line along, from where the reader looks,
    // without scrolling back to the top.
    const std::pair<Qt::Key, int> cases[] = {{Qt::Key_Down, 1}, {Qt::Key_Up, -1}, {Qt::Key_Right, 0}};
    THelpForm form;
    form.show();
    QScrollBar *bar = form.RichEdit1->verticalScrollBar();
    const int step = bar->singleStep();
    ASSERT_GT(bar->maximum(), 20 * step) << "the document must be longer than the window";
    for (const auto &[key, lines] : cases) {
        bar->setValue(10 * step);
        int actions = 0;
        const auto counter = QObject::connect(bar, &QScrollBar::actionTriggered, [&] { ++actions; });
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(form.RichEdit1, &press);
        QObject::disconnect(counter);
        EXPECT_EQ(bar->value(), (10 + lines) * step) << key;
        EXPECT_EQ(actions, std::abs(lines)) << key;
        EXPECT_TRUE(form.RichEdit1->viewport()->rect().contains(form.RichEdit1->cursorRect().center()))
            << "the caret is in sight";
    }
}

TEST(FConf, ClickHidesAndTheCommentStays)
{
    struct Case {
        const char *Comment;
        Qt::MouseButton Button;
        bool Hides;
    };
    const Case cases[] = {
        {"", Qt::LeftButton, true},
        {"Spiral with four arms\nfor 4 players", Qt::LeftButton, true},
        {"Кольцо: a ring", Qt::RightButton, false},
    };
    TFConf form;
    for (const Case &c : cases) {
        form.SetComment(QString::fromUtf8(c.Comment));
        form.show();
        Click(form.ConfM->viewport(), c.Button, form.ConfM->viewport()->rect().center());
        EXPECT_EQ(form.isHidden(), c.Hides) << c.Comment;
        form.show();
        EXPECT_EQ(form.ConfM->toPlainText(), QString::fromUtf8(c.Comment));
        EXPECT_EQ(form.Comment(), QString::fromUtf8(c.Comment));
        form.hide();
    }
}
