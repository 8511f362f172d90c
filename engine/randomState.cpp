#include "randomState.h"

#include <random>
#include <utility>

namespace {

// A number below n, without the bias of a plain remainder; the generator's output is fixed by
// the standard, so a seed gives the same numbers everywhere.
uint32_t below(std::mt19937_64& random, uint32_t n) {
    const uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    uint64_t value;
    do
        value = random();
    while (value >= limit);
    return uint32_t(value % n);
}

// Shuffles the slots' pieces; true when the permutation is odd.
template <size_t N> bool shuffle(std::mt19937_64& random, uint8_t (&pieces)[N]) {
    bool odd = false;
    for (uint32_t i = N - 1; i > 0; --i) {
        const uint32_t j = below(random, i + 1);
        if (j != i) {
            std::swap(pieces[i], pieces[j]);
            odd = !odd;
        }
    }
    return odd;
}

// Each slot's turn at random but the last, which makes the sum a multiple of turns.
template <size_t N> void turn(std::mt19937_64& random, uint8_t (&turns)[N], uint32_t turnsRound) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < N; ++i) {
        turns[i] = uint8_t(below(random, turnsRound));
        sum += turns[i];
    }
    turns[N - 1] = uint8_t((turnsRound - sum % turnsRound) % turnsRound);
}

} // namespace

// Moves permute corners and edges with the same parity; when the two draws disagree, swapping two
// edges makes them agree, and every reachable arrangement is then had from exactly two draws.
CubieState randomCubies(uint64_t seed) {
    std::mt19937_64 random(seed);
    CubieState pieces = identityCubies();
    const bool cornersOdd = shuffle(random, pieces.corner);
    const bool edgesOdd = shuffle(random, pieces.edge);
    if (cornersOdd != edgesOdd) std::swap(pieces.edge[0], pieces.edge[1]);
    turn(random, pieces.twist, 3);
    turn(random, pieces.flip, 2);
    return pieces;
}

PackedCube randomState(uint64_t seed) {
    return colourAs(SolvedCube, randomCubies(seed));
}

uint64_t freshSeed() {
    std::random_device device;
    return (uint64_t(device()) << 32) ^ device();
}
