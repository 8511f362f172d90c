#include "cubies.h"
#include "deepSearch.h"
#include "tableFile.h"
#include "testCubes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

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
};

Answer run(uint32_t (*method)(SearchState*, const PackedCube*, const PackedCube*, MoveCode*,
                              uint32_t, const FastSearchOptions&, FastSearchProgress*),
           const PackedCube& start, const PackedCube& target, uint32_t limit,
           const FastSearchOptions& options = withKeptTables()) {
    auto st = std::make_unique<SearchState>();
    st->running = true;
    FastSearchProgress progress;
    MoveCode result[MaxExecuteMoves + 1];
    const uint32_t length = method(st.get(), &target, &start, result, limit, options, &progress);
    EXPECT_TRUE(length == 0 || result[length] == EndOfMoves);
    return {Codes(result, result + length), progress.nodes, progress.tested, progress.outOfMemory,
            progress.tablesNotKept};
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

PackedCube flippedEdge() {
    PackedCube c = SolvedCube;
    std::swap(c.bytes[squareIndex("T5")], c.bytes[squareIndex("F1")]);
    return c;
}

// Pieces and squares are two views of one cube: every move agrees on both, a state reached by
// moves is matched with the parity of their count, and the three classic impossibilities are
// recognised. With two equal edges either parity fits.
TEST(Cubies, PiecesAndSquaresAgree) {
    const CubieModel& model = cubieModel();
    for (MoveCode m = 0; m < MoveCodeCount; ++m) {
        uint32_t twists = 0, flips = 0;
        for (uint32_t s = 0; s < CornerCount; ++s)
            twists += model.cornerTwist[m][s];
        for (uint32_t s = 0; s < EdgeCount; ++s)
            flips += model.edgeFlip[m][s];
        EXPECT_EQ(0u, twists % 3) << int(m);
        EXPECT_EQ(0u, flips % 2) << int(m);
    }
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
// that the later part's match is found first, then last: the earlier part wins both times.
TEST(DeepSearch, AnEarlierPartWinsWhicheverMatchesFirst) {
    const PackedCube target = afterMoves(SolvedCube, {8, 2, 4, 4});
    const Codes expected = brute(SolvedCube, target, 4);
    ASSERT_EQ((Codes{8, 2, 4, 4}), expected);
    struct Watch {
        bool laterFirst;
        std::atomic<bool> laterStarted{false};
        bool overlapped = false;
    };
    for (bool laterFirst : {true, false}) {
        Watch watch;
        watch.laterFirst = laterFirst;
        FastSearchOptions options = withKeptTables();
        options.threads = 2;
        options.context = &watch;
        options.onPart = [](void* context, const MoveCode* last, uint32_t) {
            Watch& w = *static_cast<Watch*>(context);
            const auto pause = [](int ms) {
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            };
            if (last[0] == 5 && last[1] == 5 && last[2] == 2) {
                w.laterStarted = true;
                if (!w.laterFirst) pause(300);
            } else if (last[0] == 4 && last[1] == 4 && last[2] == 2) {
                for (int i = 0; i < 200 && !w.laterStarted; ++i)
                    pause(5);
                w.overlapped = w.laterStarted;
                if (w.laterFirst) pause(100);
            }
        };
        EXPECT_EQ(expected, deep(SolvedCube, target, 6, options)) << laterFirst;
        EXPECT_TRUE(watch.overlapped) << laterFirst;
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

// Pause holds every worker; clearing running ends the search with nothing found.
TEST(DeepSearch, PauseHoldsAndStopEnds) {
    auto st = std::make_unique<SearchState>();
    st->running = true;
    FastSearchProgress progress;
    MoveCode result[MaxExecuteMoves + 1];
    const PackedCube target =
        afterMoves(SolvedCube, {8, 2, 4, 6, 0, 10, 3, 9, 5, 1, 7, 11, 8, 3, 4, 10, 6, 0, 2, 9});
    FastSearchOptions options = withKeptTables();
    options.threads = 2;
    uint32_t length = 1;
    std::thread search([&] {
        length = findSequenceDeep(st.get(), &target, &SolvedCube, result, MaxExecuteMoves, options,
                                  &progress);
    });
    while (progress.nodes.load() == 0 && st->currentLength.load() < 14)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    progress.paused = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const uint32_t doneWhenHeld = progress.done.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(doneWhenHeld, progress.done.load());
    progress.paused = false;
    st->running = false;
    const auto stopped = std::chrono::steady_clock::now();
    search.join();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(1));
    EXPECT_EQ(0u, length);
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

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
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
    const fs::path folder = fs::temp_directory_path() / "cube-hostile-tables";
    fs::remove_all(folder);
    FastSearchOptions options;
    options.tableFolder = folder.u8string();
    forgetDeepTables();
    ASSERT_EQ(expected, deep(twoAlike, target, 5, options));
    const std::string path = tableFilePath(options.tableFolder, CornerTable);
    const std::string good = readAll(path);
    ASSERT_EQ(TableHeaderBytes + (CornerEntries + 1) / 2, good.size());
    std::string flipped = good, newer = good, foreign = good;
    flipped[good.size() / 2] ^= 0x10;
    newer[12] = char(TableFileVersion + 1);
    foreign[8] = char(CornerTable + 1);
    const std::string hostile[] = {good.substr(0, good.size() / 2), flipped, newer, foreign};
    for (const std::string& bytes : hostile) {
        SCOPED_TRACE(bytes.size());
        writeAll(path, bytes);
        forgetDeepTables();
        ASSERT_EQ(expected, deep(twoAlike, target, 5, options));
        ASSERT_TRUE(readAll(path) == good);
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
