#include "sideColoringDialog.h"
#include "../shell/colorChooser.h"
#include "../shell/resource.h"
#include "../shell/settings.h"
#include "../shell/shell.h"
#include "../cubeview/cubeView.h"

#include <cstring>
#include <initializer_list>

namespace {

enum : int {
    SwatchCount = 7,
};

// One swatch per entry of the side colour table, in its order; a swatch's control id is
// IDC_SWATCH_FRONT plus its entry. The brushes live only while the dialog is open.
struct SideColoring {
    SideColoringRecord views;
    COLORREF colors[SwatchCount];
    HBRUSH brushes[SwatchCount];
};

SideColoring* coloringOf(HWND dialog) {
    return reinterpret_cast<SideColoring*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool isSwatch(int id) {
    return id >= IDC_SWATCH_FRONT && id < IDC_SWATCH_FRONT + SwatchCount;
}

// A colour set through the source view's own menu reaches the table here, whichever button
// closes the dialog later.
BOOL onInitDialog(HWND dialog, SideColoring* coloring) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(coloring));
    SendMessageA(coloring->views.sourceView, CCM_GETCOLORS, 0,
                 reinterpret_cast<LPARAM>(SideColors.colors));
    std::memcpy(coloring->colors, SideColors.colors, sizeof coloring->colors);
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(App.programIcon));
    return TRUE;
}

// The swatch is filled with its colour and its caption drawn over it.
INT_PTR onCtlColorStatic(HWND dialog, HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    SideColoring* coloring = coloringOf(dialog);
    if (!coloring || !isSwatch(id)) return FALSE;
    const int entry = id - IDC_SWATCH_FRONT;
    SetBkMode(dc, TRANSPARENT);
    if (coloring->brushes[entry]) DeleteObject(coloring->brushes[entry]);
    coloring->brushes[entry] = CreateSolidBrush(coloring->colors[entry] & 0x00FFFFFF);
    return reinterpret_cast<INT_PTR>(coloring->brushes[entry]);
}

void onSwatchClicked(HWND dialog, SideColoring* coloring, int id) {
    COLORREF* color = &coloring->colors[id - IDC_SWATCH_FRONT];
    if (!colorChooser(dialog, color)) return;
    HWND swatch = GetDlgItem(dialog, id);
    InvalidateRect(swatch, nullptr, TRUE);
    UpdateWindow(swatch);
}

// Each view takes the first six entries; the Undefined one stays in the table.
void apply(HWND dialog, SideColoring* coloring) {
    std::memcpy(SideColors.colors, coloring->colors, sizeof coloring->colors);
    for (HWND view : {coloring->views.sourceView, coloring->views.destinationView})
        SendMessageA(view, CCM_SETCOLORS, 0, reinterpret_cast<LPARAM>(SideColors.colors));
    // The views lie inside the owner's group boxes, so its children are repainted with it.
    if (HWND owner = GetWindow(dialog, GW_OWNER))
        RedrawWindow(owner, nullptr, nullptr,
                     RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void releaseBrushes(SideColoring* coloring) {
    for (HBRUSH& brush : coloring->brushes) {
        if (brush) DeleteObject(brush);
        brush = nullptr;
    }
}

void close(HWND dialog, SideColoring* coloring) {
    releaseBrushes(coloring);
    EndDialog(dialog, 0);
}

// Identifier 2, the Esc key's Cancel, is not among these: Esc leaves the dialog open.
void onCommand(HWND dialog, int id, UINT code) {
    SideColoring* coloring = coloringOf(dialog);
    if (!coloring || code != BN_CLICKED) return;
    if (isSwatch(id)) {
        onSwatchClicked(dialog, coloring, id);
    } else if (id == IDC_COLOR_APPLY) {
        apply(dialog, coloring);
    } else if (id == IDC_COLOR_OK) {
        apply(dialog, coloring);
        close(dialog, coloring);
    } else if (id == IDC_COLOR_CANCEL) {
        close(dialog, coloring);
    }
}

INT_PTR CALLBACK sideColoringProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            return onInitDialog(dialog, reinterpret_cast<SideColoring*>(lParam));
        case WM_CTLCOLORSTATIC:
            return onCtlColorStatic(dialog, reinterpret_cast<HDC>(wParam),
                                    reinterpret_cast<HWND>(lParam));
        case WM_COMMAND:
            onCommand(dialog, int(LOWORD(wParam)), UINT(HIWORD(wParam)));
            return TRUE;
        case WM_CLOSE:
            if (SideColoring* coloring = coloringOf(dialog)) close(dialog, coloring);
            return TRUE;
    }
    return FALSE;
}

} // namespace

void showSideColoringDialog(HWND owner, const SideColoringRecord& record) {
    SideColoring coloring = {record, {}, {}};
    DialogBoxParamA(App.instance, MAKEINTRESOURCEA(IDD_SIDE_COLORING), owner, sideColoringProc,
                    reinterpret_cast<LPARAM>(&coloring));
    // A dialog ended without its buttons, with its owner say, still leaves no brush behind.
    releaseBrushes(&coloring);
}

void showSideColoringDialog(HWND owner) {
    showSideColoringDialog(owner, {App.sourceView, App.destinationView});
}
