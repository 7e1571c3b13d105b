// The bounds on a trial code's M-classes: the water fill of the class sizes and the fits of
// the moments of P.
#include "breaker/class_bounds.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The least largest class and the least sum of squares that one M-class can end with, given
// the counts so far of its possible P values and the candidates still to come: water poured
// into the lowest counts first gives both at once. With capped set the last value is the
// class of the trial itself (P = L), which holds one candidate at most: it takes its one
// before the others, which only lowers the bound.
Bound WaterFill(const int64_t* counts, int values, int64_t rest, bool capped) {
    int64_t level[MaxCodeLength + 1];
    int k = values;
    Bound bound;
    for (int v = 0; v < values; ++v) level[v] = counts[v];
    if (capped) {
        const int64_t own = level[--k];
        bound.Max = own;
        bound.Squares = own * own;
        rest = std::max<int64_t>(0, rest - (1 - own));
    }
    for (int i = 1; i < k; ++i) {
        const int64_t v = level[i];
        int j = i;
        for (; j > 0 && level[j - 1] > v; --j) level[j] = level[j - 1];
        level[j] = v;
    }
    int64_t sum = 0;
    for (int j = 1; j <= k; ++j) {
        sum += level[j - 1];
        const int64_t total = rest + sum;
        if (j < k && total > level[j] * j) continue;
        const int64_t q = total / j;
        const int64_t r = total % j;
        bound.Max = std::max(bound.Max, q + (r > 0 ? 1 : 0));
        bound.Squares += r * (q + 1) * (q + 1) + (j - r) * q * q;
        for (int i = j; i < k; ++i) {
            bound.Max = std::max(bound.Max, level[i]);
            bound.Squares += level[i] * level[i];
        }
        break;
    }
    return bound;
}

// Whether the spread of P can be as large as the moments say, with every value at or below its
// room: false when, around some centre y/2, the values farthest from it cannot reach the known
// sum of (2P - y)^2. The shortfall is convex in y and found by halving, led by the fill's slope.
// Why this is exact: README.md, section 4, F6.
template <typename Room>
bool SpreadFits(const int64_t* value, const int64_t* count, int n, int64_t rest, Room room,
                int64_t total, int64_t squares) {
    int64_t counted = 0;    // the sum of P over the counts so far
    int64_t countedSq = 0;  // and of P squared
    for (int i = 0; i < n; ++i) {
        counted += value[i] * count[i];
        countedSq += value[i] * value[i] * count[i];
    }
    int64_t lo = 0;
    int64_t hi = 2 * value[n - 1];
    while (lo <= hi) {
        const int64_t y = (lo + hi) / 2;
        auto distance = [&](int i) { return std::abs(2 * value[i] - y); };
        int64_t sum = counted;
        int64_t sumSq = countedSq;
        int64_t left = rest;
        for (int low = 0, high = n - 1; left > 0 && low <= high;) {
            const int i = distance(high) >= distance(low) ? high-- : low++;
            const int64_t add = std::min(left, room(i));
            sum += value[i] * add;
            sumSq += value[i] * value[i] * add;
            left -= add;
        }
        // g(y) = 4 (sumSq - squares) - 4 y (sum - total); the y^2 terms are alike (size each).
        const int64_t g = 4 * (sumSq - squares) - 4 * y * (sum - total);
        if (g < 0) return false;
        if (sum > total)
            lo = y + 1;
        else if (sum < total)
            hi = y - 1;
        else
            break;
    }
    return true;
}

}  // namespace

int ValuesOf(int m, int length, const int64_t* counts, int64_t* value, int64_t* count) {
    int n = 0;
    for (int v = 0; v <= m; ++v) {
        if (m == length && v == length - 1) continue;
        value[n] = v;
        count[n++] = counts[v];
    }
    return n;
}

bool TotalRange(const int64_t* value, const int64_t* count, int n, bool capped, int64_t size,
                int64_t h, int64_t& least, int64_t& most) {
    int64_t rest = size;
    int64_t base = 0;
    for (int i = 0; i < n; ++i) {
        rest -= count[i];
        base += value[i] * count[i];
    }
    auto room = [&](int i) {
        const int64_t cap = capped && i == n - 1 ? std::min<int64_t>(h, 1) : h;
        return std::max<int64_t>(0, cap - count[i]);
    };
    int64_t left = rest;
    least = base;
    for (int i = 0; i < n && left > 0; ++i) {
        const int64_t add = std::min(left, room(i));
        least += value[i] * add;
        left -= add;
    }
    if (left > 0) return false;
    left = rest;
    most = base;
    for (int i = n - 1; i >= 0 && left > 0; --i) {
        const int64_t add = std::min(left, room(i));
        most += value[i] * add;
        left -= add;
    }
    return true;
}

bool MomentFits(const int64_t* value, const int64_t* count, int n, bool capped, int64_t size,
                int64_t total, bool pairs, int64_t pairTotal, int64_t h) {
    // A class of at most h candidates keeps every P-class at or below h whatever its spread:
    // its own final counts are such sizes, with these moments, so no test below could fail.
    if (size <= h) return true;
    int64_t least = 0;
    int64_t most = 0;
    if (!TotalRange(value, count, n, capped, size, h, least, most)) return false;
    if (least > total || most < total) return false;
    if (!pairs || size == 0) return true;
    int64_t rest = size;
    for (int i = 0; i < n; ++i) rest -= count[i];
    auto room = [&](int i) {
        const int64_t cap = capped && i == n - 1 ? std::min<int64_t>(h, 1) : h;
        return std::max<int64_t>(0, cap - count[i]);
    };
    int64_t left = rest;
    // The spread of P is known too: sum of P squared = 2 x pairTotal + total. For every centre
    // y/2 the sum of (2P - y)^2 is fixed; the least it can be with classes at most h (filling
    // the values nearest the centre first) must not exceed it.
    const int64_t squares = 2 * pairTotal + total;
    const int64_t centre = size > 0 ? 2 * total / size : 0;
    for (int64_t y = centre - 1; y <= centre + 2; ++y) {
        const int64_t known = 4 * squares - 4 * y * total + y * y * size;
        auto weight = [&](int i) { return (2 * value[i] - y) * (2 * value[i] - y); };
        int64_t lowest = 0;
        for (int i = 0; i < n; ++i) lowest += weight(i) * count[i];
        // The values rise: the nearest to the centre are found walking out from it both ways
        // (of two as near, either: they weigh the same).
        int below = -1;
        while (below + 1 < n && 2 * value[below + 1] <= y) ++below;
        int above = below + 1;
        left = rest;
        while (left > 0 && (below >= 0 || above < n)) {
            const bool down =
                above >= n || (below >= 0 && y - 2 * value[below] <= 2 * value[above] - y);
            const int i = down ? below-- : above++;
            const int64_t add = std::min(left, room(i));
            lowest += weight(i) * add;
            left -= add;
        }
        if (lowest > known) return false;
    }
    return SpreadFits(value, count, n, rest, room, total, squares);
}

Bound ClassBound(const ClassPlan& plan, int m, int32_t bestMax, int64_t fitsFrom, bool cubics) {
    int64_t value[MaxCodeLength + 1];
    int64_t count[MaxCodeLength + 1];
    const int n = ValuesOf(m, plan.Length, plan.Counts[m], value, count);
    const bool capped = m == plan.Length;
    Bound bound = WaterFill(count, n, plan.Size[m] - plan.Done[m], capped);
    bound.Over = bound.Max > bestMax;
    bound.Reaches = bound.Max >= bestMax;
    if (!plan.Moments || plan.Size[m] == 0 || bestMax == INT32_MAX || bound.Reaches) return bound;
    auto fits = [&](int64_t h) {
        return h >= fitsFrom || (MomentFits(value, count, n, capped, plan.Size[m], plan.Total[m],
                                            plan.Pairs, plan.PairTotal[m], h) &&
                                 (!cubics || CubicFits(plan, m, h)));
    };
    // A class that fits one below the best's largest class fits at it too: while the count goes
    // on, that is the usual answer, and one fit tells it.
    bound.Reaches = !fits(int64_t(bestMax) - 1);
    bound.Over = bound.Reaches && !fits(bestMax);
    return bound;
}

namespace {

// A class as the cubics see it: its values of P with the room each has, its size and the sums
// of P, P^2 and P^3 over its candidates.
struct CubicClass {
    int64_t Value[MaxCodeLength + 1];
    int64_t Room[MaxCodeLength + 1];
    int N = 0;
    int64_t Size = 0;
    int64_t Sum[4] = {};
};

// f(P) = (2P - a)(2P - b)(2P - c), roots at half units: whether the class's known sum of f lies
// outside what its rooms allow (README.md, section 4, step 5e).
bool CubicShows(const CubicClass& k, int a, int b, int c) {
    int64_t w[MaxCodeLength + 1];
    for (int i = 0; i < k.N; ++i) {
        const int64_t v = 2 * k.Value[i];
        w[i] = (v - a) * (v - b) * (v - c);
    }
    const int64_t s1 = a + b + c;
    const int64_t s2 = int64_t(a) * b + int64_t(a) * c + int64_t(b) * c;
    const int64_t s3 = int64_t(a) * b * c;
    const int64_t known = 8 * k.Sum[3] - 4 * s1 * k.Sum[2] + 2 * s2 * k.Sum[1] - s3 * k.Sum[0];
    // The values by rising f, then filled from the low end and from the high end.
    int order[MaxCodeLength + 1];
    for (int i = 0; i < k.N; ++i) {
        int j = i;
        for (; j > 0 && w[order[j - 1]] > w[i]; --j) order[j] = order[j - 1];
        order[j] = i;
    }
    auto fill = [&](bool most) {
        int64_t left = k.Size;
        int64_t sum = 0;
        for (int j = 0; j < k.N && left > 0; ++j) {
            const int i = order[most ? k.N - 1 - j : j];
            const int64_t add = std::min(left, k.Room[i]);
            sum += w[i] * add;
            left -= add;
        }
        return sum;
    };
    return fill(false) > known || fill(true) < known;
}

}  // namespace

bool CubicFits(const ClassPlan& plan, int m, int64_t h) {
    if (!plan.Triples || !plan.Pairs || plan.Size[m] == 0) return true;
    if (plan.Size[m] < plan.TripleFrom) return true;
    CubicClass k;
    int64_t count[MaxCodeLength + 1];
    k.N = ValuesOf(m, plan.Length, plan.Counts[m], k.Value, count);
    const bool capped = m == plan.Length;
    // The candidates still to come, each value's room above its count so far, and the sums of
    // P^j over them: the class's sums less the counted ones'.
    k.Size = plan.Size[m] - plan.Done[m];
    int64_t rooms = 0;
    int64_t counted[4] = {};
    for (int i = 0; i < k.N; ++i) {
        const int64_t cap = capped && i == k.N - 1 ? std::min<int64_t>(h, 1) : h;
        if (count[i] > cap) return false;
        k.Room[i] = cap - count[i];
        rooms += k.Room[i];
        const int64_t v = k.Value[i];
        counted[0] += count[i];
        counted[1] += count[i] * v;
        counted[2] += count[i] * v * v;
        counted[3] += count[i] * v * v * v;
    }
    if (rooms < k.Size) return false;
    if (k.Size == 0) return true;
    // The sums of P^j from those of the binomials: P^2 = 2 C(P,2) + P, P^3 = 6 C(P,3) + 6 C(P,2) +
    // P.
    k.Sum[0] = plan.Size[m] - counted[0];
    k.Sum[1] = plan.Total[m] - counted[1];
    k.Sum[2] = 2 * plan.PairTotal[m] + plan.Total[m] - counted[2];
    k.Sum[3] = 6 * plan.TripleTotal[m] + 6 * plan.PairTotal[m] + plan.Total[m] - counted[3];
    // The cubics that show most classes, as roots around twice the mean, the likeliest first (of
    // the classes shown at 9 over 7 and 8 over 8, about 60 % by the first, 98 % by the first
    // six). Further cubics, found by moving one root at a time, showed about one class in a
    // hundred at ten times the cost of the seeds: a class they would show is counted instead.
    const int centre = static_cast<int>((2 * k.Sum[1] + k.Size / 2) / k.Size);
    static constexpr int kSeeds[][3] = {{-4, 6, 7}, {-3, 3, 7}, {-2, 2, 6}, {-2, 4, 8},
                                        {-2, 4, 6}, {-3, 3, 9}, {-2, 2, 4}};
    const int top = static_cast<int>(2 * k.Value[k.N - 1]) + 1;
    auto clampRoot = [&](int r) { return std::min(std::max(r, -1), top); };
    for (const auto& seed : kSeeds) {
        int r[3];
        for (int j = 0; j < 3; ++j) r[j] = clampRoot(centre + seed[j]);
        if (CubicShows(k, r[0], r[1], r[2])) return false;
    }
    return true;
}

bool Loses(const ClassPlan& plan, int64_t bestSquares, int64_t& boundMax) {
    int64_t largest = 0;
    int64_t squares = 0;
    bool over = false;
    bool reaches = false;
    for (int m = 0; m <= plan.Length; ++m) {
        if (plan.Size[m] == 0) continue;
        largest = std::max(largest, plan.Bounds[m].Max);
        squares += plan.Bounds[m].Squares;
        over = over || plan.Bounds[m].Over;
        reaches = reaches || plan.Bounds[m].Reaches;
    }
    boundMax = largest;
    return over || (reaches && squares > bestSquares);
}
