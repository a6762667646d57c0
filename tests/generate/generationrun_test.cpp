#include "generationrun.h"

#include "random.h"
#include "templatelist.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Runs the event loop until Run has ended (at most 60 s).
void WaitForEnd(TGenerationRun &Run)
{
    bool ended = false;
    QObject::connect(&Run, &TGenerationRun::Ended, [&] { ended = true; });
    QElapsedTimer clock;
    clock.start();
    while (!ended && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(ended);
}

} // namespace

// A run on the event loop writes the universe of the independent
// reference (golden_placement.py, case tiny2-letters-tiny, seed 0), is
// recorded for undo with the bytes it read, and a stopped run draws nothing
// and writes nothing.
TEST(GenerationRun, WritesTheReferenceUniverseOrNothingWhenStopped)
{
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped" : "completed");
        TScratch dir;
        const QString path = dir.CopyReal(QStringLiteral("tiny-32planets-2players.xy"));
        const QByteArray original = ReadBytes(path);
        TUniverseSession session;
        session.Open(path);
        TStarsXY universe = session.ReadForOperation();
        universe.MinDistance = 20;
        universe.SetSizeIndex(0);
        QImage image;
        ASSERT_TRUE(LoadTemplateImage(QStringLiteral(ZV_TEMPLATES_DIR "/letters.bmp"), image));
        ProgramRandom().Seed = 0;
        TGenerationRun run(session, std::move(universe), image, {10, false, 235, 25}, QStringLiteral("placed"));
        run.Start();
        EXPECT_TRUE(session.Busy());
        if (stop)
            run.Stop();
        WaitForEnd(run);
        EXPECT_FALSE(session.Busy());
        if (stop) {
            EXPECT_EQ(run.End(), TRunEnd::Stopped);
            EXPECT_EQ(ProgramRandom().Seed, 0u);
            EXPECT_EQ(ReadBytes(path), original);
            EXPECT_FALSE(session.CanUndo());
            continue;
        }
        EXPECT_EQ(run.End(), TRunEnd::Written);
        EXPECT_EQ(ReadBytes(path), ReadBytes(QStringLiteral(ZV_GENERATE_DATA "/tiny2-letters-tiny.xy")));
        EXPECT_EQ(ProgramRandom().Seed, 4001038765u);
        EXPECT_EQ(session.Undo(), QStringLiteral("placed"));
        EXPECT_EQ(ReadBytes(path), original);
    }
}

// Another program's lock on the file holds the final write up: the run
// stays under way (the window answers, Stop still ends it) and writes once
// the lock goes, or gives up after about two seconds with the reason.
TEST(GenerationRun, AnotherProgramsLockHoldsTheWriteUp)
{
    const struct {
        int HeldMs;
        bool Stop;
        TRunEnd End;
    } rows[] = {{400, false, TRunEnd::Written}, {5000, false, TRunEnd::Failed}, {5000, true, TRunEnd::Stopped}};
    for (const auto &row : rows) {
        TScratch dir;
        const QString path = dir.CopyReal(QStringLiteral("tiny-32planets-2players.xy"));
        const QByteArray original = ReadBytes(path);
        TUniverseSession session;
        session.Open(path);
        QImage image;
        ASSERT_TRUE(LoadTemplateImage(QStringLiteral(ZV_TEMPLATES_DIR "/letters.bmp"), image));
        TGenerationRun run(session, session.ReadForOperation(), image, {10, false, 235, 25}, QStringLiteral("placed"));
        const TLockHolder holder(path, row.HeldMs);
        QSignalSpy ended(&run, &TGenerationRun::Ended);
        run.Start();
        if (row.Stop) {
            QTest::qWait(300);
            EXPECT_TRUE(session.Busy()) << "still under way, waiting";
            run.Stop();
        }
        ASSERT_TRUE(ended.count() == 1 || ended.wait(5000));
        EXPECT_EQ(run.End(), row.End);
        EXPECT_EQ(ReadBytes(path) == original, row.End != TRunEnd::Written);
        EXPECT_EQ(session.CanUndo(), row.End == TRunEnd::Written);
        if (row.End == TRunEnd::Failed) {
            EXPECT_EQ(MessageOf([&] { std::rethrow_exception(run.Error()); }),
                      FormatStr(TMsg::FileLockedBy, {static_cast<long long>(holder.Pid()), path}));
        }
    }
}
