#include "pruningTables.h"
#include "workers.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <thread>
#include <vector>

namespace {

uint32_t twistRank(const uint8_t* twist) {
    uint32_t rank = 0;
    for (uint32_t s = CornerCount - 1; s-- > 0;)
        rank = rank * 3 + twist[s];
    return rank;
}

void twistFromRank(uint32_t rank, uint8_t* twist) {
    uint32_t sum = 0;
    for (uint32_t s = 0; s + 1 < CornerCount; ++s) {
        twist[s] = uint8_t(rank % 3);
        sum += twist[s];
        rank /= 3;
    }
    twist[CornerCount - 1] = uint8_t((3 - sum % 3) % 3);
}

// Distinct slots out of `slots` (a corner permutation: eight of eight; an edge group's places:
// a few of twelve), as a mixed-radix number.
uint32_t placeRank(const uint8_t* slot, uint32_t pieces, uint32_t slots) {
    uint32_t rank = 0;
    for (uint32_t i = 0; i < pieces; ++i) {
        uint32_t below = slot[i];
        for (uint32_t j = 0; j < i; ++j)
            below -= slot[j] < slot[i];
        rank = rank * (slots - i) + below;
    }
    return rank;
}

void placeFromRank(uint32_t rank, uint32_t pieces, uint32_t slots, uint8_t* slot) {
    uint32_t digits[EdgeCount];
    for (uint32_t i = pieces; i-- > 0;) {
        digits[i] = rank % (slots - i);
        rank /= slots - i;
    }
    bool used[EdgeCount] = {};
    for (uint32_t i = 0; i < pieces; ++i) {
        uint8_t s = 0;
        for (uint32_t k = digits[i];; ++s) {
            if (used[s]) continue;
            if (k == 0) break;
            --k;
        }
        used[s] = true;
        slot[i] = s;
    }
}

uint32_t cornerPermRank(const uint8_t* piece) {
    return placeRank(piece, CornerCount, CornerCount);
}

constexpr uint32_t EdgePlaceBits = 22;
static_assert(edgePlaceCount(MaxGroupPieces) <= 1u << EdgePlaceBits, "a place fits its bits");

// The new place of a group's edges under each move, and above EdgePlaceBits which of them the
// move flipped. Needed only while a table is built.
std::unique_ptr<uint32_t[]> edgePlaceMoves(uint32_t pieces) {
    const uint32_t places = edgePlaceCount(pieces);
    std::unique_ptr<uint32_t[]> moves(new (std::nothrow)
                                          uint32_t[uint64_t(places) * MoveCodeCount]);
    if (!moves) return moves;
    const CubieModel& model = cubieModel();
    for (uint32_t r = 0; r < places; ++r) {
        uint8_t slot[MaxGroupPieces], next[MaxGroupPieces];
        placeFromRank(r, pieces, EdgeCount, slot);
        for (MoveCode m = 0; m < MoveCodeCount; ++m) {
            uint32_t flipped = 0;
            for (uint32_t i = 0; i < pieces; ++i) {
                next[i] = model.edgeTo[m][slot[i]];
                flipped |= uint32_t(model.edgeFlip[m][slot[i]]) << i;
            }
            moves[uint64_t(r) * MoveCodeCount + m] =
                placeRank(next, pieces, EdgeCount) | flipped << EdgePlaceBits;
        }
    }
    return moves;
}

std::unique_ptr<CornerMoves> buildCornerMoves() {
    std::unique_ptr<CornerMoves> mv(new (std::nothrow) CornerMoves);
    if (!mv) return mv;
    const CubieModel& model = cubieModel();
    for (uint32_t r = 0; r < CornerPermCount; ++r) {
        uint8_t piece[CornerCount], next[CornerCount];
        placeFromRank(r, CornerCount, CornerCount, piece);
        for (MoveCode m = 0; m < MoveCodeCount; ++m) {
            for (uint32_t s = 0; s < CornerCount; ++s)
                next[model.cornerTo[m][s]] = piece[s];
            mv->perm[r][m] = uint16_t(cornerPermRank(next));
        }
    }
    for (uint32_t r = 0; r < TwistCount; ++r) {
        uint8_t twist[CornerCount], next[CornerCount];
        twistFromRank(r, twist);
        for (MoveCode m = 0; m < MoveCodeCount; ++m) {
            for (uint32_t s = 0; s < CornerCount; ++s)
                next[model.cornerTo[m][s]] = uint8_t((twist[s] + model.cornerTwist[m][s]) % 3);
            mv->twist[r][m] = uint16_t(twistRank(next));
        }
    }
    return mv;
}

// Arrangements of one kind's pieces that show the reference's own colours.
struct LookAlikes {
    const PackedCube& reference;
    TableKind kind;
    uint64_t limit;
    uint8_t* nibbles;
    uint64_t count = 0;
    uint8_t piece[CornerCount] = {};
    uint8_t twist[CornerCount] = {};
    uint8_t slot[MaxGroupPieces] = {};
    uint32_t flips = 0;

    void found(uint64_t index) {
        ++count;
        if (nibbles) nibbles[index >> 1] &= uint8_t(~(15u << (index & 1) * 4));
    }

    void corners(uint32_t s, uint32_t used, uint32_t sum) {
        if (count >= limit) return;
        const CubieModel& model = cubieModel();
        if (s == CornerCount) {
            if (sum % 3 == 0)
                found(uint64_t(cornerPermRank(piece)) * TwistCount + twistRank(twist));
            return;
        }
        for (uint8_t p = 0; p < CornerCount; ++p) {
            if (used >> p & 1) continue;
            for (uint8_t o = 0; o < 3; ++o) {
                bool fits = true;
                for (int i = 0; i < 3 && fits; ++i)
                    fits = reference.bytes[model.cornerSquares[s][(i + o) % 3]] ==
                           reference.bytes[model.cornerSquares[p][i]];
                if (!fits) continue;
                piece[s] = p;
                twist[s] = o;
                corners(s + 1, used | 1u << p, sum + o);
            }
        }
    }

    void edges(uint32_t i, uint32_t used) {
        if (count >= limit) return;
        const CubieModel& model = cubieModel();
        const EdgeGroup& group = TableEdges[kind];
        if (i == group.pieces) {
            found(uint64_t(placeRank(slot, group.pieces, EdgeCount)) << group.pieces | flips);
            return;
        }
        const uint32_t p = group.members[i];
        for (uint8_t s = 0; s < EdgeCount; ++s) {
            if (used >> s & 1) continue;
            for (uint32_t f = 0; f < 2; ++f) {
                if (reference.bytes[model.edgeSquares[s][f]] !=
                        reference.bytes[model.edgeSquares[p][0]] ||
                    reference.bytes[model.edgeSquares[s][1 - f]] !=
                        reference.bytes[model.edgeSquares[p][1]])
                    continue;
                slot[i] = s;
                flips = (flips & ~(1u << i)) | f << i;
                edges(i + 1, used | 1u << s);
            }
        }
    }

    void run() {
        if (kind == CornerTable)
            corners(0, 0, 0);
        else
            edges(0, 0);
    }
};

inline uint32_t nibbleAt(const uint8_t* nibbles, uint64_t i) {
    return __atomic_load_n(&nibbles[i >> 1], __ATOMIC_RELAXED) >> (i & 1) * 4 & 15;
}

// Sets a nibble that still reads DistanceCap; false when another thread got there first.
inline bool claim(uint8_t* nibbles, uint64_t i, uint32_t value) {
    uint8_t* byte = &nibbles[i >> 1];
    const uint32_t shift = (i & 1) * 4;
    uint8_t seen = __atomic_load_n(byte, __ATOMIC_RELAXED);
    for (;;) {
        if ((seen >> shift & 15) != DistanceCap) return false;
        const uint8_t next = uint8_t((seen & ~(15u << shift)) | value << shift);
        if (__atomic_compare_exchange_n(byte, &seen, next, true, __ATOMIC_RELAXED,
                                        __ATOMIC_RELAXED))
            return true;
    }
}

constexpr uint64_t ChunkEntries = 1 << 16;

// Breadth first, one distance at a time: forward from the entries at that distance while few
// are known, then backward from the unknown ones, which find a neighbour sooner.
template <class Next>
bool fillDistances(uint8_t* nibbles, uint64_t entries, uint64_t known, Next next,
                   const TableBuildControl& control) {
    const uint64_t chunks = (entries + ChunkEntries - 1) / ChunkEntries;
    // Progress in chunks passed, against about a dozen passes over the table.
    std::atomic<uint64_t> passed{0};
    const uint64_t expected = chunks * 12;
    for (uint32_t d = 0; d + 1 < DistanceCap && known < entries; ++d) {
        const bool backward = known > entries / 2;
        std::atomic<uint64_t> nextChunk{0}, added{0};
        std::atomic<bool> stopped{false};
        auto work = [&] {
            uint64_t mine = 0;
            for (uint64_t c; !stopped && (c = nextChunk.fetch_add(1)) < chunks;) {
                if (!waitWhilePaused(control)) {
                    stopped = true;
                    break;
                }
                const uint64_t share = ++passed * 999 / expected;
                if (control.done) *control.done = uint32_t(share < 999 ? share : 999);
                const uint64_t end =
                    (c + 1) * ChunkEntries < entries ? (c + 1) * ChunkEntries : entries;
                for (uint64_t i = c * ChunkEntries; i < end; ++i) {
                    const uint32_t here = nibbleAt(nibbles, i);
                    if (backward) {
                        if (here != DistanceCap) continue;
                        for (MoveCode m = 0; m < MoveCodeCount; ++m) {
                            if (nibbleAt(nibbles, next(i, m)) != d) continue;
                            claim(nibbles, i, d + 1);
                            ++mine;
                            break;
                        }
                    } else if (here == d) {
                        for (MoveCode m = 0; m < MoveCodeCount; ++m)
                            mine += claim(nibbles, next(i, m), d + 1);
                    }
                }
            }
            added += mine;
        };
        runOnWorkers(control.threads, control.onWorkerStart, control.context, work);
        if (stopped) return false;
        known += added;
        if (added == 0) break;
    }
    return true;
}

} // namespace

bool waitWhilePaused(const TableBuildControl& c) {
    while (c.paused && c.paused->load(std::memory_order_relaxed) &&
           (!c.running || c.running->load(std::memory_order_relaxed)))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return !c.running || c.running->load(std::memory_order_relaxed);
}

const CornerMoves* cornerMoves() {
    static const std::unique_ptr<CornerMoves> moves = buildCornerMoves();
    return moves.get();
}

uint32_t cornerPermIndex(const CubieState& pieces) {
    return cornerPermRank(pieces.corner);
}

uint32_t twistIndex(const CubieState& pieces) {
    return twistRank(pieces.twist);
}

uint64_t entriesOf(TableKind kind) {
    const uint32_t pieces = TableEdges[kind].pieces;
    return kind == CornerTable ? CornerEntries : uint64_t(edgePlaceCount(pieces)) << pieces;
}

uint64_t countLookAlikes(const PackedCube& reference, TableKind kind, uint64_t limit) {
    LookAlikes finder{reference, kind, limit, nullptr};
    finder.run();
    return finder.count;
}

bool buildDistanceTable(const PackedCube& reference, TableKind kind, DistanceTable* table,
                        const TableBuildControl& control) {
    const CornerMoves* mv = cornerMoves();
    std::unique_ptr<uint32_t[]> edgeMoves;
    const uint32_t pieces = TableEdges[kind].pieces;
    if (kind != CornerTable) edgeMoves = edgePlaceMoves(pieces);
    if (!mv || (kind != CornerTable && !edgeMoves)) return false;
    table->entries = entriesOf(kind);
    table->nibbles.reset(new (std::nothrow) uint8_t[table->bytes()]);
    if (!table->nibbles) return false;
    std::fill_n(table->nibbles.get(), table->bytes(), uint8_t(0xFF));
    LookAlikes finder{reference, kind, UINT64_MAX, table->nibbles.get()};
    finder.run();
    table->standard = finder.count == 1;
    if (control.total) *control.total = 1000;
    uint8_t* nibbles = table->nibbles.get();
    bool done;
    if (kind == CornerTable) {
        done = fillDistances(
            nibbles, table->entries, finder.count,
            [mv](uint64_t i, MoveCode m) {
                return uint64_t(mv->perm[i / TwistCount][m]) * TwistCount +
                       mv->twist[i % TwistCount][m];
            },
            control);
    } else {
        const uint32_t* moves = edgeMoves.get();
        const uint32_t flipMask = (1u << pieces) - 1;
        done = fillDistances(
            nibbles, table->entries, finder.count,
            [moves, pieces, flipMask](uint64_t i, MoveCode m) {
                const uint32_t e = moves[(i >> pieces) * MoveCodeCount + m];
                return uint64_t(e & ((1u << EdgePlaceBits) - 1)) << pieces |
                       ((uint32_t(i) & flipMask) ^ (e >> EdgePlaceBits));
            },
            control);
    }
    if (!done) table->nibbles.reset();
    return done;
}

uint64_t checksumOf(const uint8_t* bytes, uint64_t size) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ size;
    uint64_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        __builtin_memcpy(&word, bytes + i, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    for (; i < size; ++i)
        h = (h ^ bytes[i]) * 0x100000001B3ull;
    return h;
}
