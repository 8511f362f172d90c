#include "cubeletEdits.h"
#include "geometry.h"
#include "testCubes.h"

#include <gtest/gtest.h>

// At 320 x 256 the lattice columns and rows are known: a square of each figure must sit on
// them. A low view gets pen width 0, which draws one pixel wide.
TEST(Geometry, SquaresSitOnTheLattice) {
    ViewGeometry g, low;
    computeGeometry(60, 47, &low);
    computeGeometry(320, 256, &g);
    EXPECT_TRUE(g.labelFontHeight == 16 && g.gridPenWidth == 3 && low.gridPenWidth == 0);
    const ViewPoint f0[5] = {{85, 128}, {107, 109}, {107, 147}, {85, 165}, {96, 129}};
    const ViewPoint u0[5] = {{235, 240}, {213, 221}, {235, 203}, {257, 221}, {235, 213}};
    EXPECT_EQ(0, std::memcmp(f0, &g.squares[0], sizeof f0)) << "F0's corners and label point";
    EXPECT_EQ(0, std::memcmp(u0, &g.squares[45], sizeof u0)) << "U0's corners and label point";
}

// The table, the engine's moves and the picture describe one cube: each move carries every
// cubelet onto a cubelet in the same clockwise order, and what touches on the cube touches on
// screen (neighbours on a side; the squares of a cubelet that one figure shows).
TEST(CubeletTable, AgreesWithTheMovesAndThePicture) {
    auto next = [](int square) {
        return CubeletTable.rows[square].partners[CubeletTable.rows[square].cornerSlot == 1];
    };
    ASSERT_EQ(0, next(9 * 4 + 6)) << "T6 F0 L2 run clockwise";
    auto viewIndex = [](int packed) { return 9 * (packed / 8) + packed % 8; };
    int to[MoveCodeCount][54]; // where each square goes
    for (MoveCode code = 0; code < MoveCodeCount; ++code) {
        PackedCube moved = distinctCube(); // byte 100 + i starts at place i
        moveRoutines[code](&moved);
        for (int i = 0; i < 48; ++i)
            to[code][viewIndex(moved.bytes[i] - 100)] = viewIndex(i);
    }
    ViewGeometry g;
    computeGeometry(500, 400, &g);
    auto shared = [&](int a, int b) {
        int n = 0;
        for (const ViewPoint& p : g.squares[a].corners)
            for (const ViewPoint& q : g.squares[b].corners)
                n += p.x == q.x && p.y == q.y;
        return n;
    };
    auto figure = [](int square) { return (0x26 >> (square / 9)) & 1; }; // R, B, U on the right
    for (int i = 0; i < 54; ++i) {
        if (i % 9 == 8) continue;
        for (MoveCode code = 0; code < MoveCodeCount; ++code)
            EXPECT_EQ(to[code][next(i)], next(to[code][i])) << int(code) << " moves " << i;
        EXPECT_EQ(2, shared(i, 9 * (i / 9) + (i % 9 + 1) % 8)) << "ring after " << i;
        EXPECT_EQ(i % 9 % 2 ? 2 : 1, shared(i, 9 * (i / 9) + 8)) << "centre and " << i;
        EXPECT_EQ(figure(next(i)) == figure(i) ? 2 : 0, shared(i, next(i))) << "cubelet " << i;
    }
}
