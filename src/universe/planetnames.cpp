#include "planetnames.h"

#include "messages.h"

#include <array>

// PlanetNameTable, generated at build time from resources/planetnames.txt.
extern const std::array<const char16_t *, PlanetNameCount> PlanetNameTable;

QString NameById(int64_t NameId)
{
    if (NameId < 0 || NameId >= PlanetNameCount)
        throw EZorvane(TMsg::ListIndexOutOfBounds, {static_cast<long long>(NameId)});
    return QString::fromUtf16(PlanetNameTable[static_cast<size_t>(NameId)]);
}

QString PlanetName(int64_t NameId)
{
    if (NameId >= PlanetNameCount)
        return QStringLiteral("#%1").arg(NameId);
    return NameById(NameId);
}

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int32_t IdByName(const QString &Name)
{
    for (int i = 0; i < PlanetNameCount; ++i)
        if (SameName(QString::fromUtf16(PlanetNameTable[i]), Name))
            return i;
    // A planet word holds ten bits of name id.
    if (Name.startsWith(u'#')) {
        bool isNumber = false;
        const int id = Name.mid(1).toInt(&isNumber);
        if (isNumber && id >= PlanetNameCount && id < 1024 && Name.mid(1) == QString::number(id))
            return id;
    }
    return -1;
}
