#include "search.h"
#include "candidateLoop.h"
#include "ticks.h"

#include <cstring>
#include <vector>

const MoveCode oneMoveSequences[MoveCodeCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

// Every ordered pair except a move followed by its inverse, first move ascending, then second.
const MoveCode twoMoveSequences[TwoMoveSequenceCount][2] = {
    {0, 0},   {0, 2},   {0, 3},  {0, 4},  {0, 5},  {0, 6},  {0, 7},  {0, 8},  {0, 9},  {0, 10},
    {0, 11},  {1, 1},   {1, 2},  {1, 3},  {1, 4},  {1, 5},  {1, 6},  {1, 7},  {1, 8},  {1, 9},
    {1, 10},  {1, 11},  {2, 0},  {2, 1},  {2, 2},  {2, 4},  {2, 5},  {2, 6},  {2, 7},  {2, 8},
    {2, 9},   {2, 10},  {2, 11}, {3, 0},  {3, 1},  {3, 3},  {3, 4},  {3, 5},  {3, 6},  {3, 7},
    {3, 8},   {3, 9},   {3, 10}, {3, 11}, {4, 0},  {4, 1},  {4, 2},  {4, 3},  {4, 4},  {4, 6},
    {4, 7},   {4, 8},   {4, 9},  {4, 10}, {4, 11}, {5, 0},  {5, 1},  {5, 2},  {5, 3},  {5, 5},
    {5, 6},   {5, 7},   {5, 8},  {5, 9},  {5, 10}, {5, 11}, {6, 0},  {6, 1},  {6, 2},  {6, 3},
    {6, 4},   {6, 5},   {6, 6},  {6, 8},  {6, 9},  {6, 10}, {6, 11}, {7, 0},  {7, 1},  {7, 2},
    {7, 3},   {7, 4},   {7, 5},  {7, 7},  {7, 8},  {7, 9},  {7, 10}, {7, 11}, {8, 0},  {8, 1},
    {8, 2},   {8, 3},   {8, 4},  {8, 5},  {8, 6},  {8, 7},  {8, 8},  {8, 10}, {8, 11}, {9, 0},
    {9, 1},   {9, 2},   {9, 3},  {9, 4},  {9, 5},  {9, 6},  {9, 7},  {9, 9},  {9, 10}, {9, 11},
    {10, 0},  {10, 1},  {10, 2}, {10, 3}, {10, 4}, {10, 5}, {10, 6}, {10, 7}, {10, 8}, {10, 9},
    {10, 10}, {11, 0},  {11, 1}, {11, 2}, {11, 3}, {11, 4}, {11, 5}, {11, 6}, {11, 7}, {11, 8},
    {11, 9},  {11, 11},
};

namespace {

// Compares as twelve 32-bit words rather than byte by byte.
bool sameState(const PackedCube& a, const PackedCube& b) {
    uint32_t diff = 0;
    for (int i = 0; i < 48; i += 4) {
        uint32_t x, y;
        std::memcpy(&x, a.bytes + i, 4);
        std::memcpy(&y, b.bytes + i, 4);
        diff |= x ^ y;
    }
    return diff == 0;
}

// The first move is known; the moves after it get a call site each, as one shared call site
// for every position would keep guessing wrong.
__attribute__((noinline)) bool matchesAfterFirst(SearchState* st, uint32_t length,
                                                 const MoveCode* moves) {
    PackedCube* c = &st->scratch;
    moveRoutines[moves[1]](c);
    moveRoutines[moves[2]](c);
    if (length > 3) {
        moveRoutines[moves[3]](c);
        if (length > 4) {
            moveRoutines[moves[4]](c);
            if (length > 5) {
                moveRoutines[moves[5]](c);
                if (length > 6) {
                    moveRoutines[moves[6]](c);
                    for (uint32_t i = 7; i < length; ++i)
                        moveRoutines[moves[i]](c);
                }
            }
        }
    }
    return sameState(*c, st->target);
}

struct GenericTest {
    SearchState* st;
    template <MoveCode First> bool matchesWithFirst(uint32_t length, const MoveCode* moves) {
        st->scratch = st->start;
        moveRoutines[First](&st->scratch);
        return matchesAfterFirst(st, length, moves);
    }
};

} // namespace

bool candidateMatches(SearchState* st, uint32_t length, const MoveCode* moves) {
    st->scratch = st->start;
    applyMoves(&st->scratch, moves, length);
    return sameState(st->scratch, st->target);
}

uint32_t sweepCandidates(SearchState* st, MoveCode* result, uint32_t maxMoves) {
    GenericTest test{st};
    return runCandidateLoop(st, test, result, maxMoves);
}

// Iterative deepening: all one-move sequences, all pairs, then the odometer one length at a
// time, so the first match is a shortest sequence. Every candidate is applied in full to a
// fresh copy of the start state.
uint32_t findSequence(SearchState* st, const PackedCube* target, const PackedCube* start,
                      MoveCode* result, uint32_t maxMoves, bool useSse2) {
    st->startTick.store(tickCount());
    if (maxMoves == 0) return 0;
    if (maxMoves > MaxExecuteMoves) maxMoves = MaxExecuteMoves;
    std::memcpy(&st->start, start, sizeof(PackedCube));
    std::memcpy(&st->target, target, sizeof(PackedCube));
    auto matches = useSse2 ? candidateMatchesSse2 : candidateMatches;

    for (MoveCode code : oneMoveSequences) {
        if (matches(st, 1, &code)) {
            result[0] = code;
            result[1] = EndOfMoves;
            return 1;
        }
    }
    if (maxMoves < 2) return 0;
    for (const auto& pair : twoMoveSequences) {
        if (matches(st, 2, pair)) {
            result[0] = pair[0];
            result[1] = pair[1];
            result[2] = EndOfMoves;
            return 2;
        }
    }
    if (maxMoves < 3) return 0;
    return useSse2 ? sweepCandidatesSse2(st, result, maxMoves)
                   : sweepCandidates(st, result, maxMoves);
}

uint64_t validSequenceCount(uint32_t length) {
    if (length == 0) return 1;
    // Sequences whose last two moves differ, and those ending in two equal moves.
    uint64_t differ = MoveCodeCount, pair = 0;
    for (uint32_t n = 1; n < length; ++n) {
        const uint64_t total = differ + pair;
        pair = differ;
        differ = total * (MoveCodeCount - 2);
    }
    return differ + pair;
}

// Lengths 1 and 2 go by their tables; from 3 on the last move is the most significant digit.
uint64_t candidatesTested(const MoveCode* result, uint32_t length, uint32_t maxMoves) {
    uint64_t tested = 0;
    for (uint32_t l = 1; l < (length ? length : maxMoves + 1); ++l)
        tested += validSequenceCount(l);
    if (length == 1) return tested + result[0] + 1;
    if (length == 2) {
        uint32_t index = 0;
        while (twoMoveSequences[index][0] != result[0] || twoMoveSequences[index][1] != result[1])
            ++index;
        return tested + index + 1;
    }
    // Ways to fill the positions below one whose move repeats the one above it (twice) or not.
    std::vector<uint64_t> single(length, 1), twice(length, 1);
    for (uint32_t p = 1; p < length; ++p) {
        single[p] = (MoveCodeCount - 2) * single[p - 1] + twice[p - 1];
        twice[p] = (MoveCodeCount - 2) * single[p - 1];
    }
    for (uint32_t p = length; p-- > 0;) {
        const MoveCode above = p + 1 < length ? result[p + 1] : EndOfMoves;
        const MoveCode twoAbove = p + 2 < length ? result[p + 2] : EndOfMoves;
        for (MoveCode c = 0; c < result[p]; ++c) {
            if ((c ^ above) == 1 || (c == above && c == twoAbove)) continue;
            tested += c == above ? twice[p] : single[p];
        }
    }
    return length ? tested + 1 : tested;
}

// The digits may be mid-update; the display only shows them, so a mix of old and new is fine.
uint32_t readCandidate(const SearchState* st, MoveCode* out, uint32_t room) {
    uint32_t length = st->currentLength.load(std::memory_order_relaxed);
    if (length > room) length = room;
    for (uint32_t i = 0; i < length; ++i) {
        MoveCode code = st->candidate[i].load(std::memory_order_relaxed);
        out[i] = code < MoveCodeCount ? code : 0;
    }
    return length;
}
