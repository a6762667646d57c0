#include "dialogs.h"

#include "messages.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

void TStandardDialogs::Error(QWidget *Parent, const QString &Text)
{
    QMessageBox::critical(Parent, LoadStr(TMsg::AppTitle), Text, QMessageBox::Ok);
}

bool TStandardDialogs::Confirm(QWidget *Parent, const QString &Text)
{
    return QMessageBox::question(Parent, LoadStr(TMsg::AppTitle), Text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

QString TStandardDialogs::OpenFile(QWidget *Parent, const QString &Dir, const QString &Filter)
{
    return QFileDialog::getOpenFileName(Parent, QString(), Dir, QtFileFilter(Filter));
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
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
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
