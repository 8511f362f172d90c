// One Find Sequence: the search thread, its progress dialog and the report of its result.
#pragma once

#include <windows.h>

#include "../shell/messageBox.h"
#include "../engine/fastSearch.h"

#include <atomic>

// Sent to the main window by the search's own thread, so that what belongs to the
// user-interface thread is done there: storing an accepted result, and releasing a finished job.
#define WM_SEARCH_ACCEPTED (WM_APP + 1)
#define WM_SEARCH_FINISHED (WM_APP + 2)

enum : UINT {
    UpdateTimerId = 20000,
    ActivityTimerId = 20001,
    ActivityPeriod = 250,
    MaxShownMoves = 120,
    ElapsedTextSize = 112,
};

// Shared by the user-interface thread and the search thread; a new one for every search.
struct SearchJob {
    SearchState search;
    alignas(16) PackedCube source;
    alignas(16) PackedCube destination;
    MoveCode result[MaxExecuteMoves + 1];
    uint32_t resultLength;
    // Chosen when the search starts; a change in the Options dialog meanwhile does not reach it.
    uint32_t maxMoves;
    bool useSse2;
    bool useFastSearch;
    int threadPriority;
    FastSearchProgress fast;
    bool paused;
    bool updating;
    uint32_t pausedElapsed;
    HANDLE thread;
    std::atomic<HWND> progressDialog;
};

extern SearchJob* ActiveJob;

void startSearch();
void searchThreadMain(SearchJob* job);
void reportResult(SearchJob* job, uint32_t length, uint32_t elapsed);
void onSearchFinished(SearchJob* job);

uint32_t elapsedSince(uint32_t startTick);
void formatElapsed(uint32_t milliseconds, char* text);

HWND createProgressDialog(SearchJob* job);
void closeProgressDialog(SearchJob* job);
void updateProgress(HWND dialog, SearchJob* job);
