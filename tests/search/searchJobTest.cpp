#include "resource.h"
#include "settings.h"
#include "mainWindow.h"
#include "shell.h"
#include "searchJob.h"
#include "sequenceStore.h"
#include "testCubes.h"
#include "windowTesting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

// Answers the report in place of a person and keeps what it was shown.
struct Answerer {
    std::mutex lock;
    std::vector<std::string> texts;
    std::atomic<int> shown{0};
    int answer = IDOK;
    bool mainWindowEnabled = true;
};
Answerer* answerer;

int WINAPI answerReport(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    std::lock_guard<std::mutex> guard(answerer->lock);
    answerer->texts.push_back(text);
    answerer->mainWindowEnabled = IsWindowEnabled(owner) != 0;
    EXPECT_STREQ("Morvane's Cube Emulator", caption);
    EXPECT_TRUE(type & MB_ICONEXCLAMATION);
    ++answerer->shown;
    return (type & MB_OKCANCEL) ? answerer->answer : IDOK;
}

struct FindSequence : ::testing::Test {
    HWND window = nullptr;
    Answerer answers;
    void SetUp() override {
        registerProgramClasses();
        setDefaultSettings();
        setDefaultColors();
        answerer = &answers;
        showMessageBox = answerReport;
        window = createMainWindow(testInstance());
        ASSERT_NE(nullptr, window);
        ShowWindow(window, SW_SHOWNORMAL);
        pumpMessages();
    }
    void TearDown() override {
        if (ActiveJob) {
            ActiveJob->search.running = false;
            waitFor([] { return ActiveJob == nullptr; });
        }
        destroyMainWindow(window);
        freeSequenceRecord(&CurrentSequence);
        showMessageBox = MessageBoxA;
    }
    void find() { SendMessageA(window, WM_COMMAND, IDM_FIND_SEQUENCE, 0); }
    std::string lastText() {
        std::lock_guard<std::mutex> guard(answers.lock);
        return answers.texts.empty() ? "" : answers.texts.back();
    }
    bool waitForReport(int count = 1) {
        return waitFor([&] { return answers.shown.load() >= count && ActiveJob == nullptr; });
    }
    HWND progressDialog() { return findOwnWindow("Sequence Search"); }
    std::string progressText(int id) { return windowText(GetDlgItem(progressDialog(), id)); }
    void click(int id) {
        HWND dialog = progressDialog();
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    void startLongSearch() {
        Settings.maxMoves = 9;
        setViewState(App.destinationView, twistedCorner());
        find();
        ASSERT_NE(nullptr, ActiveJob);
        ASSERT_TRUE(waitFor([] { return ActiveJob->search.currentLength.load() >= 4; }));
    }
};

} // namespace

TEST(FormatElapsed, HoursMinutesSecondsMilliseconds) {
    char text[ElapsedTextSize];
    formatElapsed(3723004, text);
    EXPECT_STREQ("1 hours; 02 minutes; 03 seconds; 004 milliseconds", text);
    formatElapsed(4294967295u, text);
    EXPECT_STREQ("1193 hours; 02 minutes; 47 seconds; 295 milliseconds", text);
    formatElapsed(0, text);
    EXPECT_STREQ("0 hours; 00 minutes; 00 seconds; 000 milliseconds", text);
}

TEST_F(FindSequence, AcceptedResultReachesTheField) {
    setViewState(App.destinationView, afterMoves(SolvedCube, {8, 2, 4}));
    find();
    ASSERT_TRUE(waitForReport());
    const std::string text = lastText();
    EXPECT_NE(std::string::npos, text.find("The required sequence was found.\r\nTime elapsed: "));
    EXPECT_NE(std::string::npos, text.find("Length of the sequence: 3 moves.\r\nSequence string "
                                           "(max first 120 chars shown):\r\nF,R,T\r\nPress OK"));
    EXPECT_EQ("F,R,T", windowText(App.sequenceField));
    EXPECT_EQ(3u, CurrentSequence.length);
    EXPECT_EQ(nullptr, progressDialog());
}

TEST_F(FindSequence, CancelledResultChangesNothing) {
    answers.answer = IDCANCEL;
    SetWindowTextA(App.sequenceField, "U");
    setViewState(App.destinationView, afterMoves(SolvedCube, {0}));
    find();
    ASSERT_TRUE(waitForReport());
    EXPECT_EQ("U", windowText(App.sequenceField));
    EXPECT_EQ(nullptr, CurrentSequence.block);
}

TEST_F(FindSequence, NothingWithinTheLimitIsReported) {
    Settings.maxMoves = 2;
    setViewState(App.destinationView, afterMoves(SolvedCube, {8, 2, 4}));
    find();
    ASSERT_TRUE(waitForReport());
    EXPECT_EQ(0u, lastText().find("No sequence was found for current limit of moves (2).\r\n"
                                  "Time elapsed: 0 hours; 00 minutes; "));
    EXPECT_NE(std::string::npos,
              lastText().find("You can try to encrease \"Maximum amount of moves\" in Options "
                              "Dialog."));
}

TEST_F(FindSequence, SecondFindWhileRunningIsIgnoredAndAbortReportsNotFound) {
    startLongSearch();
    SearchJob* job = ActiveJob;
    find();
    EXPECT_EQ(job, ActiveJob);
    EXPECT_EQ(0, answers.shown.load());
    click(IDC_ABORT);
    EXPECT_EQ(nullptr, progressDialog());
    ASSERT_TRUE(waitForReport());
    EXPECT_EQ(0u, lastText().find("No sequence was found for current limit of moves (9)."));
}

TEST_F(FindSequence, ProgressShowsLengthCandidateAndTime) {
    Settings.updateInterval = 32;
    startLongSearch();
    // The dialog shows what the search had reached at its last update.
    ASSERT_TRUE(waitFor([&] { return std::atoi(progressText(IDC_LENGTH).c_str()) >= 4; }));
    EXPECT_LE(std::atoi(progressText(IDC_LENGTH).c_str()), 9);
    EXPECT_GE(progressText(IDC_CANDIDATE).size(), 7u) << "four moves or more";
    EXPECT_NE(std::string::npos, progressText(IDC_ELAPSED).find(" hours; "));
    SendMessageA(progressDialog(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitForReport());
}

// Paused time counts neither in the dialog nor in the report.
TEST_F(FindSequence, PauseKeepsWaitingOutOfTheElapsedTime) {
    startLongSearch();
    click(IDC_PAUSE);
    EXPECT_EQ("Restart", progressText(IDC_PAUSE));
    SearchJob* job = ActiveJob;
    const uint32_t pausedAt = job->pausedElapsed;
    Sleep(100); // suspension takes effect shortly after the call
    const uint32_t lengthAtPause = job->search.currentLength.load();
    MoveCode before[8] = {}, after[8] = {};
    readCandidate(&job->search, before, 8);
    Sleep(1100);
    readCandidate(&job->search, after, 8);
    EXPECT_EQ(0, std::memcmp(before, after, 8)) << "the search thread is suspended";
    EXPECT_EQ(lengthAtPause, job->search.currentLength.load());
    click(IDC_PAUSE);
    EXPECT_EQ("Pause", progressText(IDC_PAUSE));
    const uint32_t resumedAt = elapsedSince(job->search.startTick.load());
    EXPECT_GE(resumedAt, pausedAt);
    EXPECT_LT(resumedAt, pausedAt + 300) << "the pause does not count";
    click(IDC_ABORT);
    ASSERT_TRUE(waitForReport());
}

TEST_F(FindSequence, AbortWhilePausedResumesAndReports) {
    const DWORD started = GetTickCount();
    startLongSearch();
    click(IDC_PAUSE);
    Sleep(1500);
    click(IDC_ABORT);
    ASSERT_TRUE(waitForReport());
    const DWORD wall = GetTickCount() - started;
    const std::string text = lastText();
    EXPECT_EQ(0u, text.find("No sequence was found"));
    // The reported time leaves the 1.5 s pause out.
    unsigned long hours = 0, minutes = 0, seconds = 0, milliseconds = 0;
    const size_t at = text.find("Time elapsed: ");
    ASSERT_NE(std::string::npos, at);
    ASSERT_EQ(4, std::sscanf(text.c_str() + at,
                             "Time elapsed: %lu hours; %lu minutes; %lu seconds; %lu milliseconds",
                             &hours, &minutes, &seconds, &milliseconds));
    const unsigned long reported = seconds * 1000 + milliseconds;
    EXPECT_LE(reported + 1500, wall + 100) << text;

    // The next search starts unpaused.
    startLongSearch();
    EXPECT_EQ("Pause", progressText(IDC_PAUSE));
    click(IDC_ABORT);
    ASSERT_TRUE(waitForReport(2));
}

TEST_F(FindSequence, InMainThreadModeTheWindowIsDisabledUntilTheEnd) {
    Settings.flags |= DisableThreadedSearch;
    setViewState(App.destinationView, afterMoves(SolvedCube, {10, 10}));
    find();
    EXPECT_EQ(1, answers.shown.load()) << "the search ran to its end inside the command";
    EXPECT_FALSE(answers.mainWindowEnabled);
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_EQ("B\"", windowText(App.sequenceField));
    EXPECT_EQ(nullptr, ActiveJob);
}

namespace {

struct ReportedJob {
    SearchJob* job = static_cast<SearchJob*>(_aligned_malloc(sizeof(SearchJob), 16));
    ReportedJob() { new (job) SearchJob(); }
    ~ReportedJob() { _aligned_free(job); }
};

} // namespace

TEST_F(FindSequence, LongResultShows120MovesAndStoresThemAll) {
    ReportedJob r;
    for (int i = 0; i < 130; ++i)
        r.job->result[i] = MoveCode(i % 2 ? 2 : 4);
    r.job->result[130] = EndOfMoves;
    reportResult(r.job, 130, 1234);
    const std::string text = lastText();
    EXPECT_NE(std::string::npos, text.find("Length of the sequence: 130 moves."));
    std::string shown;
    for (int i = 0; i < 120; ++i)
        shown += i % 2 ? "R," : "T,";
    shown.pop_back();
    EXPECT_NE(std::string::npos, text.find("\r\n" + shown + "\r\nPress OK"));
    EXPECT_EQ(130u, CurrentSequence.length);
    EXPECT_EQ(shown.size() + 20, windowText(App.sequenceField).size());
}

TEST_F(FindSequence, ResultOf876MovesCannotBeStored) {
    SetWindowTextA(App.sequenceField, "F");
    ReportedJob r;
    for (int i = 0; i < 876; ++i)
        r.job->result[i] = MoveCode(i % 2 ? 2 : 4);
    r.job->result[876] = EndOfMoves;
    reportResult(r.job, 876, 0);
    EXPECT_EQ(1, answers.shown.load());
    EXPECT_EQ(nullptr, CurrentSequence.block);
    EXPECT_EQ("F", windowText(App.sequenceField));
}

TEST_F(FindSequence, ProgressOfShortLengthsShowsNothing) {
    ReportedJob r;
    HWND dialog = createProgressDialog(r.job);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("0", windowText(GetDlgItem(dialog, IDC_LENGTH)));
    EXPECT_EQ("", windowText(GetDlgItem(dialog, IDC_CANDIDATE)));
    EXPECT_EQ("0 hours; 00 minutes; 00 seconds; 000 milliseconds",
              windowText(GetDlgItem(dialog, IDC_ELAPSED)));
    // A candidate of length 4 as the display reads it.
    r.job->search.currentLength = 4;
    const MoveCode digits[4] = {3, 1, 2, 0};
    for (int i = 0; i < 4; ++i)
        r.job->search.candidate[i] = digits[i];
    updateProgress(dialog, r.job);
    EXPECT_EQ("R',L',R,L", windowText(GetDlgItem(dialog, IDC_CANDIDATE)));
    EXPECT_EQ("4", windowText(GetDlgItem(dialog, IDC_LENGTH)));
    r.job->progressDialog = dialog;
    closeProgressDialog(r.job);
    closeProgressDialog(r.job);
    EXPECT_FALSE(IsWindow(dialog));
}

// A finished search waits for its dialog to close. A Pause handled in that moment must not
// suspend it there, and a close must not leave a paused search suspended: either way the
// report would never come and the job would stay active.
TEST_F(FindSequence, PauseAsTheSearchFinishesLeavesItRunning) {
    setViewState(App.destinationView, afterMoves(SolvedCube, {8, 2, 4}));
    find();
    SearchJob* job = ActiveJob;
    ASSERT_NE(nullptr, job);
    const DWORD start = GetTickCount();
    while (job->search.running.load() && GetTickCount() - start < 20000)
        Sleep(1);
    click(IDC_PAUSE);
    ASSERT_TRUE(waitForReport());

    startLongSearch();
    click(IDC_PAUSE);
    closeProgressDialog(ActiveJob);
    ActiveJob->search.running = false;
    ASSERT_TRUE(waitForReport(2));
}
