#include "cubeViewPrivate.h"
#include "geometry.h"
#include "../shell/settings.h"
#include "../engine/packedCube.h"

#include <windowsx.h>

#include <cstring>

const char CubeViewClassName[] = "CubeCtlClass";

CubeView* viewOf(HWND view) {
    return reinterpret_cast<CubeView*>(GetWindowLongPtrA(view, RecordSlot));
}

namespace {

void createSquareRegions(CubeView* v) {
    for (int i = 0; i < SquareCount; ++i)
        v->squares[i].region = CreatePolygonRgn(v->squares[i].corners, 4, WINDING);
}

void deleteSquareRegions(CubeView* v) {
    for (CubeSquare& sq : v->squares) {
        if (sq.region) DeleteObject(sq.region);
        sq.region = nullptr;
    }
}

void applyGeometry(CubeView* v, int width, int height) {
    static ViewGeometry g; // user-interface thread only
    computeGeometry(width, height, &g);
    v->labelFontHeight = g.labelFontHeight;
    v->gridPenWidth = g.gridPenWidth;
    for (int i = 0; i < SquareCount; ++i) {
        for (int c = 0; c < 4; ++c)
            v->squares[i].corners[c] = {g.squares[i].corners[c].x, g.squares[i].corners[c].y};
        v->squares[i].labelPoint = {g.squares[i].labelPoint.x, g.squares[i].labelPoint.y};
    }
    for (int f = 0; f < 2; ++f)
        for (int i = 0; i < GridPointCount; ++i)
            v->gridPoints[f][i] = {g.grid[f][i].x, g.grid[f][i].y};
}

// The record sits at the first 16-byte boundary of a zero-filled block 16 bytes larger.
BOOL onCreate(HWND hwnd, LPCREATESTRUCTA) {
    HANDLE heap = GetProcessHeap();
    SetWindowLongPtrA(hwnd, HeapSlot, reinterpret_cast<LONG_PTR>(heap));
    void* block = HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(CubeView) + 16);
    if (!block) return FALSE;
    SetWindowLongPtrA(hwnd, BlockSlot, reinterpret_cast<LONG_PTR>(block));
    const uintptr_t aligned = (reinterpret_cast<uintptr_t>(block) + 15) & ~uintptr_t(15);
    CubeView* v = reinterpret_cast<CubeView*>(aligned);
    SetWindowLongPtrA(hwnd, RecordSlot, reinterpret_cast<LONG_PTR>(v));

    RECT client;
    GetClientRect(hwnd, &client);
    applyGeometry(v, client.right, client.bottom);
    std::memcpy(v->sideColors, DefaultSideColors, sizeof v->sideColors);
    for (int i = 0; i < SquareCount; ++i)
        v->squares[i].colorIndex = uint32_t(i / 9);
    v->leftDownPoint = v->leftUpPoint = v->rightDownPoint = v->rightUpPoint = 0xFFFFFFFFu;
    createSquareRegions(v);
    createViewMenus(v);
    return TRUE;
}

void onDestroy(HWND hwnd) {
    CubeView* v = viewOf(hwnd);
    if (!v) return;
    if (v->squareMenu) DestroyMenu(v->squareMenu);
    if (v->centreMenu) DestroyMenu(v->centreMenu);
    deleteSquareRegions(v);
    HANDLE heap = reinterpret_cast<HANDLE>(GetWindowLongPtrA(hwnd, HeapSlot));
    HeapFree(heap, 0, reinterpret_cast<void*>(GetWindowLongPtrA(hwnd, BlockSlot)));
    SetWindowLongPtrA(hwnd, RecordSlot, 0);
    SetWindowLongPtrA(hwnd, BlockSlot, 0);
}

// The drawing follows the view's size, as when the window moves to a display of another scale.
void onSize(HWND hwnd, int width, int height) {
    CubeView* v = viewOf(hwnd);
    if (!v) return;
    deleteSquareRegions(v);
    applyGeometry(v, width, height);
    createSquareRegions(v);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void repaintNow(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
}

LRESULT onGetColors(HWND hwnd, COLORREF* colors) {
    std::memcpy(colors, viewOf(hwnd)->sideColors, 6 * sizeof(COLORREF));
    return 0;
}

LRESULT onSetColors(HWND hwnd, WPARAM repaint, const COLORREF* colors) {
    std::memcpy(viewOf(hwnd)->sideColors, colors, 6 * sizeof(COLORREF));
    if (repaint) repaintNow(hwnd);
    return 0;
}

// Square k of side s is byte 8 x s + k of the packed state; centres are not stored.
LRESULT onGetState(HWND hwnd, PackedCube* cube) {
    const CubeView* v = viewOf(hwnd);
    for (int s = 0; s < 6; ++s)
        for (int k = 0; k < 8; ++k)
            cube->bytes[8 * s + k] = uint8_t(v->squares[9 * s + k].colorIndex);
    return 0;
}

LRESULT onSetState(HWND hwnd, WPARAM repaint, const PackedCube* cube) {
    CubeView* v = viewOf(hwnd);
    for (int s = 0; s < 6; ++s)
        for (int k = 0; k < 8; ++k)
            v->squares[9 * s + k].colorIndex = cube->bytes[8 * s + k];
    if (repaint) repaintNow(hwnd);
    return 0;
}

} // namespace

LRESULT CALLBACK cubeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            return onCreate(hwnd, reinterpret_cast<LPCREATESTRUCTA>(lParam)) ? 0 : -1;
        case WM_DESTROY:
            onDestroy(hwnd);
            return 0;
        case WM_SIZE:
            onSize(hwnd, LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT:
            paintCubeView(hwnd);
            return 0;
        case WM_LBUTTONDOWN:
            viewOf(hwnd)->leftDownPoint = uint32_t(lParam);
            return 0;
        case WM_LBUTTONUP:
            viewOf(hwnd)->leftUpPoint = uint32_t(lParam);
            onButtonUp(hwnd, UINT(wParam), uint32_t(lParam), false);
            return 0;
        case WM_RBUTTONDOWN:
            viewOf(hwnd)->rightDownPoint = uint32_t(lParam);
            return 0;
        case WM_RBUTTONUP:
            viewOf(hwnd)->rightUpPoint = uint32_t(lParam);
            onButtonUp(hwnd, UINT(wParam), uint32_t(lParam), true);
            return 0;
        case WM_COMMAND:
            // Only the whole word: the menu commands come with notification code 0.
            if (wParam >= RotateCubeletCw && wParam <= InformationLine)
                onMenuCommand(hwnd, int(wParam));
            return 0;
        case CCM_GETCOLORS:
            return onGetColors(hwnd, reinterpret_cast<COLORREF*>(lParam));
        case CCM_SETCOLORS:
            return onSetColors(hwnd, wParam, reinterpret_cast<const COLORREF*>(lParam));
        case CCM_GETSTATE:
            return onGetState(hwnd, reinterpret_cast<PackedCube*>(lParam));
        case CCM_SETSTATE:
            return onSetState(hwnd, wParam, reinterpret_cast<const PackedCube*>(lParam));
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

ATOM registerCubeViewClass(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = cubeViewProc;
    wc.cbWndExtra = ViewExtraBytes;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = CubeViewClassName;
    return RegisterClassExA(&wc);
}

HWND createCubeView(HWND parent, HINSTANCE instance, const RECT* rect) {
    return CreateWindowExA(0, CubeViewClassName, nullptr, WS_CHILD | WS_VISIBLE, rect->left,
                           rect->top, rect->right - rect->left, rect->bottom - rect->top, parent,
                           nullptr, instance, nullptr);
}

// Lowest index first, so where regions touch the lower square wins.
int squareAtPoint(const CubeView* v, int x, int y) {
    for (int i = 0; i < SquareCount; ++i)
        if (PtInRegion(v->squares[i].region, x, y)) return i;
    return -1;
}
