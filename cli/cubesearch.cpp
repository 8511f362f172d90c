// cubesearch: Find Sequence from the command line, for scripts and machines without a desktop.
// The same engine as the emulator, so the same cubes and limit give the same sequence.
#include "../engine/cpuFeatures.h"
#include "../engine/deepSearch.h"
#include "../engine/fastSearch.h"
#include "../engine/tableFile.h"
#include "../engine/notation.h"
#include "../engine/randomState.h"
#include "../engine/standardNotation.h"
#include "../files/sequenceFormat.h"
#include "../files/stateFormat.h"
#include "../engine/peakMemory.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <io.h>
#define isatty _isatty
#define write  _write
#else
#include <unistd.h>
#endif

namespace {

const char Usage[] =
    "usage: cubesearch [options] FROM TO\n"
    "Finds the shortest move sequence that turns cube FROM into cube TO, as Find Sequence does.\n"
    "A cube is the path of a cube state file (.csf), seq:TEXT (the assembled cube after the\n"
    "moves TEXT, e.g. seq:R,T',F\"), std:TEXT (the same in standard notation, where U is the\n"
    "top and D the underside, e.g. std:R U' F2), facelets:STRING (54 letters, faces U R F D L B),\n"
    "random or random:SEED (a state drawn uniformly from all reachable ones), or assembled.\n"
    "  --max-moves N    the move limit, 0 to 876 (default 876)\n"
    "  --method M       fast (the default): the fastest exact method for the query, the\n"
    "                   meet in the middle up to 12 moves and the deep search beyond;\n"
    "                   brute: every candidate in order, as Find Sequence without Fast\n"
    "                   search; meet or deep: one exact method alone. All give the same.\n"
    "  --notation N     program (the default: R,T',F\") or std (standard: R U' F2) answers\n"
    "  --generic        the generic kernel instead of SSE2\n"
    "  --threads N      worker threads of the exact methods (default: every core)\n"
    "  --memory MIB     the meet in the middle's table cap (default 512)\n"
    "  --tables DIR     where the deep search keeps its shared tables (about 560 MB, built\n"
    "                   on first use; default: the user's cache folder)\n"
    "  --stats          method, kernel, length, candidates, positions, table times, time per\n"
    "                   length, time and memory on stderr\n"
    "  --batch          read FROM TO pairs, one a line, from standard input\n"
    "  --help, --version\n"
    "Prints the sequence found, or \"not found\"; exits 0 when every search found one, 1 when\n"
    "any found none within the limit, 2 on bad input, 4 when memory ran out, 130 when stopped\n"
    "with Ctrl+C.\n";

enum ExitStatus {
    Found = 0,
    NotFound = 1,
    BadInput = 2,
    OutOfMemory = 4,
    Stopped = 130,
};

enum Method {
    Brute,
    Fast,
    Meet,
    Deep,
};

const char* const MethodNames[] = {"brute", "fast", "meet", "deep"};

struct Options {
    uint32_t maxMoves = MaxExecuteMoves;
    Method method = Fast;
    bool sse2 = true;
    bool stats = false;
    bool batch = false;
    bool standard = false;
    FastSearchOptions search;
};

// The search under way, told to stop through its running flag, which it looks at between
// candidates; and whether Ctrl+C came at all.
std::atomic<SearchState*> Running{nullptr};
std::atomic<bool> Interrupted{false};
// A second Ctrl+C can come while the first one's search is winding down: "stopped" is said
// once, by whichever comes first.
std::atomic<bool> StopSaid{false};

int stopped() {
    if (!StopSaid.exchange(true)) std::fputs("cubesearch: stopped\n", stderr);
    return Stopped;
}

// Between searches (waiting for the next line, opening a file) there is nothing to wind down,
// so the tool ends at once; only what is safe in a signal handler is used. A search that just
// ended is caught by the look at Interrupted that follows it.
void interrupt() {
    Interrupted = true;
    if (SearchState* st = Running.load()) {
        st->running = false;
        return;
    }
    static const char text[] = "cubesearch: stopped\n";
    if (!StopSaid.exchange(true)) {
        [[maybe_unused]] const auto written = write(2, text, sizeof text - 1);
    }
    std::_Exit(Stopped);
}

#ifdef _WIN32
// Not signal(): the runtime puts back the default handler before calling it, and a second
// Ctrl+C would then end the process with STATUS_CONTROL_C_EXIT instead of 130.
BOOL WINAPI onConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    interrupt();
    return TRUE;
}

void catchInterrupts() {
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}
#else
void onInterrupt(int) {
    interrupt();
}

void catchInterrupts() {
    std::signal(SIGINT, onInterrupt);
}
#endif

// Digits only: no sign, no spaces, nothing after, so nothing can wrap into range.
bool readNumber(const char* text, uint32_t low, uint32_t high, uint32_t* value) {
    uint64_t n = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        n = n * 10 + uint64_t(*c - '0');
        if (n > high) return false;
    }
    if (!*text || n < low) return false;
    *value = uint32_t(n);
    return true;
}

// Stricter than the program's field, which ends the text silently at the first stray
// character: here that is an error with its position.
bool cubeAfterMoves(const char* text, PackedCube* cube, std::string* error) {
    for (const char* c = text; *c; ++c) {
        const bool letter = std::strchr("LRTUFB", *c) != nullptr;
        const bool mark = (*c == '\'' || *c == '"') && c > text && std::strchr("LRTUFB", c[-1]);
        if (!letter && !mark && *c != ',' && *c != ' ') {
            *error = "notation error at position " + std::to_string(c - text + 1) + " ('" +
                     std::string(1, *c) + "')";
            return false;
        }
    }
    // Room for one move too many, a half turn included: a half turn that does not fit the
    // allowance is dropped whole, which would cut the text short without a word.
    static MoveCode codes[MaxExecuteMoves + 3];
    const uint32_t count = parseMoveText(codes, text, MaxExecuteMoves + 2);
    if (count > MaxExecuteMoves) {
        *error = "more than " + std::to_string(MaxExecuteMoves) + " moves";
        return false;
    }
    *cube = SolvedCube;
    if (count) applyMoves(cube, codes, count);
    return true;
}

bool cubeAfterStandard(const char* text, PackedCube* cube, std::string* error) {
    const StandardMoves moves = parseStandardMoves(text);
    if (!moves.refused.empty()) {
        *error = "standard notation: '" + moves.refused + "' is no turn of one outer side";
        return false;
    }
    if (moves.codes.size() > MaxExecuteMoves) {
        *error = "more than " + std::to_string(MaxExecuteMoves) + " moves";
        return false;
    }
    *cube = SolvedCube;
    if (!moves.codes.empty()) applyMoves(cube, moves.codes.data(), uint32_t(moves.codes.size()));
    return true;
}

bool cubeFromFaceletText(const std::string& text, PackedCube* cube, std::string* error) {
    switch (cubeFromFacelets(text, cube)) {
        case FaceletFault::None:
            return true;
        case FaceletFault::Length:
            *error = "facelets: not 54 letters";
            break;
        case FaceletFault::Letter:
            *error = "facelets: a letter other than U R F D L B";
            break;
        case FaceletFault::Centres:
            *error = "facelets: the centres are not U R F D L B in that order";
            break;
    }
    return false;
}

// Without a seed, a fresh one each time; with one, the same state on every run and build.
bool randomCube(const char* seedText, PackedCube* cube, std::string* error) {
    uint64_t seed = 0;
    if (!*seedText) {
        seed = freshSeed();
    } else {
        for (const char* c = seedText; *c; ++c) {
            const uint64_t digit = uint64_t(*c - '0');
            if (*c < '0' || *c > '9' || seed > (UINT64_MAX - digit) / 10) {
                *error = std::string("random: '") + seedText + "' is no seed (0 to " +
                         std::to_string(UINT64_MAX) + ")";
                return false;
            }
            seed = seed * 10 + digit;
        }
    }
    *cube = randomState(seed);
    return true;
}

bool cubeFromFile(const char* path, PackedCube* cube, std::string* error) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        *error = std::string("cannot open ") + path;
        return false;
    }
    // The program's own limit, so that the two read the same files.
    std::vector<uint8_t> bytes;
    bool fits = true;
    try {
        uint8_t chunk[1 << 16];
        for (size_t got; fits && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
            fits = bytes.size() + got <= MaxFileBytes;
            if (fits) bytes.insert(bytes.end(), chunk, chunk + got);
        }
    } catch (const std::bad_alloc&) {
        fits = false;
    }
    std::fclose(file);
    StateFileParts parts;
    if (!fits || !parseStateFile(bytes.data(), bytes.size(), &parts)) {
        *error = std::string(path) + " is not a cube state file";
        return false;
    }
    std::memcpy(cube->bytes, parts.state, sizeof cube->bytes);
    return true;
}

bool readCube(const std::string& name, PackedCube* cube, std::string* error) {
    if (name == "assembled") {
        *cube = SolvedCube;
        return true;
    }
    if (name.compare(0, 4, "seq:") == 0) return cubeAfterMoves(name.c_str() + 4, cube, error);
    if (name.compare(0, 4, "std:") == 0) return cubeAfterStandard(name.c_str() + 4, cube, error);
    if (name.compare(0, 9, "facelets:") == 0)
        return cubeFromFaceletText(name.substr(9), cube, error);
    if (name == "random" || name.compare(0, 7, "random:") == 0)
        return randomCube(name.c_str() + std::min<size_t>(name.size(), 7), cube, error);
    return cubeFromFile(name.c_str(), cube, error);
}

// How far the brute force has got through the current length.
uint32_t bruteShare(const SearchState* st, uint32_t length) {
    MoveCode candidate[MaxExecuteMoves + 1];
    if (length < 3 || readCandidate(st, candidate, MaxExecuteMoves) != length) return 0;
    uint64_t before = 0;
    for (uint32_t l = 1; l < length; ++l)
        before += validSequenceCount(l);
    const uint64_t here = candidatesTested(candidate, length, length) - before;
    return uint32_t(here * 100 / validSequenceCount(length));
}

// Shows length, share done and time while a search runs, when someone watches stderr.
void showProgress(const SearchState* st, const FastSearchProgress* progress, Method method,
                  const std::atomic<bool>* done) {
    const auto begin = std::chrono::steady_clock::now();
    bool shown = false;
    while (!done->load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - begin;
        if (elapsed.count() < 1 || done->load()) continue;
        const uint32_t length = st->currentLength.load(), total = progress->total.load();
        const uint32_t share = method == Brute ? bruteShare(st, length)
                               : total ? uint32_t(uint64_t(progress->done.load()) * 100 / total)
                                       : 0;
        const uint32_t tables = progress->tables.load();
        const char* doing = tables == TablesBuilding  ? "building the tables, "
                            : tables == TablesLoading ? "loading the tables, "
                                                      : "";
        std::fprintf(stderr, "\rlength %u, %s%u%% done, %.0f s   ", length, doing, share,
                     elapsed.count());
        shown = true;
    }
    if (shown) std::fprintf(stderr, "\r%60s\r", "");
}

uint32_t runMethod(SearchState* st, const PackedCube& from, const PackedCube& to, MoveCode* result,
                   const Options& options, const FastSearchOptions& search,
                   FastSearchProgress* progress) {
    switch (options.method) {
        case Brute:
            return findSequence(st, &to, &from, result, options.maxMoves, options.sse2);
        case Meet:
            return findSequenceFast(st, &to, &from, result, options.maxMoves, search, progress);
        case Deep:
            return findSequenceDeep(st, &to, &from, result, options.maxMoves, search, progress);
        default:
            return findSequenceExact(st, &to, &from, result, options.maxMoves, search, progress);
    }
}

void printStats(const Options& options, const FastSearchProgress& progress, const MoveCode* result,
                uint32_t length, double seconds) {
    const bool deep = progress.method.load() == DeepSearch;
    std::fprintf(stderr, "method: %s%s\nkernel: %s\nlength: %u\ncandidates tested: %llu\n",
                 MethodNames[options.method],
                 options.method == Fast ? (deep ? " (deep search)" : " (meet in the middle)") : "",
                 options.sse2 ? "sse2" : "generic", length,
                 static_cast<unsigned long long>(
                     options.method == Brute ? candidatesTested(result, length, options.maxMoves)
                                             : progress.tested.load()));
    if (deep)
        std::fprintf(stderr,
                     "positions visited: %llu\ntables built in: %.3f s\n"
                     "tables loaded in: %.3f s\n",
                     static_cast<unsigned long long>(progress.nodes.load()),
                     progress.tableBuildMs.load() / 1000.0, progress.tableLoadMs.load() / 1000.0);
    for (uint32_t l = 0; l <= MaxExecuteMoves; ++l)
        if (progress.lengthMs[l].load())
            std::fprintf(stderr, "length %u took: %.3f s\n", l,
                         progress.lengthMs[l].load() / 1000.0);
    std::fprintf(stderr, "elapsed: %.3f s\npeak memory: %.1f MiB\n", seconds, peakMemoryMiB());
}

// Returns 0 found, 1 not found, 130 stopped.
int search(const PackedCube& from, const PackedCube& to, const Options& options) {
    auto st = std::make_unique<SearchState>();
    st->running = true;
    Running = st.get();
    FastSearchProgress progress;
    FastSearchOptions searchOptions = options.search;
    searchOptions.useSse2 = options.sse2;
    std::atomic<bool> done{false};
    std::thread watcher;
    if (isatty(2)) watcher = std::thread(showProgress, st.get(), &progress, options.method, &done);
    MoveCode result[MaxExecuteMoves + 1];
    const auto begin = std::chrono::steady_clock::now();
    const uint32_t length =
        runMethod(st.get(), from, to, result, options, searchOptions, &progress);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - begin;
    done = true;
    if (watcher.joinable()) watcher.join();
    Running = nullptr;
    if (progress.refusedDepth)
        std::fprintf(stderr,
                     "cubesearch: the table of %u moves (%llu MiB) could not be had; the search "
                     "went on with the one of %u moves\n",
                     progress.refusedDepth.load(),
                     static_cast<unsigned long long>(tableBytesFor(progress.refusedDepth) >> 20),
                     progress.tableDepth.load());
    static bool toldNotKept = false;
    if (progress.tablesNotKept && !toldNotKept) {
        toldNotKept = true;
        std::fprintf(stderr,
                     "cubesearch: the deep search's tables could not be kept in %s; they were "
                     "built in memory for this run\n",
                     searchOptions.tableFolder.empty() ? "(no folder)"
                                                       : searchOptions.tableFolder.c_str());
    }
    if (progress.deepFellBack)
        std::fprintf(stderr, "cubesearch: the deep search's tables could not be had; the meet in "
                             "the middle went on alone\n");
    if (progress.outOfMemory) {
        std::fprintf(stderr, "cubesearch: no table could be had within %llu MiB\n",
                     static_cast<unsigned long long>(options.search.tableBytesCap >> 20));
        return OutOfMemory;
    }
    if (!length && !st->running.load()) return stopped();
    if (length && options.standard) {
        std::printf("%s\n", formatStandardMoves(result, length).c_str());
    } else if (length) {
        std::vector<char> text(3 * length + 1);
        formatMoveText(result, text.data(), length);
        std::printf("%s\n", text.data());
    } else {
        std::printf("not found\n");
    }
    std::fflush(stdout);
    if (options.stats) printStats(options, progress, result, length, elapsed.count());
    return length ? Found : NotFound;
}

int badInput(const std::string& what) {
    std::fprintf(stderr, "cubesearch: %s\n", what.c_str());
    return BadInput;
}

int searchPair(const std::string& from, const std::string& to, const Options& options,
               const std::string& where) {
    PackedCube cubes[2];
    std::string error;
    if (!readCube(from, &cubes[0], &error)) return badInput(where + "FROM: " + error);
    if (!readCube(to, &cubes[1], &error)) return badInput(where + "TO: " + error);
    return search(cubes[0], cubes[1], options);
}

int runBatch(const Options& options) {
    char line[8192];
    int status = 0;
    for (uint32_t number = 1; std::fgets(line, sizeof line, stdin); ++number) {
        const std::string where = "line " + std::to_string(number) + ": ";
        if (!std::strchr(line, '\n') && !std::feof(stdin)) return badInput(where + "too long");
        char from[8192], to[8192], extra[2];
        const int fields = std::sscanf(line, "%8191s %8191s %1s", from, to, extra);
        if (fields <= 0) continue;
        if (fields != 2) return badInput(where + "expected FROM TO");
        const int result = searchPair(from, to, options, where);
        if (result > NotFound) return result;
        if (Interrupted) return stopped();
        status |= result;
    }
    return status;
}

int run(int argc, char** argv) {
    Options options;
    options.search.tableFolder = defaultTableFolder();
    std::vector<std::string> cubes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        uint32_t n = 0;
        if (arg == "--help") {
            std::fputs(Usage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("cubesearch %s\n", CUBE_VERSION);
            return 0;
        } else if (arg == "--generic") {
            options.sse2 = false;
        } else if (arg == "--stats") {
            options.stats = true;
        } else if (arg == "--batch") {
            options.batch = true;
        } else if (arg == "--tables") {
            ++i;
            if (!value || !*value) return badInput(arg + ": a folder is missing");
            options.search.tableFolder = value;
        } else if (arg == "--notation") {
            ++i;
            if (!value || (std::strcmp(value, "std") != 0 && std::strcmp(value, "program") != 0))
                return badInput(arg + ": std or program");
            options.standard = std::strcmp(value, "std") == 0;
        } else if (arg == "--max-moves" || arg == "--threads" || arg == "--memory" ||
                   arg == "--method") {
            ++i;
            if (!value) return badInput(arg + ": a value is missing");
            const char* const* name =
                std::find_if(std::begin(MethodNames), std::end(MethodNames),
                             [value](const char* known) { return std::strcmp(known, value) == 0; });
            if (arg == "--method" && name != std::end(MethodNames)) {
                options.method = Method(name - MethodNames);
            } else if (arg == "--max-moves" && readNumber(value, 0, MaxExecuteMoves, &n)) {
                options.maxMoves = n;
            } else if (arg == "--threads" && readNumber(value, 1, 256, &n)) {
                options.search.threads = n;
            } else if (arg == "--memory" && readNumber(value, 1, 1 << 20, &n)) {
                options.search.tableBytesCap = uint64_t(n) << 20;
            } else {
                return badInput(arg + ": '" + value + "' is out of range or not allowed");
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return badInput(arg + ": unknown option (see --help)");
        } else {
            cubes.push_back(arg);
        }
    }
    if (!(cpuidInstructionPresent() && sse2FeatureBitsPresent(cpuidStandardFeatures())))
        options.sse2 = false;
    catchInterrupts();
    if (options.batch) {
        if (!cubes.empty()) return badInput("--batch takes its cubes from standard input");
        return runBatch(options);
    }
    if (cubes.size() != 2) return badInput("expected FROM TO (see --help)");
    return searchPair(cubes[0], cubes[1], options, "");
}

} // namespace

// Whatever else runs short of memory ends the tool with its own status, never an exception.
int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("cubesearch: out of memory\n", stderr);
        return OutOfMemory;
    }
}
