#include "fastSearch.h"
#include "workers.h"

#include <chrono>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

// A candidate of length L is a prefix of a moves, applied to the source, and a suffix of
// b = L - a moves. The source after every valid prefix goes into a table; the target, undone by
// every valid suffix, is looked up there. A move acts on a colouring as a permutation of the
// squares, so this holds for cubes painted with repeated colours as much as for real ones.
//
// The brute force orders the candidates of one length by their last move first, then the one
// before it, and so on. The suffix holds the leading digits of that order: walking the suffixes
// in that order and taking, for each state, the least prefix that reaches it gives the brute
// force's first match. The table keeps one entry per state, whatever the number of prefixes
// reaching it, the least prefix winning.
//
// A join that breaks the rules (a move and its inverse, three equal moves) never matches:
// cancelling would leave a valid shorter match, and every shorter length has been searched in
// full by then, or nothing at all, which means the target equals the source. The brute force
// settles that case within four moves (R, L, R', L' changes nothing), and the lengths 1 and 2,
// which it takes in an order of their own.
namespace {

constexpr uint32_t BruteForceLengths = 2;
// Four bits a move in a 32-bit entry.
constexpr uint32_t MaxTableDepth = 8;
// Leading suffix moves that make one walking task: enough tasks to share out evenly.
constexpr uint32_t TaskDigits = 3;
// Batches of leaves (up to twelve each) between looks at the stop and pause flags: about a
// millisecond.
constexpr uint32_t PollMask = 1023;
// Steps smaller than this stay on the calling thread.
constexpr uint64_t SharedStepLeaves = 100000;
// The most one array may take: the eight-move table exceeds it in a 32-bit build, where asking
// for it anyway makes the allocation throw, even a nothrow one.
constexpr uint64_t MaxArrayBytes = uint64_t(PTRDIFF_MAX);

using Turn = void (*)(PackedCube*, MoveCode);

void turnGeneric(PackedCube* cube, MoveCode move) {
    moveRoutines[move](cube);
}

void turnSse2(PackedCube* cube, MoveCode move) {
    applyMovesSse2(cube, 1, &move);
}

// Whether move may come next to neighbour and far (the one beyond it), in either direction.
bool allowed(MoveCode move, MoveCode neighbour, MoveCode far) {
    return (move ^ neighbour) != 1 && !(move == neighbour && move == far);
}

uint64_t hashOf(const PackedCube& cube) {
    uint64_t h = 0x243F6A8885A308D3ull;
    for (int i = 0; i < 48; i += 8) {
        uint64_t word;
        std::memcpy(&word, cube.bytes + i, 8);
        h = (h ^ word) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 31;
    }
    return h;
}

// A prefix as a number that orders prefixes as the brute force does: its last move is the
// most significant digit.
uint32_t packPrefix(const MoveCode* moves, uint32_t depth) {
    uint32_t code = 0;
    for (uint32_t i = depth; i-- > 0;)
        code = code << 4 | moves[i];
    return code;
}

// Slots hold the upper half of the state's hash (never 0, so 0 marks a free slot) and the
// packed prefix. Equal halves are only a hint: the prefix is replayed to compare the states.
struct StateTable {
    std::atomic<uint64_t>* slots = nullptr;
    uint32_t count = 0;
    uint32_t depth = 0;
};

static_assert(sizeof(std::atomic<uint64_t>) == 8, "a slot is eight bytes");

uint32_t slotsFor(uint32_t depth) {
    // At most three quarters full, so probes stay short.
    return uint32_t(validSequenceCount(depth) * 4 / 3 + 1);
}

// What one thread counts for itself: batches of leaves, for its looks at the flags, and leaves.
struct Worker {
    uint32_t polls = 0;
    uint64_t leaves = 0;
};

struct Search {
    SearchState* st;
    const FastSearchOptions* options;
    FastSearchProgress* progress;
    Turn turn;
    StateTable table;
    uint32_t length = 0;
    uint32_t suffixLength = 0;
    // The walking tasks: their leading suffix moves, last move first.
    std::vector<MoveCode> tasks;
    uint32_t taskDigits = 0;
    std::atomic<uint32_t> nextTask{0};
    // The first task (in the brute force's order) that found a match, and its candidate.
    std::atomic<uint32_t> firstHit{UINT32_MAX};
    std::mutex hitLock;
    MoveCode hit[MaxExecuteMoves];
    std::atomic<bool> stopped{false};
    uint32_t threads = 1;
};

bool keepGoing(Search& s) {
    while (s.progress->paused.load(std::memory_order_relaxed) &&
           s.st->running.load(std::memory_order_relaxed))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (s.st->running.load(std::memory_order_relaxed)) return true;
    s.stopped = true;
    return false;
}

PackedCube replay(const Search& s, uint32_t prefix) {
    PackedCube cube = s.st->start;
    for (uint32_t i = 0; i < s.table.depth; ++i, prefix >>= 4)
        s.turn(&cube, MoveCode(prefix & 15));
    return cube;
}

uint32_t firstSlot(const StateTable& t, uint64_t h) {
    return uint32_t((uint64_t(uint32_t(h)) * t.count) >> 32);
}

void insert(Search& s, const PackedCube& cube, uint64_t h, uint32_t prefix) {
    const uint64_t key = (h >> 32 | 1) << 32;
    uint32_t i = firstSlot(s.table, h);
    for (;;) {
        std::atomic<uint64_t>& slot = s.table.slots[i];
        uint64_t seen = slot.load(std::memory_order_relaxed);
        if (seen == 0) {
            if (slot.compare_exchange_weak(seen, key | prefix, std::memory_order_relaxed)) return;
            if (seen == 0) continue;
        }
        if ((seen & ~0xFFFFFFFFull) == key) {
            const PackedCube there = replay(s, uint32_t(seen));
            if (std::memcmp(&there, &cube, sizeof cube) == 0) {
                // Only the prefix can change here, and only to a smaller one.
                while (prefix < uint32_t(seen) &&
                       !slot.compare_exchange_weak(seen, key | prefix, std::memory_order_relaxed)) {
                }
                return;
            }
        }
        if (++i == s.table.count) i = 0;
    }
}

bool lookUp(const Search& s, const PackedCube& cube, uint64_t h, uint32_t* prefix) {
    const uint64_t key = (h >> 32 | 1) << 32;
    for (uint32_t i = firstSlot(s.table, h);;) {
        const uint64_t seen = s.table.slots[i].load(std::memory_order_relaxed);
        if (seen == 0) return false;
        if ((seen & ~0xFFFFFFFFull) == key) {
            const PackedCube there = replay(s, uint32_t(seen));
            if (std::memcmp(&there, &cube, sizeof cube) == 0) {
                *prefix = uint32_t(seen);
                return true;
            }
        }
        if (++i == s.table.count) i = 0;
    }
}

// Runs work() on the search's threads, the calling one included, and returns when all are done.
// Fewer threads than asked for only make it slower.
template <class Work> void onEveryWorker(const Search& s, uint64_t leaves, Work work) {
    const FastSearchOptions& options = *s.options;
    // Starting a thread costs more than a small step takes, unless the caller asked for it.
    const uint32_t count = options.threads == 0 && leaves < SharedStepLeaves ? 1 : s.threads;
    runOnWorkers(count, options.onWorkerStart, options.context, work);
}

// The last move of a prefix or suffix: the cubes after each allowed move, their slots fetched
// ahead all at once, as a look into a table this size misses the cache nearly every time.
struct Leaves {
    alignas(16) PackedCube cubes[MoveCodeCount];
    uint64_t hashes[MoveCodeCount];
    MoveCode moves[MoveCodeCount];
    uint32_t count = 0;

    void add(const Search& s, const PackedCube& from, MoveCode move, MoveCode turn) {
        PackedCube& cube = cubes[count];
        cube = from;
        s.turn(&cube, turn);
        hashes[count] = hashOf(cube);
        __builtin_prefetch(&s.table.slots[firstSlot(s.table, hashes[count])]);
        moves[count++] = move;
    }
};

// Every valid prefix under the given first moves, depth first.
void buildFrom(Search& s, MoveCode* moves, PackedCube* cubes, uint32_t at, Worker& worker) {
    const MoveCode last = at ? moves[at - 1] : EndOfMoves;
    const MoveCode beforeLast = at > 1 ? moves[at - 2] : EndOfMoves;
    if (at == s.table.depth) {
        insert(s, cubes[at], hashOf(cubes[at]), packPrefix(moves, at));
        ++worker.leaves;
        return;
    }
    if (at + 1 == s.table.depth) {
        Leaves leaves;
        for (MoveCode m = 0; m < MoveCodeCount; ++m)
            if (allowed(m, last, beforeLast)) leaves.add(s, cubes[at], m, m);
        for (uint32_t i = 0; i < leaves.count; ++i) {
            moves[at] = leaves.moves[i];
            insert(s, leaves.cubes[i], leaves.hashes[i], packPrefix(moves, at + 1));
        }
        worker.leaves += leaves.count;
        if ((++worker.polls & PollMask) == 0) keepGoing(s);
        return;
    }
    for (MoveCode m = 0; m < MoveCodeCount && !s.stopped; ++m) {
        if (!allowed(m, last, beforeLast)) continue;
        moves[at] = m;
        cubes[at + 1] = cubes[at];
        s.turn(&cubes[at + 1], m);
        buildFrom(s, moves, cubes, at + 1, worker);
    }
}

std::atomic<uint64_t>* newSlots(uint32_t count) {
    if (uint64_t(count) * sizeof(std::atomic<uint64_t>) > MaxArrayBytes) return nullptr;
    return new (std::nothrow) std::atomic<uint64_t>[count]();
}

// Builds the deepest table up to depth that can be had: any depth gives the same answers, so a
// table refused is no reason to give up the search.
bool buildTable(Search& s, uint32_t depth) {
    delete[] s.table.slots;
    s.table = StateTable();
    std::atomic<uint64_t>* slots = nullptr;
    while (depth > 0 && !(slots = newSlots(slotsFor(depth))))
        --depth;
    if (!slots) {
        s.progress->outOfMemory = true;
        return false;
    }
    const uint32_t count = slotsFor(depth);
    s.table = {slots, count, depth};
    const uint64_t bytes = uint64_t(count) * sizeof(std::atomic<uint64_t>);
    if (bytes > s.progress->peakTableBytes.load()) s.progress->peakTableBytes = bytes;
    s.progress->tableDepth = depth;
    s.progress->building = true;
    // One task for each valid pair of first moves (each single move for a depth of one).
    const uint32_t firstMoves = depth < 2 ? 1 : 2;
    const uint32_t tasks =
        firstMoves == 1 ? uint32_t(MoveCodeCount) : uint32_t(TwoMoveSequenceCount);
    s.progress->done = 0;
    s.progress->total = tasks;
    std::atomic<uint32_t> next{0};
    onEveryWorker(s, validSequenceCount(depth), [&] {
        MoveCode moves[MaxTableDepth];
        alignas(16) PackedCube cubes[MaxTableDepth + 1];
        Worker worker;
        for (uint32_t t; !s.stopped && (t = next.fetch_add(1)) < tasks;) {
            cubes[0] = s.st->start;
            for (uint32_t i = 0; i < firstMoves; ++i) {
                moves[i] = firstMoves == 1 ? oneMoveSequences[t] : twoMoveSequences[t][i];
                cubes[i + 1] = cubes[i];
                s.turn(&cubes[i + 1], moves[i]);
            }
            buildFrom(s, moves, cubes, firstMoves, worker);
            s.progress->done.fetch_add(1, std::memory_order_relaxed);
        }
        s.progress->tested += worker.leaves;
    });
    s.progress->building = false;
    return !s.stopped;
}

enum WalkOutcome {
    NotFound,
    Found,
    GaveUp
};

// Positions at and below pos are still open; cubes[pos + 1] is the target with every move above
// pos undone. Below the table's depth the prefix comes from the table.
bool takePrefix(const Search& s, const PackedCube& cube, uint64_t h, MoveCode* moves) {
    uint32_t prefix;
    if (!lookUp(s, cube, h, &prefix)) return false;
    for (uint32_t i = 0; i < s.table.depth; ++i, prefix >>= 4)
        moves[i] = MoveCode(prefix & 15);
    return true;
}

WalkOutcome walkFrom(Search& s, uint32_t task, MoveCode* moves, PackedCube* cubes, int pos,
                     Worker& worker) {
    const PackedCube& here = cubes[pos + 1];
    if (pos < int(s.table.depth))
        return takePrefix(s, here, hashOf(here), moves) ? Found : NotFound;
    if (pos == int(s.table.depth)) {
        if ((++worker.polls & PollMask) == 0 && (!keepGoing(s) || s.firstHit.load() < task))
            return GaveUp;
        Leaves leaves;
        for (MoveCode m = 0; m < MoveCodeCount; ++m)
            if (allowed(m, moves[pos + 1], moves[pos + 2])) leaves.add(s, here, m, m ^ 1);
        for (uint32_t i = 0; i < leaves.count; ++i) {
            ++worker.leaves;
            if (takePrefix(s, leaves.cubes[i], leaves.hashes[i], moves)) {
                moves[pos] = leaves.moves[i];
                return Found;
            }
        }
        return NotFound;
    }
    for (MoveCode m = 0; m < MoveCodeCount; ++m) {
        if (!allowed(m, moves[pos + 1], moves[pos + 2])) continue;
        moves[pos] = m;
        cubes[pos] = here;
        s.turn(&cubes[pos], m ^ 1);
        const WalkOutcome outcome = walkFrom(s, task, moves, cubes, pos - 1, worker);
        if (outcome != NotFound) return outcome;
    }
    return NotFound;
}

void walkTask(Search& s, uint32_t task, Worker& worker) {
    if (s.options->onPart)
        s.options->onPart(s.options->context, &s.tasks[task * s.taskDigits], s.taskDigits);
    MoveCode moves[MaxExecuteMoves + 2];
    alignas(16) PackedCube cubes[MaxExecuteMoves + 1];
    const uint32_t L = s.length;
    moves[L] = moves[L + 1] = EndOfMoves;
    cubes[L] = s.st->target;
    uint32_t pos = L;
    for (uint32_t i = 0; i < s.taskDigits; ++i) {
        --pos;
        moves[pos] = s.tasks[task * s.taskDigits + i];
        cubes[pos] = cubes[pos + 1];
        s.turn(&cubes[pos], moves[pos] ^ 1);
    }
    if (walkFrom(s, task, moves, cubes, int(pos) - 1, worker) != Found) return;
    std::lock_guard<std::mutex> lock(s.hitLock);
    if (task < s.firstHit.load()) {
        std::memcpy(s.hit, moves, L);
        s.firstHit = task;
    }
}

// The valid leading suffix moves of each task, last move first, in the brute force's order.
void makeTasks(Search& s) {
    s.taskDigits = s.suffixLength < TaskDigits ? s.suffixLength : TaskDigits;
    s.tasks = leadingMoves(s.taskDigits, allowed);
}

bool walk(Search& s, MoveCode* result) {
    s.suffixLength = s.length - s.table.depth;
    makeTasks(s);
    const uint32_t tasks = uint32_t(s.tasks.size() / s.taskDigits);
    s.nextTask = 0;
    s.firstHit = UINT32_MAX;
    s.progress->done = 0;
    s.progress->total = tasks;
    onEveryWorker(s, validSequenceCount(s.suffixLength), [&] {
        Worker worker;
        for (uint32_t t; !s.stopped && (t = s.nextTask.fetch_add(1)) < tasks;) {
            if (t > s.firstHit.load()) break;
            walkTask(s, t, worker);
            s.progress->done.fetch_add(1, std::memory_order_relaxed);
        }
        s.progress->tested += worker.leaves;
    });
    if (s.stopped || s.firstHit.load() == UINT32_MAX) return false;
    std::memcpy(result, s.hit, s.length);
    result[s.length] = EndOfMoves;
    return true;
}

} // namespace

uint64_t tableBytesFor(uint32_t depth) {
    return uint64_t(slotsFor(depth)) * sizeof(std::atomic<uint64_t>);
}

uint32_t findSequenceFast(SearchState* st, const PackedCube* target, const PackedCube* start,
                          MoveCode* result, uint32_t maxMoves, const FastSearchOptions& options,
                          FastSearchProgress* progress) {
    if (maxMoves > MaxExecuteMoves) maxMoves = MaxExecuteMoves;
    const bool same = std::memcmp(start, target, sizeof(PackedCube)) == 0;
    const uint32_t shortest = same || maxMoves < BruteForceLengths ? maxMoves : BruteForceLengths;
    progress->tableDepth = 0;
    progress->outOfMemory = false;
    progress->refusedDepth = 0;
    const uint32_t found = findSequence(st, target, start, result, shortest, options.useSse2);
    progress->tested = candidatesTested(result, found, shortest);
    if (found || maxMoves == shortest || !st->running.load()) return found;

    uint32_t capDepth = 0;
    while (capDepth < MaxTableDepth && tableBytesFor(capDepth + 1) <= options.tableBytesCap)
        ++capDepth;
    uint32_t maxDepth = capDepth;
    while (maxDepth > 0 && tableBytesFor(maxDepth) > MaxArrayBytes)
        --maxDepth;
    if (maxDepth == 0) {
        progress->outOfMemory = true;
        return 0;
    }
    Search s;
    s.st = st;
    s.options = &options;
    s.progress = progress;
    s.turn = options.useSse2 ? turnSse2 : turnGeneric;
    s.threads = workerCount(options.threads);
    uint32_t length = 0;
    for (uint32_t L = shortest + 1; L <= maxMoves; ++L) {
        st->currentLength = L;
        s.length = L;
        // Up to eight moves the smaller table of the length before serves the odd lengths;
        // beyond, the larger one serves two lengths and the walks stay short.
        const uint32_t half = L <= 8 ? L / 2 : (L + 1) / 2;
        const uint32_t wanted = half < capDepth ? half : capDepth;
        const uint32_t depth = wanted < maxDepth ? wanted : maxDepth;
        if (depth != s.table.depth) {
            if (!buildTable(s, depth)) break;
            // What was refused once is not asked for again.
            if (s.table.depth < depth) maxDepth = s.table.depth;
        }
        if (s.table.depth < wanted && progress->refusedDepth < wanted)
            progress->refusedDepth = wanted;
        if (walk(s, result)) {
            length = L;
            break;
        }
        if (s.stopped) break;
    }
    delete[] s.table.slots;
    return length;
}
