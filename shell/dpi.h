// The scale of the display a window is on, in dots per inch: 96 at 100 %, 192 at 200 %.
#pragma once

#include <windows.h>

enum : UINT {
    BaseDpi = 96,
};

UINT dpiOf(HWND window);

inline int scaledToDpi(int pixels, UINT dpi) {
    return MulDiv(pixels, int(dpi), BaseDpi);
}
