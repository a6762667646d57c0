// Placement of every star of a universe from a template bitmap: random
// pixels are drawn until one passes the template test (light pixels pass
// more often), mapped onto the universe and handed to SetStar, which adds the
// jitter and keeps the minimum distance.
#pragma once

#include "starsxy.h"

#include <QImage>
#include <cstdint>
#include <array>
#include <functional>
#include <optional>
#include <vector>

// At most this many candidates are drawn for one star.
inline constexpr int DrawLimit = 50000;
// At most this many accepted candidates are tried with SetStar for one star.
inline constexpr int AttemptLimitMaximized = 250; // "Maximize search" checked
inline constexpr int AttemptLimitNormal = 25;
constexpr int AttemptLimitFor(bool MaximizeSearch)
{
    return MaximizeSearch ? AttemptLimitMaximized : AttemptLimitNormal;
}
// The bottom rows of a template are never sampled.
inline constexpr int UnsampledRows = 20;
// The weight table has entries 0..WeightCount - 1, entry i being i * i.
inline constexpr int WeightCount = 50;

struct TPlacementSettings {
    int Sensitivity = 25;   // divisor of the darkness, 1..2000; below 1 counts as 1
    bool FreeSpace = false; // free space mode: reject pixels darker than Threshold
    int Threshold = 235;    // largest darkness that free space mode lets through
    int AttemptLimit = AttemptLimitMaximized;
};

struct TPlacementHooks {
    // Asked at the top of every pass, before the candidate is counted; true
    // ends the run at once.
    std::function<bool()> StopRequested;
    // Called after every placed star with the number of stars placed so far.
    std::function<void(int Placed)> StarPlaced;
};

enum class TPlacementEnd { Completed, Stopped };

// What a run did, for progress figures and benchmarks.
struct TPlacementStats {
    int64_t Candidates = 0; // pixels drawn
    int64_t Tries = 0;      // candidates handed to SetStar
    int64_t Placed = 0;     // stars placed
};

// The placement as a run that goes one star at a time, so a window can show
// progress and let other events in between stars without a nested loop.
// PlaceStars below is the whole run at once; both make the same draws in
// the same order.
class TPlacement {
public:
    // Refuses a template that is too small (TMsg::TemplateTooSmall) before
    // any draw. Universe and its bounds must outlive the run.
    TPlacement(TStarsXY &Universe, const QImage &Template, const TPlacementSettings &Settings);
    // Draws until the next star is placed: nothing while stars remain,
    // Completed when every star is placed, Stopped when StopRequested (asked
    // at the top of every pass) said so. Throws as PlaceStars does.
    std::optional<TPlacementEnd> PlaceNext(const std::function<bool()> &StopRequested = {});
    int Placed() const { return FPlaced; }
    const TPlacementStats &Stats() const { return FStats; }

private:
    TStarsXY &FUniverse;
    TPlacementSettings FSettings;
    int32_t FWidth, FHeight;
    TBounds FBounds;
    double FScaleX = 0, FScaleY = 0;
    std::array<bool, 256> FFreeSpaceReject{};
    std::array<int32_t, 256> FWeightOf{};
    std::vector<uint8_t> FDarkness;
    int32_t FPlaced = 0, FDraws = 0, FAttempts = 0;
    TPlacementStats FStats;
};

// Places stars 0..StarCount - 1 in file order within the universe's bounds
// (GetBounds, so the caller sets MinDistance and the size class first). All
// draws come from ProgramRandom(), which also gives SetStar its jitter: per
// candidate the column, the row, the real of the weighted test unless free
// space mode rejected the pixel, and for a tried candidate the two jitter
// draws. Nothing is saved.
//
// Throws EZorvane with TMsg::TemplateTooSmall, before any draw, for a
// template without columns or with 20 rows or fewer, and with
// TMsg::UniverseTooSmall when one star needs more than DrawLimit candidates
// or more than Settings.AttemptLimit tries. Stars placed before a stop or a
// failure stay placed in Universe.
TPlacementEnd PlaceStars(TStarsXY &Universe, const QImage &Template, const TPlacementSettings &Settings,
                         const TPlacementHooks &Hooks = {}, TPlacementStats *Stats = nullptr);

// The index into the weight table for a darkness 0..255: the darkness divided
// by the Sensitivity (at least 1), rounded to nearest with ties to even, and
// at most WeightCount - 1.
int WeightIndex(int Darkness, int Sensitivity);

// 255 minus the blue channel of each pixel of rows 0..Rows - 1, row by row,
// exactly as QImage::pixel() reports it for every image format (an indexed
// image takes blue from its colour table; an index beyond the table counts
// as black).
std::vector<uint8_t> TemplateDarkness(const QImage &Image, int Rows);
