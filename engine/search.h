// The brute-force sequence search.
#pragma once

#include "packedCube.h"

#include <atomic>

enum : uint32_t {
    // The longest candidate (876) plus the end bytes the pruning rules look at.
    CandidateBytes = 880,
    TwoMoveSequenceCount = 132,
};

// One search's working record; the search thread owns it except for the atomics.
struct SearchState {
    alignas(16) PackedCube start;
    alignas(16) PackedCube target;
    alignas(16) PackedCube scratch;
    // The search works on its own copy and mirrors every digit it changes into candidate, so
    // the progress display can read the digits while the search runs without a data race.
    MoveCode moves[CandidateBytes];
    std::atomic<MoveCode> candidate[CandidateBytes];
    std::atomic<uint32_t> currentLength;
    std::atomic<uint32_t> startTick;
    std::atomic<bool> running;
};

extern const MoveCode oneMoveSequences[MoveCodeCount];
extern const MoveCode twoMoveSequences[TwoMoveSequenceCount][2];

uint32_t findSequence(SearchState* state, const PackedCube* target, const PackedCube* start,
                      MoveCode* result, uint32_t maxMoves, bool useSse2);

bool candidateMatches(SearchState* state, uint32_t length, const MoveCode* moves);
bool candidateMatchesSse2(SearchState* state, uint32_t length, const MoveCode* moves);

// Lengths 3 and up: the pruned odometer, one variant per kernel.
uint32_t sweepCandidates(SearchState* state, MoveCode* result, uint32_t maxMoves);
uint32_t sweepCandidatesSse2(SearchState* state, MoveCode* result, uint32_t maxMoves);

// Valid sequences (no move followed by its inverse, no three equal moves in a row) of a length.
uint64_t validSequenceCount(uint32_t length);
// How many candidates findSequence tests to return this result (length 0: none found within
// maxMoves).
uint64_t candidatesTested(const MoveCode* result, uint32_t length, uint32_t maxMoves);

// The candidate as the progress display sees it; returns the length read.
uint32_t readCandidate(const SearchState* state, MoveCode* out, uint32_t room);
