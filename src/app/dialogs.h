// The message dialogs and the file dialog of the program, behind one small
// interface, so tests can answer them without a blocked event loop.
#pragma once

#include <QString>

class QWidget;

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // An error box with an OK button; caption is the application title.
    virtual void Error(QWidget *Parent, const QString &Text) = 0;
    // A question with Yes and No; true only for Yes.
    virtual bool Confirm(QWidget *Parent, const QString &Text) = 0;
    // A file-open dialog starting in Dir with a filter of the form
    // "Name|pattern"; an empty result means the user cancelled.
    virtual QString OpenFile(QWidget *Parent, const QString &Dir, const QString &Filter) = 0;
    // A file-save dialog starting in Dir with the file name Name proposed and
    // a filter as for OpenFile; an empty result means the user cancelled.
    // Suffix (without the dot) is added to a name typed without one before
    // the dialog asks whether to replace an existing file, so the question
    // is asked about the name saved to. Dialogs that never save answer as
    // cancelled.
    virtual QString SaveFile(QWidget *Parent, const QString &Dir, const QString &Filter, const QString &Name,
                             const QString &Suffix);
};

// The real dialogs: QMessageBox and QFileDialog.
class TStandardDialogs final : public TDialogs {
public:
    void Error(QWidget *Parent, const QString &Text) override;
    bool Confirm(QWidget *Parent, const QString &Text) override;
    QString OpenFile(QWidget *Parent, const QString &Dir, const QString &Filter) override;
    QString SaveFile(QWidget *Parent, const QString &Dir, const QString &Filter, const QString &Name,
                     const QString &Suffix) override;
};

// "Universe files|*.xy" -> "Universe files (*.xy)": the filter string of the
// open and save dialogs in Qt's notation; entries alternate name and pattern.
QString QtFileFilter(const QString &Filter);
