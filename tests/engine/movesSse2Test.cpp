#include "packedCube.h"
#include "search.h"
#include "testCubes.h"

#include <gtest/gtest.h>

#include <memory>

TEST(MovesSse2, EveryCodeMatchesGeneric) {
    for (MoveCode code = 0; code < MoveCodeCount; ++code) {
        PackedCube generic = distinctCube(), sse2 = distinctCube();
        ASSERT_EQ(1, executeSequence(&code, 1, &generic, false));
        ASSERT_EQ(1, executeSequence(&code, 1, &sse2, true));
        EXPECT_TRUE(sameCube(generic, sse2)) << "code " << int(code);
    }
}

// Random lists from a fixed seed, so a failure reproduces; the byte values themselves are
// random too, repeats included.
TEST(MovesSse2, RandomListsMatchGeneric) {
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int> byte(0, 255), length(1, 60);
    for (int round = 0; round < 3000; ++round) {
        PackedCube start;
        for (auto& b : start.bytes)
            b = uint8_t(byte(rng));
        const std::vector<MoveCode> moves = randomMoves(rng, size_t(length(rng)));
        PackedCube generic = start, sse2 = start;
        executeSequence(moves.data(), uint32_t(moves.size()), &generic, false);
        executeSequence(moves.data(), uint32_t(moves.size()), &sse2, true);
        ASSERT_TRUE(sameCube(generic, sse2)) << "round " << round;
    }
}

TEST(MovesSse2, CandidateTestAgreesWithGeneric) {
    auto state = std::make_unique<SearchState>();
    std::mt19937 rng(7);
    for (int round = 0; round < 500; ++round) {
        const std::vector<MoveCode> moves = randomMoves(rng, size_t(1 + round % 9));
        state->start = distinctCube();
        state->target = afterMoves(state->start, moves);
        if (round % 2) state->target.bytes[round % 48] ^= 1;
        const bool expected = round % 2 == 0;
        const uint32_t n = uint32_t(moves.size());
        EXPECT_EQ(expected, candidateMatches(state.get(), n, moves.data()));
        EXPECT_EQ(expected, candidateMatchesSse2(state.get(), n, moves.data()));
    }
}

// The equality reduction packs with saturation: a difference of any size in any byte must
// survive it.
TEST(MovesSse2, EveryDifferingByteIsSeen) {
    auto state = std::make_unique<SearchState>();
    const MoveCode moves[] = {4, 5, EndOfMoves};
    state->start = distinctCube();
    for (int i = 0; i < 48; ++i) {
        for (uint8_t flip : {0x01, 0x80, 0xFF, 0x7F}) {
            state->target = distinctCube();
            state->target.bytes[i] ^= flip;
            EXPECT_FALSE(candidateMatchesSse2(state.get(), 2, moves)) << i << " " << int(flip);
        }
    }
    state->target = distinctCube();
    EXPECT_TRUE(candidateMatchesSse2(state.get(), 2, moves));
}
