// Helpers for tests that drive the program's real windows in-process under Wine.
#pragma once

#include <windows.h>

#include "packedCube.h"

#include <string>
#include <vector>

void pumpMessages();
COLORREF pixelAt(HWND window, int x, int y);
std::string windowText(HWND window);
PackedCube viewState(HWND view);
void setViewState(HWND view, const PackedCube& state);
std::vector<COLORREF> viewColors(HWND view);
// Where the middle of a square is drawn in a view of its present size.
POINT squareMiddle(HWND view, int square);
// Handles this thread's messages until done() holds; false when the time runs out first.
template <class Condition> bool waitFor(Condition done, DWORD milliseconds = 20000) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(1), pumpMessages())
        if (GetTickCount() - start > milliseconds) return false;
    return true;
}
