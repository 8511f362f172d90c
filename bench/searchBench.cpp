// Cost per candidate of full sweeps, generic against SSE2, interleaved in one run so both
// see the same clock. Prints medians; used on the host and in the 32-bit exe under Wine.
#include "sweepCase.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

double secondsFor(SearchState* state, int length, bool sse2) {
    const auto begin = std::chrono::steady_clock::now();
    if (runSweep(state, length, sse2) != 0) std::abort(); // the target is unreachable
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(end - begin).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    auto state = std::make_unique<SearchState>();
    std::printf("%-8s %-7s %12s %10s %14s %12s\n", "length", "kernel", "candidates", "median s",
                "ns/candidate", "Mcand/s");
    for (int length : {5, 6, 7}) {
        std::vector<double> generic, sse2;
        for (int r = 0; r < runs; ++r) {
            generic.push_back(secondsFor(state.get(), length, false));
            sse2.push_back(secondsFor(state.get(), length, true));
        }
        const double candidates = candidatesUpTo(length);
        for (const auto& [name, times] : {std::pair{"generic", generic}, {"sse2", sse2}}) {
            const double s = median(times);
            std::printf("%-8d %-7s %12.0f %10.4f %14.2f %12.2f\n", length, name, candidates, s,
                        s * 1e9 / candidates, candidates / s / 1e6);
        }
        std::printf("%-8d sse2/generic speed ratio %.2f\n", length, median(generic) / median(sse2));
    }
    return 0;
}
