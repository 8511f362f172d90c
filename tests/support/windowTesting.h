// Helpers for tests that drive real windows in-process under Wine.
#pragma once

#include <windows.h>

#include "packedCube.h"

#include <string>

HINSTANCE testInstance();
void registerProgramClasses();
void pumpMessages();
// Destroys the main window, if it is still there, and drops the quit message its end posts, so
// the next window of the test program starts afresh.
void destroyMainWindow(HWND window);
COLORREF pixelAt(HWND window, int x, int y);
std::string windowText(HWND window);
// A top-level window of this process with that title. Test programs running side by side share
// one Wine desktop, so FindWindow would also find another test's window.
HWND findOwnWindow(const char* title);
PackedCube viewState(HWND view);
void setViewState(HWND view, const PackedCube& state);
// Handles this thread's messages until done() holds; false when the time runs out first.
template <class Condition> bool waitFor(Condition done, DWORD milliseconds = 20000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds) return false;
        pumpMessages();
        Sleep(1);
    }
    return true;
}
// A registry key of this process's own, removed with everything below it.
std::string scratchKeyPath(const char* name);
void deleteKeyTree(const std::string& path);
