// The fair-starts proposal on the 999-planet Huge universe: four groups of
// one planet each, and sixteen named planets (four groups of four), each
// searched to its end.
//   build/test/bench/fairstarts_bench
#include "fairstarts.h"
#include "hugeimage.h"
#include "planetnames.h"
#include "starsxy.h"

#include <benchmark/benchmark.h>

namespace {

void BM_Propose(benchmark::State &state)
{
    const TStarsXY universe = TStarsXY::FromImage(HugeImage());
    const int groups = 4, each = int(state.range(0)) / groups;
    // Planets spread over the file, so the players start apart.
    std::vector<QStringList> names(groups);
    for (int g = 0; g < groups; ++g)
        for (int p = 0; p < each; ++p)
            names[size_t(g)] << NameById(universe.GetStar(50 + 60 * (g * each + p)).NameId);
    for (auto _ : state) {
        TFairStarts proposal(universe, names, 100, 0);
        while (!proposal.Step(1000)) {
        }
        benchmark::DoNotOptimize(proposal.Best());
    }
}
BENCHMARK(BM_Propose)->Arg(4)->Arg(16)->ArgName("planets")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
