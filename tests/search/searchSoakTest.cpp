// Many searches in one process, ended every way a user can end them, must leave behind no
// handle, window, GDI object, thread or memory.
#include "mainWindow.h"
#include "resource.h"
#include "searchJob.h"
#include "sequenceStore.h"
#include "settings.h"
#include "shell.h"
#include "testCubes.h"
#include "windowTesting.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Counted so that Wine, whose process counters read 0, still gives figures: open handles by
// asking about every handle value, windows by enumerating them, private memory by walking the
// address space. GDI and USER objects as the system counts them read 0 under Wine.
struct Usage {
    DWORD handles, windows, gdi, user, threads;
    SIZE_T privateBytes;
};

BOOL CALLBACK countWindow(HWND window, LPARAM count) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<DWORD*>(count);
    EnumChildWindows(window, countWindow, count);
    return TRUE;
}

Usage measure() {
    Usage u = {};
    for (ULONG_PTR value = 4; value < 0x20000; value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++u.handles;
    }
    EnumWindows(countWindow, reinterpret_cast<LPARAM>(&u.windows));
    u.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    u.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            u.privateBytes += region.RegionSize;
        if (static_cast<const char*>(region.BaseAddress) + region.RegionSize < at) break;
    }
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 thread = {};
    thread.dwSize = sizeof thread;
    for (BOOL more = Thread32First(snapshot, &thread); more; more = Thread32Next(snapshot, &thread))
        if (thread.th32OwnerProcessID == GetCurrentProcessId()) ++u.threads;
    CloseHandle(snapshot);
    return u;
}

int answer = IDOK;
int reports = 0;

int WINAPI answerReport(HWND, LPCSTR, LPCSTR, UINT type) {
    ++reports;
    return (type & MB_OKCANCEL) ? answer : IDOK;
}

void click(int id) {
    HWND dialog = findOwnWindow("Sequence Search");
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void pumpFor(DWORD milliseconds) {
    waitFor([] { return false; }, milliseconds);
}

HWND openMainWindow() {
    HWND window = createMainWindow(testInstance());
    ShowWindow(window, SW_SHOWNORMAL);
    pumpMessages();
    return window;
}

} // namespace

TEST(SearchSoak, TwoHundredSearchesLeaveNothingBehind) {
    registerProgramClasses();
    setDefaultSettings();
    setDefaultColors();
    showMessageBox = answerReport;
    std::srand(12345);
    HWND window = openMainWindow();
    // One warm-up search, so that what the first search loads once does not count.
    setViewState(App.destinationView, afterMoves(SolvedCube, {8, 2, 4}));
    SendMessageA(window, WM_COMMAND, IDM_FIND_SEQUENCE, 0);
    ASSERT_TRUE(waitFor([] { return reports == 1 && ActiveJob == nullptr; }));
    const Usage before = measure();
    const DWORD started = GetTickCount();

    for (int i = 0; i < 200; ++i) {
        const int kind = i % 8, pause = std::rand() % 30;
        const bool longSearch = kind >= 3 && kind <= 5;
        setDefaultSettings();
        answer = kind == 1 ? IDCANCEL : IDOK;
        if (kind == 7) Settings.flags |= DisableThreadedSearch;
        if (kind == 2) Settings.maxMoves = 2;
        if (longSearch) Settings.maxMoves = 9;
        setViewState(App.destinationView,
                     longSearch || kind == 2 ? twistedCorner() : afterMoves(SolvedCube, {8, 2}));
        const int reported = reports;
        SendMessageA(window, WM_COMMAND, IDM_FIND_SEQUENCE, 0);
        if (longSearch) {
            pumpFor(DWORD(pause));
            if (kind == 4) {
                click(IDC_PAUSE);
                pumpFor(DWORD(pause));
                click(IDC_PAUSE);
                click(IDC_PAUSE);
            }
            if (kind == 5)
                SendMessageA(findOwnWindow("Sequence Search"), WM_CLOSE, 0, 0);
            else
                click(IDC_ABORT);
        }
        ASSERT_TRUE(waitFor([&] { return reports > reported && ActiveJob == nullptr; }))
            << "search " << i << " of kind " << kind;
        // A close while a search runs ends the process; here the window closes as soon as the
        // search has gone, and a new one takes its place.
        if (kind == 6) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            ASSERT_TRUE(waitFor([&] { return !IsWindow(window); })) << "search " << i;
            destroyMainWindow(window);
            window = openMainWindow();
        }
    }
    const DWORD took = GetTickCount() - started;
    DWORD_PTR answered = 0;
    EXPECT_TRUE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answered))
        << "the main window still answers";
    destroyMainWindow(window);
    freeSequenceRecord(&CurrentSequence);
    showMessageBox = MessageBoxA;
    window = openMainWindow(); // the same windows as at the start
    const Usage after = measure();
    destroyMainWindow(window);

    std::printf("soak: 200 searches in %lu ms; before -> after: handles %lu -> %lu, windows %lu "
                "-> %lu, GDI %lu -> %lu, USER %lu -> %lu, threads %lu -> %lu, private KiB %lu "
                "-> %lu\n",
                static_cast<unsigned long>(took), static_cast<unsigned long>(before.handles),
                static_cast<unsigned long>(after.handles),
                static_cast<unsigned long>(before.windows),
                static_cast<unsigned long>(after.windows), static_cast<unsigned long>(before.gdi),
                static_cast<unsigned long>(after.gdi), static_cast<unsigned long>(before.user),
                static_cast<unsigned long>(after.user), static_cast<unsigned long>(before.threads),
                static_cast<unsigned long>(after.threads),
                static_cast<unsigned long>(before.privateBytes / 1024),
                static_cast<unsigned long>(after.privateBytes / 1024));
    EXPECT_LT(took, 100000u) << "bounded";
    EXPECT_LE(after.handles, before.handles + 4);
    EXPECT_EQ(before.windows, after.windows);
    EXPECT_LE(after.gdi, before.gdi + 4);
    EXPECT_LE(after.user, before.user + 4);
    EXPECT_EQ(before.threads, after.threads);
    EXPECT_LE(after.privateBytes, before.privateBytes + 1024 * 1024);
}
