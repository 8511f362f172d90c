#include "searchJob.h"
#include "../shell/resource.h"
#include "../shell/settings.h"
#include "../shell/shell.h"
#include "../engine/notation.h"

#include <commctrl.h>
#include <cstdio>

namespace {

// Asks the dialog to close itself: only the thread that made a window may destroy it.
const UINT ProgressCloseMessage = WM_APP + 10;

SearchJob* jobOf(HWND dialog) {
    return reinterpret_cast<SearchJob*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void startTimers(HWND dialog) {
    SetTimer(dialog, UpdateTimerId, Settings.updateInterval, nullptr);
    SetTimer(dialog, ActivityTimerId, ActivityPeriod, nullptr);
}

void stopTimers(HWND dialog) {
    KillTimer(dialog, UpdateTimerId);
    KillTimer(dialog, ActivityTimerId);
}

BOOL onInitDialog(HWND dialog, SearchJob* job) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(job));
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(App.programIcon));
    startTimers(dialog);
    updateProgress(dialog, job);
    return TRUE;
}

// The bar only shows that the search is alive: one sweep every 25 seconds.
void onTimer(HWND dialog, SearchJob* job, UINT_PTR id) {
    if (!job->search.running.load() || job->updating) return;
    if (id == UpdateTimerId) {
        job->updating = true;
        updateProgress(dialog, job);
        job->updating = false;
    } else if (id == ActivityTimerId) {
        HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
        SendMessageA(bar, PBM_STEPIT, 0, 0);
        if (SendMessageA(bar, PBM_GETPOS, 0, 0) >= 100) SendMessageA(bar, PBM_SETPOS, 0, 0);
    }
}

// Moving the start tick forward by the pause keeps paused time out of every elapsed figure.
void leavePause(SearchJob* job) {
    job->search.startTick = GetTickCount() - job->pausedElapsed;
    job->fast.paused = false;
    if (!job->useFastSearch) ResumeThread(job->thread);
    job->paused = false;
}

// Once the search has cleared its running flag it is finishing: its thread may be waiting for
// this dialog to close, and suspending it there would leave it suspended for good.
void onPauseRestart(HWND dialog, SearchJob* job) {
    if (!job->paused) {
        if (!job->search.running.load()) return;
        job->pausedElapsed = elapsedSince(job->search.startTick.load());
        stopTimers(dialog);
        // The exact methods' threads wait on the flag: one suspended inside the allocator
        // would hold the process heap's lock. The brute force's loop takes no lock.
        job->fast.paused = true;
        if (!job->useFastSearch) SuspendThread(job->thread);
        job->paused = true;
        SetDlgItemTextA(dialog, IDC_PAUSE, "Restart");
    } else {
        leavePause(job);
        startTimers(dialog);
        SetDlgItemTextA(dialog, IDC_PAUSE, "Pause");
    }
}

// The search sees the cleared flag at its next candidate and reports from its own thread.
void onAbort(HWND dialog, SearchJob* job) {
    stopTimers(dialog);
    if (job->paused) leavePause(job);
    closeProgressDialog(job);
    job->search.running = false;
}

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) return onInitDialog(dialog, reinterpret_cast<SearchJob*>(lParam));
    SearchJob* job = jobOf(dialog);
    if (!job) return FALSE;
    switch (msg) {
        case WM_TIMER:
            onTimer(dialog, job, wParam);
            return TRUE;
        case WM_COMMAND:
            if (wParam == MAKEWPARAM(IDC_PAUSE, BN_CLICKED)) onPauseRestart(dialog, job);
            if (wParam == MAKEWPARAM(IDC_ABORT, BN_CLICKED)) onAbort(dialog, job);
            return TRUE;
        case WM_CLOSE:
            onAbort(dialog, job);
            return TRUE;
        case ProgressCloseMessage:
            // A thread paused just as it finished must go on to report and release its job.
            if (job->paused) leavePause(job);
            stopTimers(dialog);
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
            DestroyWindow(dialog);
            return TRUE;
    }
    return FALSE;
}

// In place of the candidate, which the exact methods do not go through one by one.
void describeFastSearch(SearchJob* job, uint32_t length, char* text) {
    const uint32_t depth = job->fast.tableDepth.load();
    const uint32_t total = job->fast.total.load();
    const uint32_t percent = total ? uint32_t(uint64_t(job->fast.done.load()) * 100 / total) : 0;
    const uint32_t tables = job->fast.tables.load();
    if (job->fast.method.load() == DeepSearch && tables != TablesReady)
        std::sprintf(text, "Fast search: %s its tables, %lu%% done",
                     tables == TablesLoading ? "loading" : "building (first use only)",
                     static_cast<unsigned long>(percent));
    else if (job->fast.method.load() == DeepSearch)
        std::sprintf(text, "Fast search: deep search, %lu%% of this length done",
                     static_cast<unsigned long>(percent));
    else if (job->fast.building.load())
        std::sprintf(text, "Fast search: storing the cubes after %lu moves, %lu%% done",
                     static_cast<unsigned long>(depth), static_cast<unsigned long>(percent));
    else
        std::sprintf(text, "Fast search: %lu + %lu moves, %lu%% done",
                     static_cast<unsigned long>(depth), static_cast<unsigned long>(length - depth),
                     static_cast<unsigned long>(percent));
}

} // namespace

HWND createProgressDialog(SearchJob* job) {
    HWND dialog = CreateDialogParamA(App.instance, MAKEINTRESOURCEA(IDD_PROGRESS), App.mainWindow,
                                     progressDialogProc, reinterpret_cast<LPARAM>(job));
    if (dialog) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        UpdateWindow(dialog);
    }
    return dialog;
}

// Either thread may close, in any order: whoever takes the handle first does it, once.
void closeProgressDialog(SearchJob* job) {
    HWND dialog = job->progressDialog.exchange(nullptr);
    if (dialog) SendMessageA(dialog, ProgressCloseMessage, 0, 0);
}

void updateProgress(HWND dialog, SearchJob* job) {
    const uint32_t length = job->search.currentLength.load(std::memory_order_relaxed);
    uint32_t elapsed = 0;
    static char text[3 * MaxExecuteMoves + 4];
    if (length == 0) {
        text[0] = '\0';
    } else if (job->useFastSearch &&
               (job->fast.tableDepth.load() > 0 || job->fast.method.load() == DeepSearch)) {
        describeFastSearch(job, length, text);
        elapsed = elapsedSince(job->search.startTick.load());
    } else {
        MoveCode codes[MaxExecuteMoves + 1];
        const uint32_t n = readCandidate(&job->search, codes, MaxExecuteMoves);
        codes[n] = EndOfMoves;
        formatMoveText(codes, text, n);
        elapsed = elapsedSince(job->search.startTick.load());
    }
    SetDlgItemTextA(dialog, IDC_CANDIDATE, text);
    char elapsedText[ElapsedTextSize];
    formatElapsed(elapsed, elapsedText);
    SetDlgItemTextA(dialog, IDC_ELAPSED, elapsedText);
    SetDlgItemInt(dialog, IDC_LENGTH, length, FALSE);
}
