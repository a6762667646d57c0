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

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int32_t IdByName(const QString &Name)
{
    for (int i = 0; i < PlanetNameCount; ++i)
        if (SameName(QString::fromUtf16(PlanetNameTable[i]), Name))
            return i;
    return -1;
}
