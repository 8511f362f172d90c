// The main window, its commands and the program's start.
#pragma once

#include <windows.h>

void onMainCommand(HWND hwnd, int id, HWND control, UINT code);

// The dialogs' common controls, the cube view and the main window.
void registerWindowClasses(HINSTANCE instance);
HWND createMainWindow(HINSTANCE instance);
int runMainRoutine(HINSTANCE instance);
// The main window's keyboard shortcuts: true when msg was one and has been handled.
bool translateProgramKeys(MSG* msg);
