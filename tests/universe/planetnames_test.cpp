#include "planetnames.h"
#include "messages.h"

#include <QSet>
#include <gtest/gtest.h>

TEST(PlanetNames, IdsFollowTheListNotTheAlphabet)
{
    const std::pair<int, const char *> known[] = {
        {0, "007"},         {9, "A'po"},          {100, "Blue Giant"}, {200, "County Seat"},
        {270, "Esher"},     {271, "Eden"},        {300, "Flaming Poodle"}, {400, "Hill"},
        {500, "Leo Minor"}, {600, "Myopus"},      {700, "Poly Gone"},  {800, "Shangri-La"},
        {900, "Tough Luck"}, {998, "Zulu"},
    };
    for (const auto &[id, name] : known) {
        EXPECT_EQ(NameById(id), QString::fromLatin1(name));
        EXPECT_EQ(IdByName(QString::fromLatin1(name)), id);
    }
}

TEST(PlanetNames, LookupIgnoresCaseButNotSpaces)
{
    EXPECT_EQ(IdByName(QStringLiteral("zulu")), 998);
    EXPECT_EQ(IdByName(QStringLiteral("ZULU")), 998);
    EXPECT_EQ(IdByName(QStringLiteral("Zulu ")), -1);
    EXPECT_EQ(IdByName(QStringLiteral(" Zulu")), -1);
    EXPECT_EQ(IdByName(QString()), -1);
    EXPECT_EQ(IdByName(QStringLiteral("delta delta delta")), IdByName(QStringLiteral("Delta Delta Delta")));
}

TEST(PlanetNames, OutOfRangeIdsFailWithTheirNumber)
{
    for (long long id : {-1LL, 999LL, 1023LL}) {
        try {
            NameById(id);
            FAIL() << id;
        } catch (const EZorvane &e) {
            EXPECT_EQ(e.Message(), QStringLiteral("List index out of bounds (%1)").arg(id));
        }
    }
}

TEST(PlanetNames, TableIsWellFormed)
{
    QSet<QString> folded;
    for (int id = 0; id < PlanetNameCount; ++id) {
        const QString name = NameById(id);
        EXPECT_GE(name.size(), 2) << id;
        EXPECT_LE(name.size(), 18) << id;
        EXPECT_EQ(IdByName(name), id) << name.toStdString();
        folded.insert(name.toLower());
    }
    EXPECT_EQ(folded.size(), PlanetNameCount);
}
