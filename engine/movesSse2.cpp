// The twelve moves with the whole state in three 128-bit registers. This is the only file built
// with SSE2 enabled; nothing defined here is inline and shared with other files, so no SSE2 code
// can end up on the generic path.
#include "packedCube.h"
#include "search.h"
#include "candidateLoop.h"

#include <emmintrin.h>

namespace {

#define FORCE_INLINE inline __attribute__((always_inline))

// v0 = F | R, v1 = B | L, v2 = T | U: one side per 64-bit half, square k at byte k of its half.
struct Sse2Cube {
    __m128i v0, v1, v2;
};

// middle: squares 1-5 of every side; end: squares 6, 7 and 0.
struct Sse2Masks {
    __m128i middle, end;
};

FORCE_INLINE Sse2Masks prepareMasks() {
    const __m128i all = _mm_cmpeq_epi32(_mm_setzero_si128(), _mm_setzero_si128());
    const __m128i middle = _mm_srli_si128(_mm_slli_epi64(all, 24), 2);
    return {middle, _mm_xor_si128(middle, all)};
}

// Unaligned loads and stores cost the same as aligned ones on aligned data, and the 32-bit
// runtime's operator new only aligns to 8 bytes: a heap-allocated SearchState must not fault.
FORCE_INLINE Sse2Cube loadCube(const PackedCube* c) {
    const __m128i* p = reinterpret_cast<const __m128i*>(c->bytes);
    return {_mm_loadu_si128(p), _mm_loadu_si128(p + 1), _mm_loadu_si128(p + 2)};
}

FORCE_INLINE void storeCube(const Sse2Cube& r, PackedCube* c) {
    __m128i* p = reinterpret_cast<__m128i*>(c->bytes);
    _mm_storeu_si128(p, r.v0);
    _mm_storeu_si128(p + 1, r.v1);
    _mm_storeu_si128(p + 2, r.v2);
}

// Word k of a half takes word k - 1 (clockwise: square k goes to k + 2) or word k + 1.
constexpr int TurnCw = 0x93;
constexpr int TurnCcw = 0x39;
constexpr int SwapHalves = 0x4E;   // the two 64-bit halves exchanged
constexpr int SwapQuarters = 0xB1; // the two 32-bit lanes of each half exchanged
constexpr int SwapLowLanes = 0xE1; // lanes 0 and 1 exchanged, 2 and 3 kept

FORCE_INLINE __m128i lowOf(__m128i low, __m128i high) {
    // Low half from the first value, high half from the second.
    return _mm_castpd_si128(_mm_move_sd(_mm_castsi128_pd(high), _mm_castsi128_pd(low)));
}

FORCE_INLINE __m128i blend(__m128i keep, __m128i keepMask, __m128i take, __m128i takeMask) {
    return _mm_or_si128(_mm_and_si128(keep, keepMask), _mm_and_si128(take, takeMask));
}

template <int Shuffle> FORCE_INLINE __m128i shuffleLanes(__m128i v) {
    return _mm_shuffle_epi32(v, Shuffle);
}

template <int Shuffle> FORCE_INLINE __m128i shufflePairs(__m128i a, __m128i b) {
    return _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(b), Shuffle));
}

// L and R touch F, T, B and U. X holds B with its 32-bit halves exchanged (which brings B's
// moving squares to the same bytes as those of F, T and U) beside F; Y is T | U. Each quarter
// turn then moves the selected bytes of X and Y along the cycle with one half exchange.
template <bool Right, bool Clockwise> FORCE_INLINE void turnLeftRight(Sse2Cube& c, Sse2Masks m) {
    __m128i stay = m.middle, move = m.end;
    if (Right) {
        stay = shuffleLanes<SwapQuarters>(stay);
        move = shuffleLanes<SwapQuarters>(move);
    }
    const __m128i x = _mm_unpacklo_epi64(shuffleLanes<SwapLowLanes>(c.v1), c.v0);
    const __m128i y = c.v2;
    // L moves F -> U -> B -> T -> F, R the other way round; the primed moves reverse each.
    const bool yTakesX = Right != Clockwise;
    __m128i newX, newY;
    if (yTakesX) {
        newX = blend(x, stay, shuffleLanes<SwapHalves>(y), move);
        newY = blend(y, stay, x, move);
    } else {
        newX = blend(x, stay, y, move);
        newY = blend(y, stay, shuffleLanes<SwapHalves>(x), move);
    }
    if (Right) {
        c.v0 = _mm_shufflehi_epi16(c.v0, Clockwise ? TurnCw : TurnCcw);
    } else {
        c.v1 = _mm_shufflehi_epi16(c.v1, Clockwise ? TurnCw : TurnCcw);
    }
    c.v2 = newY;
    c.v0 = _mm_unpackhi_epi64(newX, c.v0);
    c.v1 = lowOf(shuffleLanes<SwapLowLanes>(newX), c.v1);
}

// T and U touch squares 0-2 (T) or 4-6 (U) of F, R, B and L: those are the first or second
// 32-bit lane of each side. Gathered into one value as F, R, B, L, a rotation by one lane moves
// every side's squares to the next side; the fourth byte of each lane does not move.
template <bool Under, bool Clockwise> FORCE_INLINE void turnTopUnder(Sse2Cube& c) {
    __m128i s = shuffleLanes<0xD8>(c.v0); // F0-3 R0-3 F4-7 R4-7
    __m128i keep = _mm_cmpeq_epi32(_mm_setzero_si128(), _mm_setzero_si128());
    s = Under ? shufflePairs<0xDE>(s, c.v1) : shufflePairs<0x84>(s, c.v1);
    keep = _mm_slli_epi32(keep, 24);
    // T: F takes R's squares (F -> L -> B -> R -> F); U runs the other way. Primes reverse.
    const bool takeNext = Under != Clockwise;
    const __m128i rotated = takeNext ? shuffleLanes<0x39>(s) : shuffleLanes<0x93>(s);
    s = _mm_and_si128(s, keep);
    const __m128i moved = _mm_andnot_si128(keep, rotated);
    if (Under) {
        c.v2 = _mm_shufflehi_epi16(c.v2, Clockwise ? TurnCw : TurnCcw);
    } else {
        c.v2 = _mm_shufflelo_epi16(c.v2, Clockwise ? TurnCw : TurnCcw);
    }
    s = _mm_or_si128(s, moved);
    if (Under) {
        c.v0 = shuffleLanes<0xD8>(shufflePairs<0x48>(c.v0, s));
        c.v1 = shuffleLanes<0xD8>(shufflePairs<0xE8>(c.v1, s));
    } else {
        c.v0 = shuffleLanes<0x72>(shufflePairs<0x4D>(c.v0, s));
        c.v1 = shuffleLanes<0x72>(shufflePairs<0xED>(c.v1, s));
    }
}

// F and B touch T, U, L and R. Rotating the words of the sides so that every moving square sits
// at bytes 6, 7 and 0 of its half lines all four up with the end mask; X is L | R and Y is T | U.
template <bool Back, bool Clockwise> FORCE_INLINE void turnFrontBack(Sse2Cube& c, Sse2Masks m) {
    __m128i y, x;
    if (Back) {
        // T0 -> 6, U4 -> 6, R2 -> 6, L as it is.
        y = _mm_shufflehi_epi16(_mm_shufflelo_epi16(c.v2, TurnCcw), TurnCw);
        x = _mm_unpackhi_epi64(c.v1, _mm_shufflehi_epi16(c.v0, SwapHalves));
    } else {
        // T4 -> 6, U0 -> 6, L2 -> 6, R as it is.
        y = _mm_shufflehi_epi16(_mm_shufflelo_epi16(c.v2, TurnCw), TurnCcw);
        x = _mm_unpackhi_epi64(_mm_shufflehi_epi16(c.v1, SwapHalves), c.v0);
    }
    // F moves R -> U -> L -> T -> R, B moves R -> T -> L -> U -> R.
    const bool xTakesSwappedY = Back != Clockwise;
    __m128i newX, newY;
    if (xTakesSwappedY) {
        newX = blend(x, m.middle, shuffleLanes<SwapHalves>(y), m.end);
        newY = blend(y, m.middle, x, m.end);
    } else {
        newX = blend(x, m.middle, y, m.end);
        newY = blend(y, m.middle, shuffleLanes<SwapHalves>(x), m.end);
    }
    if (Back) {
        c.v2 = _mm_shufflehi_epi16(_mm_shufflelo_epi16(newY, TurnCw), TurnCcw);
        c.v1 = _mm_shufflelo_epi16(c.v1, Clockwise ? TurnCw : TurnCcw);
        c.v0 = lowOf(c.v0, _mm_shufflehi_epi16(newX, SwapHalves));
        c.v1 = _mm_unpacklo_epi64(c.v1, newX);
    } else {
        c.v2 = _mm_shufflehi_epi16(_mm_shufflelo_epi16(newY, TurnCcw), TurnCw);
        c.v0 = _mm_shufflelo_epi16(c.v0, Clockwise ? TurnCw : TurnCcw);
        c.v0 = lowOf(c.v0, newX);
        c.v1 = _mm_unpacklo_epi64(c.v1, _mm_shufflelo_epi16(newX, SwapHalves));
    }
}

FORCE_INLINE void applyOne(Sse2Cube& c, Sse2Masks m, MoveCode code) {
    switch (code) {
        case 0:
            turnLeftRight<false, true>(c, m);
            break;
        case 1:
            turnLeftRight<false, false>(c, m);
            break;
        case 2:
            turnLeftRight<true, true>(c, m);
            break;
        case 3:
            turnLeftRight<true, false>(c, m);
            break;
        case 4:
            turnTopUnder<false, true>(c);
            break;
        case 5:
            turnTopUnder<false, false>(c);
            break;
        case 6:
            turnTopUnder<true, true>(c);
            break;
        case 7:
            turnTopUnder<true, false>(c);
            break;
        case 8:
            turnFrontBack<false, true>(c, m);
            break;
        case 9:
            turnFrontBack<false, false>(c, m);
            break;
        case 10:
            turnFrontBack<true, true>(c, m);
            break;
        default:
            turnFrontBack<true, false>(c, m);
            break;
    }
}

// Packing the 16-bit lanes to bytes with signed saturation never turns a non-zero lane into
// zero, so two packs reduce the 128-bit difference to 32 bits that are zero only on equality.
FORCE_INLINE bool sameCube(const Sse2Cube& c, const PackedCube* target) {
    const Sse2Cube t = loadCube(target);
    __m128i d = _mm_or_si128(_mm_or_si128(_mm_xor_si128(c.v0, t.v0), _mm_xor_si128(c.v1, t.v1)),
                             _mm_xor_si128(c.v2, t.v2));
    d = _mm_packs_epi16(d, d);
    d = _mm_packs_epi16(d, d);
    return _mm_cvtsi128_si32(d) == 0;
}

// Everything after the first move. Each position gets its own copy of the dispatch, so the
// predictor sees one steady pattern per position; the state arrives in registers.
__attribute__((noinline)) bool matchesAfterFirst(__m128i v0, __m128i v1, __m128i v2,
                                                 const Sse2Masks& masks, const PackedCube* target,
                                                 uint32_t length, const MoveCode* moves) {
    Sse2Cube c = {v0, v1, v2};
    applyOne(c, masks, moves[1]);
    applyOne(c, masks, moves[2]);
    if (length > 3) {
        applyOne(c, masks, moves[3]);
        if (length > 4) {
            applyOne(c, masks, moves[4]);
            if (length > 5) {
                applyOne(c, masks, moves[5]);
                if (length > 6) {
                    applyOne(c, masks, moves[6]);
                    for (uint32_t i = 7; i < length; ++i)
                        applyOne(c, masks, moves[i]);
                }
            }
        }
    }
    return sameCube(c, target);
}

struct Sse2Test {
    SearchState* st;
    Sse2Masks masks;
    template <MoveCode First> bool matchesWithFirst(uint32_t length, const MoveCode* moves) {
        Sse2Cube c = loadCube(&st->start);
        applyOne(c, masks, First);
        return matchesAfterFirst(c.v0, c.v1, c.v2, masks, &st->target, length, moves);
    }
};

} // namespace

void applyMovesSse2(PackedCube* cube, uint32_t count, const MoveCode* moves) {
    const Sse2Masks masks = prepareMasks();
    Sse2Cube c = loadCube(cube);
    uint32_t i = 0;
    do {
        applyOne(c, masks, moves[i]);
    } while (++i < count);
    storeCube(c, cube);
}

bool candidateMatchesSse2(SearchState* st, uint32_t length, const MoveCode* moves) {
    const Sse2Masks masks = prepareMasks();
    Sse2Cube c = loadCube(&st->start);
    uint32_t i = 0;
    do {
        applyOne(c, masks, moves[i]);
    } while (++i < length);
    return sameCube(c, &st->target);
}

uint32_t sweepCandidatesSse2(SearchState* st, MoveCode* result, uint32_t maxMoves) {
    Sse2Test test{st, prepareMasks()};
    return runCandidateLoop(st, test, result, maxMoves);
}
