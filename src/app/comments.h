// The comments window: the comment of the selected template, in a read-only
// memo that closes the window when clicked.
#pragma once

#include <QWidget>

class QPlainTextEdit;

class TFConf : public QWidget {
    Q_OBJECT

public:
    explicit TFConf(QWidget *parent = nullptr);

    // Replaces the whole text of ConfM; called whenever a template's settings
    // are loaded. The text stays while the window is hidden.
    void SetComment(const QString &Comment);
    QString Comment() const;

    QPlainTextEdit *ConfM = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ConfMClick();
};
