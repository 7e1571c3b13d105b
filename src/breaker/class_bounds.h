// The bounds on a trial code's M-classes, from what is known of each class before and while
// its candidates are counted: the least largest class and the least sum of squares that the
// class sizes and the counts so far allow (water poured into the lowest counts first), and the
// moments of P (the total, and the total of pairs of places that hold the trial's signs) that
// a class must end with. A trial code whose bounds show it strictly worse than the best so far
// is given up; the bounds never give up a code that could still win or tie (why: README.md,
// sections 1 and 4).
#pragma once

#include <cstdint>

#include "match/code.h"

// What one M-class can end with at best.
struct Bound {
    int64_t Max = 0;
    int64_t Squares = 0;
    bool Over = false;     // the class must end above the best's largest class
    bool Reaches = false;  // the class must end at least at the best's largest class
};

// Everything one trial code's count needs to know about its M-classes.
struct ClassPlan {
    int Length = 0;
    int64_t Size[MaxCodeLength + 1] = {};  // candidates per M-class
    int32_t ClassGroups = 0;  // the groups of the class being counted: Order[0..ClassGroups)
    int64_t Counts[MaxCodeLength + 1][MaxCodeLength + 1] = {};  // [m][P]
    int64_t Done[MaxCodeLength + 1] = {};                       // candidates counted per class
    Bound Bounds[MaxCodeLength + 1];
    bool Moments = false;                   // Total holds the classes' totals of P
    int64_t Total[MaxCodeLength + 1] = {};  // per M-class: the sum of P over its candidates
    bool Pairs = false;  // PairTotal holds per class the sum of P(P-1)/2 over its candidates
    int64_t PairTotal[MaxCodeLength + 1] = {};
    // TripleTotal holds per class the sum of P(P-1)(P-2)/6: the triples of places that hold the
    // trial's signs.
    bool Triples = false;
    int64_t TripleTotal[MaxCodeLength + 1] = {};
    // The least size of a class whose TripleTotal (and PairTotal) was summed.
    int64_t TripleFrom = INT64_MAX;
};

// The P values that class m can hold, in increasing order, with their counts so far: 0..m;
// for m = L the value L - 1 cannot occur (the same signs on all but one place put the last one
// right too), and L, the trial itself, holds one candidate at most.
int ValuesOf(int m, int length, const int64_t* counts, int64_t* value, int64_t* count);
// The least and the largest total of P that class sizes staying at or below h can reach,
// starting from the counts so far and ending with `size` candidates (the lowest or the highest
// values of P filled first); false when no class sizes at or below h hold the candidates at all.
// With capped the last value holds one candidate at most.
bool TotalRange(const int64_t* value, const int64_t* count, int n, bool capped, int64_t size,
                int64_t h, int64_t& least, int64_t& most);
// Whether class sizes that stay at or below h, start from the counts so far and end with `size`
// candidates can have the given total of P (and, with pairs, the given sum of P(P-1)/2).
bool MomentFits(const int64_t* value, const int64_t* count, int n, bool capped, int64_t size,
                int64_t total, bool pairs, int64_t pairTotal, int64_t h);
// The bound of class m of the plan against the best's largest class. fitsFrom is a height that
// the class's moments are already known to fit at (nothing counted yet and the plan's moments
// the same), INT64_MAX when none: no height at or above it is tried again, since a class that
// fits at some height fits at every greater one.
// With cubics unset the third moment is left out (a speed choice: the bound is only weaker).
Bound ClassBound(const ClassPlan& plan, int m, int32_t bestMax, int64_t fitsFrom = INT64_MAX,
                 bool cubics = true);
// Whether class m of the plan, its counts so far (plan.Counts, plan.Done) lower bounds of its
// final ones, can keep every P-class at or below h with its third moment too (plan.Triples, and
// its triple total summed): false when some cubic in P shows that it cannot. Cubics are tried,
// not all of them: true may mean only that none was found.
bool CubicFits(const ClassPlan& plan, int m, int64_t h);
// Whether the bounds of the plan's classes show the trial code strictly worse than the best;
// the largest class they allow goes into boundMax.
bool Loses(const ClassPlan& plan, int64_t bestSquares, int64_t& boundMax);
