// A full sweep: a target that no sequence reaches, so findSequence tries every valid candidate
// up to the limit.
#pragma once

#include "search.h"

#include <cstring>

inline PackedCube unreachableTarget() {
    // One corner turned in place.
    PackedCube c = SolvedCube;
    const int f0 = 0, l2 = 8 * 3 + 2, t6 = 8 * 4 + 6;
    const uint8_t keep = c.bytes[f0];
    c.bytes[f0] = c.bytes[l2];
    c.bytes[l2] = c.bytes[t6];
    c.bytes[t6] = keep;
    return c;
}

// Valid candidates of lengths 1 to maxLength: no move followed by its inverse, no three equal
// moves in a row. Counted by the last move's run of equal moves (1 or 2).
inline double candidatesUpTo(int maxLength) {
    double single = 12, doubled = 0, total = 12;
    for (int n = 2; n <= maxLength; ++n) {
        // After a run of one: 10 other non-inverse moves start a run, the same move doubles.
        // After a run of two: 10 moves start a run (neither the same nor its inverse).
        const double nextSingle = 10 * single + 10 * doubled;
        const double nextDoubled = single;
        single = nextSingle;
        doubled = nextDoubled;
        total += single + doubled;
    }
    return total;
}

inline uint32_t runSweep(SearchState* state, int length, bool sse2) {
    static const PackedCube target = unreachableTarget();
    MoveCode result[877];
    state->running = true;
    return findSequence(state, &target, &SolvedCube, result, uint32_t(length), sse2);
}
