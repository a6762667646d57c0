// Fair starts: positions for the planets named in the groups, each where a
// pick would accept it, chosen to
//   1. make the smallest distance between planets of different groups as
//      large as possible (each distance counted as at most a target, when
//      the host sets one),
//   2. then the spread of the groups' room as small as possible,
//   3. then the spread of their territory as small as possible
// (room and territory as fairness.h counts them).
//
// A planet may go to any whole position with x inside its band and y within
// the file's present y extent, never onto a position another planet holds
// after the moves. Where named planets are neighbours in the file, their
// bands depend on each other: the whole chain keeps its order and every gap
// between neighbours stays within what the file can store (1023 light
// years); the first and last planets of the file use the pick's own edges.
//
// The search is exact (every allowed combination) while the product of the
// planets' candidate counts is at most ExhaustiveLimit; beyond that it is a
// deterministic local search from today's placement that only ever accepts
// a better placement. It makes no draw from the program's random generator,
// and it runs in slices (Step), so the window can answer meanwhile.
#pragma once

#include "starsxy.h"

#include <QPoint>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// The three criteria of a placement.
struct TFairScore {
    int64_t Closest = 0;         // smallest capped squared distance between groups; larger is better
    int64_t RoomSpread = 0;      // smaller is better
    int64_t TerritorySpread = 0; // smaller is better
    bool operator==(const TFairScore &) const = default;
    bool BetterThan(const TFairScore &Other) const;
};

class TFairStarts {
public:
    static constexpr double ExhaustiveLimit = 1e6;

    // The problem from the universe as read and the groups' names. Radius
    // counts the room; Target (0: none) caps each distance. Throws EZorvane
    // when no proposal can be made: fewer than two groups with planets, a
    // name no planet bears, a planet named twice.
    TFairStarts(const TStarsXY &Universe, const std::vector<QStringList> &Groups, int Radius, int Target);

    // Works for about BudgetMs; true once the search is over.
    bool Step(int BudgetMs);
    bool Done() const { return FDone; }
    // How far the search has come, 0 to 1.
    double Progress() const;
    bool Exhaustive() const { return FExhaustive; }

    TFairScore Before() const { return FBefore; }
    TFairScore Best() const { return FBestScore; }
    // Whether the best placement found beats today's.
    bool Improved() const { return FBestScore.BetterThan(FBefore); }
    // Star index and proposed position (light years, model orientation) of
    // every named planet, in file order.
    std::vector<std::pair<int32_t, QPoint>> Positions() const;

    // The criteria of a placement of the named planets (in file order), for
    // the proposal and anyone who wants to compare.
    TFairScore ScoreOf(const std::vector<QPoint> &Positions) const;

private:
    struct TVar {
        int32_t Star;
        int Group;
        int32_t MinX, MaxX; // the static range of x
        int Left = -1;      // the named neighbour just before in the file (a chain), or -1
        int Right = -1;     // ... just after
    };
    bool Allowed(const std::vector<QPoint> &Positions, size_t Var, QPoint At) const;
    // The first criterion: the smallest capped squared distance between
    // planets of different groups, the planet Skip left out.
    int64_t Closest(const std::vector<QPoint> &Positions, size_t Skip = size_t(-1)) const;
    bool Occupied(QPoint At) const;
    int64_t Candidates(size_t Var) const;
    void StepExhaustive();
    void StepLocal();
    // The best position for Var with the others held: a coarse lattice,
    // then finer ones around the best; true when it beats the current.
    bool ImproveVar(size_t Var);

    std::vector<TStarRec> FStars;
    std::vector<int32_t> FFree;   // the planets no group names
    std::vector<TVar> FVars;      // the named planets, in file order
    int FGroups = 0;
    int64_t FReach = 0;           // radius squared
    int64_t FCap = 0;             // target squared; 0: none
    int32_t FMinY = 0, FMaxY = 0;
    std::vector<uint64_t> FTaken; // positions of the free planets, sorted keys

    bool FExhaustive = false;
    bool FDone = false;
    TFairScore FBefore, FBestScore;
    std::vector<QPoint> FCurrent, FBest;
    // Exhaustive: the odometer over the vars' candidates.
    std::vector<int64_t> FDigit;
    double FCombinations = 0, FVisited = 0;
    // Local search: the var to improve next, the round, whether the round
    // improved anything.
    size_t FNextVar = 0;
    int FRound = 0;
    bool FRoundImproved = false;
};
