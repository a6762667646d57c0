#include "groupnames.h"

#include "messages.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

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

namespace {

// The edit distance (insertions, deletions, substitutions) of A and B,
// given up beyond Limit: Limit + 1 then.
int EditDistance(const QString &A, const QString &B, int Limit)
{
    if (std::abs(A.size() - B.size()) > Limit)
        return Limit + 1;
    std::vector<int> row(size_t(B.size()) + 1);
    for (qsizetype j = 0; j <= B.size(); ++j)
        row[size_t(j)] = int(j);
    for (qsizetype i = 1; i <= A.size(); ++i) {
        int diagonal = row[0], best = int(i);
        row[0] = int(i);
        for (qsizetype j = 1; j <= B.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1, diagonal + (A[i - 1] == B[j - 1] ? 0 : 1)});
            diagonal = above;
            best = std::min(best, row[size_t(j)]);
        }
        if (best > Limit)
            return Limit + 1;
    }
    return row.back();
}

} // namespace

QString UnknownNameMessage(int Group, const QString &Name, const QStringList &Known)
{
    QString message = FormatStr(TMsg::UnknownStarName, {static_cast<long long>(Group), Name});
    if (Name.isEmpty())
        return message;
    const QString typed = Name.toCaseFolded();
    std::vector<std::pair<int, QString>> near;
    for (const QString &name : Known) {
        const int d = EditDistance(typed, name.toCaseFolded(), 2);
        if (d <= 2 && std::none_of(near.begin(), near.end(), [&](const auto &N) { return N.second == name; }))
            near.emplace_back(d, name);
    }
    std::stable_sort(near.begin(), near.end(), [](const auto &A, const auto &B) { return A.first < B.first; });
    if (near.size() > 3)
        near.resize(3);
    if (near.empty())
        return message;
    QStringList quoted;
    for (const auto &[d, name] : near)
        quoted << QStringLiteral("\"%1\"").arg(name);
    const QString last = quoted.takeLast();
    return message + QStringLiteral(" (did you mean ") +
           (quoted.isEmpty() ? last : quoted.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last) +
           QStringLiteral("?)");
}
