// The copies of a procedure made per code length: ByLength calls a generic procedure with the
// length as a constant, so that its loops over the places unroll. Used by the multiset ranks
// and the class sums over the groups.
#pragma once

#include <type_traits>

// Calls f with the code length as a constant (std::integral_constant), for the copies of a
// procedure made per length; lengths below 2 take 2's and above 9 take 9's.
template <typename F>
inline __attribute__((always_inline)) decltype(auto) ByLength(int length, F&& f) {
    switch (length) {
        case 2:
            return f(std::integral_constant<int, 2>{});
        case 3:
            return f(std::integral_constant<int, 3>{});
        case 4:
            return f(std::integral_constant<int, 4>{});
        case 5:
            return f(std::integral_constant<int, 5>{});
        case 6:
            return f(std::integral_constant<int, 6>{});
        case 7:
            return f(std::integral_constant<int, 7>{});
        case 8:
            return f(std::integral_constant<int, 8>{});
        default:
            return f(std::integral_constant<int, 9>{});
    }
}
