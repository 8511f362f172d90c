// cubesearch: Find Sequence from the command line, for scripts and machines without a desktop.
// The same engine as the emulator, so the same cubes and limit give the same sequence.
#include "../engine/cpuFeatures.h"
#include "../engine/fastSearch.h"
#include "../engine/notation.h"
#include "../files/sequenceFormat.h"
#include "../files/stateFormat.h"
#include "peakMemory.h"

#include <atomic>
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
    "moves TEXT, e.g. seq:R,T',F\"), or assembled.\n"
    "  --max-moves N    the move limit, 0 to 876 (default 876)\n"
    "  --method M       brute (every candidate in order) or fast (meet in the middle, the\n"
    "                   same result; the default)\n"
    "  --generic        the generic kernel instead of SSE2\n"
    "  --threads N      worker threads of the fast search (default: every core)\n"
    "  --memory MIB     the fast search's table cap (default 512)\n"
    "  --stats          method, kernel, length, candidates, time and memory on stderr\n"
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

struct Options {
    uint32_t maxMoves = MaxExecuteMoves;
    bool fast = true;
    bool sse2 = true;
    bool stats = false;
    bool batch = false;
    FastSearchOptions search;
};

// The search under way, told to stop through its running flag, which it looks at between
// candidates; and whether Ctrl+C came at all.
std::atomic<SearchState*> Running{nullptr};
std::atomic<bool> Interrupted{false};

int stopped() {
    std::fputs("cubesearch: stopped\n", stderr);
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
    [[maybe_unused]] const auto written = write(2, text, sizeof text - 1);
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
    return cubeFromFile(name.c_str(), cube, error);
}

// Shows length, share done and time while a search runs, when someone watches stderr.
void showProgress(const SearchState* st, const FastSearchProgress* progress,
                  const std::atomic<bool>* done) {
    const auto begin = std::chrono::steady_clock::now();
    bool shown = false;
    while (!done->load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - begin;
        if (elapsed.count() < 1 || done->load()) continue;
        const uint32_t total = progress->total.load();
        std::fprintf(stderr, "\rlength %u, %u%% done, %.0f s   ", st->currentLength.load(),
                     total ? uint32_t(uint64_t(progress->done.load()) * 100 / total) : 0,
                     elapsed.count());
        shown = true;
    }
    if (shown) std::fprintf(stderr, "\r%40s\r", "");
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
    if (isatty(2)) watcher = std::thread(showProgress, st.get(), &progress, &done);
    MoveCode result[MaxExecuteMoves + 1];
    const auto begin = std::chrono::steady_clock::now();
    const uint32_t length =
        options.fast ? findSequenceFast(st.get(), &to, &from, result, options.maxMoves,
                                        searchOptions, &progress)
                     : findSequence(st.get(), &to, &from, result, options.maxMoves, options.sse2);
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
    if (progress.outOfMemory) {
        std::fprintf(stderr, "cubesearch: no table could be had within %llu MiB\n",
                     static_cast<unsigned long long>(options.search.tableBytesCap >> 20));
        return OutOfMemory;
    }
    if (!length && !st->running.load()) return stopped();
    if (length) {
        std::vector<char> text(3 * length + 1);
        formatMoveText(result, text.data(), length);
        std::printf("%s\n", text.data());
    } else {
        std::printf("not found\n");
    }
    std::fflush(stdout);
    if (options.stats)
        std::fprintf(stderr,
                     "method: %s\nkernel: %s\nlength: %u\ncandidates tested: %llu\n"
                     "elapsed: %.3f s\npeak memory: %.1f MiB\n",
                     options.fast ? "fast" : "brute", options.sse2 ? "sse2" : "generic", length,
                     static_cast<unsigned long long>(
                         options.fast ? progress.tested.load()
                                      : candidatesTested(result, length, options.maxMoves)),
                     elapsed.count(), peakMemoryMiB());
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
        } else if (arg == "--max-moves" || arg == "--threads" || arg == "--memory" ||
                   arg == "--method") {
            ++i;
            if (!value) return badInput(arg + ": a value is missing");
            if (arg == "--method" &&
                (std::strcmp(value, "brute") == 0 || std::strcmp(value, "fast") == 0)) {
                options.fast = std::strcmp(value, "fast") == 0;
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
