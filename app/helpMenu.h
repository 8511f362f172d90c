// The Help menu: modeless Help windows with the built-in text, and the About box.
#pragma once

#include <windows.h>

extern const char HelpText[];

HWND openHelpWindow(HWND owner);
void showAboutBox(HWND owner);
