// The fast search against the brute force on the same targets: scrambles of the assembled cube
// whose shortest sequence has exactly the length named. Both at 6 to 8 moves, the fast one alone
// at 10, 12 and 14. Prints seconds, the table's size, the process's peak memory and the ratio.
//
//   fastSearchBench [generic] [threads N]
#include "fastSearch.h"
#include "notation.h"
#include "../engine/peakMemory.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

namespace {

struct Run {
    uint32_t length;
    double seconds;
};

Run timed(SearchState* st, const PackedCube& target, uint32_t limit, bool fast,
          const FastSearchOptions& options, FastSearchProgress* progress, MoveCode* result) {
    st->running = true;
    const auto begin = std::chrono::steady_clock::now();
    const uint32_t length =
        fast ? findSequenceFast(st, &target, &SolvedCube, result, limit, options, progress)
             : findSequence(st, &target, &SolvedCube, result, limit, options.useSse2);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
    return {length, took.count()};
}

} // namespace

int main(int argc, char** argv) {
    FastSearchOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "generic") == 0) options.useSse2 = false;
        if (std::strcmp(argv[i], "threads") == 0 && i + 1 < argc)
            options.threads = uint32_t(std::atoi(argv[++i]));
    }
    auto st = std::make_unique<SearchState>();
    FastSearchProgress progress;
    std::mt19937 random(20261207);
    std::printf("kernel %s, threads %s\n", options.useSse2 ? "sse2" : "generic",
                options.threads ? argv[argc - 1] : "all");
    std::printf("%-6s %-30s %10s %10s %8s %9s %9s\n", "length", "target (scramble)", "fast s",
                "brute s", "ratio", "table MiB", "peak MiB");
    for (uint32_t length : {6u, 7u, 8u, 10u, 12u, 14u}) {
        // Random scrambles until one needs exactly that many moves.
        MoveCode scramble[16], result[MaxExecuteMoves + 1];
        PackedCube target;
        Run fast;
        do {
            for (uint32_t i = 0; i < length; ++i) {
                do {
                    scramble[i] = MoveCode(random() % MoveCodeCount);
                } while (i > 0 && (scramble[i] ^ scramble[i - 1]) == 1);
            }
            target = SolvedCube;
            applyMoves(&target, scramble, length);
            fast = timed(st.get(), target, length, true, options, &progress, result);
        } while (fast.length != length);
        char text[64];
        formatMoveText(scramble, text, length);
        std::printf("%-6u %-30s %10.4f", length, text, fast.seconds);
        if (length <= 8) {
            MoveCode bruteResult[MaxExecuteMoves + 1];
            const Run brute =
                timed(st.get(), target, length, false, options, &progress, bruteResult);
            if (brute.length != length || std::memcmp(bruteResult, result, length) != 0) {
                std::printf("\nthe two searches disagree\n");
                return 1;
            }
            std::printf(" %10.4f %8.0f", brute.seconds, brute.seconds / fast.seconds);
        } else {
            std::printf(" %10s %8s", "-", "-");
        }
        std::printf(" %9.1f %9.1f\n", progress.peakTableBytes.load() / 1048576.0, peakMemoryMiB());
    }
    return 0;
}
