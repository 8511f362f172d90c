// Cube state files with their commands and the frame captions.
#pragma once

#include <windows.h>

int readCubeStateFile(const char* path, HWND view);
int writeCubeStateFile(const char* path, HWND view);

void onLoadCube(bool source);
void onSaveCube(bool source, bool alwaysAsk);
