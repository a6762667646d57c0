#include "groupnames.h"

QString TrimBlanks(const QString &Text)
{
    qsizetype first = 0, last = Text.size();
    while (first < last && Text[first].unicode() <= 32)
        ++first;
    while (last > first && Text[last - 1].unicode() <= 32)
        --last;
    return Text.mid(first, last - first);
}

QStringList SplitNames(const QString &Text)
{
    QStringList names;
    QString s = TrimBlanks(Text);
    do {
        const qsizetype comma = s.indexOf(u',');
        const qsizetype n = comma < 0 ? s.size() : comma;
        names << TrimBlanks(s.left(n));
        s = s.mid(n + 1, 255);
    } while (!s.isEmpty());
    return names;
}

QString AppendName(const QString &Text, const QString &Name)
{
    if (Name.isEmpty())
        return Text;
    const QString trimmed = TrimBlanks(Text);
    if (trimmed.isEmpty() || trimmed.endsWith(u','))
        return Text + Name;
    return Text + u',' + Name;
}
