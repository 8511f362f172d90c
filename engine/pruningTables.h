// Lower bounds for the deep search: exact distances over projections of the cube (the corners,
// and groups of edges), each counted from every arrangement of that projection that looks like
// the source.
#pragma once

#include "cubies.h"

#include <atomic>
#include <cstdint>
#include <memory>

enum : uint32_t {
    CornerPermCount = 40320,
    TwistCount = 2187,
    MaxGroupPieces = 7,
    // Distances stop at this: "at least 15" is still a lower bound.
    DistanceCap = 15,
};

constexpr uint64_t CornerEntries = uint64_t(CornerPermCount) * TwistCount;

// Some edges an edge table follows: where each of them is and whether it is flipped.
struct EdgeGroup {
    uint32_t pieces;
    uint8_t members[MaxGroupPieces];
};

// Table 0 holds the corners, the others one edge group each. Sources whose pieces all differ
// share the corners and two large groups, kept on disk; any other source gets the corners and
// four small groups, built for it in a few seconds.
using TableKind = uint32_t;
constexpr TableKind CornerTable = 0;
constexpr uint32_t TableKinds = 7;
constexpr EdgeGroup TableEdges[TableKinds] = {
    {0, {}},
    {7, {0, 1, 2, 3, 4, 5, 6}},
    {7, {5, 6, 7, 8, 9, 10, 11}},
    {6, {0, 1, 2, 3, 4, 5}},
    {6, {6, 7, 8, 9, 10, 11}},
    {6, {0, 2, 4, 6, 8, 10}},
    {6, {1, 3, 5, 7, 9, 11}},
};
constexpr TableKind SharedEdgeTables[] = {1, 2};
constexpr TableKind OwnEdgeTables[] = {3, 4, 5, 6};

// Ordered choices of k slots out of twelve.
constexpr uint32_t edgePlaceCount(uint32_t k) {
    return k == 0 ? 1 : (EdgeCount - k + 1) * edgePlaceCount(k - 1);
}

uint64_t entriesOf(TableKind kind);

// How the corner coordinates move; the same for every search.
struct CornerMoves {
    uint16_t perm[CornerPermCount][MoveCodeCount];
    uint16_t twist[TwistCount][MoveCodeCount];
};

// Built on first use; null when its memory could not be had.
const CornerMoves* cornerMoves();

uint32_t cornerPermIndex(const CubieState& pieces);
uint32_t twistIndex(const CubieState& pieces);

// How many bits of a 12-bit set are set: without a population-count instruction on the
// processors the program supports, a table is the fastest way.
struct BitCounts {
    uint8_t of[1 << EdgeCount];
};

constexpr BitCounts countBits() {
    BitCounts bits{};
    for (uint32_t i = 1; i < (1 << EdgeCount); ++i)
        bits.of[i] = uint8_t(bits.of[i >> 1] + (i & 1));
    return bits;
}

inline constexpr BitCounts BitsSet = countBits();

// An edge table's entry for edges placed as edgeAt says: edge p in slot edgeAt[p] / 2, flipped
// when edgeAt[p] is odd.
inline uint32_t edgeGroupIndex(const uint8_t* edgeAt, const EdgeGroup& group) {
    uint32_t used = 0, rank = 0, flips = 0;
    for (uint32_t i = 0; i < group.pieces; ++i) {
        const uint32_t at = edgeAt[group.members[i]], slot = at >> 1;
        rank = rank * (EdgeCount - i) + slot - BitsSet.of[used & ((1u << slot) - 1)];
        used |= 1u << slot;
        flips |= (at & 1) << i;
    }
    return rank << group.pieces | flips;
}

// Four bits an entry.
struct DistanceTable {
    std::unique_ptr<uint8_t[]> nibbles;
    uint64_t entries = 0;
    // Whether only the solved arrangement counts as the source: then the table is the same for
    // every source and can be kept.
    bool standard = false;

    uint32_t at(uint64_t i) const { return nibbles[i >> 1] >> (i & 1) * 4 & 15; }
    void prefetch(uint64_t i) const { __builtin_prefetch(&nibbles[i >> 1]); }
    uint64_t bytes() const { return (entries + 1) / 2; }
};

// What building a table reports and obeys.
struct TableBuildControl {
    uint32_t threads = 1;
    // Looked at between chunks: building waits while paused is set and stops when running is
    // cleared.
    const std::atomic<bool>* running = nullptr;
    const std::atomic<bool>* paused = nullptr;
    std::atomic<uint32_t>* done = nullptr;
    std::atomic<uint32_t>* total = nullptr;
    // Runs first on every extra thread.
    void (*onWorkerStart)(void* context) = nullptr;
    void* context = nullptr;
};

// Waits while paused; false when told to stop.
bool waitWhilePaused(const TableBuildControl& control);

// How many arrangements of the kind's pieces look like reference, counting up to limit.
uint64_t countLookAlikes(const PackedCube& reference, TableKind kind, uint64_t limit);

// Fills table with the distances from the arrangements that look like reference. False when
// stopped or out of memory.
bool buildDistanceTable(const PackedCube& reference, TableKind kind, DistanceTable* table,
                        const TableBuildControl& control);

// The table's bytes (nibbles) as a kept file's checksum covers them.
uint64_t checksumOf(const uint8_t* bytes, uint64_t size);
