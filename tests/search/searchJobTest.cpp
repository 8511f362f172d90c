#include "programWindow.h"
#include "searchJob.h"
#include "testCubes.h"
#include "notation.h"

#include <tlhelp32.h>

#include <array>
#include <cstdio>
#include <memory>
#include <random>

namespace {

const std::string NotFound = "No sequence was found for current limit of moves (";

// A report with its elapsed time, which varies, as *.
std::string withoutTime(const std::string& text) {
    const size_t from = text.find("elapsed: ") + 9;
    return text.substr(0, from) + "*" + text.substr(text.find('\r', from));
}

// A cube eighteen moves from the assembled one.
PackedCube farCube() {
    return afterMoves(SolvedCube, {10, 8, 3, 1, 4, 0, 0, 5, 1, 7, 10, 3, 6, 4, 4, 3, 1, 6});
}

// The report comes from the search thread, and the job is released on the window's thread
// after it: once the job is gone, the report may be read.
struct FindSequence : ProgramWindow {
    bool ended() {
        return waitFor([] { return ActiveJob == nullptr; });
    }
    // A search that cannot succeed, well under way, and its dialog.
    HWND findInVain(uint32_t maxMoves = 9) {
        Settings.maxMoves = maxMoves;
        setViewState(App.destinationView, twistedCorner());
        command(IDM_FIND_SEQUENCE);
        waitFor([] { return ActiveJob->search.currentLength >= 4; });
        return ActiveJob->progressDialog;
    }
};

} // namespace

// A sequence found within the move limit reaches the field when accepted, whether the search
// runs on a thread of its own or on the window's. Reported hours grow; minutes wrap at 60.
TEST_F(FindSequence, WhatIsFoundWithinTheLimitIsOffered) {
    const std::tuple<uint32_t, uint8_t, int, const char*> cases[] = {
        {3, 0, IDOK, "F,R,T"},
        {2, 0, IDOK, "U"},
        {3, 0, IDCANCEL, "U"},
        {3, DisableThreadedSearch, IDOK, "F,R,T"}};
    for (const auto& [maxMoves, flags, answer, shown] : cases) {
        Settings = {maxMoves, 4, 0, flags};
        nextAnswer = answer;
        setField("U");
        setViewState(App.destinationView, afterMoves(SolvedCube, {8, 2, 4}));
        command(IDM_FIND_SEQUENCE);
        ASSERT_TRUE(ended());
        EXPECT_EQ(shown, field());
        EXPECT_TRUE(IsWindowEnabled(window));
        EXPECT_EQ(maxMoves == 2, questions.back().find(NotFound + "2).") == 0);
    }
    char elapsed[ElapsedTextSize];
    formatElapsed(4294967295u, elapsed);
    EXPECT_STREQ("1193 hours; 02 minutes; 47 seconds; 295 milliseconds", elapsed);
    EXPECT_EQ("No sequence was found for current limit of moves (2).\r\nTime elapsed: *\r\nYou "
              "can try to encrease \"Maximum amount of moves\" in Options Dialog.",
              withoutTime(questions[1]));
}

// The found message shows the first 120 moves of a longer result, word for word; OK stores all.
TEST_F(FindSequence, ALongResultShowsItsFirst120Moves) {
    auto job = std::make_unique<SearchJob>();
    std::string moves;
    for (uint32_t i = 0; i < 130; ++i) {
        job->result[i] = i % 2 ? 2 : 8;
        moves += std::string(i ? "," : "") + (i % 2 ? "R" : "F");
        if (i == 119) questions.push_back(moves);
    }
    job->result[130] = EndOfMoves;
    nextAnswer = IDOK;
    reportResult(job.get(), 130, 0);
    EXPECT_EQ("The required sequence was found.\r\nTime elapsed: *\r\nLength of the sequence: "
              "130 moves.\r\nSequence string (max first 120 chars shown):\r\n" +
                  questions[0] +
                  "\r\nPress OK to accept the sequence or Cancel to discard results.",
              withoutTime(questions.back()));
    EXPECT_EQ(moves, field());
}

// The dialog shows the search under way. Pause suspends it, and the paused time does not
// count; the close box, or Abort, take the dialog at once and the report follows.
TEST_F(FindSequence, PauseRestartCloseAndAbort) {
    HWND dialog = findInVain();
    SearchJob* job = ActiveJob;
    command(IDM_FIND_SEQUENCE);
    EXPECT_EQ(job, ActiveJob) << "a second Find is ignored";
    EXPECT_TRUE(waitFor([&] { return windowText(GetDlgItem(dialog, IDC_CANDIDATE)).size() >= 7; }));
    SendDlgItemMessageA(dialog, IDC_PAUSE, BM_CLICK, 0, 0);
    EXPECT_EQ("Restart", windowText(GetDlgItem(dialog, IDC_PAUSE)));
    Sleep(100);
    MoveCode before[12] = {}, after[12] = {};
    readCandidate(&job->search, before, 12);
    Sleep(1000);
    readCandidate(&job->search, after, 12);
    EXPECT_TRUE(std::equal(before, before + 12, after));
    SendDlgItemMessageA(dialog, IDC_PAUSE, BM_CLICK, 0, 0);
    EXPECT_EQ("Pause", windowText(GetDlgItem(dialog, IDC_PAUSE)));
    EXPECT_LT(elapsedSince(job->search.startTick), job->pausedElapsed + 300);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(dialog));
    ASSERT_TRUE(ended());
    EXPECT_EQ(0u, questions.back().find(NotFound + "9)."));
    dialog = findInVain();
    SendDlgItemMessageA(dialog, IDC_PAUSE, BM_CLICK, 0, 0);
    SendDlgItemMessageA(dialog, IDC_ABORT, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(dialog));
    ASSERT_TRUE(ended());
    // A click just as the search finishes, held there: its flag is clear, so Pause does nothing
    // and the search goes on to report.
    dialog = findInVain();
    job = ActiveJob;
    SuspendThread(job->thread);
    job->search.running = false;
    SendDlgItemMessageA(dialog, IDC_PAUSE, BM_CLICK, 0, 0);
    EXPECT_EQ("Pause", windowText(GetDlgItem(dialog, IDC_PAUSE)));
    ResumeThread(job->thread);
    ASSERT_TRUE(ended());
}

// The fast search offers what the brute force finds, shows its own progress, holds every
// worker while paused, and reports a table it cannot have instead of failing.
TEST_F(FindSequence, FastSearchOffersTheSameAndShowsItsProgress) {
    Settings = {6, 4, 0, FastSearch};
    nextAnswer = IDOK;
    setViewState(App.destinationView, afterMoves(SolvedCube, {8, 2, 4, 6, 10, 0}));
    command(IDM_FIND_SEQUENCE);
    ASSERT_TRUE(ended());
    EXPECT_EQ("F,R,U,T,B,L", field()) << "the brute force's answer, the first of its equals";
    failAllocations = true;
    command(IDM_FIND_SEQUENCE);
    ASSERT_TRUE(ended());
    EXPECT_EQ(0u, questions.back().find("The fast search could not get the memory"));

    // Eighteen moves away, so the search runs on past the meet in the middle.
    failAllocations = false;
    Settings = {16, 4, 0, FastSearch};
    setViewState(App.destinationView, farCube());
    command(IDM_FIND_SEQUENCE);
    HWND dialog = ActiveJob->progressDialog;
    SearchJob* job = ActiveJob;
    EXPECT_TRUE(waitFor(
        [&] { return windowText(GetDlgItem(dialog, IDC_CANDIDATE)).find("Fast search: ") == 0; }));
    SendDlgItemMessageA(dialog, IDC_PAUSE, BM_CLICK, 0, 0);
    Sleep(100);
    const uint32_t done = job->fast.done;
    Sleep(500);
    EXPECT_EQ(done, job->fast.done);
    SendDlgItemMessageA(dialog, IDC_PAUSE, BM_CLICK, 0, 0);
    EXPECT_TRUE(waitFor([&] { return job->fast.done != done; }));
    SendDlgItemMessageA(dialog, IDC_ABORT, BM_CLICK, 0, 0);
    ASSERT_TRUE(ended());
    EXPECT_EQ(0u, questions.back().find(NotFound + "16)."));
}

namespace {

// What a process holds, counted so that Wine gives figures too: handles by asking about every
// handle value, windows by enumerating them, private memory by walking the address space. GDI
// and USER objects as the system counts them read 0 under Wine. Each with what may be left:
// Wine frees an ended thread's 1 MiB stack only when another thread ends, so the last worker's
// stack (1,088 KiB with its guard) may still be there when the count is taken.
const std::pair<const char*, size_t> Counts[] = {{"handles", 4},     {"windows", 0},
                                                 {"GDI objects", 4}, {"USER objects", 4},
                                                 {"threads", 0},     {"private KiB", 2048}};
using Usage = std::array<size_t, std::size(Counts)>;

BOOL CALLBACK countWindow(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<size_t*>(count);
    EnumChildWindows(window, countWindow, count);
    return TRUE;
}

Usage measure() {
    Usage u = {};
    for (ULONG_PTR value = 4; value < 0x20000; value += 4) {
        DWORD flags;
        u[0] += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    EnumWindows(countWindow, reinterpret_cast<LPARAM>(&u[1]));
    u[2] = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    u[3] = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 thread = {};
    thread.dwSize = sizeof thread;
    for (BOOL more = Thread32First(snapshot, &thread); more; more = Thread32Next(snapshot, &thread))
        u[4] += thread.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    CloseHandle(snapshot);
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            u[5] += region.RegionSize / 1024;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return u;
}

// What the user does while a search runs, at a moment that varies from run to run.
enum During {
    Waits,
    Aborts,
    ClosesTheDialog,
    PausesAndRestarts, // then aborts
};

// One way a search can go. Each method is one row: a new one is one more.
struct SoakAction {
    const char* name;
    uint8_t flags;
    uint32_t maxMoves;
    // F,R; the twisted corner, which no sequence reaches (the exact methods know at once); or
    // a cube eighteen moves away.
    PackedCube (*target)();
    int answer;
    During during;
};

PackedCube nearCube() {
    return afterMoves(SolvedCube, {8, 2});
}

const SoakAction SoakActions[] = {
    {"accept", 0, 3, nearCube, IDOK, Waits},
    {"cancel", 0, 3, nearCube, IDCANCEL, Waits},
    {"not found", 0, 2, twistedCorner, IDOK, Waits},
    {"pause and restart", 0, 9, twistedCorner, IDOK, PausesAndRestarts},
    {"abort", 0, 9, twistedCorner, IDOK, Aborts},
    {"close the dialog", 0, 9, twistedCorner, IDOK, ClosesTheDialog},
    {"in the main thread", DisableThreadedSearch, 3, nearCube, IDOK, Waits},
    {"fast", FastSearch, 16, farCube, IDOK, PausesAndRestarts},
    {"fast, unreachable", FastSearch, 16, twistedCorner, IDOK, Waits},
};

} // namespace

// Hundreds of searches, ended every way a user can end them, leave behind no handle, window,
// GDI or USER object, thread or memory.
TEST_F(FindSequence, TwoHundredSearchesLeaveNothingBehind) {
    std::mt19937 rng(12345);
    const auto run = [&](const SoakAction& action) {
        Settings = {action.maxMoves, 4, 0, action.flags};
        nextAnswer = action.answer;
        setViewState(App.destinationView, action.target());
        questions.clear();
        command(IDM_FIND_SEQUENCE);
        if (action.during != Waits) {
            HWND dialog = ActiveJob->progressDialog;
            const DWORD moment = rng() % 60;
            waitFor([] { return false; }, moment);
            if (action.during == PausesAndRestarts) {
                SendDlgItemMessageA(dialog, IDC_PAUSE, BM_CLICK, 0, 0);
                waitFor([] { return false; }, moment);
                SendDlgItemMessageA(dialog, IDC_PAUSE, BM_CLICK, 0, 0);
            }
            if (action.during == ClosesTheDialog)
                SendMessageA(dialog, WM_CLOSE, 0, 0);
            else
                SendDlgItemMessageA(dialog, IDC_ABORT, BM_CLICK, 0, 0);
        }
        return ended() && questions.size() == 1;
    };
    // Once each first, so that what the first search of a kind loads once does not count.
    for (const SoakAction& action : SoakActions)
        ASSERT_TRUE(run(action)) << action.name;
    const Usage before = measure();
    const DWORD started = GetTickCount();
    for (int i = 0; i < 200; ++i) {
        const SoakAction& action = SoakActions[i % std::size(SoakActions)];
        ASSERT_TRUE(run(action)) << "search " << i << ", " << action.name;
    }
    const DWORD took = GetTickCount() - started;
    const Usage after = measure();
    std::printf("soak: 200 searches in %lu ms\n", static_cast<unsigned long>(took));
    EXPECT_LT(took, 100000u) << "bounded";
    for (size_t i = 0; i < after.size(); ++i) {
        std::printf("soak: %s %zu -> %zu\n", Counts[i].first, before[i], after[i]);
        EXPECT_LE(after[i], before[i] + Counts[i].second) << Counts[i].first;
    }
}
