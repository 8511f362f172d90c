#include "deepSearch.h"
#include "tableFile.h"
#include "workers.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

// The walk undoes the target by suffixes, last move outermost, in the brute force's order, and
// a branch is cut only when a table proves that no prefix of the moves left reaches it from the
// source. So the first leaf that matches is the brute force's first match.
//
// Two more cuts keep the order. A length of the wrong parity has no answer. And among the
// shortest answers, moves on one axis commute, so an answer with two neighbours on one axis in
// rising order has a twin with them swapped that comes earlier; a run on one axis is therefore
// walked only in falling order. (At the shortest length nothing cancels: a move and its inverse
// or three equal moves would leave a shorter answer.)
namespace {

// Moves that may come before next (and far, beyond it) in a walk of the shortest answers.
bool mayPrecede(MoveCode move, MoveCode next, MoveCode far) {
    if ((move ^ next) == 1 || (move == next && move == far)) return false;
    return (move >> 2) != (next >> 2) || move >= next;
}

constexpr uint32_t PartDigits = 3;
constexpr uint32_t PollMask = 4095;

// The tables every standard source shares live as long as the process; those of the last
// other source until another one comes, as the source often stays while the target changes.
struct KeptTables {
    std::mutex lock;
    std::shared_ptr<DistanceTable> table[TableKinds];
    PackedCube source[TableKinds];
    std::shared_ptr<DistanceTable> sourceTable[TableKinds];
};

KeptTables& keptTables() {
    static KeptTables kept;
    return kept;
}

uint32_t millisecondsSince(std::chrono::steady_clock::time_point begin) {
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - begin)
                        .count());
}

// The tables of one search: the corners and one edge set. A search holds them, so a search from
// another source can replace them meanwhile.
struct Tables {
    uint32_t count = 0;
    TableKind kind[TableKinds];
    std::shared_ptr<const DistanceTable> table[TableKinds];
};

// Sources whose edges all differ have their distances in the large shared tables.
void chooseTables(const PackedCube& start, Tables* tables) {
    bool shared = true;
    for (TableKind kind : SharedEdgeTables)
        shared = shared && countLookAlikes(start, kind, 2) == 1;
    tables->kind[tables->count++] = CornerTable;
    if (shared)
        for (TableKind kind : SharedEdgeTables)
            tables->kind[tables->count++] = kind;
    else
        for (TableKind kind : OwnEdgeTables)
            tables->kind[tables->count++] = kind;
}

// False when stopped or out of memory (progress says which).
bool getTables(SearchState* st, const PackedCube& start, const FastSearchOptions& options,
               FastSearchProgress* progress, Tables* tables) {
    TableBuildControl control;
    control.threads = workerCount(options.threads);
    control.running = &st->running;
    control.paused = &progress->paused;
    control.done = &progress->done;
    control.total = &progress->total;
    control.onWorkerStart = options.onWorkerStart;
    control.context = options.context;
    chooseTables(start, tables);
    KeptTables& kept = keptTables();
    std::lock_guard<std::mutex> hold(kept.lock);
    for (uint32_t t = 0; t < tables->count; ++t) {
        const TableKind kind = tables->kind[t];
        if (countLookAlikes(start, kind, 2) > 1) {
            std::shared_ptr<DistanceTable>& table = kept.sourceTable[kind];
            if (!table || std::memcmp(&kept.source[kind], &start, sizeof start) != 0) {
                table.reset(new (std::nothrow) DistanceTable);
                progress->tables = TablesBuilding;
                const auto begin = std::chrono::steady_clock::now();
                if (!table || !buildDistanceTable(start, kind, table.get(), control)) {
                    table.reset();
                    break;
                }
                progress->tableBuildMs += millisecondsSince(begin);
                kept.source[kind] = start;
            }
            tables->table[t] = table;
            continue;
        }
        std::shared_ptr<DistanceTable>& table = kept.table[kind];
        if (!table) {
            table.reset(new (std::nothrow) DistanceTable);
            if (!table) break;
            auto begin = std::chrono::steady_clock::now();
            progress->tables = TablesLoading;
            if (!options.tableFolder.empty() &&
                loadTableFile(options.tableFolder, kind, table.get(), control)) {
                progress->tableLoadMs += millisecondsSince(begin);
            } else {
                progress->tables = TablesBuilding;
                begin = std::chrono::steady_clock::now();
                // The assembled cube stands for every source whose pieces all differ.
                if (!buildDistanceTable(SolvedCube, kind, table.get(), control)) {
                    table.reset();
                    break;
                }
                progress->tableBuildMs += millisecondsSince(begin);
                if (options.tableFolder.empty() ||
                    !saveTableFile(options.tableFolder, kind, *table))
                    progress->tablesNotKept = true;
            }
        }
        tables->table[t] = table;
    }
    progress->tables = TablesReady;
    for (uint32_t t = 0; t < tables->count; ++t)
        if (!tables->table[t]) {
            if (st->running.load()) progress->outOfMemory = true;
            return false;
        }
    return true;
}

enum Outcome {
    NotFound,
    Found,
    GaveUp
};

// A position of the walk: the corners as two coordinates, each edge's slot and flip.
struct Node {
    uint16_t cornerPerm;
    uint16_t twist;
    uint8_t edgeAt[EdgeCount];
};

struct EdgeMoves {
    // Where move m takes an edge at slot * 2 + flip.
    uint8_t next[MoveCodeCount][2 * EdgeCount];
};

EdgeMoves makeEdgeMoves() {
    const CubieModel& model = cubieModel();
    EdgeMoves e;
    for (MoveCode m = 0; m < MoveCodeCount; ++m)
        for (uint32_t at = 0; at < 2 * EdgeCount; ++at)
            e.next[m][at] =
                uint8_t(model.edgeTo[m][at >> 1] * 2 + ((at & 1) ^ model.edgeFlip[m][at >> 1]));
    return e;
}

Node nodeOf(const CubieState& pieces) {
    Node n;
    n.cornerPerm = uint16_t(cornerPermIndex(pieces));
    n.twist = uint16_t(twistIndex(pieces));
    for (uint32_t s = 0; s < EdgeCount; ++s)
        n.edgeAt[pieces.edge[s]] = uint8_t(2 * s + pieces.flip[s]);
    return n;
}

struct Walk {
    SearchState* st;
    const FastSearchOptions* options;
    FastSearchProgress* progress;
    const CornerMoves* mv;
    EdgeMoves edgeMoves;
    const DistanceTable* corners;
    uint32_t edgeTables = 0;
    const DistanceTable* edges[TableKinds];
    EdgeGroup groups[TableKinds];
    bool useSse2 = true;
    uint32_t length = 0;
    Node root;
    std::vector<MoveCode> parts;
    uint32_t partDigits = 0;
    std::atomic<uint32_t> nextPart{0};
    // The first part (in the brute force's order) that found a match, and its candidate.
    std::atomic<uint32_t> firstHit{UINT32_MAX};
    std::mutex hitLock;
    MoveCode hit[MaxExecuteMoves];
    std::atomic<bool> stopped{false};
    uint32_t threads = 1;

    bool within(const Node& n, uint32_t left) const {
        if (corners->at(uint64_t(n.cornerPerm) * TwistCount + n.twist) > left) return false;
        for (uint32_t g = 0; g < edgeTables; ++g)
            if (edges[g]->at(edgeGroupIndex(n.edgeAt, groups[g])) > left) return false;
        return true;
    }
};

Node moved(const Walk& w, const Node& from, MoveCode move) {
    Node to;
    to.cornerPerm = w.mv->perm[from.cornerPerm][move];
    to.twist = w.mv->twist[from.twist][move];
    for (uint32_t p = 0; p < EdgeCount; ++p)
        to.edgeAt[p] = w.edgeMoves.next[move][from.edgeAt[p]];
    return to;
}

bool keepGoing(Walk& w) {
    while (w.progress->paused.load(std::memory_order_relaxed) &&
           w.st->running.load(std::memory_order_relaxed))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (w.st->running.load(std::memory_order_relaxed)) return true;
    w.stopped = true;
    return false;
}

bool matches(const Walk& w, const MoveCode* moves) {
    PackedCube cube = w.st->start;
    if (w.useSse2)
        applyMovesSse2(&cube, w.length, moves);
    else
        applyMoves(&cube, moves, w.length);
    return std::memcmp(&cube, &w.st->target, sizeof cube) == 0;
}

// Positions at and below pos are open; c is the target with every move above pos undone.
// The children's table entries are fetched all at once before any is read: a look into tables
// this size misses the cache nearly every time, and the misses then overlap.
Outcome walkFrom(Walk& w, uint32_t part, MoveCode* moves, int pos, const Node& c, uint64_t& nodes) {
    if ((++nodes & PollMask) == 0 && (!keepGoing(w) || w.firstHit.load() < part)) return GaveUp;
    if (pos < 0) return matches(w, moves) ? Found : NotFound;
    const uint32_t left = uint32_t(pos);
    const MoveCode next = moves[pos + 1], far = moves[pos + 2];
    Node child[MoveCodeCount];
    MoveCode move[MoveCodeCount];
    uint64_t entry[MoveCodeCount][TableKinds];
    uint32_t count = 0;
    for (MoveCode m = 0; m < MoveCodeCount; ++m) {
        if (!mayPrecede(m, next, far)) continue;
        Node& n = child[count];
        n.cornerPerm = w.mv->perm[c.cornerPerm][m ^ 1];
        n.twist = w.mv->twist[c.twist][m ^ 1];
        entry[count][0] = uint64_t(n.cornerPerm) * TwistCount + n.twist;
        w.corners->prefetch(entry[count][0]);
        move[count++] = m;
    }
    uint32_t alive = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (w.corners->at(entry[i][0]) > left) continue;
        Node& n = child[i];
        for (uint32_t p = 0; p < EdgeCount; ++p)
            n.edgeAt[p] = w.edgeMoves.next[move[i] ^ 1][c.edgeAt[p]];
        for (uint32_t g = 0; g < w.edgeTables; ++g) {
            entry[i][1 + g] = edgeGroupIndex(n.edgeAt, w.groups[g]);
            w.edges[g]->prefetch(entry[i][1 + g]);
        }
        child[alive] = n;
        move[alive] = move[i];
        std::memcpy(entry[alive], entry[i], sizeof entry[i]);
        ++alive;
    }
    for (uint32_t i = 0; i < alive; ++i) {
        bool possible = true;
        for (uint32_t g = 0; g < w.edgeTables && possible; ++g)
            possible = w.edges[g]->at(entry[i][1 + g]) <= left;
        if (!possible) continue;
        moves[pos] = move[i];
        const Outcome outcome = walkFrom(w, part, moves, pos - 1, child[i], nodes);
        if (outcome != NotFound) return outcome;
    }
    return NotFound;
}

void walkPart(Walk& w, uint32_t part, uint64_t& nodes) {
    MoveCode moves[MaxExecuteMoves + 2];
    const uint32_t L = w.length;
    moves[L] = moves[L + 1] = EndOfMoves;
    Node c = w.root;
    int pos = int(L);
    for (uint32_t i = 0; i < w.partDigits; ++i) {
        --pos;
        moves[pos] = w.parts[part * w.partDigits + i];
        c = moved(w, c, moves[pos] ^ 1);
        if (!w.within(c, uint32_t(pos))) return;
    }
    if (walkFrom(w, part, moves, pos - 1, c, nodes) != Found) return;
    std::lock_guard<std::mutex> lock(w.hitLock);
    if (part < w.firstHit.load()) {
        std::memcpy(w.hit, moves, L);
        w.firstHit = part;
    }
}

void makeParts(Walk& w) {
    w.partDigits = w.length < PartDigits ? w.length : PartDigits;
    w.parts = leadingMoves(w.partDigits, mayPrecede);
}

bool walkLength(Walk& w, MoveCode* result) {
    makeParts(w);
    const uint32_t parts = uint32_t(w.parts.size() / w.partDigits);
    w.nextPart = 0;
    w.firstHit = UINT32_MAX;
    w.progress->done = 0;
    w.progress->total = parts;
    auto work = [&w, parts] {
        uint64_t nodes = 0;
        for (uint32_t p; !w.stopped && (p = w.nextPart.fetch_add(1)) < parts;) {
            // Many parts end before their first look at the flags: each looks once at its start.
            if (p > w.firstHit.load() || !keepGoing(w)) break;
            if (w.options->onPart)
                w.options->onPart(w.options->context, &w.parts[p * w.partDigits], w.partDigits);
            walkPart(w, p, nodes);
            w.progress->done.fetch_add(1, std::memory_order_relaxed);
        }
        w.progress->nodes += nodes;
    };
    runOnWorkers(w.threads, w.options->onWorkerStart, w.options->context, work);
    if (w.stopped || w.firstHit.load() == UINT32_MAX) return false;
    std::memcpy(result, w.hit, w.length);
    result[w.length] = EndOfMoves;
    return true;
}

// The deep search for the lengths first to maxMoves, the shorter ones known to have no answer.
uint32_t deepFrom(SearchState* st, const PackedCube& target, const PackedCube& start,
                  MoveCode* result, uint32_t first, uint32_t maxMoves,
                  const FastSearchOptions& options, FastSearchProgress* progress) {
    progress->method = DeepSearch;
    const CubieMatch match = matchCubies(start, target);
    const uint8_t parities = reachableParities(match);
    if (!parities) return 0;
    const CornerMoves* mv = cornerMoves();
    Tables tables;
    if (!mv) {
        progress->outOfMemory = true;
        return 0;
    }
    if (!getTables(st, start, options, progress, &tables)) return 0;
    Walk w;
    w.st = st;
    w.options = &options;
    w.progress = progress;
    w.mv = mv;
    w.edgeMoves = makeEdgeMoves();
    w.corners = tables.table[0].get();
    w.edgeTables = tables.count - 1;
    for (uint32_t g = 0; g < w.edgeTables; ++g) {
        w.edges[g] = tables.table[1 + g].get();
        w.groups[g] = TableEdges[tables.kind[1 + g]];
    }
    w.useSse2 = options.useSse2;
    w.threads = workerCount(options.threads);
    st->start = start;
    st->target = target;
    for (uint32_t L = first; L <= maxMoves; ++L) {
        if (!(parities >> (L & 1) & 1)) continue;
        st->currentLength = L;
        const auto begin = std::chrono::steady_clock::now();
        w.length = L;
        w.root = nodeOf(match.witness[L & 1]);
        const bool found = w.within(w.root, L) && walkLength(w, result);
        progress->lengthMs[L] = millisecondsSince(begin);
        if (found) return L;
        if (w.stopped || !st->running.load()) return 0;
    }
    return 0;
}

// Lengths 1 and 2 have an order of their own, and a source equal to its target an answer of
// four moves: the brute force settles both.
uint32_t shortLengths(SearchState* st, const PackedCube* target, const PackedCube* start,
                      MoveCode* result, uint32_t maxMoves, bool useSse2,
                      FastSearchProgress* progress, uint32_t* shortest) {
    const bool same = std::memcmp(start, target, sizeof(PackedCube)) == 0;
    *shortest = same || maxMoves < 2 ? maxMoves : 2;
    const uint32_t found = findSequence(st, target, start, result, *shortest, useSse2);
    progress->tested = candidatesTested(result, found, *shortest);
    return found;
}

uint32_t deepSearch(SearchState* st, const PackedCube* target, const PackedCube* start,
                    MoveCode* result, uint32_t maxMoves, const FastSearchOptions& options,
                    FastSearchProgress* progress) {
    if (maxMoves > MaxExecuteMoves) maxMoves = MaxExecuteMoves;
    progress->outOfMemory = false;
    const PackedCube from = *start, to = *target;
    uint32_t shortest;
    const uint32_t found =
        shortLengths(st, &to, &from, result, maxMoves, options.useSse2, progress, &shortest);
    if (found || maxMoves == shortest || !st->running.load()) return found;
    return deepFrom(st, to, from, result, shortest + 1, maxMoves, options, progress);
}

uint32_t exactSearch(SearchState* st, const PackedCube* target, const PackedCube* start,
                     MoveCode* result, uint32_t maxMoves, const FastSearchOptions& options,
                     FastSearchProgress* progress) {
    if (maxMoves > MaxExecuteMoves) maxMoves = MaxExecuteMoves;
    const PackedCube from = *start, to = *target;
    progress->outOfMemory = false;
    progress->method = MeetInTheMiddle;
    if (std::memcmp(&from, &to, sizeof from) != 0 && !reachableParities(matchCubies(from, to)))
        return 0;
    const uint32_t reach = maxMoves < MeetInTheMiddleReach ? maxMoves : MeetInTheMiddleReach;
    const uint32_t found = findSequenceFast(st, &to, &from, result, reach, options, progress);
    if (found || maxMoves == reach || !st->running.load() || progress->outOfMemory) return found;
    const uint32_t deep = deepFrom(st, to, from, result, reach + 1, maxMoves, options, progress);
    if (deep || !progress->outOfMemory || !st->running.load()) return deep;
    // The deep search's tables could not be had: the meet in the middle goes on alone, as far
    // as its own table allows.
    progress->method = MeetInTheMiddle;
    progress->deepFellBack = true;
    return findSequenceFast(st, &to, &from, result, maxMoves, options, progress);
}

// The search's few allocations (its parts, its threads) throw when memory runs out; nothing
// may leave the engine, so that is reported as a lack of memory.
template <class Search> uint32_t withoutThrowing(FastSearchProgress* progress, Search search) {
    try {
        return search();
    } catch (const std::exception&) {
        progress->outOfMemory = true;
        return 0;
    }
}

} // namespace

void forgetDeepTables() {
    KeptTables& kept = keptTables();
    std::lock_guard<std::mutex> hold(kept.lock);
    for (TableKind kind = 0; kind < TableKinds; ++kind)
        kept.table[kind].reset();
}

uint32_t findSequenceDeep(SearchState* st, const PackedCube* target, const PackedCube* start,
                          MoveCode* result, uint32_t maxMoves, const FastSearchOptions& options,
                          FastSearchProgress* progress) {
    return withoutThrowing(progress, [&] {
        return deepSearch(st, target, start, result, maxMoves, options, progress);
    });
}

uint32_t findSequenceExact(SearchState* st, const PackedCube* target, const PackedCube* start,
                           MoveCode* result, uint32_t maxMoves, const FastSearchOptions& options,
                           FastSearchProgress* progress) {
    return withoutThrowing(progress, [&] {
        return exactSearch(st, target, start, result, maxMoves, options, progress);
    });
}
