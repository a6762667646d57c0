// The relocation controller without a window: the groups, the pick's one
// clamp and its keys, the moves and the marks of the names moved.
#include "relocationcontrol.h"

#include "messages.h"
#include "planetnames.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// Five planets, x 1000, 1040, 1050, 1060 and 1272, the middle one (id 9)
// with the band 1040..1060; y from 1200 to 1300; two players.
struct TPicking {
    TScratch Dir;
    QString Path = Dir.Path("u.xy");
    TUniverseSession Session;
    TRelocation Relocation{Session};
    QSignalSpy Said{&Relocation, &TRelocation::Said};
    TPicking()
    {
        WriteBytes(Path, MakeImage({Word(0, 1200, 7), Word(40, 1300, 8), Word(10, 1250, 9), Word(10, 1230, 10),
                                    Word(212, 1228, 11)}));
        Session.Open(Path);
    }
    void Group(const QString &Text)
    {
        EXPECT_TRUE(Relocation.AddGroup());
        Relocation.SetGroupText(Relocation.GroupCount() - 1, Text);
    }
    QString LastSaid() const { return Said.isEmpty() ? QString() : Said.last().at(0).toString(); }
};

} // namespace

// "+" up to one group per player, "Ins" into the active group, "-" from the
// end; names are checked against the universe before anything starts.
TEST(RelocationControl, GroupsAndTheirNames)
{
    TPicking p;
    EXPECT_EQ(p.Relocation.PlayerLimit(), 2);
    p.Relocation.InsertName(NameById(7));
    EXPECT_EQ(p.LastSaid(), LoadStr(TMsg::NoGroupForName));
    p.Group(QString());
    p.Relocation.InsertName(NameById(7));
    p.Relocation.InsertName(NameById(8));
    EXPECT_EQ(p.Relocation.GroupText(0), NameById(7) + u',' + NameById(8));
    p.Group(QString());
    EXPECT_EQ(p.Relocation.ActiveGroup(), 1);
    EXPECT_FALSE(p.Relocation.AddGroup());
    EXPECT_EQ(p.LastSaid(), FormatStr(TMsg::GroupLimit, {2LL}));

    const std::pair<QString, QString> refused[] = {
        {QStringLiteral("Zulu"), QStringLiteral("Unknown star name in line #2: \"Zulu\"")},
        {QString(), QStringLiteral("Unknown star name in line #2: \"\"")},
        {NameById(9) + QStringLiteral(",,") + NameById(9), QStringLiteral("Unknown star name in line #2: \"\"")},
    };
    for (const auto &[text, message] : refused) {
        p.Relocation.SetGroupText(1, text);
        EXPECT_EQ(MessageOf([&] { p.Relocation.Start(); }), message);
        EXPECT_FALSE(p.Relocation.Running());
        EXPECT_FALSE(p.Session.Busy());
    }
    p.Relocation.RemoveLastGroup();
    p.Relocation.RemoveLastGroup();
    EXPECT_EQ(p.Relocation.ActiveGroup(), -1);
    EXPECT_EQ(MessageOf([&] { p.Relocation.RemoveLastGroup(); }), LoadStr(TMsg::NothingToDelete));
}

// One clamp for the pointer, the keys and the universe view: x into the
// band (both edges allowed), y into the universe's extent. An arrow never
// moves the landing point against its direction, nor across it.
TEST(RelocationControl, TheLandingPointIsHeldInOnePlace)
{
    TPicking p;
    p.Group(NameById(9));
    p.Relocation.Start();
    ASSERT_TRUE(p.Relocation.Pick());
    EXPECT_EQ(p.Relocation.Pick()->Band, (TBand{1040, 1060}));
    EXPECT_EQ(p.Relocation.Landing(), QPoint(1050, 1250)) << "on the planet itself";
    const std::pair<QPoint, QPoint> held[] = {
        {{1010, 1241}, {1040, 1241}}, {{1039, 1241}, {1040, 1241}}, {{1040, 1241}, {1040, 1241}},
        {{1046, 1199}, {1046, 1200}}, {{1060, 1301}, {1060, 1300}}, {{1061, 1241}, {1060, 1241}},
        {{5000, 99999}, {1060, 1300}},
    };
    for (const auto &[at, expected] : held)
        EXPECT_EQ(p.Relocation.Hold(at), expected) << at.x() << "," << at.y();

    struct TStep {
        int DX, DY, Step;
        QPoint To;
    } steps[] = {
        {1, 0, 3, {1053, 1250}},  {0, 1, 3, {1053, 1253}},  {1, 0, 10, {1060, 1253}},
        {1, 0, 10, {1060, 1253}}, {-1, 0, 25, {1040, 1253}}, {0, -1, 99, {1040, 1200}},
    };
    for (const TStep &s : steps) {
        p.Relocation.StepLanding(s.DX, s.DY, s.Step);
        EXPECT_EQ(p.Relocation.Landing(), s.To) << s.DX << "," << s.DY << " by " << s.Step;
    }
}

// A name counts as moved while its write is in effect: an undo takes the
// mark away, a redo brings it back, another program's change clears it. A
// stopped run resumes with the names not yet moved; a run that moved them
// all forgets them. The planet left where it was writes nothing.
TEST(RelocationControl, MovedNamesFollowTheHistory)
{
    TPicking p;
    p.Group(NameById(9) + u',' + NameById(8));
    p.Relocation.Start();
    p.Relocation.MoveLanding({1044, 1260});
    p.Relocation.Place();
    EXPECT_EQ(p.LastSaid(), FormatStr(TMsg::StarMoved, {NameById(9), 1044LL, 1260LL}));
    EXPECT_EQ(p.Relocation.Pick()->Name, NameById(8));
    p.Relocation.Stop();
    EXPECT_EQ(p.LastSaid(), FormatStr(TMsg::RelocationStopped, {1LL, 2LL}));
    EXPECT_EQ(p.Relocation.Moved(0), QStringList{NameById(9)});
    p.Session.Undo();
    EXPECT_EQ(p.Relocation.Moved(0), QStringList());
    p.Session.Redo();
    EXPECT_EQ(p.Relocation.Moved(0), QStringList{NameById(9)});

    p.Relocation.Start();
    EXPECT_EQ(p.Said.at(p.Said.size() - 1).at(0).toString(), FormatStr(TMsg::ResumeRun, {1LL, 2LL}));
    EXPECT_EQ(p.Relocation.Pick()->Name, NameById(8));
    const QByteArray before = ReadBytes(p.Path);
    QSignalSpy ended(&p.Relocation, &TRelocation::RunEnded);
    p.Relocation.Place(); // not moved
    EXPECT_EQ(ReadBytes(p.Path), before);
    ASSERT_EQ(ended.size(), 1);
    EXPECT_FALSE(ended[0][0].toBool()) << "every name done";
    EXPECT_EQ(p.Relocation.Moved(0), QStringList()) << "the same groups can be moved again";

    p.Relocation.Start();
    p.Relocation.MoveLanding({1042, 1260});
    p.Relocation.Place();
    p.Relocation.Stop();
    ASSERT_EQ(p.Relocation.Moved(0), QStringList{NameById(9)});
    WriteBytes(p.Path, MakeImage({Word(0, 1200, 7), Word(40, 1300, 8), Word(10, 1250, 9), Word(10, 1230, 10),
                                  Word(212, 1229, 11)}));
    p.Session.Refresh();
    EXPECT_EQ(p.Relocation.Moved(0), QStringList()) << "another program changed the file";
}

// A write held up by another program's lock keeps the run under way; a stop
// ends it with nothing written.
TEST(RelocationControl, AStopEndsAWriteWaitingForALock)
{
    TPicking p;
    p.Group(NameById(9));
    p.Relocation.Start();
    p.Relocation.MoveLanding({1044, 1260});
    const QByteArray before = ReadBytes(p.Path);
    const TLockHolder holder(p.Path, 5000);
    p.Relocation.Place();
    EXPECT_TRUE(p.Relocation.Writing());
    EXPECT_TRUE(p.Relocation.Running());
    p.Relocation.MoveLanding({1050, 1270});
    EXPECT_EQ(p.Relocation.Landing(), QPoint(1044, 1260)) << "the landing point waits with the write";
    p.Relocation.Stop();
    EXPECT_FALSE(p.Relocation.Running());
    EXPECT_FALSE(p.Session.Busy());
    EXPECT_EQ(ReadBytes(p.Path), before);
    EXPECT_FALSE(p.Session.CanUndo());
}
