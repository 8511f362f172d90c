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

// Valid candidates of lengths 1 to maxLength: what a sweep to that length tests.
inline double candidatesUpTo(int maxLength) {
    return double(candidatesTested(nullptr, 0, uint32_t(maxLength)));
}

inline uint32_t runSweep(SearchState* state, int length, bool sse2) {
    static const PackedCube target = unreachableTarget();
    MoveCode result[877];
    state->running = true;
    return findSequence(state, &target, &SolvedCube, result, uint32_t(length), sse2);
}
