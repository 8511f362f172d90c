// States and helpers shared by the tests.
#pragma once

#include "packedCube.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

// 48 different byte values: a square moved to the wrong place always shows.
inline PackedCube distinctCube() {
    PackedCube c;
    for (int i = 0; i < 48; ++i)
        c.bytes[i] = uint8_t(100 + i);
    return c;
}

inline bool sameCube(const PackedCube& a, const PackedCube& b) {
    return std::memcmp(a.bytes, b.bytes, 48) == 0;
}

inline PackedCube afterMoves(PackedCube c, std::vector<MoveCode> moves) {
    if (!moves.empty()) applyMoves(&c, moves.data(), uint32_t(moves.size()));
    return c;
}

inline std::vector<MoveCode> randomMoves(std::mt19937& rng, size_t count) {
    std::uniform_int_distribution<int> code(0, 11);
    std::vector<MoveCode> moves(count);
    for (auto& m : moves)
        m = MoveCode(code(rng));
    return moves;
}

// Byte index of a square written as side letter and number, e.g. "T6"; with 9 a side, the
// index of a view's square, whose centre is number 8.
inline int squareIndex(const char* name, int perSide = 8) {
    const char* sides = "FRBLTU";
    return perSide * int(std::strchr(sides, name[0]) - sides) + (name[1] - '0');
}

// One corner turned in place: no sequence of moves reaches it, so a search sweeps every
// candidate up to its limit.
inline PackedCube twistedCorner() {
    PackedCube c = SolvedCube;
    std::swap(c.bytes[squareIndex("F0")], c.bytes[squareIndex("L2")]);
    std::swap(c.bytes[squareIndex("L2")], c.bytes[squareIndex("T6")]);
    return c;
}

// One edge turned in place: as unreachable.
inline PackedCube flippedEdge() {
    PackedCube c = SolvedCube;
    std::swap(c.bytes[squareIndex("T5")], c.bytes[squareIndex("F1")]);
    return c;
}

inline std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
