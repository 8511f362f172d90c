// The deep search on a fixed, seeded set: 20 states drawn uniformly from every position the
// assembled cube can reach (not made by random moves), 10 cubes painted with repeated colours
// whose answers lie near 15 to 18 moves, and the superflip (every edge flipped in place: 24
// moves). Prints, per cube, the length, seconds and positions visited, and the tables' build and
// load times; a cube not answered within the cap is stopped and shown as such.
//
//   deepSearchBench [cap SECONDS] [tables FOLDER] [threads N] [only random|colours|superflip]
#include "cubies.h"
#include "deepSearch.h"
#include "notation.h"
#include "tableFile.h"
#include "../engine/peakMemory.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Case {
    std::string name;
    PackedCube source;
    PackedCube target;
};

uint32_t below(std::mt19937& random, uint32_t n) {
    return uint32_t(random() % n);
}

bool oddPermutation(const uint8_t* p, uint32_t n) {
    bool odd = false;
    for (uint32_t i = 0; i < n; ++i)
        for (uint32_t j = i + 1; j < n; ++j)
            odd ^= p[i] > p[j];
    return odd;
}

// Every reachable state equally likely: any arrangement of the pieces whose twists, flips and
// parities obey the cube's three constraints.
PackedCube randomState(std::mt19937& random) {
    CubieState s = identityCubies();
    for (uint32_t i = CornerCount; i-- > 1;)
        std::swap(s.corner[i], s.corner[below(random, i + 1)]);
    for (uint32_t i = EdgeCount; i-- > 1;)
        std::swap(s.edge[i], s.edge[below(random, i + 1)]);
    if (oddPermutation(s.corner, CornerCount) != oddPermutation(s.edge, EdgeCount))
        std::swap(s.edge[0], s.edge[1]);
    uint32_t twists = 0, flips = 0;
    for (uint32_t i = 0; i + 1 < CornerCount; ++i)
        twists += s.twist[i] = uint8_t(below(random, 3));
    s.twist[CornerCount - 1] = uint8_t((3 - twists % 3) % 3);
    for (uint32_t i = 0; i + 1 < EdgeCount; ++i)
        flips += s.flip[i] = uint8_t(below(random, 2));
    s.flip[EdgeCount - 1] = uint8_t(flips % 2);
    return colourAs(SolvedCube, s);
}

std::vector<Case> cases(const std::string& only) {
    std::vector<Case> all;
    std::mt19937 random(20261207);
    for (int i = 0; i < 20; ++i)
        all.push_back({"random " + std::to_string(i + 1), SolvedCube, randomState(random)});
    // Three, two or four colours, or the assembled cube with a side's squares painted over.
    for (int i = 0; i < 10; ++i) {
        PackedCube source = SolvedCube;
        for (uint8_t& b : source.bytes)
            b = i % 4 == 3 ? b : uint8_t(b % (2 + i % 3));
        if (i % 4 == 3)
            for (int k = 0; k < 8; ++k)
                source.bytes[8 * (i % 6) + k] = 6;
        PackedCube target = source;
        const uint32_t length = 16 + uint32_t(i % 3);
        MoveCode last = EndOfMoves;
        for (uint32_t k = 0; k < length; ++k) {
            MoveCode m;
            do {
                m = MoveCode(below(random, MoveCodeCount));
            } while (last != EndOfMoves && ((m ^ last) == 1 || m >> 1 == last >> 1));
            moveRoutines[m](&target);
            last = m;
        }
        all.push_back({"colours " + std::to_string(i + 1), source, target});
    }
    CubieState flipped = identityCubies();
    for (uint8_t& f : flipped.flip)
        f = 1;
    all.push_back({"superflip", SolvedCube, colourAs(SolvedCube, flipped)});
    std::vector<Case> chosen;
    for (const Case& c : all)
        if (only.empty() || c.name.compare(0, only.size(), only) == 0) chosen.push_back(c);
    return chosen;
}

} // namespace

int main(int argc, char** argv) {
    double cap = 600;
    std::string only;
    FastSearchOptions options;
    options.tableFolder = defaultTableFolder();
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "cap") == 0) cap = std::atof(argv[i + 1]);
        if (std::strcmp(argv[i], "tables") == 0) options.tableFolder = argv[i + 1];
        if (std::strcmp(argv[i], "threads") == 0)
            options.threads = uint32_t(std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "only") == 0) only = argv[i + 1];
    }
    std::printf("threads %s, cap %.0f s, tables in %s\n",
                options.threads ? std::to_string(options.threads).c_str() : "all", cap,
                options.tableFolder.c_str());
    std::printf("%-12s %6s %10s %14s %9s %9s  %s\n", "cube", "length", "seconds", "positions",
                "build s", "load s", "answer");
    for (const Case& c : cases(only)) {
        auto st = std::make_unique<SearchState>();
        st->running = true;
        FastSearchProgress progress;
        MoveCode result[MaxExecuteMoves + 1];
        std::mutex lock;
        std::condition_variable finished;
        bool done = false;
        // Stops the search at the cap; its last length shows how far it got.
        std::thread watch([&] {
            std::unique_lock<std::mutex> hold(lock);
            if (!finished.wait_for(hold, std::chrono::duration<double>(cap), [&] { return done; }))
                st->running = false;
        });
        const auto begin = std::chrono::steady_clock::now();
        const uint32_t length = findSequenceDeep(st.get(), &c.target, &c.source, result,
                                                 MaxExecuteMoves, options, &progress);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
        {
            std::lock_guard<std::mutex> hold(lock);
            done = true;
        }
        finished.notify_one();
        watch.join();
        char answer[3 * MaxExecuteMoves + 1] = "";
        if (length)
            formatMoveText(result, answer, length);
        else
            std::snprintf(answer, sizeof answer, "stopped at the cap, searching length %u",
                          st->currentLength.load());
        std::printf("%-12s %6u %10.2f %14llu %9.2f %9.2f  %s\n", c.name.c_str(), length,
                    took.count(), static_cast<unsigned long long>(progress.nodes.load()),
                    progress.tableBuildMs.load() / 1000.0, progress.tableLoadMs.load() / 1000.0,
                    answer);
        std::fflush(stdout);
    }
    std::printf("peak memory %.1f MiB\n", peakMemoryMiB());
    return 0;
}
