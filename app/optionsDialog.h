// The "Emulator Settings" dialog, and the scale of its update interval slider.
#pragma once

#include <windows.h>

#include <cstdint>

#include "../shell/settings.h"

enum : int {
    LastSliderPosition = 10,
};

uint32_t intervalAtPosition(int position);
int positionOfInterval(uint32_t interval);
void formatInterval(char* text, uint32_t interval);

// The settings the dialog edits, whether the SSE2 choice is open to the user, and what the
// caller does with the result: OK stores it; Save Settings stores and saves it, the dialog
// staying open.
struct OptionsEdit {
    AppSettings values;
    bool sse2Available;
    void (*store)(const AppSettings& values, bool save);
};

void showOptionsDialog(HWND owner, OptionsEdit* edit);
