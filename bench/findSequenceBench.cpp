// What the thread, the progress dialog and its timers cost a search: full length-7 sweeps run
// through the real Find Sequence command (main window, search thread, progress dialog with a
// 32 ms refresh) against the bare engine call, interleaved in one run, medians printed.
#include "settings.h"
#include "mainWindow.h"
#include "shell.h"
#include "searchJob.h"
#include "sweepCase.h"
#include "resource.h"
#include "cubeView.h"
#include "runtimeFlags.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

volatile LONG reported = 0;
double reportedSeconds = 0;

// The report's own elapsed time: the search thread from its first to its last candidate.
int WINAPI countReport(HWND, LPCSTR text, LPCSTR, UINT) {
    unsigned long h = 0, m = 0, s = 0, ms = 0;
    const char* at = std::strstr(text, "Time elapsed: ");
    if (at && std::sscanf(at, "Time elapsed: %lu hours; %lu minutes; %lu seconds; %lu milliseconds",
                          &h, &m, &s, &ms) == 4)
        reportedSeconds = double(((h * 60 + m) * 60 + s) * 1000 + ms) / 1000;
    InterlockedIncrement(&reported);
    return IDCANCEL;
}

double viaCommand(HWND window, std::vector<double>* ownTimes) {
    const LONG before = reported;
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    SendMessageA(window, WM_COMMAND, IDM_FIND_SEQUENCE, 0);
    // Sent messages are handled inside the wait too; it wakes at least every millisecond to
    // see whether the search has finished.
    MSG msg;
    while (reported == before || ActiveJob) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
    }
    QueryPerformanceCounter(&end);
    ownTimes->push_back(reportedSeconds);
    return double(end.QuadPart - begin.QuadPart) / double(frequency.QuadPart);
}

double direct(SearchState* state, bool sse2) {
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    runSweep(state, 7, sse2);
    QueryPerformanceCounter(&end);
    return double(end.QuadPart - begin.QuadPart) / double(frequency.QuadPart);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    registerWindowClasses(instance);
    setDefaultSettings();
    setDefaultColors();
    RuntimeFlags |= Sse2Available;
    HWND window = createMainWindow(instance);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    showMessageBox = countReport;
    const PackedCube target = unreachableTarget();
    SendMessageA(App.destinationView, CCM_SETSTATE, 1, reinterpret_cast<LPARAM>(&target));
    Settings.maxMoves = 7;
    Settings.updateInterval = argc > 3 ? uint32_t(std::atoi(argv[3])) : 32;
    if (argc > 2) Settings.priorityIndex = uint32_t(std::atoi(argv[2]));

    auto state = std::make_unique<SearchState>();
    const double candidates = candidatesUpTo(7);
    std::printf("length-7 sweeps, %.0f candidates, %d runs each, priority %s\n", candidates, runs,
                Priorities[Settings.priorityIndex % PriorityCount].caption);
    std::printf("%-8s %-22s %10s %14s %12s\n", "kernel", "path", "median s", "ns/candidate",
                "Mcand/s");
    for (bool sse2 : {true, false}) {
        Settings.flags = sse2 ? 0 : DisableSse2;
        std::vector<double> command, own, bare;
        for (int r = 0; r < runs; ++r) {
            command.push_back(viaCommand(window, &own));
            bare.push_back(direct(state.get(), sse2));
        }
        const char* kernel = sse2 ? "sse2" : "generic";
        for (const auto& [path, times] : {std::pair{"command, wall clock", command},
                                          {"command, search's own", own},
                                          {"findSequence alone", bare}}) {
            const double s = median(times);
            std::printf("%-8s %-22s %10.4f %14.2f %12.2f\n", kernel, path, s, s * 1e9 / candidates,
                        candidates / s / 1e6);
        }
        std::printf("%-8s search under the command: %+.1f%% against the bare search "
                    "(wall clock with thread and dialog set-up: %+.1f%%)\n",
                    kernel, (median(own) / median(bare) - 1) * 100,
                    (median(command) / median(bare) - 1) * 100);
    }
    DestroyWindow(window);
    return 0;
}
