// The "Emulator Settings" dialog, and the scale of its update interval slider.
#pragma once

#include <windows.h>

#include <cstdint>

enum : int {
    LastSliderPosition = 10,
};

uint32_t intervalAtPosition(int position);
int positionOfInterval(uint32_t interval);
void formatInterval(char* text, uint32_t interval);

// Whether the SSE2 choice is open to the user, and where Save Settings stores the settings.
struct OptionsRecord {
    bool sse2Available;
    const char* keyPath;
};

void showOptionsDialog(HWND owner, const OptionsRecord& record);
void showOptionsDialog(HWND owner);
