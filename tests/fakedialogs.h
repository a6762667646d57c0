// Dialogs answered by the test: errors are recorded, questions and the open
// and save dialogs take prepared answers. Nothing blocks.
#pragma once

#include "dialogs.h"

#include <QStringList>
#include <deque>

class TFakeDialogs final : public TDialogs {
public:
    QStringList Errors;
    QStringList Questions;
    std::deque<bool> Answers;      // Confirm answers; No when empty
    std::deque<QString> OpenPaths; // OpenFile answers; cancel when empty
    QString LastOpenDir, LastFilter;
    std::deque<QString> SavePaths; // SaveFile answers; cancel when empty
    QString LastSaveDir, LastSaveFilter, LastSaveName, LastSaveSuffix;

    void Error(QWidget *, const QString &Text) override { Errors << Text; }
    bool Confirm(QWidget *, const QString &Text) override
    {
        Questions << Text;
        if (Answers.empty())
            return false;
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    QString OpenFile(QWidget *, const QString &Dir, const QString &Filter) override
    {
        LastOpenDir = Dir;
        LastFilter = Filter;
        if (OpenPaths.empty())
            return {};
        const QString path = OpenPaths.front();
        OpenPaths.pop_front();
        return path;
    }
    QString SaveFile(QWidget *, const QString &Dir, const QString &Filter, const QString &Name,
                     const QString &Suffix) override
    {
        LastSaveDir = Dir;
        LastSaveSuffix = Suffix;
        LastSaveFilter = Filter;
        LastSaveName = Name;
        if (SavePaths.empty())
            return {};
        const QString path = SavePaths.front();
        SavePaths.pop_front();
        return path;
    }
};
