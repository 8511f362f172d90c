// The odometer over candidates of length 3 and up, shared by the generic and the SSE2 search.
// Everything here has internal linkage, so the copy built with SSE2 never replaces the generic
// one at link time.
#pragma once

#include "search.h"

#include <cstring>

namespace {

constexpr uint32_t OdometerExhausted = 0xFFFFFFFFu;

// Adds one to digit q, carrying into higher digits; a carry out of the last digit grows the
// candidate by one move. Returns the highest digit changed, or OdometerExhausted when the
// length went past maxMoves.
inline uint32_t incrementDigit(SearchState* st, uint32_t& length, uint32_t q, uint32_t maxMoves) {
    MoveCode* s = st->moves;
    for (;;) {
        if (++s[q] < MoveCodeCount) {
            st->candidate[q].store(s[q], std::memory_order_relaxed);
            return q;
        }
        s[q] = 0;
        st->candidate[q].store(0, std::memory_order_relaxed);
        ++q;
        if (q == length) {
            ++length;
            st->currentLength.store(length, std::memory_order_relaxed);
            if (length > maxMoves) return OdometerExhausted;
            s[q] = 0;
            st->candidate[q].store(0, std::memory_order_relaxed);
            return q;
        }
    }
}

// Steps to the next candidate that has no move followed by its inverse and no three equal moves
// in a row. Only digits at or below the changed one can have become invalid, so the check runs
// downwards from there; a failure at q skips every candidate sharing the digits above q.
inline bool advanceCandidate(SearchState* st, uint32_t& length, uint32_t maxMoves) {
    const MoveCode* s = st->moves;
    uint32_t q = incrementDigit(st, length, 0, maxMoves);
    for (;;) {
        if (q == OdometerExhausted) return false;
        const bool inversePair = (s[q] ^ s[q + 1]) == 1;
        const bool tripleTurn = s[q] == s[q + 1] && s[q] == s[q + 2];
        if (inversePair || tripleTurn) {
            q = incrementDigit(st, length, q, maxMoves);
            continue;
        }
        if (q == 0) return true;
        --q;
    }
}

template <class Test>
uint32_t runCandidateLoop(SearchState* st, Test& test, MoveCode* result, uint32_t maxMoves) {
    MoveCode* s = st->moves;
    std::memset(s, EndOfMoves, CandidateBytes);
    for (uint32_t i = 0; i < CandidateBytes; ++i)
        st->candidate[i].store(EndOfMoves, std::memory_order_relaxed);
    // 1, 0, 0 is never tested: the loop advances first, so 2, 0, 0 comes first.
    const MoveCode first[3] = {1, 0, 0};
    for (uint32_t i = 0; i < 3; ++i) {
        s[i] = first[i];
        st->candidate[i].store(first[i], std::memory_order_relaxed);
    }
    uint32_t length = 3;
    st->currentLength.store(length, std::memory_order_relaxed);
    for (;;) {
        if (!advanceCandidate(st, length, maxMoves)) return 0;
        if (!st->running.load(std::memory_order_relaxed)) return 0;
        if (test.matches(length, s)) {
            std::memcpy(result, s, length);
            result[length] = EndOfMoves;
            return length;
        }
    }
}

} // namespace
