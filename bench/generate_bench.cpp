// Placement of a 999-star Huge universe from each sample template, with the
// template's own Sensitivity and free space setting, minimum distance 3 and
// "Maximize search" checked: the whole run without the window (template
// already loaded, nothing saved), and the darkness table alone.
//   build/bench/generate_bench
#include "placement.h"
#include "templatelist.h"
#include "templatesettings.h"

#include "random.h"
#include "starsxy.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include "hugeimage.h"

#include <benchmark/benchmark.h>

namespace {

// The sample templates, found from this source file.
QString TemplatesDir()
{
    return QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../resources/templates"));
}


struct TSample {
    QImage Image;
    TPlacementSettings Settings;
};

TSample LoadSample(const QString &Name)
{
    TSample sample;
    const QString path = TemplatesDir() + u'/' + Name;
    if (!LoadTemplateImage(path, sample.Image))
        return sample;
    const TTemplateControls controls = ControlValues(ReadTemplateSettings(SettingsFileName(path)));
    sample.Settings = {controls.Chv, controls.FreeSp, controls.FreeSpaceRng.value_or(235), AttemptLimitMaximized};
    return sample;
}

const QStringList &SampleNames()
{
    static const QStringList names = ListTemplates(TemplatesDir());
    return names;
}

void BM_PlaceHuge999(benchmark::State &state)
{
    const QString name = SampleNames().value(int(state.range(0)));
    const TSample sample = LoadSample(name);
    if (sample.Image.isNull()) {
        state.SkipWithError("sample template not found");
        return;
    }
    state.SetLabel(name.toStdString());
    const QByteArray image = HugeImage();
    int64_t candidates = 0, tries = 0;
    uint32_t seed = 0;
    for (auto _ : state) {
        TStarsXY universe = TStarsXY::FromImage(image);
        universe.MinDistance = 3;
        universe.SetSizeIndex(4);
        ProgramRandom().Seed = seed++;
        TPlacementStats stats;
        PlaceStars(universe, sample.Image, sample.Settings, {}, &stats);
        candidates += stats.Candidates;
        tries += stats.Tries;
    }
    state.counters["candidates/s"] = benchmark::Counter(double(candidates), benchmark::Counter::kIsRate);
    state.counters["candidates/run"] = benchmark::Counter(double(candidates), benchmark::Counter::kAvgIterations);
    state.counters["tries/run"] = benchmark::Counter(double(tries), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PlaceHuge999)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_TemplateDarkness(benchmark::State &state)
{
    const TSample sample = LoadSample(SampleNames().value(int(state.range(0))));
    state.SetLabel(SampleNames().value(int(state.range(0))).toStdString());
    for (auto _ : state)
        benchmark::DoNotOptimize(TemplateDarkness(sample.Image, sample.Image.height() - UnsampledRows));
}
BENCHMARK(BM_TemplateDarkness)->Arg(0)->Arg(5)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
