#include "placement.h"

#include "extended.h"
#include "messages.h"
#include "random.h"

#include <QColor>
#include <algorithm>
#include <array>
#include <cmath>

int WeightIndex(int Darkness, int Sensitivity)
{
    const int s = std::max(Sensitivity, 1);
    int q = Darkness / s;
    const int twiceRest = 2 * (Darkness % s);
    if (twiceRest > s || (twiceRest == s && q % 2 != 0))
        ++q;
    // With a Sensitivity of 5 or less the darkest pixels give 50 and more:
    // they take the last weight, so such a template uses its brightest
    // points almost only.
    return std::min(q, WeightCount - 1);
}

std::vector<uint8_t> TemplateDarkness(const QImage &Image, int Rows)
{
    const int w = Image.width();
    Rows = std::clamp(Rows, 0, Image.height());
    std::vector<uint8_t> dark(static_cast<size_t>(w) * static_cast<size_t>(Rows));
    const QList<QRgb> table = Image.colorTable();
    auto fromTable = [&](int index) -> uint8_t {
        // QImage::pixel() gives 0 (black) for an index beyond the table.
        return index < table.size() ? static_cast<uint8_t>(qBlue(table[index])) : 0;
    };
    for (int y = 0; y < Rows; ++y) {
        const uchar *s = Image.constScanLine(y);
        uint8_t *out = dark.data() + static_cast<size_t>(y) * w;
        switch (Image.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32: {
            const auto *p = reinterpret_cast<const QRgb *>(s);
            for (int x = 0; x < w; ++x)
                out[x] = static_cast<uint8_t>(qBlue(p[x]));
            break;
        }
        case QImage::Format_RGB888:
            for (int x = 0; x < w; ++x)
                out[x] = s[3 * x + 2];
            break;
        case QImage::Format_Grayscale8:
            for (int x = 0; x < w; ++x)
                out[x] = s[x];
            break;
        case QImage::Format_Indexed8:
            for (int x = 0; x < w; ++x)
                out[x] = fromTable(s[x]);
            break;
        case QImage::Format_Mono:
            for (int x = 0; x < w; ++x)
                out[x] = fromTable((s[x >> 3] >> (7 - (x & 7))) & 1);
            break;
        case QImage::Format_MonoLSB:
            for (int x = 0; x < w; ++x)
                out[x] = fromTable((s[x >> 3] >> (x & 7)) & 1);
            break;
        default:
            // Premultiplied, 16-bit and deep formats: QImage::pixel() does the
            // conversion, so the result is the same by construction.
            for (int x = 0; x < w; ++x)
                out[x] = static_cast<uint8_t>(qBlue(Image.pixel(x, y)));
            break;
        }
        for (int x = 0; x < w; ++x)
            out[x] = static_cast<uint8_t>(255 - out[x]);
    }
    return dark;
}

TPlacement::TPlacement(TStarsXY &Universe, const QImage &Template, const TPlacementSettings &Settings)
    : FUniverse(Universe), FSettings(Settings), FWidth(Template.width()),
      FHeight(Template.height() - UnsampledRows)
{
    // Without a column or a sampled row there is nothing to draw from, and
    // the scale would divide by zero: refuse before the first draw.
    if (FWidth <= 0 || FHeight <= 0)
        throw EZorvane(TMsg::TemplateTooSmall, {Template.width(), Template.height()});

    FBounds = Universe.GetBounds();
    FScaleX = static_cast<double>(int64_t{FBounds.Right} - FBounds.Left) / FWidth;
    FScaleY = static_cast<double>(int64_t{FBounds.Bottom} - FBounds.Top) / FHeight;

    // The template test per darkness, worked out once: whether free space
    // mode rejects it outright, else its weight.
    std::array<int32_t, WeightCount> weights{};
    for (int i = 0; i < WeightCount; ++i)
        weights[i] = i * i;
    for (int d = 0; d < 256; ++d) {
        FFreeSpaceReject[d] = Settings.FreeSpace && d > Settings.Threshold;
        FWeightOf[d] = weights[WeightIndex(d, Settings.Sensitivity)];
    }
    FDarkness = TemplateDarkness(Template, FHeight);
}

std::optional<TPlacementEnd> TPlacement::PlaceNext(const std::function<bool()> &StopRequested)
{
    TRandom &random = ProgramRandom();
    while (FPlaced < FUniverse.StarCount) {
        if (StopRequested && StopRequested())
            return TPlacementEnd::Stopped;
        if (++FDraws > DrawLimit)
            throw EZorvane(TMsg::UniverseTooSmall);
        ++FStats.Candidates;
        const uint32_t px = random.RandomInt(static_cast<uint32_t>(FWidth));
        const uint32_t py = random.RandomInt(static_cast<uint32_t>(FHeight));
        const uint8_t dark = FDarkness[static_cast<size_t>(py) * FWidth + px];
        if (FFreeSpaceReject[dark])
            continue; // no draw for the weighted test
        const double u = random.RandomReal();
        if (static_cast<int64_t>(u * FWeightOf[dark]) != 0)
            continue;
        if (++FAttempts > FSettings.AttemptLimit)
            throw EZorvane(TMsg::UniverseTooSmall);
        ++FStats.Tries;
        // The products are rounded to a 64-bit mantissa before they are
        // truncated; a double product would land elsewhere in rare cases, and
        // so would every universe after it.
        const int64_t x = FBounds.Left + ExtendedTruncProduct(px, FScaleX);
        const int64_t y = FBounds.Top + ExtendedTruncProduct(py, FScaleY);
        try {
            FUniverse.SetStar(FPlaced, static_cast<int32_t>(x), static_cast<int32_t>(y), -1, true);
        } catch (const EZorvane &) {
            continue; // too close to another star or jittered out: draw again
        }
        ++FPlaced;
        ++FStats.Placed;
        FAttempts = 0;
        FDraws = 0;
        return std::nullopt;
    }
    return TPlacementEnd::Completed;
}

TPlacementEnd PlaceStars(TStarsXY &Universe, const QImage &Template, const TPlacementSettings &Settings,
                         const TPlacementHooks &Hooks, TPlacementStats *Stats)
{
    if (Stats)
        *Stats = {};
    TPlacement placement(Universe, Template, Settings);
    // The figures so far also when the run fails.
    struct TReport {
        const TPlacement &Run;
        TPlacementStats *To;
        ~TReport()
        {
            if (To)
                *To = Run.Stats();
        }
    } report{placement, Stats};
    std::optional<TPlacementEnd> end;
    while (!(end = placement.PlaceNext(Hooks.StopRequested)))
        if (Hooks.StarPlaced)
            Hooks.StarPlaced(placement.Placed());
    return *end;
}
