#include "searchJob.h"
#include "../shell/currentSequence.h"
#include "../shell/settings.h"
#include "../shell/shell.h"
#include "../cubeview/cubeView.h"
#include "../engine/deepSearch.h"
#include "../engine/notation.h"
#include "../engine/tableFile.h"
#include "../engine/sequenceStore.h"

#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <new>

SearchJob* ActiveJob = nullptr;

namespace {

// The runtime's operator new aligns to 8 bytes only; the cubes inside want 16.
SearchJob* newJob() {
    void* block = _aligned_malloc(sizeof(SearchJob), 16);
    return block ? new (block) SearchJob() : nullptr;
}

void freeJob(SearchJob* job) {
    job->~SearchJob();
    _aligned_free(job);
}

// After this the thread touches nothing of the job: the main window releases it while the
// thread waits in SendMessage, and the thread then only returns.
DWORD WINAPI searchThreadEntry(LPVOID parameter) {
    SearchJob* job = static_cast<SearchJob*>(parameter);
    searchThreadMain(job);
    SendMessageA(App.mainWindow, WM_SEARCH_FINISHED, 0, reinterpret_cast<LPARAM>(job));
    return 0;
}

int priorityOf(uint32_t index) {
    return Priorities[index < PriorityCount ? index : IdlePriorityIndex].threadPriority;
}

// Every worker of the fast search runs at the priority the search thread got.
void givePriority(void* job) {
    SetThreadPriority(GetCurrentThread(), static_cast<SearchJob*>(job)->threadPriority);
}

uint32_t runSearch(SearchJob* job) {
    if (!job->useFastSearch)
        return findSequence(&job->search, &job->destination, &job->source, job->result,
                            job->maxMoves, job->useSse2);
    FastSearchOptions options;
    options.useSse2 = job->useSse2;
    options.onWorkerStart = givePriority;
    options.context = job;
    try {
        options.tableFolder = defaultTableFolder();
    } catch (const std::exception&) {
        // Without memory for the folder's name the tables stay in memory.
    }
    return findSequenceExact(&job->search, &job->destination, &job->source, job->result,
                             job->maxMoves, options, &job->fast);
}

} // namespace

uint32_t elapsedSince(uint32_t startTick) {
    return startTick ? GetTickCount() - startTick : 0;
}

void formatElapsed(uint32_t t, char* text) {
    std::snprintf(
        text, ElapsedTextSize, "%lu hours; %02lu minutes; %02lu seconds; %03lu milliseconds",
        static_cast<unsigned long>(t / 3600000), static_cast<unsigned long>(t / 60000 % 60),
        static_cast<unsigned long>(t / 1000 % 60), static_cast<unsigned long>(t % 1000));
}

// Both cubes are copied before anything starts, so the user may go on editing the views.
void startSearch() {
    if (ActiveJob && ActiveJob->search.running.load()) return;
    SearchJob* job = newJob();
    if (!job) return;
    SendMessageA(App.sourceView, CCM_GETSTATE, 0, reinterpret_cast<LPARAM>(&job->source));
    SendMessageA(App.destinationView, CCM_GETSTATE, 0, reinterpret_cast<LPARAM>(&job->destination));
    job->maxMoves = Settings.maxMoves;
    job->useSse2 = useSse2();
    job->useFastSearch = Settings.flags & FastSearch;
    job->threadPriority = priorityOf(Settings.priorityIndex);

    if (Settings.flags & DisableThreadedSearch) {
        ActiveJob = job;
        job->search.running = true;
        EnableWindow(App.mainWindow, FALSE);
        job->progressDialog = createProgressDialog(job);
        searchThreadMain(job);
        onSearchFinished(job);
        EnableWindow(App.mainWindow, TRUE);
        return;
    }
    job->thread = CreateThread(nullptr, 0, searchThreadEntry, job, CREATE_SUSPENDED, nullptr);
    if (!job->thread) {
        freeJob(job);
        return;
    }
    if (!SetThreadPriority(job->thread, job->threadPriority)) {
        // With the running flag clear the thread ends at once and its job is released.
        ResumeThread(job->thread);
        return;
    }
    ActiveJob = job;
    job->search.running = true;
    job->progressDialog = createProgressDialog(job);
    ResumeThread(job->thread);
}

// Said once a run: the deep search's shared tables could not be written where they are kept,
// so the next start builds them again.
void reportTablesNotKept() {
    static std::atomic<bool> said{false};
    if (said.exchange(true)) return;
    char message[MAX_PATH + 256];
    std::snprintf(message, sizeof message,
                  "The tables of the fast search could not be saved in \"%s\". They stay in "
                  "memory until the program ends and are built again after the next start.",
                  defaultTableFolder().c_str());
    showMessageBox(App.mainWindow, message, ProgramTitle, MB_ICONINFORMATION | MB_OK);
}

// Said once a run: without the deep search's tables the search went on more slowly.
void reportDeepFellBack() {
    static std::atomic<bool> said{false};
    if (said.exchange(true)) return;
    showMessageBox(App.mainWindow,
                   "The fast search could not get the memory for the tables of its deep search "
                   "(about 600 MB), and went on without them. Close other programs to search "
                   "faster.",
                   ProgramTitle, MB_ICONINFORMATION | MB_OK);
}

void searchThreadMain(SearchJob* job) {
    if (!job->search.running.load()) return;
    const uint32_t length = runSearch(job);
    job->search.running = false;
    const uint32_t elapsed = elapsedSince(job->search.startTick.load());
    job->search.startTick = 0;
    closeProgressDialog(job);
    reportResult(job, length, elapsed);
    if (job->fast.tablesNotKept.load()) reportTablesNotKept();
    if (job->fast.deepFellBack.load()) reportDeepFellBack();
    closeProgressDialog(job);
    job->search.currentLength = 0;
}

// Shows at most the first 120 moves, but an accepted result stores them all.
void reportResult(SearchJob* job, uint32_t length, uint32_t elapsed) {
    char elapsedText[ElapsedTextSize];
    formatElapsed(elapsed, elapsedText);
    char message[1024];
    if (job->fast.outOfMemory.load()) {
        std::snprintf(message, sizeof message,
                      "The fast search could not get the memory for its table (up to %lu MB)."
                      "\r\nTime elapsed: %s\r\nClose other programs, or turn off \"Fast search\" "
                      "in Options Dialog and search again.",
                      static_cast<unsigned long>(DefaultTableMiB), elapsedText);
        showMessageBox(App.mainWindow, message, ProgramTitle, MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    if (length == 0) {
        std::snprintf(message, sizeof message,
                      "No sequence was found for current limit of moves (%lu).\r\nTime elapsed: "
                      "%s\r\nYou can try to encrease \"Maximum amount of moves\" in Options "
                      "Dialog.",
                      static_cast<unsigned long>(job->maxMoves), elapsedText);
        showMessageBox(App.mainWindow, message, ProgramTitle, MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    char movesText[3 * MaxShownMoves + 4];
    formatMoveText(job->result, movesText, length < MaxShownMoves ? length : MaxShownMoves);
    std::snprintf(message, sizeof message,
                  "The required sequence was found.\r\nTime elapsed: %s\r\nLength of the "
                  "sequence: %lu moves.\r\nSequence string (max first 120 chars shown):\r\n%s\r\n"
                  "Press OK to accept the sequence or Cancel to discard results.",
                  elapsedText, static_cast<unsigned long>(length), movesText);
    if (showMessageBox(App.mainWindow, message, ProgramTitle, MB_ICONEXCLAMATION | MB_OKCANCEL) !=
        IDOK)
        return;
    job->resultLength = length;
    SendMessageA(App.mainWindow, WM_SEARCH_ACCEPTED, 0, reinterpret_cast<LPARAM>(job));
}

void onSearchFinished(SearchJob* job) {
    if (job->thread) CloseHandle(job->thread);
    if (ActiveJob == job) ActiveJob = nullptr;
    freeJob(job);
}
