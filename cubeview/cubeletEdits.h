// What a mouse edit does to the 54 colour indices of a view, without any window.
#pragma once

#include "../engine/packedCube.h"

#include <cstdint>

// One row per square (index 9 x side + position, position 8 the centre).
struct CubeletEntry {
    uint8_t side;
    uint8_t partnerCount; // 2 corner, 1 edge, 0 centre
    uint8_t cornerSlot;   // place in the corner's clockwise triple
    int32_t partners[2];  // the cubelet's other squares, -1 for none
};

struct CubeletRows {
    CubeletEntry rows[54];
};
extern const CubeletRows CubeletTable;
// Clockwise quarter turn of each view side (F, R, B, L, T, U) as a move code.
extern const uint8_t SideTurnCodes[6];

struct SideTurn {
    int side;
    bool counterClockwise;
    bool halfTurn;
};

int squareAlongRing(int square, int n);
bool sideTurnForDrag(int from, int to, SideTurn* turn);
bool rotateCubeletColors(uint32_t colors[54], int square, bool clockwise);
bool moveCubeletColors(uint32_t colors[54], int from, int to);
