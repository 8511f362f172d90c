// The cube view's own record and functions, for the files of the view (and its own tests).
#pragma once

#include "cubeView.h"

// Window extra bytes: the record, the block it lives in, and the heap the block came from, a
// pointer-sized slot each (12 bytes on 32-bit Windows).
enum {
    RecordSlot = 0,
    BlockSlot = sizeof(LONG_PTR),
    HeapSlot = 2 * sizeof(LONG_PTR),
    ViewExtraBytes = 3 * sizeof(LONG_PTR),
};

struct CubeSquare {
    HRGN region;
    uint32_t colorIndex;
    POINT labelPoint;
    POINT corners[4];
};

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

// The views' own context-menu commands.
enum {
    RotateCubeletCw = 3000,
    RotateCubeletCcw = 3001,
    MoveCubeletCommand = 3002,
    RotateSideCw = 3003,
    RotateSideCcw = 3004,
    SetSideColor = 3005,
    InformationLine = 3006,
};

CubeView* viewOf(HWND view);
int squareAtPoint(const CubeView* view, int x, int y);
void paintCubeView(HWND view);
void repaintView(HWND view);
// Repaints the view after a user's edit and tells the window that holds it.
void finishEdit(HWND view);

bool onButtonUp(HWND view, UINT keyFlags, uint32_t releasePoint, bool right);
bool turnSideByDrag(HWND view, int from, int to);
bool rotateCubelet(HWND view, int square, bool clockwise);
bool moveCubelet(HWND view, int from, int to);

void createViewMenus(CubeView* view);
void formatInformationLine(int square, char* text, size_t size);
void showSquareMenu(HWND view, int square);
void onMenuCommand(HWND view, int id);
