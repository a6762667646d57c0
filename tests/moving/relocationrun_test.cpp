#include "relocationrun.h"

#include "messages.h"
#include "planetnames.h"
#include "testsupport.h"

#include <gtest/gtest.h>

// Each name is read afresh from the file: the first moves within its band
// and is written; a planet that another program renamed meanwhile ends the
// run with its name, and nothing more is written.
TEST(RelocationRun, MovesEachNameFromTheFileAsItIsNow)
{
    TScratch dir;
    const QString path = dir.Path("u.xy");
    WriteBytes(path, MakeImage({Word(0, 1200, 7), Word(100, 1300, 8), Word(100, 1250, 9)}));
    TUniverseSession session;
    session.Open(path);
    TRelocationRun run(session, {{NameById(8)}, {NameById(9)}});

    ASSERT_TRUE(run.Advance());
    const TRelocationRun::TPending pending = *run.Pending();
    EXPECT_EQ(pending.Group, 0);
    EXPECT_EQ(pending.Index, 1);
    EXPECT_EQ(pending.Band, (TBand{1000, 1200}));
    EXPECT_EQ(run.Place(QPoint(1150, 1280)), FormatStr(TMsg::StarMoved, {NameById(8), 1150LL, 1280LL}));
    // Y 1280 in the model is 1200 + 1300 - 1280 in the file.
    EXPECT_EQ(FileStars(ReadBytes(path))[1], (TStarRec{1150, 1220, 8}));
    EXPECT_EQ(run.Moved(), (std::vector<QStringList>{{NameById(8)}, {}}));

    const QByteArray renamed = MakeImage({Word(0, 1200, 7), Word(150, 1220, 8), Word(50, 1250, 10)});
    WriteBytes(path, renamed);
    EXPECT_EQ(MessageOf([&] { run.Advance(); }), FormatStr(TMsg::StarGone, {NameById(9)}));
    EXPECT_EQ(ReadBytes(path), renamed);
    EXPECT_FALSE(run.Pending());
}
