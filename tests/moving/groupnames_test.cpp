#include "groupnames.h"
#include "testsupport.h"

#include <gtest/gtest.h>

TEST(GroupNames, SplitNames)
{
    const std::pair<QString, QStringList> rows[] = {
        {QString(), {QString()}},
        {QStringLiteral("   "), {QString()}},
        {QStringLiteral("Zulu"), {QStringLiteral("Zulu")}},
        {QStringLiteral(" Zulu , Blue Giant\t"), {QStringLiteral("Zulu"), QStringLiteral("Blue Giant")}},
        {QStringLiteral("Zulu,"), {QStringLiteral("Zulu")}},
        {QStringLiteral("Zulu, ,Bonn"), {QStringLiteral("Zulu"), QString(), QStringLiteral("Bonn")}},
        {QStringLiteral("Zulu,,Bonn"), {QStringLiteral("Zulu"), QString(), QStringLiteral("Bonn")}},
        {QStringLiteral(",Bonn"), {QString(), QStringLiteral("Bonn")}},
        {QStringLiteral("a\x01,\x1F" "b"), {QStringLiteral("a"), QStringLiteral("b")}},
    };
    for (const auto &[text, names] : rows)
        EXPECT_EQ(SplitNames(text), names) << text.toStdString();
}

TEST(GroupNames, SplitNamesLooksAt255CharactersAfterEachComma)
{
    // "A," then 253 x "b" then ",Zulu": after the first comma the rest is cut
    // to 255 characters, which ends inside "Zulu".
    const QString text = QStringLiteral("A,") + QString(253, u'b') + QStringLiteral(",Zulu");
    EXPECT_EQ(SplitNames(text), (QStringList{QStringLiteral("A"), QString(253, u'b'), QStringLiteral("Z")}));
    const QString fits = QStringLiteral("A,") + QString(250, u'b') + QStringLiteral(",Zulu");
    EXPECT_EQ(SplitNames(fits).last(), QStringLiteral("Zulu"));
}

TEST(GroupNames, AppendName)
{
    struct Row {
        const char *text, *name, *result;
    };
    const Row rows[] = {
        {"", "Zulu", "Zulu"},
        {"  ", "Zulu", "  Zulu"},
        {"Bonn", "Zulu", "Bonn,Zulu"},
        {"Bonn ", "Zulu", "Bonn ,Zulu"},
        {"Bonn,", "Zulu", "Bonn,Zulu"},
        {"Bonn,  ", "Zulu", "Bonn,  Zulu"},
        {"Bonn", "", "Bonn"},
    };
    for (const Row &r : rows)
        EXPECT_EQ(AppendName(QString::fromLatin1(r.text), QString::fromLatin1(r.name)), QString::fromLatin1(r.result))
            << r.text;
    // What AppendName builds, SplitNames takes apart again.
    EXPECT_EQ(SplitNames(AppendName(QStringLiteral("Bonn "), QStringLiteral("Zulu"))),
              (QStringList{QStringLiteral("Bonn"), QStringLiteral("Zulu")}));
}

// An unknown name suggests up to three known ones within two edits, letter
// case ignored, nearest first (among equals in the list's order).
TEST(GroupNames, UnknownNameSuggestsTheNamesMeant)
{
    const QStringList known = {"Abe", "Abed", "Abel", "Able", "Bel", "Lava", "Lawn", "Lawrence", "Zulu"};
    const std::pair<const char *, const char *> rows[] = {
        {"Lawrnce", R"( (did you mean "Lawrence"?))"},
        {"LAWRNCE", R"( (did you mean "Lawrence"?))"},
        {"Lavq", R"( (did you mean "Lava" or "Lawn"?))"},
        {"Abx", R"( (did you mean "Abe", "Abed" or "Abel"?))"},
        {"Zzzzz", ""},
        {"", ""},
    };
    for (const auto &[typed, suggestion] : rows)
        EXPECT_EQ(UnknownNameMessage(4, QString::fromLatin1(typed), known),
                  QStringLiteral("Unknown star name in line #4: \"%1\"").arg(QLatin1String(typed)) +
                      QString::fromLatin1(suggestion))
            << typed;
}
