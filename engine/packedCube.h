// The cube state, move codes and the two move kernels.
#pragma once

#include <cstdint>

// One quarter turn: 2 x side + 1 when counter-clockwise, sides in "LRTUFB" order.
using MoveCode = uint8_t;

// The sides of a state, in their order: front, right, back, left, top, underside.
constexpr char StateSideLetters[] = "FRBLTU";

// 48 bytes, square k of side s at 8 x s + k, sides in StateSideLetters order.
struct alignas(16) PackedCube {
    uint8_t bytes[48];
};

enum : uint32_t {
    MoveCodeCount = 12,
    MaxExecuteMoves = 876,
};

constexpr MoveCode EndOfMoves = 0xFF;

extern const PackedCube SolvedCube;

using MoveRoutine = void (*)(PackedCube*);
extern const MoveRoutine moveRoutines[MoveCodeCount];

void applyMoves(PackedCube* cube, const MoveCode* moves, uint32_t count);
void applyMovesSse2(PackedCube* cube, uint32_t count, const MoveCode* moves);
int executeSequence(const MoveCode* moves, uint32_t count, PackedCube* cube, bool useSse2);
