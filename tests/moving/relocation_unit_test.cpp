#include "messages.h"
#include "relocation.h"
#include "testsupport.h"

#include <gtest/gtest.h>

namespace {

// Stars at x 1010, 1050, 1050 and 1300 (a Tiny universe: right edge 1398),
// named "Zulu" (998), "Bonn" (109), "Zulu" again and "007" (0).
TStarsXY Universe()
{
    return TStarsXY::FromImage(
        MakeImage({Word(10, 1100, 998), Word(40, 1200, 109), Word(0, 1150, 998), Word(250, 1300, 0)}));
}

TEST(RelocationSteps, FindsTheOneStarThatBearsTheName)
{
    // Universe() plus two more "007": "Bonn" is unique, "Zulu" borne twice,
    // "007" three times.
    const TStarsXY universe = TStarsXY::FromImage(MakeImage({Word(10, 1100, 998), Word(40, 1200, 109),
                                                             Word(0, 1150, 998), Word(250, 1300, 0),
                                                             Word(20, 1120, 0), Word(20, 1140, 0)}));
    const QString none = QStringLiteral("<no failure>");
    const QString refusal = QStringLiteral("; move them with another tool or rename them first");
    const struct {
        const char *Name;
        int32_t Index;
        QString Failure;
    } rows[] = {
        {"Bonn", 1, none},
        {"bONN", 1, none},
        {"Eden", -1, none}, // a name no star bears
        {"Zulu ", -1, none}, // no such name
        {"", -1, none},
        {"zULU", -2, QStringLiteral("2 planets bear the name \"Zulu\"") + refusal},
        {"007", -2, QStringLiteral("3 planets bear the name \"007\"") + refusal},
    };
    for (const auto &row : rows) {
        int32_t index = -2;
        EXPECT_EQ(MessageOf([&] { index = FindStarIndex(universe, QString::fromLatin1(row.Name)); }), row.Failure)
            << row.Name;
        EXPECT_EQ(index, row.Index) << row.Name;
    }
}

TEST(RelocationSteps, BandsReachTheEdgesOnTheOpenSide)
{
    const TStarsXY universe = Universe();
    EXPECT_EQ(StarBand(universe, 0), (TBand{1000, 1050}));
    EXPECT_EQ(StarBand(universe, 1), (TBand{1010, 1050}));
    EXPECT_EQ(StarBand(universe, 3), (TBand{1050, 1398}));
    EXPECT_EQ(MessageOf([&] { StarBand(universe, 4); }), QStringLiteral("Specified star does not exist"));
    const TStarsXY lonely = TStarsXY::FromImage(MakeImage({Word(100, 1100, 7)}));
    EXPECT_EQ(StarBand(lonely, 0), (TBand{1000, 1398}));
}

TEST(RelocationSteps, TheLastStarMovesUpToItsBandsEdgeAndNoFurther)
{
    TStarsXY universe = Universe();
    EXPECT_EQ(MessageOf([&] { MoveStar(universe, 3, 1399, 1150); }),
              QStringLiteral("Specified coordinates of star are beyond the scope of seen part universe"));
    MoveStar(universe, 3, 1398, 1150);
    MoveStar(universe, 0, 1000, 1300);
    const std::vector<TStarRec> stars = FileStars(universe.PackImage(false));
    EXPECT_EQ(stars[3].X, 1398u);
    EXPECT_EQ(stars[0].X, 1000u);
    // The y bounds are those of the file as read: 1100..1300, mirrored.
    EXPECT_EQ(stars[3].Y, 1250u);
    EXPECT_EQ(stars[0].Y, 1100u);
}

} // namespace
