// Cube state files with their commands and the frame captions.
#pragma once

#include <windows.h>

#include "../engine/packedCube.h"

#include <vector>

// What a cube state file holds, copied out of its bytes; the comment has a NUL added.
struct StateContent {
    PackedCube state;
    bool hasColors;
    uint32_t colors[6];
    bool hasComment;
    std::vector<char> comment;
    uint32_t commentLength;
};

bool readCubeStateContent(const char* path, StateContent* content);
// Reads the file into the view; only the source cube takes its colours and comment.
int readCubeStateFile(const char* path, HWND view);
int writeCubeStateFile(const char* path, HWND view);

// Loads the file into a cube and remembers its name, as Load Cube does with the chosen one; a
// bad file, or a name too long to remember, changes nothing.
bool loadCubeFile(const char* path, bool source);
void onLoadCube(bool source);
void onSaveCube(bool source, bool alwaysAsk);
