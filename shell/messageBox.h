// The one way the program shows a message box; tests put their own answerer here.
#pragma once

#include <windows.h>

using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
extern MessageBoxFunction showMessageBox;
