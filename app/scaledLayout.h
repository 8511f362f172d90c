// The main window at any display scale: its controls keep the places and sizes they had at the
// scale it opened at, in proportion, with a font of the new scale.
#pragma once

#include <windows.h>

// Where a cube view sits in its group box at a scale.
RECT viewRectIn(HWND group, UINT dpi);
// Called once the window's controls are made, before any change of scale.
void rememberLayout(HWND window);
void onDpiChanged(HWND window, UINT dpi, const RECT* suggested);
void forgetLayout();
