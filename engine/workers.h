// What the exact searches share about their threads and the order of their parts.
#pragma once

#include "packedCube.h"

#include <thread>
#include <vector>

// The threads asked for, or one per core when 0 (asked once: under Wine each answer costs a
// round trip to the server).
inline uint32_t workerCount(uint32_t requested) {
    const uint32_t threads = requested ? requested : std::thread::hardware_concurrency();
    return threads ? threads : 1;
}

// Runs work() on count threads, the calling one included, and returns when all are done. Each
// extra thread first runs onStart(context); a thread that cannot be started only makes it slower.
template <class Work>
void runOnWorkers(uint32_t count, void (*onStart)(void*), void* context, const Work& work) {
    std::vector<std::thread> extra;
    for (uint32_t w = 1; w < count; ++w) {
        try {
            extra.emplace_back([onStart, context, &work] {
                if (onStart) onStart(context);
                work();
            });
        } catch (...) {
            break;
        }
    }
    work();
    for (std::thread& t : extra)
        t.join();
}

// Every run of `count` leading suffix moves, last move first, in the brute force's order: the
// parts a walk is shared out in. allowed(move, next, far) says whether move may come before the
// two moves after it (EndOfMoves past the end).
template <class Allowed> std::vector<MoveCode> leadingMoves(uint32_t count, Allowed allowed) {
    std::vector<MoveCode> runs;
    if (count == 0) return runs;
    std::vector<MoveCode> digits(count + 2, EndOfMoves);
    // digits[k + 2] is the k-th leading move; the two before stand for the end of the candidate.
    uint32_t k = 0;
    digits[2] = 0;
    for (;;) {
        if (digits[k + 2] < MoveCodeCount && allowed(digits[k + 2], digits[k + 1], digits[k])) {
            if (k + 1 == count) {
                runs.insert(runs.end(), digits.begin() + 2, digits.end());
            } else {
                digits[++k + 2] = 0;
                continue;
            }
        }
        while (digits[k + 2] >= MoveCodeCount - 1) {
            if (k == 0) return runs;
            --k;
        }
        ++digits[k + 2];
    }
}
