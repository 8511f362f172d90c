#include "search.h"
#include "candidateLoop.h"
#include "testCubes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <thread>

namespace {

struct Found {
    uint32_t length;
    std::vector<MoveCode> moves;
};

Found search(const PackedCube& start, const PackedCube& target, uint32_t maxMoves, bool sse2) {
    auto state = std::make_unique<SearchState>();
    state->running = true;
    std::vector<MoveCode> result(877, 0xEE);
    const uint32_t n = findSequence(state.get(), &target, &start, result.data(), maxMoves, sse2);
    if (n) {
        EXPECT_EQ(EndOfMoves, result[n]);
    }
    return {n, std::vector<MoveCode>(result.begin(), result.begin() + n)};
}

using Codes = std::vector<MoveCode>;

// Records every candidate the odometer offers instead of testing it.
struct CountingTest {
    std::map<uint32_t, uint64_t> perLength;
    std::map<uint32_t, Codes> firstOfLength;
    Codes previous;
    bool ordered = true, valid = true;
    template <MoveCode First> bool matchesWithFirst(uint32_t length, const MoveCode* moves) {
        EXPECT_EQ(First, moves[0]);
        Codes now(moves, moves + length);
        if (!perLength[length]++) firstOfLength[length] = now;
        for (uint32_t i = 0; i + 1 < length; ++i) {
            if ((now[i] ^ now[i + 1]) == 1) valid = false;
            if (i + 2 < length && now[i] == now[i + 1] && now[i] == now[i + 2]) valid = false;
        }
        // Ascending by s[0] + 12 s[1] + 144 s[2] + ...: compare from the last move down.
        if (previous.size() == now.size() &&
            !std::lexicographical_compare(previous.rbegin(), previous.rend(), now.rbegin(),
                                          now.rend()))
            ordered = false;
        previous = now;
        return false;
    }
};

} // namespace

TEST(FindSequence, KnownShortestSequences) {
    for (bool sse2 : {false, true}) {
        SCOPED_TRACE(sse2 ? "sse2" : "generic");
        Found f = search(SolvedCube, SolvedCube, 876, sse2);
        EXPECT_EQ(4u, f.length);
        EXPECT_EQ(Codes({3, 1, 2, 0}), f.moves);

        f = search(SolvedCube, afterMoves(SolvedCube, {0}), 876, sse2);
        EXPECT_EQ(Codes({0}), f.moves);

        f = search(SolvedCube, afterMoves(SolvedCube, {8, 8}), 876, sse2);
        EXPECT_EQ(Codes({8, 8}), f.moves);

        f = search(SolvedCube, afterMoves(SolvedCube, {8, 2, 4, 0}), 876, sse2);
        EXPECT_EQ(Codes({8, 2, 4, 0}), f.moves);
    }
}

TEST(FindSequence, TablesHoldEveryValidShortSequenceInOrder) {
    for (uint32_t i = 0; i < MoveCodeCount; ++i)
        EXPECT_EQ(i, oneMoveSequences[i]);
    for (uint32_t i = 0; i < TwoMoveSequenceCount; ++i) {
        const MoveCode* pair = twoMoveSequences[i];
        EXPECT_NE(1, pair[0] ^ pair[1]);
        EXPECT_LT(pair[0], 12);
        EXPECT_LT(pair[1], 12);
        if (i) {
            const MoveCode* before = twoMoveSequences[i - 1];
            EXPECT_TRUE(before[0] < pair[0] || (before[0] == pair[0] && before[1] < pair[1]));
        }
    }
}

TEST(FindSequence, OdometerOffersEveryValidCandidateOnceInOrder) {
    auto state = std::make_unique<SearchState>();
    state->running = true;
    CountingTest counter;
    MoveCode result[877];
    EXPECT_EQ(0u, runCandidateLoop(state.get(), counter, result, 5));
    EXPECT_EQ(1440u, counter.perLength[3]);
    EXPECT_EQ(15720u, counter.perLength[4]);
    EXPECT_EQ(171600u, counter.perLength[5]);
    EXPECT_EQ(0u, counter.perLength.count(6));
    EXPECT_TRUE(counter.valid);
    EXPECT_TRUE(counter.ordered);
    EXPECT_EQ(Codes({2, 0, 0}), counter.firstOfLength[3]);
    EXPECT_EQ(Codes({0, 2, 0, 0}), counter.firstOfLength[4]);
    EXPECT_EQ(Codes({0, 0, 2, 0, 0}), counter.firstOfLength[5]);
}

TEST(FindSequence, MoveLimitBoundsTheSearch) {
    auto state = std::make_unique<SearchState>();
    state->running = true;
    MoveCode result[877];
    std::fill(result, result + 877, 0xEE);
    const PackedCube twoAway = afterMoves(SolvedCube, {8, 2});
    const PackedCube threeAway = afterMoves(SolvedCube, {8, 2, 4});

    state->startTick = 0;
    EXPECT_EQ(0u, findSequence(state.get(), &twoAway, &SolvedCube, result, 0, false));
    EXPECT_NE(0u, state->startTick.load()) << "the start tick is taken even for limit 0";
    EXPECT_EQ(0u, findSequence(state.get(), &twoAway, &SolvedCube, result, 1, false));
    EXPECT_EQ(0u, state->currentLength.load());
    EXPECT_EQ(0xEE, result[0]);
    EXPECT_EQ(2u, findSequence(state.get(), &twoAway, &SolvedCube, result, 2, false));
    EXPECT_EQ(0u, findSequence(state.get(), &threeAway, &SolvedCube, result, 2, true));
    EXPECT_EQ(0u, state->currentLength.load());
    EXPECT_EQ(3u, findSequence(state.get(), &threeAway, &SolvedCube, result, 3, true));
}

TEST(FindSequence, StopsWhenRunningIsCleared) {
    for (bool sse2 : {false, true}) {
        auto state = std::make_unique<SearchState>();
        state->running = true;
        MoveCode result[877];
        std::fill(result, result + 877, 0xEE);
        const PackedCube target = twistedCorner();
        std::thread aborter([&] {
            while (state->currentLength.load() < 5)
                std::this_thread::yield();
            state->running = false;
        });
        const uint32_t n = findSequence(state.get(), &target, &SolvedCube, result, 9, sse2);
        aborter.join();
        EXPECT_EQ(0u, n);
        EXPECT_GE(state->currentLength.load(), 5u);
        EXPECT_LE(state->currentLength.load(), 6u) << "the abort was not seen";
        EXPECT_EQ(0xEE, result[0]);
    }
}

TEST(FindSequence, PublishedCandidateFollowsTheSearch) {
    auto state = std::make_unique<SearchState>();
    state->running = true;
    MoveCode result[877];
    const PackedCube target = twistedCorner();
    EXPECT_EQ(0u, findSequence(state.get(), &target, &SolvedCube, result, 4, false));
    // The odometer ran past length 4; the last tested candidate is the highest valid one.
    MoveCode seen[8];
    EXPECT_EQ(5u, readCandidate(state.get(), seen, 8));
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(state->moves[i], seen[i]);
}

// The progress display reads the length, the digits and the start tick while the search writes
// them; under the thread sanitizer this shows whether those accesses race.
TEST(FindSequence, ProgressCanBeReadWhileTheSearchRuns) {
    for (bool sse2 : {false, true}) {
        auto state = std::make_unique<SearchState>();
        state->running = true;
        MoveCode result[877];
        const PackedCube target = twistedCorner();
        std::atomic<bool> started{false}, done{false};
        uint32_t longest = 0;
        std::thread reader([&] {
            MoveCode seen[16];
            started = true;
            while (!done.load()) {
                longest = std::max(longest, readCandidate(state.get(), seen, 16));
                (void)state->startTick.load(std::memory_order_relaxed);
            }
        });
        while (!started.load())
            std::this_thread::yield();
        EXPECT_EQ(0u, findSequence(state.get(), &target, &SolvedCube, result, 6, sse2));
        done = true;
        reader.join();
        EXPECT_GE(longest, 3u);
    }
}

// Scrambles of up to five moves: the answer really turns start into target, is no longer than
// the scramble, and both kernels agree on it.
TEST(FindSequence, FindsAShortestSequenceForRandomScrambles) {
    std::mt19937 rng(5);
    for (int round = 0; round < 24; ++round) {
        const Codes scramble = randomMoves(rng, size_t(1 + round % 5));
        PackedCube start = distinctCube();
        const PackedCube target = afterMoves(start, scramble);
        if (sameCube(start, target)) continue; // a state is never reached in 0 moves
        const Found generic = search(start, target, 876, false);
        const Found sse2 = search(start, target, 876, true);
        ASSERT_GT(generic.length, 0u);
        EXPECT_LE(generic.length, scramble.size());
        EXPECT_EQ(generic.moves, sse2.moves);
        EXPECT_TRUE(sameCube(target, afterMoves(start, generic.moves)));
    }
}
