// The map: a repaint of a 999-planet Huge universe from its file on disk
// (reread, parse, draw), a pointer move (two pixels) and a blink tick (one).
//   build/bench/map_bench
#include "random.h"
#include "starmap.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include "hugeimage.h"

#include <benchmark/benchmark.h>

namespace {


struct THugeFile {
    QTemporaryDir Dir;
    QString Path;
    THugeFile() : Path(Dir.filePath(QStringLiteral("huge.xy")))
    {
        QFile file(Path);
        if (!file.open(QIODevice::WriteOnly) || file.write(HugeImage()) < 0)
            throw std::runtime_error("cannot write the universe");
    }
};

void BM_PaintMap(benchmark::State &state)
{
    THugeFile huge;
    TStarMap map;
    map.SetMarks({{50, 50, 0x008000}, {150, 100, 0xC0C0C0}, {250, 200, 0x800000}});
    // A paint draws the universe the session holds; the session reads the
    // file once per change, so the read is not part of a paint.
    const TStarsXY universe(huge.Path);
    for (auto _ : state) {
        auto facts = map.PaintMap(&universe, 1500, 1700);
        if (!facts || !facts->Drawn)
            state.SkipWithError("the paint failed");
        benchmark::DoNotOptimize(facts);
    }
}
BENCHMARK(BM_PaintMap)->Unit(benchmark::kMicrosecond);

void BM_PointerMove(benchmark::State &state)
{
    THugeFile huge;
    TStarMap map;
    const TStarsXY universe(huge.Path);
    map.PaintMap(&universe, -1, -1);
    int pixels = 0;
    const TStarMap::TPixelSink sink = [&](QPoint) { ++pixels; };
    int x = 0;
    for (auto _ : state) {
        x = (x + 37) % MapWidth;
        TPointerReport report = map.MouseMove(x, (x * 5) % MapHeight, sink);
        benchmark::DoNotOptimize(report);
    }
    state.counters["pixels/move"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PointerMove)->Unit(benchmark::kMicrosecond);

void BM_BlinkTick(benchmark::State &state)
{
    THugeFile huge;
    TStarMap map;
    const TStarsXY universe(huge.Path);
    map.PaintMap(&universe, -1, -1);
    map.MouseMove(100, 100);
    TRandom random;
    for (auto _ : state)
        benchmark::DoNotOptimize(map.BlinkTick(random));
}
BENCHMARK(BM_BlinkTick);

} // namespace

BENCHMARK_MAIN();
