// Universe files for the map tests, written from stars given in the model's
// orientation, and the "unit" universe whose scales are exactly 1.
#pragma once

#include "starmap.h"
#include "starsxy.h"
#include "testsupport.h"

#include <algorithm>
#include <optional>
#include <vector>

// A universe file image holding Stars (absolute X in file order, Y in the
// model's orientation). Loading mirrors Y between its smallest and largest
// value, so the file holds min + max - Y.
inline QByteArray ModelImage(const std::vector<TStarRec> &Stars, uint16_t Players = 2)
{
    uint32_t minY = 0, maxY = 0;
    if (!Stars.empty()) {
        const auto [lo, hi] = std::minmax_element(Stars.begin(), Stars.end(),
                                                  [](const TStarRec &a, const TStarRec &b) { return a.Y < b.Y; });
        minY = lo->Y;
        maxY = hi->Y;
    }
    std::vector<uint32_t> words;
    uint32_t previous = 1000;
    for (const TStarRec &s : Stars) {
        words.push_back(Word(s.X - previous, minY + maxY - s.Y, s.NameId));
        previous = s.X;
    }
    return MakeImage(words, Players);
}

// Stars spanning x 1000..1272 and y 1000..1228: the bounds are 1000..1273 and
// 1000..1228, so ScaleX = 273 / 273 and ScaleY = 228 / 228, and a star's
// pixel is (X - 1000, Y - 1000). The third star lies on the bottom edge, in
// row 228 below the map.
inline const std::vector<TStarRec> &UnitStars()
{
    static const std::vector<TStarRec> stars = {
        {1000, 1000, 0},   // pixel (0, 0), "007"
        {1010, 1128, 9},   // pixel (10, 128), "A'po"
        {1020, 1228, 998}, // row 228: not on the map
        {1272, 1078, 5},   // pixel (272, 78), "668"
    };
    return stars;
}

inline QString WriteUniverse(const TScratch &Scratch, const QString &Name, const std::vector<TStarRec> &Stars,
                             uint16_t Players = 2)
{
    const QString path = Scratch.Path(Name);
    WriteBytes(path, ModelImage(Stars, Players));
    return path;
}

// The map drawn from the universe file at Path as the session hands it over:
// read whole, or no universe at all when it cannot be read.
inline std::optional<TMapFacts> PaintFile(TStarMap &Map, const QString &Path, int32_t BandLeft, int32_t BandRight)
{
    std::optional<TStarsXY> universe;
    try {
        universe.emplace(Path);
    } catch (const std::exception &) {
    }
    return Map.PaintMap(universe ? &*universe : nullptr, BandLeft, BandRight);
}
