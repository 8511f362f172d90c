#include "scaledLayout.h"
#include "../shell/dpi.h"
#include "../shell/resource.h"
#include "../shell/shell.h"

#include <vector>

namespace {

struct Placed {
    HWND control;
    RECT rect; // in the window's client area
};

// The layout the window opened with, and the font made for the latest other scale.
struct StartLayout {
    UINT dpi;
    LOGFONTA font;
    HFONT startFont;
    HFONT scaledFont;
    std::vector<Placed> controls;
};

StartLayout Start; // user-interface thread only

BOOL CALLBACK rememberControl(HWND control, LPARAM window) {
    if (GetParent(control) != reinterpret_cast<HWND>(window)) return TRUE;
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, reinterpret_cast<HWND>(window), reinterpret_cast<POINT*>(&rect), 2);
    Start.controls.push_back({control, rect});
    return TRUE;
}

int scaledFromStart(LONG value, UINT dpi) {
    return MulDiv(int(value), int(dpi), int(Start.dpi));
}

HFONT fontFor(UINT dpi) {
    if (dpi == Start.dpi || !Start.startFont) return Start.startFont;
    LOGFONTA font = Start.font;
    font.lfHeight = scaledFromStart(font.lfHeight, dpi);
    return CreateFontIndirectA(&font);
}

} // namespace

// A 10-pixel border at 100 %, 20 at the top where the caption runs.
RECT viewRectIn(HWND group, UINT dpi) {
    RECT client;
    GetClientRect(group, &client);
    const int side = scaledToDpi(10, dpi), top = scaledToDpi(20, dpi);
    return {side, top, client.right - side, client.bottom - side};
}

void rememberLayout(HWND window) {
    Start.dpi = dpiOf(window);
    // The window's own procedure keeps no font; its controls have the dialog's.
    HWND first = GetWindow(window, GW_CHILD);
    Start.startFont = reinterpret_cast<HFONT>(SendMessageA(first, WM_GETFONT, 0, 0));
    if (!Start.startFont || !GetObjectA(Start.startFont, sizeof Start.font, &Start.font))
        Start.startFont = nullptr;
    Start.controls.clear();
    EnumChildWindows(window, rememberControl, reinterpret_cast<LPARAM>(window));
}

// Always from the layout at the start, so going back to a scale restores it to the pixel.
void onDpiChanged(HWND window, UINT dpi, const RECT* suggested) {
    if (!Start.dpi || !dpi) return;
    SetWindowPos(window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    const HFONT font = fontFor(dpi);
    for (const Placed& placed : Start.controls) {
        const RECT& r = placed.rect;
        const int left = scaledFromStart(r.left, dpi), top = scaledFromStart(r.top, dpi);
        MoveWindow(placed.control, left, top, scaledFromStart(r.right, dpi) - left,
                   scaledFromStart(r.bottom, dpi) - top, FALSE);
        if (font) SendMessageA(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    for (const int group : {IDC_SOURCE_GROUP, IDC_DEST_GROUP}) {
        HWND box = GetDlgItem(window, group);
        const RECT rect = viewRectIn(box, dpi);
        MoveWindow(GetWindow(box, GW_CHILD), rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, FALSE);
    }
    if (Start.scaledFont && Start.scaledFont != font) DeleteObject(Start.scaledFont);
    Start.scaledFont = font != Start.startFont ? font : nullptr;
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void forgetLayout() {
    if (Start.scaledFont) DeleteObject(Start.scaledFont);
    Start = {};
}
