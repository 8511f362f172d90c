// The views' two context menus and their commands.
#include "cubeViewPrivate.h"
#include "cubeletEdits.h"
#include "../shell/colorChooser.h"

#include <cstdio>

namespace {

const char* const SideNames[6] = {"Front", "Right", "Back", "Left", "Top", "Underside"};

HMENU buildMenu(bool squares) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    if (squares) {
        AppendMenuA(menu, MF_STRING, RotateCubeletCw, "Rotate Cubelet CW\tCtrl+Right Click");
        AppendMenuA(menu, MF_STRING, RotateCubeletCcw, "Rotate Cubelet CCW\tCtrl+Left Click");
        AppendMenuA(menu, MF_STRING, MoveCubeletCommand, "Move Cubelet\tCtrl+Drag");
    }
    AppendMenuA(menu, MF_STRING, RotateSideCw, "Rotate Side CW\tDrag CW");
    AppendMenuA(menu, MF_STRING, RotateSideCcw, "Rotate Side CCW\tDrag CCW");
    AppendMenuA(menu, MF_STRING, SetSideColor, "Set Side Color...");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, InformationLine, "");
    return menu;
}

// The side is turned the way a drag of one place along its ring would turn it. On a centre
// the side is turned too: the menu offers the items there, and a user expects them to work.
bool turnSide(HWND view, int square, bool clockwise) {
    const int side = square / 9;
    const int start = square % 9 == 8 ? 9 * side : square;
    return turnSideByDrag(view, start, squareAlongRing(start, clockwise ? 1 : -1));
}

bool setSideColor(HWND view, int square) {
    COLORREF color = viewOf(view)->sideColors[square / 9];
    if (!colorChooser(view, &color)) return false;
    viewOf(view)->sideColors[square / 9] = color;
    return true;
}

} // namespace

void createViewMenus(CubeView* v) {
    v->squareMenu = buildMenu(true);
    v->centreMenu = buildMenu(false);
}

void formatInformationLine(int square, char* text, size_t size) {
    const int side = square / 9, position = square % 9;
    if (position == 8)
        std::snprintf(text, size, "Side Name: \"%s\" (%c)", SideNames[side],
                      StateSideLetters[side]);
    else
        std::snprintf(text, size, "Side %d: %s (%c); Square %d", side, SideNames[side],
                      StateSideLetters[side], position);
}

void showSquareMenu(HWND view, int square) {
    CubeView* v = viewOf(view);
    GetCursorPos(&v->menuPoint);
    SetForegroundWindow(view);
    HMENU menu = square % 9 == 8 ? v->centreMenu : v->squareMenu;
    char text[64];
    formatInformationLine(square, text, sizeof text);
    ModifyMenuA(menu, InformationLine, MF_BYCOMMAND | MF_STRING, InformationLine, text);
    TrackPopupMenu(menu, 0, v->menuPoint.x, v->menuPoint.y, 0, view, nullptr);
}

// Acts on the square under the point where the menu opened. These edits do not ask about
// recording.
void onMenuCommand(HWND view, int id) {
    CubeView* v = viewOf(view);
    if (v->menuPoint.x == -1 || v->menuPoint.y == -1) return;
    POINT p = v->menuPoint;
    ScreenToClient(view, &p);
    const int square = squareAtPoint(v, p.x, p.y);
    bool changed = false;
    if (square >= 0) {
        switch (id) {
            case RotateCubeletCw:
                changed = rotateCubelet(view, square, true);
                break;
            case RotateCubeletCcw:
                changed = rotateCubelet(view, square, false);
                break;
            case MoveCubeletCommand:
                changed = moveCubelet(view, square, squareAlongRing(square, 4));
                break;
            case RotateSideCw:
                changed = turnSide(view, square, true);
                break;
            case RotateSideCcw:
                changed = turnSide(view, square, false);
                break;
            case SetSideColor:
                changed = setSideColor(view, square);
                break;
        }
    }
    if (changed) finishEdit(view);
    v->menuPoint = {-1, -1};
}
