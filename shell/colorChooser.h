// The platform's colour chooser, with sixteen custom colours shared by every use in the run.
#pragma once

#include <windows.h>

extern COLORREF CustomColors[16];

bool chooseColor(HWND owner, COLORREF* color);

// What the program calls; tests answer the chooser by putting their own here.
using ColorChooser = bool (*)(HWND owner, COLORREF* color);
extern ColorChooser colorChooser;
