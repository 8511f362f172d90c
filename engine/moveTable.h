// The twelve quarter turns as data: which bytes each move cycles.
#pragma once

#include <cstdint>

// Byte index of square k on a side, sides in state order.
enum StateSide : uint8_t {
    SideF = 0,
    SideR = 1,
    SideB = 2,
    SideL = 3,
    SideT = 4,
    SideU = 5,
};

constexpr uint8_t sq(StateSide side, int k) {
    return uint8_t(8 * side + k);
}

// a -> b -> c -> d -> a: the value at a moves to b, and so on.
struct ByteCycle {
    uint8_t a, b, c, d;
};

struct MoveShape {
    StateSide turnedSide;
    bool clockwise;
    ByteCycle neighbours[3];
};

// Indexed by MoveCode.
constexpr MoveShape MoveShapes[12] = {
    {SideL,
     true,
     {{sq(SideF, 0), sq(SideU, 0), sq(SideB, 4), sq(SideT, 0)},
      {sq(SideF, 6), sq(SideU, 6), sq(SideB, 2), sq(SideT, 6)},
      {sq(SideF, 7), sq(SideU, 7), sq(SideB, 3), sq(SideT, 7)}}},
    {SideL,
     false,
     {{sq(SideF, 0), sq(SideT, 0), sq(SideB, 4), sq(SideU, 0)},
      {sq(SideF, 6), sq(SideT, 6), sq(SideB, 2), sq(SideU, 6)},
      {sq(SideF, 7), sq(SideT, 7), sq(SideB, 3), sq(SideU, 7)}}},
    {SideR,
     true,
     {{sq(SideF, 2), sq(SideT, 2), sq(SideB, 6), sq(SideU, 2)},
      {sq(SideF, 3), sq(SideT, 3), sq(SideB, 7), sq(SideU, 3)},
      {sq(SideF, 4), sq(SideT, 4), sq(SideB, 0), sq(SideU, 4)}}},
    {SideR,
     false,
     {{sq(SideF, 2), sq(SideU, 2), sq(SideB, 6), sq(SideT, 2)},
      {sq(SideF, 3), sq(SideU, 3), sq(SideB, 7), sq(SideT, 3)},
      {sq(SideF, 4), sq(SideU, 4), sq(SideB, 0), sq(SideT, 4)}}},
    {SideT,
     true,
     {{sq(SideF, 0), sq(SideL, 0), sq(SideB, 0), sq(SideR, 0)},
      {sq(SideF, 1), sq(SideL, 1), sq(SideB, 1), sq(SideR, 1)},
      {sq(SideF, 2), sq(SideL, 2), sq(SideB, 2), sq(SideR, 2)}}},
    {SideT,
     false,
     {{sq(SideF, 0), sq(SideR, 0), sq(SideB, 0), sq(SideL, 0)},
      {sq(SideF, 1), sq(SideR, 1), sq(SideB, 1), sq(SideL, 1)},
      {sq(SideF, 2), sq(SideR, 2), sq(SideB, 2), sq(SideL, 2)}}},
    {SideU,
     true,
     {{sq(SideF, 4), sq(SideR, 4), sq(SideB, 4), sq(SideL, 4)},
      {sq(SideF, 5), sq(SideR, 5), sq(SideB, 5), sq(SideL, 5)},
      {sq(SideF, 6), sq(SideR, 6), sq(SideB, 6), sq(SideL, 6)}}},
    {SideU,
     false,
     {{sq(SideF, 4), sq(SideL, 4), sq(SideB, 4), sq(SideR, 4)},
      {sq(SideF, 5), sq(SideL, 5), sq(SideB, 5), sq(SideR, 5)},
      {sq(SideF, 6), sq(SideL, 6), sq(SideB, 6), sq(SideR, 6)}}},
    {SideF,
     true,
     {{sq(SideR, 0), sq(SideU, 2), sq(SideL, 4), sq(SideT, 6)},
      {sq(SideR, 6), sq(SideU, 0), sq(SideL, 2), sq(SideT, 4)},
      {sq(SideR, 7), sq(SideU, 1), sq(SideL, 3), sq(SideT, 5)}}},
    {SideF,
     false,
     {{sq(SideR, 0), sq(SideT, 6), sq(SideL, 4), sq(SideU, 2)},
      {sq(SideR, 6), sq(SideT, 4), sq(SideL, 2), sq(SideU, 0)},
      {sq(SideR, 7), sq(SideT, 5), sq(SideL, 3), sq(SideU, 1)}}},
    {SideB,
     true,
     {{sq(SideR, 2), sq(SideT, 0), sq(SideL, 6), sq(SideU, 4)},
      {sq(SideR, 3), sq(SideT, 1), sq(SideL, 7), sq(SideU, 5)},
      {sq(SideR, 4), sq(SideT, 2), sq(SideL, 0), sq(SideU, 6)}}},
    {SideB,
     false,
     {{sq(SideR, 2), sq(SideU, 4), sq(SideL, 6), sq(SideT, 0)},
      {sq(SideR, 3), sq(SideU, 5), sq(SideL, 7), sq(SideT, 1)},
      {sq(SideR, 4), sq(SideU, 6), sq(SideL, 0), sq(SideT, 2)}}},
};
