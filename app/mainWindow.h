// The main window, its commands and the program's start.
#pragma once

#include <windows.h>

void onMainCommand(HWND hwnd, int id, HWND control, UINT code);

void registerCommonControls();
ATOM registerMainWindowClass(HINSTANCE instance);
HWND createMainWindow(HINSTANCE instance);
int runMainRoutine(HINSTANCE instance);
