#include "packedCube.h"
#include "moveTable.h"

#include <cstring>

const PackedCube SolvedCube = {{
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2,
    3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5,
}};

namespace {

// Each routine is instantiated from the move table with constant indices, so it compiles to
// straight-line byte moves: the search calls these billions of times and a loop over the table
// would cost more than the moves themselves.
inline void cycleBytes(uint8_t* b, const ByteCycle& c) {
    const uint8_t last = b[c.d];
    b[c.d] = b[c.c];
    b[c.c] = b[c.b];
    b[c.b] = b[c.a];
    b[c.a] = last;
}

// Square k of the turned side moves to k + 2 (clockwise) or k - 2: as the eight squares are one
// little-endian 64-bit word, that is a rotation by 16 bits, done as two 32-bit double shifts so
// the 32-bit target gets two SHLD/SHRD pairs.
inline void rotateSide(uint8_t* side, bool clockwise) {
    uint32_t lo, hi;
    std::memcpy(&lo, side, 4);
    std::memcpy(&hi, side + 4, 4);
    uint32_t newLo, newHi;
    if (clockwise) {
        newLo = (lo << 16) | (hi >> 16);
        newHi = (hi << 16) | (lo >> 16);
    } else {
        newLo = (lo >> 16) | (hi << 16);
        newHi = (hi >> 16) | (lo << 16);
    }
    std::memcpy(side, &newLo, 4);
    std::memcpy(side + 4, &newHi, 4);
}

template <int Code> void moveRoutine(PackedCube* cube) {
    constexpr MoveShape shape = MoveShapes[Code];
    uint8_t* b = cube->bytes;
    cycleBytes(b, shape.neighbours[0]);
    cycleBytes(b, shape.neighbours[1]);
    cycleBytes(b, shape.neighbours[2]);
    rotateSide(b + 8 * shape.turnedSide, shape.clockwise);
}

} // namespace

const MoveRoutine moveRoutines[MoveCodeCount] = {
    moveRoutine<0>, moveRoutine<1>, moveRoutine<2>,  moveRoutine<3>,
    moveRoutine<4>, moveRoutine<5>, moveRoutine<6>,  moveRoutine<7>,
    moveRoutine<8>, moveRoutine<9>, moveRoutine<10>, moveRoutine<11>,
};

void applyMoves(PackedCube* cube, const MoveCode* moves, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
        moveRoutines[moves[i]](cube);
}

// A code above 11 inside the counted range rejects the whole list; codes past the 876th are
// ignored, as execution never takes more than the largest move limit.
int executeSequence(const MoveCode* moves, uint32_t count, PackedCube* cube, bool useSse2) {
    if (count > MaxExecuteMoves) count = MaxExecuteMoves;
    PackedCube work;
    std::memcpy(&work, cube, sizeof work);
    MoveCode buffer[MaxExecuteMoves + 1];
    uint32_t taken = 0;
    while (taken < count && moves[taken] < MoveCodeCount) {
        buffer[taken] = moves[taken];
        ++taken;
    }
    buffer[taken] = EndOfMoves;
    if (taken < count) return 0;
    if (count == 0) return 1;
    if (useSse2) {
        applyMovesSse2(&work, count, buffer);
    } else {
        applyMoves(&work, buffer, count);
    }
    std::memcpy(cube, &work, sizeof work);
    return 1;
}
