// The deep search: iterative deepening over the target's suffixes in the brute force's order,
// cut only where distance tables prove that nothing of the current length lies below. It gives
// findSequence's own answer for cubes far beyond what the brute force or the meet in the middle
// can reach.
#pragma once

#include "fastSearch.h"

// Same contract as findSequenceFast; the deep search from the first length on.
uint32_t findSequenceDeep(SearchState* st, const PackedCube* target, const PackedCube* start,
                          MoveCode* result, uint32_t maxMoves, const FastSearchOptions& options,
                          FastSearchProgress* progress);

// The fastest exact method for the query: the meet in the middle for short answers, the deep
// search beyond. A target that no sequence reaches ends at once.
uint32_t findSequenceExact(SearchState* st, const PackedCube* target, const PackedCube* start,
                           MoveCode* result, uint32_t maxMoves, const FastSearchOptions& options,
                           FastSearchProgress* progress);

// The longest answer the meet in the middle gives before the deep search takes over.
constexpr uint32_t MeetInTheMiddleReach = 12;

// Drops the shared tables kept between searches, so the next search loads or builds them anew.
void forgetDeepTables();
