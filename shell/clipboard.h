// Text on the clipboard, in the ANSI code page, as another program would leave or find it.
#pragma once

#include <windows.h>

#include <string>

// False when the clipboard holds no text or cannot be opened.
bool readClipboardText(HWND owner, std::string* text);
bool writeClipboardText(HWND owner, const std::string& text);
