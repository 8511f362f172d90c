// The CubeCtlClass control: one cube as 54 coloured squares. Other folders reach a view only
// through these messages (and the cube state file through the record's first field).
#pragma once

#include <windows.h>

#include <cstdint>

#define CCM_GETCOLORS (WM_USER + 500)
#define CCM_SETCOLORS (WM_USER + 501)
#define CCM_GETSTATE  (WM_USER + 502)
#define CCM_SETSTATE  (WM_USER + 503)

// Sent as WM_NOTIFY to the top-level window that holds the view, like a common control's
// notifications: a side turned by a
// drag (NMCUBETURN), and a cubelet about to be edited with Ctrl (NMHDR), whatever the answer.
#define CVN_SIDETURNED (0U - 1500U)
#define CVN_EDITING    (0U - 1501U)

// A drag turned a side: the move's code, done twice for a half turn.
struct NMCUBETURN {
    NMHDR header;
    uint8_t code;
    bool halfTurn;
};

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

extern const char CubeViewClassName[];
// Side letters in the views' side order.
extern const char ViewSideLetters[7];

ATOM registerCubeViewClass(HINSTANCE instance);
HWND createCubeView(HWND parent, HINSTANCE instance, const RECT* rect);
CubeView* viewOf(HWND view);
int squareAtPoint(const CubeView* view, int x, int y);
void paintCubeView(HWND view);
void repaintView(HWND view);

bool onButtonUp(HWND view, UINT keyFlags, uint32_t releasePoint, bool right);
bool turnSideByDrag(HWND view, int from, int to);
bool rotateCubelet(HWND view, int square, bool clockwise);
bool moveCubelet(HWND view, int from, int to);

void createViewMenus(CubeView* view);
void formatInformationLine(int square, char* text, size_t size);
void showSquareMenu(HWND view, int square);
void onMenuCommand(HWND view, int id);
