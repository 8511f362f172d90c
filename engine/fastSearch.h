// The search that meets in the middle: the same sequence as findSequence, found in about the
// square root of its work, on every core.
#pragma once

#include "search.h"

#include <atomic>
#include <cstdint>
#include <string>

enum : uint32_t {
    DefaultTableMiB = 512,
};

struct FastSearchOptions {
    // 0: one worker per core, and only where the step is large enough to share out.
    uint32_t threads = 0;
    uint64_t tableBytesCap = uint64_t(DefaultTableMiB) << 20;
    bool useSse2 = true;
    // Runs first on every extra worker thread: the caller's chance to give it its priority.
    void (*onWorkerStart)(void* context) = nullptr;
    void* context = nullptr;
    // Where the deep search keeps the tables every source shares; empty: in memory only.
    std::string tableFolder;
    // Runs before each ordered part of either exact search's walk, on the thread that takes
    // it, with the part's leading suffix moves, last move first.
    void (*onPart)(void* context, const MoveCode* lastMoves, uint32_t count) = nullptr;
};

enum SearchMethod : uint32_t {
    MeetInTheMiddle = 0,
    DeepSearch = 1,
};

enum TableActivity : uint32_t {
    TablesReady = 0,
    TablesBuilding = 1,
    TablesLoading = 2,
};

// Written by the search, read by whoever shows its progress.
struct FastSearchProgress {
    // Prefix moves the current table holds; 0 while the brute force does the short lengths.
    std::atomic<uint32_t> tableDepth{0};
    std::atomic<bool> building{false};
    // Parts of the current step (building the table, or walking one length's suffixes) done.
    std::atomic<uint32_t> done{0};
    std::atomic<uint32_t> total{0};
    std::atomic<uint64_t> peakTableBytes{0};
    // Candidates of the brute force for the short lengths, prefixes stored and suffixes looked up.
    std::atomic<uint64_t> tested{0};
    // Set by the caller: the workers wait while it is set, and end when running is cleared.
    std::atomic<bool> paused{false};
    std::atomic<bool> outOfMemory{false};
    // The deepest table the cap allowed that could not be had (beyond what the build can
    // address, or refused); the search went on with the deepest one it could have.
    std::atomic<uint32_t> refusedDepth{0};
    // The deep search: which method runs, its tables, the positions it visited, and whether
    // its tables could not be kept on disk.
    std::atomic<uint32_t> method{MeetInTheMiddle};
    std::atomic<uint32_t> tables{TablesReady};
    std::atomic<uint64_t> nodes{0};
    std::atomic<uint32_t> tableBuildMs{0};
    std::atomic<uint32_t> tableLoadMs{0};
    std::atomic<bool> tablesNotKept{false};
    // The deep search's tables could not be had, and the meet in the middle went on alone.
    std::atomic<bool> deepFellBack{false};
    // Milliseconds spent on each length, for the lengths the exact methods walked.
    std::atomic<uint32_t> lengthMs[MaxExecuteMoves + 1]{};
};

// Returns the length found (the sequence in result, ended by EndOfMoves), or 0 when there is
// none within maxMoves, the search was stopped, or the table could not be had (outOfMemory).
// The length searched is in st->currentLength, as with findSequence.
uint32_t findSequenceFast(SearchState* st, const PackedCube* target, const PackedCube* start,
                          MoveCode* result, uint32_t maxMoves, const FastSearchOptions& options,
                          FastSearchProgress* progress);

// What the table of that many prefix moves takes.
uint64_t tableBytesFor(uint32_t depth);
