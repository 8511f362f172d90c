#include "fastSearch.h"
#include "testCubes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>

// Tables larger than this are refused, as when memory runs short.
static size_t tableBytesGiven = SIZE_MAX;

// The fast search's table is the only array it asks for without throwing.
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (size > tableBytesGiven) return nullptr;
    try {
        return ::operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

namespace {

using Codes = std::vector<MoveCode>;

Codes brute(const PackedCube& start, const PackedCube& target, uint32_t limit) {
    auto st = std::make_unique<SearchState>();
    st->running = true;
    MoveCode result[MaxExecuteMoves + 1];
    return Codes(result, result + findSequence(st.get(), &target, &start, result, limit, true));
}

Codes fast(const PackedCube& start, const PackedCube& target, uint32_t limit,
           FastSearchOptions options = {}) {
    auto st = std::make_unique<SearchState>();
    st->running = true;
    FastSearchProgress progress;
    MoveCode result[MaxExecuteMoves + 1];
    const uint32_t length =
        findSequenceFast(st.get(), &target, &start, result, limit, options, &progress);
    EXPECT_FALSE(progress.outOfMemory);
    EXPECT_TRUE(length == 0 || result[length] == EndOfMoves);
    return Codes(result, result + length);
}

bool valid(const Codes& m) {
    for (size_t i = 0; i + 1 < m.size(); ++i)
        if ((m[i] ^ m[i + 1]) == 1 || (i + 2 < m.size() && m[i] == m[i + 1] && m[i] == m[i + 2]))
            return false;
    return true;
}

void eachValid(Codes& m, size_t at, const std::function<void(const Codes&)>& visit) {
    if (at == m.size()) return visit(m);
    for (MoveCode c = 0; c < MoveCodeCount; ++c) {
        m[at] = c;
        if (valid(Codes(m.begin(), m.begin() + at + 1))) eachValid(m, at + 1, visit);
    }
}

std::string key(const PackedCube& c) {
    return std::string(reinterpret_cast<const char*>(c.bytes), 48);
}

// A check of another design: every prefix of half the length kept (no merging of equal states),
// every suffix joined with every prefix that meets it, joins checked against the rules and the
// least candidate chosen by comparing last moves first. Lengths 3 and up.
Codes slowFirstMatch(const PackedCube& start, const PackedCube& target, size_t length) {
    std::unordered_multimap<std::string, Codes> prefixes;
    Codes p(length / 2), s(length - length / 2), best;
    eachValid(p, 0, [&](const Codes& m) { prefixes.emplace(key(afterMoves(start, m)), m); });
    eachValid(s, 0, [&](const Codes& suffix) {
        PackedCube back = target;
        for (size_t i = suffix.size(); i-- > 0;)
            moveRoutines[suffix[i] ^ 1](&back);
        auto range = prefixes.equal_range(key(back));
        for (auto it = range.first; it != range.second; ++it) {
            Codes joined = it->second;
            joined.insert(joined.end(), suffix.begin(), suffix.end());
            if (valid(joined) &&
                (best.empty() || std::lexicographical_compare(joined.rbegin(), joined.rend(),
                                                              best.rbegin(), best.rend())))
                best = joined;
        }
    });
    return best;
}

int casesFromEnvironment(const char* name, int otherwise) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : otherwise;
}

// Sources and targets as a user could make them: scrambles, cubes painted with few colours
// (many sequences reach the same colouring), partly painted cubes, unreachable targets.
TEST(FastSearch, ReturnsExactlyWhatTheBruteForceReturns) {
    std::mt19937 rng(7);
    for (int n = 0; n < casesFromEnvironment("CUBE_FAST_CASES", 160); ++n) {
        PackedCube start = afterMoves(SolvedCube, randomMoves(rng, rng() % 20));
        const int colours = n % 4 == 0 ? 6 : 1 + int(rng() % 7);
        if (n % 2) {
            for (uint8_t& b : start.bytes)
                b = uint8_t(rng() % colours);
        }
        const size_t scramble = n % 40 == 0 ? 7 : rng() % 7;
        PackedCube target = afterMoves(start, randomMoves(rng, scramble));
        if (n % 5 == 0) std::swap(target.bytes[rng() % 48], target.bytes[rng() % 48]);
        const uint32_t limit = uint32_t(n % 5 == 0 ? 5 : scramble + rng() % 2);
        FastSearchOptions options;
        options.useSse2 = n % 3 != 0;
        options.threads = n % 3 == 2 ? 8 : 1 + n % 2;
        SCOPED_TRACE("case " + std::to_string(n));
        ASSERT_EQ(brute(start, target, limit), fast(start, target, limit, options));
    }
    // Nothing to do: the brute force's own answer, a sequence that changes nothing.
    ASSERT_EQ(brute(SolvedCube, SolvedCube, 9), fast(SolvedCube, SolvedCube, 9));
}

TEST(FastSearch, LongerTargetsAgreeWithAnotherDesign) {
    std::mt19937 rng(11);
    for (int n = 0; n < casesFromEnvironment("CUBE_SLOW_CASES", 4); ++n) {
        const size_t length = 8 + n % 3;
        PackedCube start = SolvedCube;
        if (n % 4 == 1)
            for (uint8_t& b : start.bytes)
                b = uint8_t(rng() % 3);
        const PackedCube target = afterMoves(start, randomMoves(rng, length));
        FastSearchOptions options;
        options.threads = 3;
        const Codes answer = fast(start, target, uint32_t(length), options);
        for (size_t shorter = 3; shorter < answer.size(); ++shorter)
            ASSERT_TRUE(slowFirstMatch(start, target, shorter).empty()) << shorter;
        ASSERT_FALSE(answer.empty());
        EXPECT_EQ(slowFirstMatch(start, target, answer.size()), answer);
    }
}

// The default cap holds seven moves' table and no more; a cap below the smallest table is
// reported as a lack of memory. A table refused gives way to the deepest one that can be had,
// and the search goes on to the same answer, telling how deep a table it wanted.
TEST(FastSearch, TheCapBoundsTheTable) {
    EXPECT_LE(tableBytesFor(7), uint64_t(DefaultTableMiB) << 20);
    EXPECT_GT(tableBytesFor(8), uint64_t(DefaultTableMiB) << 20);
    auto st = std::make_unique<SearchState>();
    st->running = true;
    FastSearchOptions options;
    options.tableBytesCap = tableBytesFor(1) - 1;
    FastSearchProgress progress;
    MoveCode result[MaxExecuteMoves + 1];
    const PackedCube target = afterMoves(SolvedCube, {0, 4, 8});
    EXPECT_EQ(0u, findSequenceFast(st.get(), &target, &SolvedCube, result, 5, options, &progress));
    EXPECT_TRUE(progress.outOfMemory);

    const Codes scramble = {7, 9, 0, 4, 0, 11, 0}; // U',F',L,T,L,B',L, its own answer
    const PackedCube far = afterMoves(SolvedCube, scramble);
    options.tableBytesCap = UINT64_MAX;
    tableBytesGiven = size_t(tableBytesFor(2));
    const uint32_t length =
        findSequenceFast(st.get(), &far, &SolvedCube, result, 7, options, &progress);
    tableBytesGiven = SIZE_MAX;
    EXPECT_EQ(scramble, Codes(result, result + length));
    EXPECT_FALSE(progress.outOfMemory);
    EXPECT_EQ(3u, progress.refusedDepth);
    EXPECT_EQ(2u, progress.tableDepth);
}

} // namespace
