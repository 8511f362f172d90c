// Google Benchmark view of the same sweeps; run with --benchmark_repetitions for medians.
#include "sweepCase.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void sweep(benchmark::State& bench, bool sse2) {
    const int length = int(bench.range(0));
    auto state = std::make_unique<SearchState>();
    for (auto _ : bench)
        benchmark::DoNotOptimize(runSweep(state.get(), length, sse2));
    const double candidates = candidatesUpTo(length);
    bench.counters["candidates/s"] =
        benchmark::Counter(candidates, benchmark::Counter::kIsIterationInvariantRate);
    bench.counters["ns/candidate"] =
        benchmark::Counter(candidates * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                  benchmark::Counter::kInvert);
}

void sweepGeneric(benchmark::State& bench) {
    sweep(bench, false);
}
void sweepSse2(benchmark::State& bench) {
    sweep(bench, true);
}

void applyOneMove(benchmark::State& bench, bool sse2) {
    PackedCube cube = SolvedCube;
    const MoveCode moves[] = {0, 4, 8, 3, 7, 11, 2, 6, 10, 1, 5, 9, EndOfMoves};
    for (auto _ : bench) {
        executeSequence(moves, 12, &cube, sse2);
        benchmark::DoNotOptimize(cube);
    }
    bench.SetItemsProcessed(bench.iterations() * 12);
}

} // namespace

BENCHMARK(sweepGeneric)->DenseRange(5, 7)->Unit(benchmark::kMillisecond);
BENCHMARK(sweepSse2)->DenseRange(5, 7)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(applyOneMove, generic, false);
BENCHMARK_CAPTURE(applyOneMove, sse2, true);

BENCHMARK_MAIN();
