// The universe file round trip: load a 999-planet Huge universe, set every
// star, save it.
//   build/test/bench/universe_bench
#include "messages.h"
#include "random.h"
#include "starsxy.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include "hugeimage.h"

#include <benchmark/benchmark.h>

namespace {


// New positions for every star, far enough apart that most jittered
// positions are accepted, as in a generation.
void SetEveryStar(TStarsXY &universe, bool jitter)
{
    TRandom r;
    for (int i = 0; i < universe.StarCount; ++i) {
        try {
            universe.SetStar(i, 1000 + int(r.RandomInt(1999)), 1000 + int(r.RandomInt(1999)), -1, jitter);
        } catch (const EZorvane &) {
        }
    }
}

void BM_RoundTripInMemory(benchmark::State &state)
{
    const QByteArray image = HugeImage();
    const bool jitter = state.range(0) != 0;
    for (auto _ : state) {
        TStarsXY universe = TStarsXY::FromImage(image);
        universe.SetSizeIndex(4);
        universe.MinDistance = 3;
        SetEveryStar(universe, jitter);
        benchmark::DoNotOptimize(universe.PackImage(true));
    }
}
BENCHMARK(BM_RoundTripInMemory)->ArgName("jitter")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_RoundTripOnDisk(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.xy"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(HugeImage());
    }
    for (auto _ : state) {
        TStarsXY universe(path);
        universe.SetSizeIndex(4);
        universe.MinDistance = 3;
        SetEveryStar(universe, true);
        universe.SaveToFile(path, true);
    }
}
BENCHMARK(BM_RoundTripOnDisk)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
