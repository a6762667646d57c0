#include "dialogs.h"

#include "messages.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace {

// The keyboard back to the window a dialog was opened from. The window
// manager gives that window the input focus as the dialog closes, while Qt
// still counts the window as blocked by the dialog: Qt would then never take
// it as active, and keys (and a screen reader's focus) would go nowhere
// until a click.
void BackTo(QWidget *Parent)
{
    if (!Parent)
        return;
    QWidget *window = Parent->window();
    window->activateWindow();
    if (!window->isActiveWindow())
        QApplication::setActiveWindow(window);
}

} // namespace

void TStandardDialogs::Error(QWidget *Parent, const QString &Text)
{
    QMessageBox::critical(Parent, LoadStr(TMsg::AppTitle), Text, QMessageBox::Ok);
    BackTo(Parent);
}

bool TStandardDialogs::Confirm(QWidget *Parent, const QString &Text)
{
    const bool yes = QMessageBox::question(Parent, LoadStr(TMsg::AppTitle), Text, QMessageBox::Yes | QMessageBox::No,
                                           QMessageBox::No) == QMessageBox::Yes;
    BackTo(Parent);
    return yes;
}

QString TStandardDialogs::OpenFile(QWidget *Parent, const QString &Dir, const QString &Filter)
{
    const QString path = QFileDialog::getOpenFileName(Parent, QString(), Dir, QtFileFilter(Filter));
    BackTo(Parent);
    return path;
}

QString TDialogs::SaveFile(QWidget *, const QString &, const QString &, const QString &, const QString &) { return {}; }

QString TStandardDialogs::SaveFile(QWidget *Parent, const QString &Dir, const QString &Filter, const QString &Name,
                                   const QString &Suffix)
{
    // A dialog object rather than the static call: only it takes the
    // default suffix, which it adds before its own overwrite question.
    QFileDialog dialog(Parent, QString(), Dir, QtFileFilter(Filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(Suffix);
    dialog.selectFile(Name);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    BackTo(Parent);
    return accepted ? dialog.selectedFiles().value(0) : QString();
}

QString QtFileFilter(const QString &Filter)
{
    const QStringList parts = Filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return entries.join(QStringLiteral(";;"));
}
