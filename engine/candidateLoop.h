// The odometer over candidates of length 3 and up, shared by the generic and the SSE2 search.
// Everything here has internal linkage, so the copy built with SSE2 never replaces the generic
// one at link time.
#pragma once

#include "search.h"

#include <cstring>
#include <utility>

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

// Outcome of trying one first move: go on, found, or stopped.
enum FirstMoveOutcome {
    GoOn = 0,
    Matched = 1,
    Stopped = 2,
};

template <MoveCode First, class Test>
inline int tryFirstMove(SearchState* st, Test& test, uint32_t length, MoveCode from,
                        MoveCode inverseOfSecond, MoveCode thirdOfTriple) {
    if (First < from || First == inverseOfSecond || First == thirdOfTriple) return GoOn;
    st->moves[0] = First;
    st->candidate[0].store(First, std::memory_order_relaxed);
    if (!st->running.load(std::memory_order_relaxed)) return Stopped;
    return test.template matchesWithFirst<First>(length, st->moves) ? Matched : GoOn;
}

// The first move changes with every candidate. Unrolled over its twelve values, each copy
// applies a known first move and no dispatch has to guess it; the moves after it stay the same
// for up to twelve candidates in a row, so their dispatch predicts well.
template <class Test, MoveCode... Firsts>
inline int sweepFirstMoves(SearchState* st, Test& test, uint32_t length,
                           std::integer_sequence<MoveCode, Firsts...>) {
    const MoveCode* s = st->moves;
    const MoveCode from = s[0];
    const MoveCode inverseOfSecond = s[1] ^ 1;
    const MoveCode thirdOfTriple = s[1] == s[2] ? s[1] : EndOfMoves;
    int outcome = GoOn;
    ((outcome = outcome == GoOn
                    ? tryFirstMove<Firsts>(st, test, length, from, inverseOfSecond, thirdOfTriple)
                    : outcome),
     ...);
    return outcome;
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
        // Advancing gave the lowest valid first move for the new rest of the candidate; the
        // sweep visits its remaining valid values in order, exactly as advancing digit 0 would.
        const int outcome = sweepFirstMoves(st, test, length,
                                            std::make_integer_sequence<MoveCode, MoveCodeCount>());
        if (outcome == Stopped) return 0;
        if (outcome == Matched) {
            std::memcpy(result, s, length);
            result[length] = EndOfMoves;
            return length;
        }
        // The next advance carries out of the first move into the rest.
        s[0] = MoveCodeCount - 1;
    }
}

} // namespace
