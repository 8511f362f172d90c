#include "standardNotation.h"
#include "randomState.h"
#include "testCubes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

PackedCube afterStandard(const char* text) {
    return afterMoves(SolvedCube, parseStandardMoves(text).codes);
}

} // namespace

// Worked out by hand on a cube held with U up and F in front, not from the move tables: each
// standard quarter turn of the assembled cube.
TEST(StandardNotation, EachTurnGivesTheFaceletsWorkedOutByHand) {
    const std::pair<const char*, const char*> cases[] = {
        {"U", "UUUUUUUUUBBBRRRRRRRRRFFFFFFDDDDDDDDDFFFLLLLLLLLLBBBBBB"},
        {"R", "UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB"},
        {"F", "UUUUUULLLURRURRURRFFFFFFFFFRRRDDDDDDLLDLLDLLDBBBBBBBBB"},
        {"D", "UUUUUUUUURRRRRRFFFFFFFFFLLLDDDDDDDDDLLLLLLBBBBBBBBBRRR"},
        {"L", "BUUBUUBUURRRRRRRRRUFFUFFUFFFDDFDDFDDLLLLLLLLLBBDBBDBBD"},
        {"B", "RRRUUUUUURRDRRDRRDFFFFFFFFFDDDDDDLLLULLULLULLBBBBBBBBB"},
    };
    for (const auto& [move, facelets] : cases)
        EXPECT_EQ(facelets, faceletsOf(afterStandard(move))) << move;
}

// Either way round, a sequence keeps its state and a state its squares.
TEST(StandardNotation, RoundTripsKeepTheState) {
    std::mt19937 rng(7);
    for (int n = 0; n < 300; ++n) {
        const std::vector<MoveCode> codes = randomMoves(rng, rng() % 40);
        const std::string text = formatStandardMoves(codes.data(), uint32_t(codes.size()));
        EXPECT_TRUE(sameCube(afterMoves(SolvedCube, codes), afterStandard(text.c_str()))) << text;
        const PackedCube state = randomState(rng());
        PackedCube read = SolvedCube;
        ASSERT_EQ(FaceletFault::None, cubeFromFacelets(faceletsOf(state), &read));
        EXPECT_TRUE(sameCube(state, read));
    }
}

// Blanks, line breaks and comments separate moves; a wide turn, a slice, a rotation or anything
// else is refused by its first token, with no moves. (Bad facelet strings: the window tests.)
TEST(StandardNotation, RefusesWhatFixedCentresCannotTurn) {
    EXPECT_EQ((std::vector<MoveCode>{2, 4, 4, 9, 0, 0, 6, 11, 2, 8}),
              parseStandardMoves(" R U2 F'\tL2' D B' // a scramble\r\nRF").codes);
    const std::pair<const char*, const char*> refused[] = {
        {"R Rw U", "Rw"}, {"R r", "r"},   {"M2", "M2"},    {"x", "x"},
        {"R3", "R3"},     {"U'2", "U'2"}, {"(R U)", "(R"}, {"R / U", "/"}};
    for (const auto& [text, token] : refused) {
        const StandardMoves moves = parseStandardMoves(text);
        EXPECT_TRUE(moves.codes.empty() && moves.refused == token) << text;
    }
}

// Every slot's piece and turn and the permutations' parity come out evenly, every draw is
// reachable from the assembled cube, and a seed always gives the same state.
TEST(RandomState, UniformOverReachableStates) {
    const int draws = 24000;
    int corner[8] = {}, twist[3] = {}, edge[12] = {}, flip[2] = {}, parity[2] = {};
    for (int n = 0; n < draws; ++n) {
        const CubieState pieces = randomCubies(uint64_t(n));
        ++corner[pieces.corner[3]], ++twist[pieces.twist[3]], ++edge[pieces.edge[5]];
        ++flip[pieces.flip[5]];
        int inversions = 0;
        for (int i = 0; i < 8; ++i)
            for (int j = i + 1; j < 8; ++j)
                inversions += pieces.corner[i] > pieces.corner[j];
        ++parity[inversions % 2];
        if (n % 100 == 0)
            EXPECT_NE(0, reachableParities(matchCubies(SolvedCube, colourAs(SolvedCube, pieces))));
    }
    const auto even = [&](const int* counts, int kinds) {
        const double expected = double(draws) / kinds;
        const double sigma = std::sqrt(expected * (1 - 1.0 / kinds));
        for (int k = 0; k < kinds; ++k)
            if (std::fabs(counts[k] - expected) > 5 * sigma) return false;
        return true;
    };
    EXPECT_TRUE(even(corner, 8) && even(twist, 3) && even(edge, 12) && even(flip, 2) &&
                even(parity, 2));
    EXPECT_TRUE(sameCube(randomState(99), randomState(99)));
    EXPECT_FALSE(sameCube(randomState(99), randomState(100)));
}

// Each reason no moves reach a state is told apart, and a reachable state has none.
TEST(Unreachable, TellsEachReasonApart) {
    CubieState swap = identityCubies();
    std::swap(swap.edge[2], swap.edge[7]);
    const std::pair<PackedCube, Unreachable> cases[] = {
        {randomState(5), Unreachable::None},
        {PackedCube{}, Unreachable::Pieces},
        {twistedCorner(), Unreachable::Twist},
        {flippedEdge(), Unreachable::Flip},
        {colourAs(SolvedCube, swap), Unreachable::Parity},
    };
    for (const auto& [state, reason] : cases)
        EXPECT_EQ(int(reason), int(whyUnreachable(state)));
}
