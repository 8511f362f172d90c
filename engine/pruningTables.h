// Lower bounds for the deep search: exact distances over three projections of the cube (the
// corners, and the edges in two groups of six), each counted from every arrangement of that
// projection that looks like the source.
#pragma once

#include "cubies.h"

#include <atomic>
#include <cstdint>
#include <memory>

enum : uint32_t {
    CornerPermCount = 40320,
    TwistCount = 2187,
    EdgeGroupPieces = 6,
    EdgeGroups = 4,
    EdgePlaceCount = 665280,
    FlipCount = 64,
    // Distances stop at this: "at least 15" is still a lower bound.
    DistanceCap = 15,
};

constexpr uint64_t CornerEntries = uint64_t(CornerPermCount) * TwistCount;
constexpr uint64_t EdgeGroupEntries = uint64_t(EdgePlaceCount) * FlipCount;

// The edges each edge table follows.
extern const uint8_t EdgeGroupMembers[EdgeGroups][EdgeGroupPieces];

// The projections' coordinates under each move; the same for every search.
struct CoordMoves {
    uint16_t cornerPerm[CornerPermCount][MoveCodeCount];
    uint16_t twist[TwistCount][MoveCodeCount];
    // The new place of six tracked edges, and in bits 20 to 25 which of them the move flipped.
    uint32_t edgePlace[EdgePlaceCount][MoveCodeCount];
};

// Built on first use; null when its memory could not be had.
const CoordMoves* coordMoves();

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
inline uint32_t edgeGroupIndex(const uint8_t* edgeAt, uint32_t group) {
    uint32_t used = 0, rank = 0, flips = 0;
    for (uint32_t i = 0; i < EdgeGroupPieces; ++i) {
        const uint32_t at = edgeAt[EdgeGroupMembers[group][i]], slot = at >> 1;
        rank = rank * (EdgeCount - i) + slot - BitsSet.of[used & ((1u << slot) - 1)];
        used |= 1u << slot;
        flips |= (at & 1) << i;
    }
    return rank * FlipCount + flips;
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

// Table 0 holds the corners, table 1 + g edge group g.
using TableKind = uint32_t;
constexpr TableKind CornerTable = 0;
constexpr uint32_t TableKinds = 1 + EdgeGroups;

uint64_t entriesOf(TableKind kind);

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

// How many arrangements of the kind's pieces look like reference, counting up to limit.
uint64_t countLookAlikes(const PackedCube& reference, TableKind kind, uint64_t limit);

// Fills table with the distances from the arrangements that look like reference. False when
// stopped or out of memory.
bool buildDistanceTable(const PackedCube& reference, TableKind kind, DistanceTable* table,
                        const TableBuildControl& control);

// The table's bytes (nibbles) as a kept file's checksum covers them.
uint64_t checksumOf(const uint8_t* bytes, uint64_t size);
