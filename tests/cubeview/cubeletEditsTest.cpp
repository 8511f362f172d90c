#include "cubeletEdits.h"
#include "packedCube.h"
#include "testCubes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

using Colors = std::array<uint32_t, 54>;

Colors assembled() {
    Colors c;
    for (int i = 0; i < 54; ++i)
        c[i] = uint32_t(i / 9);
    return c;
}

int sq(const char* name) {
    return viewSquareIndex(name);
}

uint32_t colorOf(const Colors& c, const char* name) {
    return c[sq(name)];
}

} // namespace

TEST(CubeletEdits, CtrlClicksTurnACornerBothWays) {
    Colors c = assembled();
    ASSERT_TRUE(rotateCubeletColors(c.data(), sq("F0"), true));
    EXPECT_EQ(4u, colorOf(c, "F0"));
    EXPECT_EQ(0u, colorOf(c, "L2"));
    EXPECT_EQ(3u, colorOf(c, "T6"));
    ASSERT_TRUE(rotateCubeletColors(c.data(), sq("F0"), false));
    EXPECT_EQ(assembled(), c);

    ASSERT_TRUE(rotateCubeletColors(c.data(), sq("R7"), false));
    EXPECT_EQ(0u, colorOf(c, "R7"));
    EXPECT_EQ(1u, colorOf(c, "F3"));
    ASSERT_TRUE(rotateCubeletColors(c.data(), sq("F3"), true));
    EXPECT_EQ(assembled(), c);
    EXPECT_FALSE(rotateCubeletColors(c.data(), sq("U8"), true));
}

TEST(CubeletEdits, DragDistanceChoosesTheTurn) {
    SideTurn t;
    ASSERT_TRUE(sideTurnForDrag(sq("F0"), sq("F2"), &t));
    EXPECT_EQ(0, t.side);
    EXPECT_FALSE(t.counterClockwise);
    EXPECT_FALSE(t.halfTurn);
    ASSERT_TRUE(sideTurnForDrag(sq("F0"), sq("F4"), &t));
    EXPECT_TRUE(t.halfTurn);
    ASSERT_TRUE(sideTurnForDrag(sq("F0"), sq("F6"), &t));
    EXPECT_TRUE(t.counterClockwise);
    ASSERT_TRUE(sideTurnForDrag(sq("F1"), sq("F0"), &t));
    EXPECT_TRUE(t.counterClockwise);
    ASSERT_TRUE(sideTurnForDrag(sq("U7"), sq("U2"), &t));
    EXPECT_EQ(5, t.side);
    EXPECT_FALSE(t.counterClockwise) << "3 places clockwise";
    EXPECT_FALSE(sideTurnForDrag(sq("F0"), sq("R0"), &t));
    EXPECT_FALSE(sideTurnForDrag(sq("F0"), sq("F8"), &t));
    EXPECT_FALSE(sideTurnForDrag(sq("F8"), sq("F1"), &t));
    EXPECT_FALSE(sideTurnForDrag(sq("F3"), sq("F3"), &t));
}

TEST(CubeletEdits, CtrlDragsExchangeCubeletsKeepingTheirOrder) {
    Colors c = assembled();
    ASSERT_TRUE(moveCubeletColors(c.data(), sq("F0"), sq("R2")));
    EXPECT_EQ(0u, colorOf(c, "R2"));
    EXPECT_EQ(1u, colorOf(c, "F0"));
    EXPECT_EQ(2u, colorOf(c, "T6"));
    EXPECT_EQ(4u, colorOf(c, "L2"));
    EXPECT_EQ(3u, colorOf(c, "T2"));
    EXPECT_EQ(4u, colorOf(c, "B0"));

    c = assembled();
    ASSERT_TRUE(moveCubeletColors(c.data(), sq("F1"), sq("R7")));
    EXPECT_EQ(1u, colorOf(c, "F1"));
    EXPECT_EQ(0u, colorOf(c, "T5"));
    EXPECT_EQ(0u, colorOf(c, "R7"));
    EXPECT_EQ(4u, colorOf(c, "F3"));

    c = assembled();
    ASSERT_TRUE(moveCubeletColors(c.data(), sq("F0"), sq("T6")));
    EXPECT_EQ(4u, colorOf(c, "F0"));
    EXPECT_EQ(0u, colorOf(c, "L2"));
    EXPECT_EQ(3u, colorOf(c, "T6"));

    c = assembled();
    EXPECT_FALSE(moveCubeletColors(c.data(), sq("F0"), sq("F1")));
    EXPECT_FALSE(moveCubeletColors(c.data(), sq("F8"), sq("R8")));
    EXPECT_EQ(assembled(), c);
}

TEST(CubeletEdits, MoveAlongTheRingSwapsOppositeEdges) {
    EXPECT_EQ(sq("F5"), squareAlongRing(sq("F1"), 4));
    EXPECT_EQ(sq("F7"), squareAlongRing(sq("F0"), -1));
    EXPECT_EQ(sq("T3"), squareAlongRing(sq("T8"), 3));
    Colors c = assembled();
    c[sq("F1")] = 7;
    ASSERT_TRUE(moveCubeletColors(c.data(), sq("F1"), squareAlongRing(sq("F1"), 4)));
    EXPECT_EQ(7u, colorOf(c, "F5"));
    EXPECT_EQ(4u, colorOf(c, "U1"));
    EXPECT_EQ(0u, colorOf(c, "F1"));
    EXPECT_EQ(5u, colorOf(c, "T5"));
}

// The corner triples all run the same way round: every quarter turn of the engine carries
// each triple onto a triple as a rotation, never as a reflection.
TEST(CubeletEdits, CornerTriplesAgreeWithTheMoves) {
    auto viewToPacked = [](int square) { return 8 * (square / 9) + square % 9; };
    PackedCube labels;
    for (int i = 0; i < 48; ++i)
        labels.bytes[i] = uint8_t(i);
    for (MoveCode code = 0; code < MoveCodeCount; ++code) {
        PackedCube moved = labels;
        moveRoutines[code](&moved);
        int whereIs[48];
        for (int i = 0; i < 48; ++i)
            whereIs[moved.bytes[i]] = i;
        for (int square = 0; square < 54; ++square) {
            const CubeletEntry& row = CubeletTable.rows[square];
            if (row.partnerCount != 2 || row.cornerSlot != 0) continue;
            const int a[3] = {square, row.partners[0], row.partners[1]};
            int b[3];
            for (int m = 0; m < 3; ++m) {
                const int p = whereIs[viewToPacked(a[m])];
                b[m] = 9 * (p / 8) + p % 8;
            }
            // b must be a rotation of the triple that holds b[0].
            const CubeletEntry& target = CubeletTable.rows[b[0]];
            int triple[3];
            int n = 0;
            for (int slot = 0; slot < 3; ++slot)
                triple[slot] = slot == target.cornerSlot ? b[0] : target.partners[n++];
            const int r = target.cornerSlot;
            EXPECT_EQ(triple[(r + 1) % 3], b[1]) << "code " << int(code) << " square " << square;
            EXPECT_EQ(triple[(r + 2) % 3], b[2]) << "code " << int(code) << " square " << square;
        }
    }
}

TEST(CubeletEdits, NoEditChangesHowManySquaresShowEachColour) {
    std::mt19937 rng(43);
    Colors c = assembled();
    for (int step = 0; step < 5000; ++step) {
        const int a = int(rng() % 54), b = int(rng() % 54);
        switch (rng() % 3) {
            case 0:
                rotateCubeletColors(c.data(), a, rng() % 2);
                break;
            case 1:
                moveCubeletColors(c.data(), a, b);
                break;
            default: {
                SideTurn t;
                if (!sideTurnForDrag(a, b, &t)) break;
                PackedCube state;
                for (int s = 0; s < 6; ++s)
                    for (int k = 0; k < 8; ++k)
                        state.bytes[8 * s + k] = uint8_t(c[9 * s + k]);
                const MoveCode code = MoveCode(SideTurnCodes[t.side] + t.counterClockwise);
                moveRoutines[code](&state);
                if (t.halfTurn) moveRoutines[code](&state);
                for (int s = 0; s < 6; ++s)
                    for (int k = 0; k < 8; ++k)
                        c[9 * s + k] = state.bytes[8 * s + k];
            }
        }
    }
    for (uint32_t color = 0; color < 6; ++color)
        EXPECT_EQ(9, std::count(c.begin(), c.end(), color)) << "colour " << color;
    for (int side = 0; side < 6; ++side)
        EXPECT_EQ(uint32_t(side), c[9 * side + 8]);
}
