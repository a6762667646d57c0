// The universe view: a repaint of a 999-planet Huge universe with names in
// a 1920 x 1080 drawing, and a zoom step (a wheel notch and its repaint),
// each without and with the template laid over the universe.
// Both go through the widget's real paint path on the platform in use
// (headless unless QT_QPA_PLATFORM says otherwise).
//   build/bench/view_bench
#include "../tests/fakedialogs.h"
#include "hugeimage.h"
#include "starsxy.h"
#include "universeview.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <benchmark/benchmark.h>

namespace {

constexpr QSize FullScreen(1920, 1080);

struct TBenchView {
    TFakeDialogs Dialogs;
    QTemporaryDir Folder;
    TUniverseSession Session;
    TRelocation Relocation{Session};
    TUniverseView View{Dialogs, Session, Relocation};
    TUniverseCanvas *Canvas = View.Canvas();

    explicit TBenchView(bool Template = false)
    {
        QFile file(Folder.filePath(QStringLiteral("huge.xy")));
        file.open(QIODevice::WriteOnly);
        file.write(HugeImage());
        file.close();
        Session.Open(file.fileName());
        Relocation.AddGroup();
        Relocation.SetGroupText(0, QStringLiteral("007, Abel"));
        Relocation.AddGroup();
        Relocation.SetGroupText(1, QStringLiteral("Zulu"));
        if (Template) {
            QImage picture(400, 420, QImage::Format_RGB32);
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
            View.SetTemplate(picture);
            View.SetTemplateShown(true);
        }
        Canvas->setFixedSize(FullScreen);
        View.Open();
        QApplication::processEvents();
        Canvas->repaint(); // every name drawn once
    }
    bool Ready() const { return Canvas->size() == FullScreen && Canvas->isVisible(); }
};

void BM_Repaint(benchmark::State &state)
{
    TBenchView bench(state.range(0) != 0);
    if (!bench.Ready())
        state.SkipWithError("the drawing is not 1920 x 1080");
    for (auto _ : state)
        bench.Canvas->repaint();
}
BENCHMARK(BM_Repaint)->Arg(0)->ArgName("template")->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ZoomStep(benchmark::State &state)
{
    TBenchView bench(state.range(0) != 0);
    if (!bench.Ready())
        state.SkipWithError("the drawing is not 1920 x 1080");
    // Ten notches in about one point, ten out, and again: every zoom level
    // from the fitted square to about ten times closer.
    const QPointF at(700, 400);
    int step = 0;
    for (auto _ : state) {
        const int notch = (step++ / 10) % 2 == 0 ? 120 : -120;
        QWheelEvent wheel(at, bench.Canvas->mapToGlobal(at), QPoint(), QPoint(0, notch), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(bench.Canvas, &wheel);
        bench.Canvas->repaint();
    }
}
BENCHMARK(BM_ZoomStep)->Arg(0)->ArgName("template")->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
