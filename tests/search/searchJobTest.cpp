#include "programWindow.h"
#include "searchJob.h"
#include "testCubes.h"
#include "notation.h"

#include <memory>

namespace {

const std::string NotFound = "No sequence was found for current limit of moves (";

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
}

// The fast search offers what the brute force finds, shows its own progress, holds every
// worker while paused, and reports a table it cannot have instead of failing.
TEST_F(FindSequence, FastSearchOffersTheSameAndShowsItsProgress) {
    const PackedCube target = afterMoves(SolvedCube, {8, 2, 4, 6, 10, 0});
    auto brute = std::make_unique<SearchState>();
    brute->running = true;
    MoveCode result[MaxExecuteMoves + 1];
    char expected[64];
    formatMoveText(result, expected,
                   findSequence(brute.get(), &target, &SolvedCube, result, 6, true));
    Settings = {6, 4, 0, FastSearch};
    nextAnswer = IDOK;
    setViewState(App.destinationView, target);
    command(IDM_FIND_SEQUENCE);
    ASSERT_TRUE(ended());
    EXPECT_EQ(expected, field());

    failAllocations = true;
    command(IDM_FIND_SEQUENCE);
    ASSERT_TRUE(ended());
    EXPECT_EQ(0u, questions.back().find("The fast search could not get the memory"));

    Settings.flags = FastSearch;
    HWND dialog = findInVain(16);
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
