// The shell's program-wide state: the main window's handles and what its commands work on,
// shared by every folder above the engine.
#pragma once

#include <windows.h>

#include "../engine/packedCube.h"

struct Shell {
    HINSTANCE instance;
    HANDLE heap;
    HWND mainWindow;
    HICON programIcon;
    HWND sourceView;
    HWND destinationView;
    HWND sequenceField;
    WNDPROC previousFieldProc;
    HBRUSH recordingBrush;
};

extern Shell App;

enum : uint32_t {
    // The field is read with room for 1023 bytes, so at most 1022 characters are seen.
    SequenceTextSize = 1024,
    SequenceTextRead = 1023,
    ScratchMoveCount = 1023,
};

extern const char ProgramTitle[];

bool useSse2();
void showSequence(HWND field, const MoveCode* codes, uint32_t count);
void setFieldToMoves(HWND field, const MoveCode* codes, uint32_t count);
