#include "packedCube.h"
#include "testCubes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The moves as cycles written out square by square ("F0>U0>B4>T0>F0": F0's value goes to U0).
const std::pair<int, const char*> MoveCycles[] = {
    {0, "L0>L2>L4>L6>L0; L1>L3>L5>L7>L1; F0>U0>B4>T0>F0; F6>U6>B2>T6>F6; F7>U7>B3>T7>F7"},
    {1, "L0>L6>L4>L2>L0; L1>L7>L5>L3>L1; F0>T0>B4>U0>F0; F6>T6>B2>U6>F6; F7>T7>B3>U7>F7"},
    {2, "R0>R2>R4>R6>R0; R1>R3>R5>R7>R1; F2>T2>B6>U2>F2; F3>T3>B7>U3>F3; F4>T4>B0>U4>F4"},
    {3, "R0>R6>R4>R2>R0; R1>R7>R5>R3>R1; F2>U2>B6>T2>F2; F3>U3>B7>T3>F3; F4>U4>B0>T4>F4"},
    {4, "T0>T2>T4>T6>T0; T1>T3>T5>T7>T1; F0>L0>B0>R0>F0; F1>L1>B1>R1>F1; F2>L2>B2>R2>F2"},
    {5, "T0>T6>T4>T2>T0; T1>T7>T5>T3>T1; F0>R0>B0>L0>F0; F1>R1>B1>L1>F1; F2>R2>B2>L2>F2"},
    {6, "U0>U2>U4>U6>U0; U1>U3>U5>U7>U1; F4>R4>B4>L4>F4; F5>R5>B5>L5>F5; F6>R6>B6>L6>F6"},
    {7, "U0>U6>U4>U2>U0; U1>U7>U5>U3>U1; F4>L4>B4>R4>F4; F5>L5>B5>R5>F5; F6>L6>B6>R6>F6"},
    {8, "F0>F2>F4>F6>F0; F1>F3>F5>F7>F1; R0>U2>L4>T6>R0; R6>U0>L2>T4>R6; R7>U1>L3>T5>R7"},
    {9, "F0>F6>F4>F2>F0; F1>F7>F5>F3>F1; R0>T6>L4>U2>R0; R6>T4>L2>U0>R6; R7>T5>L3>U1>R7"},
    {10, "B0>B2>B4>B6>B0; B1>B3>B5>B7>B1; R2>T0>L6>U4>R2; R3>T1>L7>U5>R3; R4>T2>L0>U6>R4"},
    {11, "B0>B6>B4>B2>B0; B1>B7>B5>B3>B1; R2>U4>L6>T0>R2; R3>U5>L7>T1>R3; R4>U6>L0>T2>R4"},
};

// Applies the written cycles to a state the slow way.
PackedCube applyCycles(const PackedCube& before, const std::string& cycles) {
    PackedCube after = before;
    std::stringstream groups(cycles);
    std::string group;
    while (std::getline(groups, group, ';')) {
        std::vector<int> squares;
        for (size_t i = 0; i < group.size(); ++i)
            if (std::isupper(static_cast<unsigned char>(group[i])))
                squares.push_back(squareIndex(group.c_str() + i));
        for (size_t i = 0; i + 1 < squares.size(); ++i)
            after.bytes[squares[i + 1]] = before.bytes[squares[i]];
    }
    return after;
}

const char* const Corners[] = {"F0 L2 T6", "F2 R0 T4", "F4 R6 U2", "F6 L4 U0",
                               "B0 R2 T2", "B2 L0 T0", "B4 L6 U6", "B6 R4 U4"};
const char* const Edges[] = {"F1 T5", "F3 R7", "F5 U1", "F7 L3", "R1 T3", "R3 B7",
                             "R5 U3", "B1 T1", "B3 L7", "B5 U5", "L1 T7", "L5 U7"};

std::set<int> squaresOf(const char* cubelet) {
    std::set<int> squares;
    for (const char* p = cubelet; *p; ++p)
        if (std::isupper(static_cast<unsigned char>(*p))) squares.insert(squareIndex(p));
    return squares;
}

} // namespace

TEST(Moves, EveryCodeMovesExactlyTheWrittenSquares) {
    for (const auto& [code, cycles] : MoveCycles) {
        PackedCube cube = distinctCube();
        moveRoutines[code](&cube);
        EXPECT_TRUE(sameCube(applyCycles(distinctCube(), cycles), cube)) << "code " << code;
    }
}

TEST(Moves, TopAndFrontOnTheAssembledCube) {
    PackedCube top = afterMoves(SolvedCube, {4});
    PackedCube expected = SolvedCube;
    for (int k = 0; k < 3; ++k) {
        expected.bytes[8 * 0 + k] = 1;
        expected.bytes[8 * 1 + k] = 2;
        expected.bytes[8 * 2 + k] = 3;
        expected.bytes[8 * 3 + k] = 0;
    }
    EXPECT_TRUE(sameCube(expected, top));

    PackedCube front = afterMoves(SolvedCube, {8});
    expected = SolvedCube;
    for (const char* sq : {"R0", "R6", "R7"})
        expected.bytes[squareIndex(sq)] = 4;
    for (const char* sq : {"U0", "U1", "U2"})
        expected.bytes[squareIndex(sq)] = 1;
    for (const char* sq : {"L2", "L3", "L4"})
        expected.bytes[squareIndex(sq)] = 5;
    for (const char* sq : {"T4", "T5", "T6"})
        expected.bytes[squareIndex(sq)] = 3;
    EXPECT_TRUE(sameCube(expected, front));
}

// Squares of one cubelet stay together: a move carries every corner onto a corner and every
// edge onto an edge, whole.
TEST(Moves, CubeletsStayWhole) {
    const PackedCube start = distinctCube();
    for (MoveCode code = 0; code < MoveCodeCount; ++code) {
        PackedCube after = start;
        moveRoutines[code](&after);
        std::vector<int> whereIs(256, -1);
        for (int i = 0; i < 48; ++i)
            whereIs[after.bytes[i]] = i;
        auto checkAll = [&](const char* const* cubelets, size_t n) {
            std::vector<std::set<int>> all;
            for (size_t i = 0; i < n; ++i)
                all.push_back(squaresOf(cubelets[i]));
            for (const auto& squares : all) {
                std::set<int> moved;
                for (int sq : squares)
                    moved.insert(whereIs[start.bytes[sq]]);
                EXPECT_NE(std::find(all.begin(), all.end(), moved), all.end())
                    << "code " << int(code);
            }
        };
        checkAll(Corners, 8);
        checkAll(Edges, 12);
    }
}

TEST(Moves, FourTurnsAndInverseTurnsAreTheIdentity) {
    const PackedCube start = distinctCube();
    for (MoveCode code = 0; code < MoveCodeCount; ++code) {
        EXPECT_TRUE(sameCube(start, afterMoves(start, {code, code, code, code})))
            << "code " << int(code);
        EXPECT_TRUE(sameCube(start, afterMoves(start, {code, MoveCode(code ^ 1)})))
            << "code " << int(code);
        EXPECT_FALSE(sameCube(start, afterMoves(start, {code}))) << "code " << int(code);
    }
}

TEST(ExecuteSequence, CountZeroAcceptsAndChangesNothing) {
    for (bool sse2 : {false, true}) {
        PackedCube cube = distinctCube();
        const MoveCode moves[] = {EndOfMoves};
        EXPECT_EQ(1, executeSequence(moves, 0, &cube, sse2));
        EXPECT_TRUE(sameCube(distinctCube(), cube));
    }
}

TEST(ExecuteSequence, RejectsACodeAbove11InsideTheCount) {
    for (bool sse2 : {false, true}) {
        for (MoveCode bad : {MoveCode(12), EndOfMoves}) {
            PackedCube cube = distinctCube();
            const MoveCode moves[] = {0, 4, 8, bad, 2};
            EXPECT_EQ(0, executeSequence(moves, 5, &cube, sse2));
            EXPECT_TRUE(sameCube(distinctCube(), cube));
            // The same code just past the count is never looked at.
            EXPECT_EQ(1, executeSequence(moves, 3, &cube, sse2));
            EXPECT_TRUE(sameCube(afterMoves(distinctCube(), {0, 4, 8}), cube));
        }
    }
}

TEST(ExecuteSequence, TakesAtMost876Moves) {
    std::mt19937 rng(876);
    std::vector<MoveCode> moves = randomMoves(rng, 900);
    moves[876] = 12; // would reject the list if it were read
    for (bool sse2 : {false, true}) {
        PackedCube cube = distinctCube();
        EXPECT_EQ(1, executeSequence(moves.data(), 900, &cube, sse2));
        const std::vector<MoveCode> first(moves.begin(), moves.begin() + 876);
        EXPECT_TRUE(sameCube(afterMoves(distinctCube(), first), cube)) << "sse2 " << sse2;
    }
}
