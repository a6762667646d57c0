#include "generationrun.h"

#include "random.h"
#include "templatelist.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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
