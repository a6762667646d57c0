#include "comments.h"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QVBoxLayout>

TFConf::TFConf(QWidget *parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("FConf"));
    setWindowTitle(QStringLiteral("Comments"));

    ConfM = new QPlainTextEdit(this);
    ConfM->setObjectName(QStringLiteral("ConfM"));
    ConfM->setReadOnly(true);
    // The text is drawn on the viewport, which receives the clicks.
    ConfM->viewport()->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ConfM);
    // Escape closes the window, as a click on the text does.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &TFConf::ConfMClick);

    // Size only: the window system picks the place.
    resize(324, 101);
}

void TFConf::SetComment(const QString &Comment) { ConfM->setPlainText(Comment); }

QString TFConf::Comment() const { return ConfM->toPlainText(); }

void TFConf::ConfMClick() { hide(); }

bool TFConf::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ConfM->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && ConfM->viewport()->rect().contains(mouse->position().toPoint()))
            ConfMClick();
    }
    return QWidget::eventFilter(watched, event);
}
