// The engine against facts written out by hand: moves, sequence text, stores and search.
#include "notation.h"
#include "search.h"
#include "candidateLoop.h"
#include "sequenceStore.h"
#include "testCubes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

namespace {

using Codes = std::vector<MoveCode>;

// Each side's clockwise turn (the even codes; the odd ones turn back): its squares move two
// places along, and three 4-cycles of neighbours ("F0>U0>B4>T0": F0's value goes to U0, ...).
const char* const Turns[6] = {
    "L F0>U0>B4>T0 F6>U6>B2>T6 F7>U7>B3>T7", "R F2>T2>B6>U2 F3>T3>B7>U3 F4>T4>B0>U4",
    "T F0>L0>B0>R0 F1>L1>B1>R1 F2>L2>B2>R2", "U F4>R4>B4>L4 F5>R5>B5>L5 F6>R6>B6>L6",
    "F R0>U2>L4>T6 R6>U0>L2>T4 R7>U1>L3>T5", "B R2>T0>L6>U4 R3>T1>L7>U5 R4>T2>L0>U6",
};

PackedCube turned(const PackedCube& before, MoveCode code) {
    PackedCube after = before;
    const auto move = [&](int from, int to) {
        (code % 2 ? after.bytes[from] : after.bytes[to]) = before.bytes[code % 2 ? to : from];
    };
    std::istringstream in(Turns[code / 2]);
    std::string c;
    in >> c;
    for (int k = 0, side = squareIndex((c + "0").c_str()); k < 8; ++k)
        move(side + k, side + (k + 2) % 8);
    while (in >> c)
        for (size_t i = 0; i < c.size(); i += 3)
            move(squareIndex(&c[i]), squareIndex(&c[(i + 3) % 12]));
    return after;
}

PackedCube executed(PackedCube cube, const Codes& moves, bool sse2) {
    EXPECT_EQ(1, executeSequence(moves.data(), uint32_t(moves.size()), &cube, sse2));
    return cube;
}

// Also checks that nothing is written past the allowance and the end marker.
Codes parse(const char* text, uint32_t allowance = 1023) {
    Codes codes(allowance + 8, 0xEE);
    const uint32_t n = parseMoveText(codes.data(), text, allowance);
    EXPECT_EQ(allowance ? EndOfMoves : 0xEE, codes[n]) << text;
    EXPECT_EQ(Codes(7, 0xEE), Codes(codes.begin() + allowance + 1, codes.end())) << text;
    return Codes(codes.begin(), codes.begin() + n);
}

// Within the 3 x count + 1 bytes the text may take.
std::string format(Codes codes, size_t count) {
    codes.push_back(EndOfMoves);
    std::vector<char> text(3 * count + 1, '#');
    formatMoveText(codes.data(), text.data(), uint32_t(count));
    return text.data();
}

// Stands in for the candidate test: counts candidates by length and checks that each ranks
// above the one before: by length, then by the last move, the one before it, and so on.
struct Recorder {
    std::map<uint32_t, uint64_t> counts;
    uint64_t previous = 0;
    bool ordered = true;
    template <MoveCode First> bool matchesWithFirst(uint32_t length, const MoveCode* moves) {
        uint64_t rank = length;
        for (uint32_t i = length; i-- > 0;)
            rank = rank * 12 + moves[i];
        ordered &= First == moves[0] && rank > previous;
        previous = rank;
        ++counts[length];
        return false;
    }
};

} // namespace

// The candidate tests too, with one bit of any byte changed: the SSE2 compare saturates.
TEST(Moves, EachCodeMovesExactlyItsSquaresInBothKernels) {
    auto state = std::make_unique<SearchState>();
    state->start = distinctCube();
    for (MoveCode code = 0; code < MoveCodeCount; ++code) {
        const PackedCube expected = turned(distinctCube(), code);
        EXPECT_TRUE(sameCube(expected, afterMoves(distinctCube(), {code}))) << int(code);
        for (int i = -1; i < 48; ++i) {
            state->target = expected;
            if (i >= 0) state->target.bytes[i] ^= uint8_t(1 << (i + code) % 8);
            EXPECT_EQ(i < 0, candidateMatches(state.get(), 1, &code)) << int(code) << " " << i;
            EXPECT_EQ(i < 0, candidateMatchesSse2(state.get(), 1, &code)) << int(code) << " " << i;
        }
    }
}

// The first list is longer than execution takes; a mask an SSE2 routine left changed shows.
TEST(Moves, ExecuteMatchesTheGenericMovesOnRandomStates) {
    std::mt19937 rng(20261206);
    for (int round = 0; round < 3000; ++round) {
        PackedCube start;
        std::generate(std::begin(start.bytes), std::end(start.bytes), [&] { return rng(); });
        Codes moves = randomMoves(rng, round ? 1 + rng() % 60 : 900);
        const PackedCube expected = afterMoves(
            start, Codes(moves.begin(), moves.begin() + std::min<size_t>(moves.size(), 876)));
        if (!round) moves[876] = 12; // never read
        for (bool sse2 : {false, true})
            ASSERT_TRUE(sameCube(expected, executed(start, moves, sse2))) << round << sse2;
    }
}

// A code above 11 inside the count rejects the whole list; one past the count is never read,
// nor is the first one when the count is 0.
TEST(Moves, ExecuteRejectsCodesAbove11) {
    for (bool sse2 : {false, true}) {
        for (MoveCode bad : {MoveCode(12), EndOfMoves}) {
            const MoveCode list[] = {0, 4, 8, bad, 2};
            PackedCube cube = distinctCube();
            EXPECT_EQ(0, executeSequence(list, 5, &cube, sse2));
            EXPECT_EQ(1, executeSequence(list, 0, &cube, sse2));
            applyMoves(&cube, list, 0);
            EXPECT_EQ(1, executeSequence(list, 3, &cube, sse2));
            EXPECT_TRUE(sameCube(afterMoves(distinctCube(), {0, 4, 8}), cube));
        }
    }
}

// Spaces and commas separate, anything else ends the text; equal neighbours print as a half turn.
TEST(MoveText, ParsesAndFormats) {
    const std::tuple<const char*, Codes, const char*> cases[] = {
        {"F,R,B,L,T,U", {8, 2, 10, 0, 4, 6}, "F,R,B,L,T,U"},
        {",,L R'  T\"", {0, 3, 4, 4}, "L,R',T\""},
        {"LR'T\"", {0, 3, 4, 4}, "L,R',T\""},
        {"L '", {0}, "L"},
        {"L'\"", {1}, "L'"},
        {"l,R", {}, ""},
        {"L,R,1,T", {0, 2}, "L,R"},
        {"L\tR", {0}, "L"},
        {"L;R.T", {0}, "L"},
        {"L,L,L", {0, 0, 0}, "L\",L"},
        {"L\",L\"", {0, 0, 0, 0}, "L\",L\""},
        {"L,L'", {0, 1}, "L,L'"},
    };
    for (const auto& [text, codes, canonical] : cases) {
        EXPECT_EQ(codes, parse(text)) << text;
        EXPECT_EQ(canonical, format(codes, codes.size())) << text;
    }
    // A half turn that no longer fits the allowance is dropped whole.
    EXPECT_EQ(Codes(), parse("L,R", 0));
    EXPECT_EQ(Codes({2}), parse("R,L\"", 2));
    EXPECT_EQ(Codes(), parse("L\"", 1));
    // The last counted code pairs with the one after it; a code without a letter ends the text.
    EXPECT_EQ("L\"", format({1, 1}, 2));
    EXPECT_EQ("F,R\"", format({8, 2, 2}, 2));
    EXPECT_EQ("F,R", format({8, 2, 12, 4}, 4));
}

TEST(MoveText, OptimizesNeighboursPassByPass) {
    const std::pair<const char*, const char*> cases[] = {
        {"R,L,L',R'", ""}, {"L,L,L,L", ""}, {"L,L,L,L,L", "L"},   {"L,L,L,L'", "L\""},
        {"L,L,L", "L'"},   {"L,L", "L\""},  {"L,R,L'", "L,R,L'"}, {"", ""},
    };
    for (const auto& [before, after] : cases) {
        Codes codes = parse(before);
        codes.push_back(0xEE);
        codes.resize(optimizeMoves(codes.data(), uint32_t(codes.size() - 1)) + 1);
        EXPECT_EQ(*before ? EndOfMoves : 0xEE, codes.back()) << before; // empty: untouched
        EXPECT_EQ(after, format(codes, codes.size() - 1)) << before;
    }
}

// Blocks grow when too small, shrink when more than twice too large, else stay; a refused store
// keeps what was there. A file's comment block need not hold a NUL.
TEST(SequenceStore, BlocksFollowTheGrowthPolicy) {
    SequenceRecord r = {nullptr, 0, 0};
    const Codes codes(900, 4);
    // Source size and count; then the result, capacity and length.
    const uint32_t steps[][5] = {
        {2, 3, 0, 0, 0},   {1, 0, 0, 1, 0},           {100, 9, 9, 10, 9},      {100, 4, 4, 10, 4},
        {100, 3, 3, 4, 3}, {900, 875, 875, 876, 875}, {900, 876, 0, 876, 875},
    };
    for (const auto& [source, count, result, capacity, length] : steps) {
        EXPECT_EQ(result, storeSequence(&r, codes.data(), source, count)) << count;
        EXPECT_EQ(std::make_pair(capacity, length), std::make_pair(r.capacity, r.length)) << count;
        EXPECT_TRUE(!r.block || r.block[r.length] == EndOfMoves) << count;
    }
    freeSequenceRecord(&r);
    CommentBuffer c = {nullptr, 0};
    const char unterminated[5] = {'w', 'x', 'y', 'z', '!'};
    const std::tuple<const char*, uint32_t, uint32_t, const char*> comments[] = {
        {"abc", 0, 0, nullptr},  {"ignored", 1, 4, ""},           {"abcde", 6, 8, "abcde"},
        {"ab", 3, 8, "ab"},      {"abcdefgh", 9, 12, "abcdefgh"}, {"ab", 3, 4, "ab"},
        {"abcdef", 4, 8, "abc"}, {unterminated, 5, 8, "wxyz"},
    };
    for (const auto& [text, limit, capacity, stored] : comments) {
        EXPECT_EQ(stored ? limit : 0, setCommentText(&c, text, limit)) << limit;
        EXPECT_EQ(capacity, c.capacity) << limit;
        EXPECT_STREQ(stored, c.text) << limit;
    }
    freeCommentBuffer(&c);
}

// The shortest answer, never in 0 moves, the first among equals (F,F before F',F'), in limits.
TEST(FindSequence, FindsTheFirstShortestSequenceWithinTheLimit) {
    const std::tuple<Codes, uint32_t, Codes> cases[] = {
        {{}, 5, {3, 1, 2, 0}},
        {{0}, 5, {0}},
        {{8, 8}, 5, {8, 8}},
        {{8, 2, 4, 0}, 5, {8, 2, 4, 0}},
        {{8, 2}, 0, {}},
        {{8, 2}, 1, {}},
        {{8, 2}, 2, {8, 2}},
        {{8, 2, 4}, 2, {}},
        {{8, 2, 4}, 3, {8, 2, 4}},
        // Long enough for every step of the kernels' unrolled loops, and found early in its length.
        {{8, 6, 10, 4, 2, 4, 2, 0}, 8, {8, 6, 10, 4, 2, 4, 2, 0}},
    };
    for (bool sse2 : {false, true}) {
        for (const auto& [scramble, maxMoves, found] : cases) {
            auto state = std::make_unique<SearchState>();
            state->running = true;
            const PackedCube target = afterMoves(SolvedCube, scramble);
            Codes result(877, 0xEE);
            const uint32_t n =
                findSequence(state.get(), &target, &SolvedCube, result.data(), maxMoves, sse2);
            EXPECT_EQ(found, Codes(result.begin(), result.begin() + n)) << maxMoves << sse2;
            EXPECT_EQ(n ? EndOfMoves : 0xEE, result[n]) << "end marker, or nothing written";
        }
    }
}

// Every pair but a move and its inverse, in order; then each valid longer candidate once.
TEST(FindSequence, OffersEveryValidCandidateOnceInOrder) {
    std::vector<Codes> expected, pairs;
    for (MoveCode a = 0; a < 144; ++a)
        if ((a / 12 ^ a % 12) != 1) expected.push_back({MoveCode(a / 12), MoveCode(a % 12)});
    for (const auto& pair : twoMoveSequences)
        pairs.push_back({pair[0], pair[1]});
    EXPECT_EQ(expected, pairs);
    auto state = std::make_unique<SearchState>();
    state->running = true;
    Recorder r;
    MoveCode result[877];
    EXPECT_EQ(0u, runCandidateLoop(state.get(), r, result, 5));
    EXPECT_EQ((std::map<uint32_t, uint64_t>{{3, 1440}, {4, 15720}, {5, 171600}}), r.counts);
    EXPECT_TRUE(r.ordered);
}

// The progress display reads the candidate while the search writes it (the thread sanitizer
// build shows any race), then aborts: the search stops at once, writing no result.
TEST(FindSequence, StopsWhenRunningIsClearedAndShowsItsCandidate) {
    for (bool sse2 : {false, true}) {
        auto state = std::make_unique<SearchState>();
        state->running = true;
        MoveCode result[877] = {0xEE}, shown[16], seen[16];
        const PackedCube target = twistedCorner();
        std::thread display([&] {
            while (readCandidate(state.get(), shown, 16) < 5)
                std::this_thread::yield();
            state->running = false;
        });
        EXPECT_EQ(0u, findSequence(state.get(), &target, &SolvedCube, result, 9, sse2));
        display.join();
        const uint32_t length = state->currentLength.load();
        EXPECT_TRUE(length == 5 || length == 6) << "the abort was not seen: " << length;
        ASSERT_EQ(length, readCandidate(state.get(), seen, 16));
        EXPECT_EQ(Codes(state->moves, state->moves + length), Codes(seen, seen + length));
        EXPECT_EQ(0xEE, result[0]);
    }
}
