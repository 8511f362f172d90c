// Files named from outside the program: on its command line, or dropped onto its window.
#pragma once

#include <windows.h>

// A .csq loads into the sequence, a .csf into the source cube, or into the destination cube when
// toDestination is set, each as its Load command loads a chosen file; anything else is ignored.
bool openNamedFile(const wchar_t* path, bool toDestination);
// The files a command line names after the program's own name, in turn.
void openCommandLineFiles(const wchar_t* commandLine);
// A .csf dropped onto the destination view goes there; every other file as from the command line.
void onDropFiles(HWND window, HDROP drop);
