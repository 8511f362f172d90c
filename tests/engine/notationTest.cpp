#include "notation.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<MoveCode> parse(const char* text, uint32_t allowance = 1023) {
    std::vector<MoveCode> codes(allowance + 1, 0xEE);
    const uint32_t n = parseMoveText(codes.data(), text, allowance);
    if (allowance) {
        EXPECT_EQ(EndOfMoves, codes[n]) << text;
    }
    return std::vector<MoveCode>(codes.begin(), codes.begin() + n);
}

std::string format(std::vector<MoveCode> codes, uint32_t count) {
    std::string text(3 * count + 1, '#');
    formatMoveText(codes.data(), &text[0], count);
    return text.c_str();
}

std::string format(std::vector<MoveCode> codes) {
    const uint32_t n = uint32_t(codes.size());
    codes.push_back(EndOfMoves);
    return format(codes, n);
}

std::string optimize(const char* text) {
    std::vector<MoveCode> codes(1024);
    uint32_t n = parseMoveText(codes.data(), text, 1023);
    n = optimizeMoves(codes.data(), n);
    if (n) {
        EXPECT_EQ(EndOfMoves, codes[n]);
    }
    return format(std::vector<MoveCode>(codes.begin(), codes.begin() + n));
}

using Codes = std::vector<MoveCode>;

} // namespace

TEST(ParseMoveText, AcceptsSeparatorsAndModifiers) {
    EXPECT_EQ(Codes({0, 3, 4, 4}), parse("L R' T\""));
    EXPECT_EQ(Codes({0, 3, 4, 4}), parse("L,R',T\""));
    EXPECT_EQ(Codes({0, 3, 4, 4}), parse("LR'T\""));
    EXPECT_EQ(Codes({0, 2}), parse(",,L,,  R"));
    EXPECT_EQ(Codes({8, 2, 10, 0, 4, 6}), parse("F,R,B,L,T,U"));
}

TEST(ParseMoveText, StopsSilentlyAtAnythingElse) {
    EXPECT_EQ(Codes({0}), parse("L '"));
    EXPECT_EQ(Codes({1}), parse("L'\""));
    EXPECT_EQ(Codes(), parse("l,R"));
    EXPECT_EQ(Codes(), parse(""));
    EXPECT_EQ(Codes(), parse("\tL"));
    EXPECT_EQ(Codes(), parse("'L"));
    EXPECT_EQ(Codes({0, 2}), parse("L,R,1,T"));
}

TEST(ParseMoveText, NeverWritesPastTheAllowance) {
    std::vector<MoveCode> codes(8, 0xEE);
    EXPECT_EQ(0u, parseMoveText(codes.data(), "L,R", 0));
    EXPECT_EQ(0xEE, codes[0]);

    EXPECT_EQ(Codes({0, 2}), parse("L,R,T,U", 2));
    EXPECT_EQ(Codes({0, 0}), parse("L\",R", 2));
    EXPECT_EQ(Codes({0, 0, 2}), parse("L\",R,T", 3));
    // A half turn that does not fit is dropped whole.
    EXPECT_EQ(Codes({2}), parse("R,L\"", 2));
    EXPECT_EQ(Codes(), parse("L\"", 1));
}

TEST(FormatMoveText, WritesCanonicalText) {
    EXPECT_EQ("F,R,B,L,T,U", format({8, 2, 10, 0, 4, 6}));
    EXPECT_EQ("L\",L", format({0, 0, 0}));
    EXPECT_EQ("L\",L\"", format({0, 0, 0, 0}));
    EXPECT_EQ("L\"", format({1, 1}));
    EXPECT_EQ("L,L'", format({0, 1}));
    EXPECT_EQ("L,R',T\"", format({0, 3, 4, 4}));
    EXPECT_EQ("", format({}));
}

TEST(FormatMoveText, PairsTheLastCountedCodeWithTheNextOne) {
    EXPECT_EQ("F,R\"", format({8, 2, 2, 4}, 2));
    EXPECT_EQ("F,R", format({8, 2, 4, 4}, 2));
}

TEST(FormatMoveText, StopsBeforeACodeWithoutLetter) {
    EXPECT_EQ("F,R", format({8, 2, 12, 4}));
    EXPECT_EQ("", format({200, 200}));
    EXPECT_EQ("L", format({0, 0xFE}));
}

TEST(FormatMoveText, RoundTripsThroughTheParser) {
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        Codes codes(1 + round % 40);
        for (auto& c : codes)
            c = MoveCode(rng() % 12);
        const std::string text = format(codes);
        EXPECT_LE(text.size(), 3 * codes.size());
        // Two equal counter-clockwise codes come back as two clockwise ones: same turn.
        Codes expected;
        for (size_t i = 0; i < codes.size(); ++i) {
            if (i + 1 < codes.size() && codes[i] == codes[i + 1]) {
                expected.push_back(codes[i] & ~1);
                expected.push_back(codes[i] & ~1);
                ++i;
            } else {
                expected.push_back(codes[i]);
            }
        }
        EXPECT_EQ(expected, parse(text.c_str())) << text;
    }
}

TEST(OptimizeMoves, CancelsNeighboursPassByPass) {
    EXPECT_EQ("", optimize("R,L,L',R'"));
    EXPECT_EQ("", optimize("L,L,L,L"));
    EXPECT_EQ("L", optimize("L,L,L,L,L"));
    EXPECT_EQ("L\"", optimize("L,L,L,L'"));
    EXPECT_EQ("L'", optimize("L,L,L"));
    EXPECT_EQ("L\"", optimize("L,L"));
    EXPECT_EQ("L,R,L'", optimize("L,R,L'"));
    EXPECT_EQ("F,R,B,L,T,U", optimize("F,R,B,L,T,U"));
}

TEST(OptimizeMoves, EmptyListIsLeftAlone) {
    MoveCode codes[2] = {0xEE, 0xEE};
    EXPECT_EQ(0u, optimizeMoves(codes, 0));
    EXPECT_EQ(0xEE, codes[0]);
}
