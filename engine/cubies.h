// The cube as pieces: which squares make up each corner and edge, where each move takes them,
// and how a state is read as pieces relative to another state.
#pragma once

#include "packedCube.h"

#include <cstdint>

enum : uint32_t {
    CornerCount = 8,
    EdgeCount = 12,
};

// Every facelet table lists a slot's squares with the one on the top or underside first (for
// middle-layer edges, the one on the front or back), a corner's squares then going round the
// same way on every corner, so a twist is a rotation of that list.
struct CubieModel {
    uint8_t cornerSquares[CornerCount][3];
    uint8_t edgeSquares[EdgeCount][2];
    // Move m takes the piece in slot s to slot cornerTo[m][s], turning it by cornerTwist[m][s].
    uint8_t cornerTo[MoveCodeCount][CornerCount];
    uint8_t cornerTwist[MoveCodeCount][CornerCount];
    uint8_t edgeTo[MoveCodeCount][EdgeCount];
    uint8_t edgeFlip[MoveCodeCount][EdgeCount];
};

// Worked out once from the move table.
const CubieModel& cubieModel();

// A state as pieces: slot s holds the piece that sat in slot piece[s] of a reference state,
// turned by orientation[s]: its square i shows on the slot's square (i + orientation) mod 3 (or
// 2 for edges).
struct CubieState {
    uint8_t corner[CornerCount];
    uint8_t twist[CornerCount];
    uint8_t edge[EdgeCount];
    uint8_t flip[EdgeCount];
};

CubieState identityCubies();
void applyMoveToCubies(CubieState* state, MoveCode move);

// Where a reference state's colours end up when its pieces are placed as in pieces.
PackedCube colourAs(const PackedCube& reference, const CubieState& pieces);

// How to(arrangement) can be had from the reference: which permutation parities (bit 0: even,
// bit 1: odd) of the corners and of the edges fit, with a witness for each. A state reachable
// from the reference by moves needs a twist sum of 0, an even flip sum, and equal parities.
struct CubieMatch {
    uint8_t cornerParities = 0;
    uint8_t edgeParities = 0;
    CubieState witness[2];
};

CubieMatch matchCubies(const PackedCube& reference, const PackedCube& to);

// Why no moves turn the assembled cube into a state, in the order a cuber checks: the colours
// do not make the cube's pieces at all (a colour too often, a piece twice), a corner is twisted
// in place, an edge is flipped, or two pieces are swapped (the permutations' parities differ).
enum class Unreachable {
    None,
    Pieces,
    Twist,
    Flip,
    Parity,
};

Unreachable whyUnreachable(const PackedCube& state);

// Parities (bit 0 even lengths, bit 1 odd) of the move sequences that can turn reference into
// to; 0 when none can.
inline uint8_t reachableParities(const CubieMatch& match) {
    return match.cornerParities & match.edgeParities;
}
