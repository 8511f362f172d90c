// The CubeCtlClass control: one cube as 54 coloured squares. Other folders reach a view only
// through these messages (and the cube state file through the record's first field).
#pragma once

#include <windows.h>

#include <cstdint>

#define CCM_GETCOLORS (WM_USER + 500)
#define CCM_SETCOLORS (WM_USER + 501)
#define CCM_GETSTATE  (WM_USER + 502)
#define CCM_SETSTATE  (WM_USER + 503)

// Window extra bytes: the record, the block it lives in, and the heap the block came from.
enum {
    RecordSlot = 0,
    BlockSlot = 4,
    HeapSlot = 8,
    ViewExtraBytes = 12,
};

struct CubeSquare {
    HRGN region;
    uint32_t colorIndex;
    POINT labelPoint;
    POINT corners[4];
};

// sideColors must stay first: the cube state file copies those 24 bytes straight out.
struct CubeView {
    COLORREF sideColors[6];
    int32_t labelFontHeight;
    int32_t gridPenWidth;
    HMENU squareMenu;
    HMENU centreMenu;
    POINT menuPoint;
    uint32_t leftDownPoint;
    uint32_t leftUpPoint;
    uint32_t rightDownPoint;
    uint32_t rightUpPoint;
    CubeSquare squares[54];
    POINT gridPoints[2][29];
};

extern const char CubeViewClassName[];

ATOM registerCubeViewClass(HINSTANCE instance);
HWND createCubeView(HWND parent, HINSTANCE instance, const RECT* rect);
CubeView* viewOf(HWND view);
int squareAtPoint(const CubeView* view, int x, int y);
void paintCubeView(HWND view);
