#include "help.h"

#include "accessiblevalues.h"

#include <QDesktopServices>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

// Q_INIT_RESOURCE must be used outside any namespace. The resources live in a
// static library, where nothing else would pull their registration in.
void InitZorvaneResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)done;
}

namespace {

// Stands for the home page address in the help document.
const QString HomePageMark = QStringLiteral("@ZV_HOME_PAGE@");

} // namespace

THelpForm::THelpForm(QWidget *parent) : QWidget(parent, Qt::Tool)
{
    InitZorvaneResources();
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Zorvane - Easy Help"));
    OpenUrl = [](const QUrl &Url) { return QDesktopServices::openUrl(Url); };

    RichEdit1 = new QTextBrowser(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The document is for reading only: a link in it must not replace it.
    // The home page opens from the bar below.
    RichEdit1->setOpenLinks(false);
    RichEdit1->installEventFilter(this);
    // A caret a screen reader follows line by line; Up and Down still
    // scroll as they move it.
    RichEdit1->setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    RichEdit1->setAccessibleName(QStringLiteral("Help"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(17);

    Label1 = new QLabel(QStringLiteral("Go to ZV home page now !"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    QFont linkFont = Label1->font();
    linkFont.setUnderline(true);
    Label1->setFont(linkFont);
    QPalette linkPalette = Label1->palette();
    linkPalette.setColor(QPalette::WindowText, Qt::blue);
    Label1->setPalette(linkPalette);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setToolTip(ZvHomePage);
    Label1->installEventFilter(this);
    // A link the keyboard reaches: Tab to it, Return or Space opens it.
    Label1->setFocusPolicy(Qt::StrongFocus);
    Label1->setStyleSheet(QStringLiteral("QLabel:focus { border: 1px dotted palette(text); }"));
    SetAccessibleRole(Label1, QAccessible::Link);

    SpeedButton1 = new QPushButton(QStringLiteral("&Close"), Panel1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setFlat(true);
    SpeedButton1->setFixedSize(61, 17);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    connect(SpeedButton1, &QPushButton::clicked, this, &THelpForm::SpeedButton1Click);
    // Escape closes the window, as its close button does.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &THelpForm::SpeedButton1Click);

    auto *bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);
    bar->addWidget(Label1, 1);
    bar->addWidget(SpeedButton1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(RichEdit1, 1);
    layout->addWidget(Panel1);

    SetAccessibleRole(this, QAccessible::Window);
    resize(472, 406);
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

bool THelpForm::LoadHelp()
{
    QFile file(HelpResource);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Help document %s: %s", qPrintable(HelpResource), qPrintable(file.errorString()));
        return false;
    }
    QString html = QString::fromUtf8(file.readAll());
    html.replace(HomePageMark, ZvHomePage.toHtmlEscaped());
    RichEdit1->setHtml(html);
    return true;
}

void THelpForm::FormShow() { LoadHelp(); }

void THelpForm::showEvent(QShowEvent *event)
{
    // A window restored by the window system is not shown anew.
    if (!event->spontaneous())
        FormShow();
    QWidget::showEvent(event);
}

void THelpForm::Label1Click()
{
    if (OpenUrl)
        OpenUrl(QUrl(ZvHomePage));
}

void THelpForm::SpeedButton1Click() { hide(); }

bool THelpForm::RichEdit1KeyDown(int Key)
{
    // The caret comes along from where the reader looks: the viewer's own
    // handling then moves it a line and would otherwise scroll back to it.
    if (Key == Qt::Key_Up || Key == Qt::Key_Down) {
        const QRect caret = RichEdit1->cursorRect();
        if (!RichEdit1->viewport()->rect().contains(caret.center()))
            RichEdit1->setTextCursor(RichEdit1->cursorForPosition(RichEdit1->viewport()->rect().center()));
    }
    if (Key == Qt::Key_Up)
        RichEdit1->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (Key == Qt::Key_Down)
        RichEdit1->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    return false;
}

bool THelpForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == RichEdit1 && event->type() == QEvent::KeyPress)
        return RichEdit1KeyDown(static_cast<QKeyEvent *>(event)->key());
    if (watched == Label1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            Label1Click();
            return true;
        }
    }
    if (watched == Label1 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && Label1->rect().contains(mouse->position().toPoint())) {
            Label1Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
