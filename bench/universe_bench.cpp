// The universe file round trip: load a 999-planet Huge universe, set every
// star, save it.
//   build/test/bench/universe_bench
#include "messages.h"
#include "random.h"
#include "starsxy.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A valid universe of 999 stars spread over a Huge map, built in memory.
QByteArray HugeImage()
{
    QByteArray image;
    auto put16 = [&](uint16_t v) {
        image.append(char(v & 0xFF));
        image.append(char(v >> 8));
    };
    put16(0x2010);
    image.append("J3J3", 4);
    image.append(QByteArray(12, '\0'));
    put16(uint16_t((7 << 10) | 64));
    image.append(QByteArray(64, char(0x5A)));
    TRandom r;
    for (int i = 0; i < 999; ++i) {
        const uint32_t delta = i == 0 ? 0 : 2;
        const uint32_t y = 1000 + r.RandomInt(1999);
        const uint32_t word = delta | (y << 10) | (uint32_t(i) << 22);
        put16(uint16_t(word & 0xFFFF));
        put16(uint16_t(word >> 16));
    }
    put16(0x0002);
    put16(8);
    return image;
}

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
