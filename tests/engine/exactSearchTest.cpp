#include "cubies.h"
#include "deepSearch.h"
#include "tableFile.h"
#include "testCubes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <thread>

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

// One folder for every test process, so the shared tables are built once, then loaded.
FastSearchOptions withKeptTables() {
    FastSearchOptions options;
    const char* shared = std::getenv("CUBE_TEST_TABLES");
    options.tableFolder =
        shared ? shared : (std::filesystem::temp_directory_path() / "cube-test-tables").u8string();
    return options;
}

struct Answer {
    Codes moves;
    uint64_t nodes = 0;
    uint64_t tested = 0;
    bool outOfMemory = false;
    bool tablesNotKept = false;
    uint32_t tableDepth = 0, refusedDepth = 0;
};

using Method = uint32_t (*)(SearchState*, const PackedCube*, const PackedCube*, MoveCode*, uint32_t,
                            const FastSearchOptions&, FastSearchProgress*);

Answer run(Method method, const PackedCube& start, const PackedCube& target, uint32_t limit,
           const FastSearchOptions& options = withKeptTables()) {
    auto st = std::make_unique<SearchState>();
    st->running = true;
    FastSearchProgress progress;
    MoveCode result[MaxExecuteMoves + 1];
    const uint32_t length = method(st.get(), &target, &start, result, limit, options, &progress);
    EXPECT_TRUE(length == 0 || result[length] == EndOfMoves);
    return {Codes(result, result + length), progress.nodes,         progress.tested,
            progress.outOfMemory,           progress.tablesNotKept, progress.tableDepth,
            progress.refusedDepth};
}

Codes deep(const PackedCube& start, const PackedCube& target, uint32_t limit,
           const FastSearchOptions& options = withKeptTables()) {
    return run(findSequenceDeep, start, target, limit, options).moves;
}

Codes brute(const PackedCube& start, const PackedCube& target, uint32_t limit) {
    auto st = std::make_unique<SearchState>();
    st->running = true;
    MoveCode result[MaxExecuteMoves + 1];
    return Codes(result, result + findSequence(st.get(), &target, &start, result, limit, true));
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
        ASSERT_EQ(brute(start, target, limit),
                  run(findSequenceFast, start, target, limit, options).moves);
    }
    // Nothing to do: the brute force's own answer, a sequence that changes nothing.
    ASSERT_EQ(brute(SolvedCube, SolvedCube, 9),
              run(findSequenceFast, SolvedCube, SolvedCube, 9).moves);
}

// The default cap holds seven moves' table and no more; a cap below the smallest table is
// reported as a lack of memory. A table refused gives way to the deepest one that can be had,
// and the search goes on to the same answer, telling how deep a table it wanted.
TEST(FastSearch, TheCapBoundsTheTable) {
    EXPECT_LE(tableBytesFor(7), uint64_t(DefaultTableMiB) << 20);
    EXPECT_GT(tableBytesFor(8), uint64_t(DefaultTableMiB) << 20);
    FastSearchOptions options;
    options.tableBytesCap = tableBytesFor(1) - 1;
    const Answer none =
        run(findSequenceFast, SolvedCube, afterMoves(SolvedCube, {0, 4, 8}), 5, options);
    EXPECT_TRUE(none.moves.empty() && none.outOfMemory);

    const Codes scramble = {7, 9, 0, 4, 0, 11, 0}; // U',F',L,T,L,B',L, its own answer
    options.tableBytesCap = UINT64_MAX;
    tableBytesGiven = size_t(tableBytesFor(2));
    const Answer smaller =
        run(findSequenceFast, SolvedCube, afterMoves(SolvedCube, scramble), 7, options);
    tableBytesGiven = SIZE_MAX;
    EXPECT_EQ(scramble, smaller.moves);
    EXPECT_FALSE(smaller.outOfMemory);
    EXPECT_EQ(3u, smaller.refusedDepth);
    EXPECT_EQ(2u, smaller.tableDepth);
}

// Pieces and squares are two views of one cube: every move agrees on both (on a cube of 48
// different squares, so a wrong turn or place shows), a state reached by moves is matched with
// the parity of their count, and the three classic impossibilities are recognised. With two
// equal edges either parity fits.
TEST(Cubies, PiecesAndSquaresAgree) {
    std::mt19937 rng(3);
    for (int n = 0; n < 200; ++n) {
        const Codes moves = randomMoves(rng, 1 + n % 25);
        CubieState pieces = identityCubies();
        for (MoveCode m : moves)
            applyMoveToCubies(&pieces, m);
        const PackedCube reached = afterMoves(distinctCube(), moves);
        ASSERT_TRUE(sameCube(reached, colourAs(distinctCube(), pieces)));
        const CubieMatch match = matchCubies(distinctCube(), reached);
        ASSERT_EQ(1 << (moves.size() % 2), reachableParities(match));
        ASSERT_TRUE(sameCube(reached, colourAs(distinctCube(), match.witness[moves.size() % 2])));
    }
    PackedCube swapped = SolvedCube;
    std::swap(swapped.bytes[squareIndex("T5")], swapped.bytes[squareIndex("T3")]);
    std::swap(swapped.bytes[squareIndex("F1")], swapped.bytes[squareIndex("R1")]);
    for (const PackedCube& impossible : {twistedCorner(), flippedEdge(), swapped})
        EXPECT_EQ(0, reachableParities(matchCubies(SolvedCube, impossible)));
    PackedCube twoAlike = SolvedCube;
    twoAlike.bytes[squareIndex("T3")] = twoAlike.bytes[squareIndex("T5")];
    twoAlike.bytes[squareIndex("R1")] = twoAlike.bytes[squareIndex("F1")];
    const CubieMatch match = matchCubies(twoAlike, afterMoves(twoAlike, {4}));
    EXPECT_EQ(3, match.edgeParities);
    EXPECT_EQ(2, reachableParities(match));
}

// Sources as a user makes them: scrambles of the assembled cube (the shared tables), cubes
// painted with a few colours and partly painted ones (tables of their own); targets up to seven
// moves away, some made unreachable by swapping two squares; limits at and below the answer.
TEST(DeepSearch, ReturnsExactlyWhatTheBruteForceReturns) {
    std::mt19937 rng(5);
    const int cases = casesFromEnvironment("CUBE_DEEP_CASES", 40);
    // The painted sources build tables of their own: the sanitizer builds take only the first.
    for (int source = 0; source < casesFromEnvironment("CUBE_DEEP_SOURCES", 3); ++source) {
        PackedCube start = afterMoves(SolvedCube, randomMoves(rng, 30));
        if (source > 0)
            for (uint8_t& b : start.bytes)
                b = uint8_t(b % (source + 1));
        if (source == 2)
            for (int i = 0; i < 48; i += 5)
                start.bytes[i] = 6;
        for (int n = 0; n < cases; ++n) {
            const size_t scramble = n % 10 == 0 ? 7 : rng() % 7;
            PackedCube target = afterMoves(start, randomMoves(rng, scramble));
            if (n % 7 == 0) std::swap(target.bytes[rng() % 48], target.bytes[rng() % 48]);
            const uint32_t limit = uint32_t(n % 7 == 0 ? 5 : scramble - (n % 4 == 1) + n % 2);
            FastSearchOptions options = withKeptTables();
            options.useSse2 = n % 3 != 0;
            options.threads = n % 3 == 2 ? 8 : 1 + n % 2;
            SCOPED_TRACE("source " + std::to_string(source) + " case " + std::to_string(n));
            ASSERT_EQ(brute(start, target, limit), deep(start, target, limit, options));
        }
    }
    ASSERT_EQ(brute(SolvedCube, SolvedCube, 9), deep(SolvedCube, SolvedCube, 9));
}

TEST(DeepSearch, AgreesWithTheMeetInTheMiddleFurtherOut) {
    std::mt19937 rng(9);
    for (int n = 0; n < casesFromEnvironment("CUBE_DEEP_FAR_CASES", 6); ++n) {
        PackedCube start = SolvedCube;
        if (n % 3 == 1 && casesFromEnvironment("CUBE_DEEP_SOURCES", 3) > 1)
            for (uint8_t& b : start.bytes)
                b = uint8_t(b % 4);
        const uint32_t length = 8 + n % 5;
        const PackedCube target = afterMoves(start, randomMoves(rng, length));
        SCOPED_TRACE("case " + std::to_string(n));
        ASSERT_EQ(run(findSequenceFast, start, target, length).moves, deep(start, target, length));
        ASSERT_EQ(run(findSequenceFast, start, target, length).moves,
                  run(findSequenceExact, start, target, length).moves);
    }
}

// F, R, T, T and F, R, T', T' reach the same cube; the first comes first. Held back in turn, so
// that the later part's match is found first, then last: the earlier part wins both times, in
// either exact search.
TEST(ExactSearch, AnEarlierPartWinsWhicheverMatchesFirst) {
    const PackedCube target = afterMoves(SolvedCube, {8, 2, 4, 4});
    const Codes expected = brute(SolvedCube, target, 4);
    ASSERT_EQ((Codes{8, 2, 4, 4}), expected);
    struct Watch {
        SearchState st;
        FastSearchProgress progress;
        bool laterFirst;
        std::atomic<bool> laterStarted{false};
        bool overlapped = false;
    };
    for (Method method : {findSequenceFast, findSequenceDeep}) {
        for (bool laterFirst : {true, false}) {
            auto watch = std::make_unique<Watch>();
            watch->st.running = true;
            watch->laterFirst = laterFirst;
            FastSearchOptions options = withKeptTables();
            options.threads = 2;
            options.context = watch.get();
            // The parts of the last length only: T, T then R, or T', T' then R.
            options.onPart = [](void* context, const MoveCode* last, uint32_t count) {
                Watch& w = *static_cast<Watch*>(context);
                const auto pause = [](int ms) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
                };
                if (w.st.currentLength.load() != 4 || (count > 2 && last[2] != 2)) return;
                if (last[0] == 5 && last[1] == 5) {
                    w.laterStarted = true;
                    if (!w.laterFirst) pause(300);
                } else if (last[0] == 4 && last[1] == 4) {
                    for (int i = 0; i < 200 && !w.laterStarted; ++i)
                        pause(5);
                    w.overlapped = w.laterStarted;
                    if (w.laterFirst) pause(100);
                }
            };
            MoveCode result[MaxExecuteMoves + 1];
            const uint32_t length =
                method(&watch->st, &target, &SolvedCube, result, 6, options, &watch->progress);
            EXPECT_EQ(expected, Codes(result, result + length)) << laterFirst;
            EXPECT_TRUE(watch->overlapped) << laterFirst;
        }
    }
}

// No length is searched for a target that no sequence reaches, whatever the limit.
TEST(DeepSearch, AnUnreachableTargetEndsAtOnce) {
    for (const PackedCube& impossible : {flippedEdge(), twistedCorner()}) {
        const Answer deepAnswer = run(findSequenceDeep, SolvedCube, impossible, MaxExecuteMoves);
        EXPECT_TRUE(deepAnswer.moves.empty());
        EXPECT_EQ(0u, deepAnswer.nodes);
        const Answer exact = run(findSequenceExact, SolvedCube, impossible, MaxExecuteMoves);
        EXPECT_TRUE(exact.moves.empty());
        EXPECT_EQ(0u, exact.tested + exact.nodes);
    }
}

// Pause holds every worker; clearing running, as Abort does, ends the whole search with nothing
// found: no worker takes another part, and no longer length is tried.
TEST(ExactSearch, PauseHoldsAndStopEndsEveryWorker) {
    const PackedCube target =
        afterMoves(SolvedCube, {8, 2, 4, 6, 0, 10, 3, 9, 5, 1, 7, 11, 8, 3, 4, 10, 6, 0, 2, 9});
    for (Method method : {findSequenceFast, findSequenceDeep}) {
        struct Watch {
            SearchState st;
            FastSearchProgress progress;
            std::atomic<int> partsAfterStop{-1};
        };
        auto w = std::make_unique<Watch>();
        w->st.running = true;
        MoveCode result[MaxExecuteMoves + 1];
        FastSearchOptions options = withKeptTables();
        options.threads = 2;
        options.context = w.get();
        options.onPart = [](void* context, const MoveCode*, uint32_t) {
            Watch& w = *static_cast<Watch*>(context);
            if (!w.st.running.load()) ++w.partsAfterStop;
        };
        uint32_t length = 1;
        std::thread search([&] {
            length = method(&w->st, &target, &SolvedCube, result, 16, options, &w->progress);
        });
        while (w->st.currentLength.load() < 9)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        w->progress.paused = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const uint32_t doneWhenHeld = w->progress.done.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(doneWhenHeld, w->progress.done.load());
        w->partsAfterStop = 0;
        w->st.running = false;
        w->progress.paused = false;
        const auto stopped = std::chrono::steady_clock::now();
        search.join();
        EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(1));
        EXPECT_EQ(0u, length);
        EXPECT_LT(w->partsAfterStop.load(), 200);
    }
}

// A table of distances is exact when the start reads 0 and every other entry has neighbours
// one nearer and none two nearer: checked on random states of a small edge group's table as
// this build makes it.
TEST(DeepTables, DistancesAreExact) {
    const TableKind kind = OwnEdgeTables[0];
    DistanceTable table;
    TableBuildControl control;
    control.threads = 2;
    ASSERT_TRUE(buildDistanceTable(SolvedCube, kind, &table, control));
    ASSERT_TRUE(table.standard);
    const auto entry = [&](const CubieState& s) {
        uint8_t edgeAt[EdgeCount];
        for (uint32_t slot = 0; slot < EdgeCount; ++slot)
            edgeAt[s.edge[slot]] = uint8_t(2 * slot + s.flip[slot]);
        return table.at(edgeGroupIndex(edgeAt, TableEdges[kind]));
    };
    EXPECT_EQ(0u, entry(identityCubies()));
    std::mt19937 rng(13);
    for (int n = 0; n < 20000; ++n) {
        CubieState s = identityCubies();
        for (MoveCode m : randomMoves(rng, n % 40))
            applyMoveToCubies(&s, m);
        const uint32_t here = entry(s);
        uint32_t nearest = DistanceCap;
        for (MoveCode m = 0; m < MoveCodeCount; ++m) {
            CubieState next = s;
            applyMoveToCubies(&next, m);
            nearest = std::min(nearest, entry(next));
        }
        if (here > 0) {
            ASSERT_EQ(here - 1, nearest) << n;
        }
    }
}

// A kept table is used only when it checks out in every respect; any other file is rebuilt and
// replaced. A folder that cannot be made leaves the tables in memory, and the search answers.
TEST(DeepTables, OnlyWholeTablesOfThisVersionAreUsed) {
    namespace fs = std::filesystem;
    // Two edges alike: the corners and two small edge groups come from the folder, the other
    // two groups are this source's own.
    PackedCube twoAlike = SolvedCube;
    twoAlike.bytes[squareIndex("T3")] = twoAlike.bytes[squareIndex("T5")];
    twoAlike.bytes[squareIndex("R1")] = twoAlike.bytes[squareIndex("F1")];
    const PackedCube target = afterMoves(twoAlike, {8, 2, 4, 0, 10});
    const Codes expected = brute(twoAlike, target, 5);
    // Its own folder: another run of the suite may be checking its hostile files at the time.
    const fs::path folder = fs::temp_directory_path() /
                            ("cube-hostile-tables-" + std::to_string(std::random_device{}()));
    fs::remove_all(folder);
    FastSearchOptions options;
    options.tableFolder = folder.u8string();
    forgetDeepTables();
    ASSERT_EQ(expected, deep(twoAlike, target, 5, options));
    const std::string path = tableFilePath(options.tableFolder, CornerTable);
    using Bytes = std::vector<uint8_t>;
    const Bytes good = fileBytes(path);
    ASSERT_EQ(TableHeaderBytes + (CornerEntries + 1) / 2, good.size());
    Bytes half(good.begin(), good.begin() + good.size() / 2), longer = good, flipped = good,
                                                              newer = good, foreign = good;
    longer.push_back('x');
    flipped[good.size() / 2] ^= 0x10;
    newer[12] = uint8_t(TableFileVersion + 1);
    foreign[8] = uint8_t(CornerTable + 1);
    for (const Bytes& bytes : {half, longer, flipped, newer, foreign}) {
        SCOPED_TRACE(bytes.size());
        writeFileBytes(path, bytes);
        forgetDeepTables();
        ASSERT_EQ(expected, deep(twoAlike, target, 5, options));
        ASSERT_TRUE(fileBytes(path) == good);
    }
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(".table", entry.path().extension().u8string()) << entry.path();
    FastSearchOptions nowhere;
    nowhere.tableFolder = (fs::u8path(path) / "below-a-file").u8string();
    forgetDeepTables();
    const Answer answer = run(findSequenceDeep, twoAlike, target, 5, nowhere);
    EXPECT_EQ(expected, answer.moves);
    EXPECT_TRUE(answer.tablesNotKept);
    fs::remove_all(folder);
}

} // namespace
