// The shell's program-wide state: the main window's handles and what its commands work on,
// shared by every folder above the engine.
#pragma once

#include <windows.h>

#include <string>

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
// False, the field keeping its text, when there is no memory for the new one.
bool showSequence(HWND field, const MoveCode* codes, uint32_t count);
// The whole text of an edit control, however long. False, the text unchanged, when it cannot be
// held in memory (the last error then says so) or cannot be read.
bool readWholeText(HWND edit, std::string* text);
// The field's first SequenceTextRead characters, as Execute and Optimize see them, terminated:
// their count, or -1 when the field cannot be read.
int readFieldStart(HWND field, char (&text)[SequenceTextSize]);
// The field's whole text as codes, at most ScratchMoveCount of them, and whether the parser stops
// short of its end, so that a move written behind it would be lost too (may be null); false when
// the field cannot be read.
bool readFieldMoves(HWND field, MoveCode (&codes)[ScratchMoveCount + 1], uint32_t* count,
                    bool* stopsShort = nullptr);
