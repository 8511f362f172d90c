// The cuber's formats through the clipboard: standard notation for the sequence and facelet
// strings for either cube; and a random state for either cube.
#pragma once

#include <windows.h>

void onPasteStandardNotation();
void onCopyStandardNotation();
void onCopyCubeText(HWND view);
void onPasteCubeText(HWND view);
void onRandomState(HWND view);
