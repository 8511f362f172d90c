// Editing a view with the mouse: drags turn sides, Ctrl edits turn or exchange cubelets.
#include "cubeViewPrivate.h"
#include "cubeletEdits.h"
#include "../engine/packedCube.h"

namespace {

const uint32_t NoPoint = 0xFFFFFFFFu;

void readColors(const CubeView* v, uint32_t colors[54]) {
    for (int i = 0; i < 54; ++i)
        colors[i] = v->squares[i].colorIndex;
}

void writeColors(CubeView* v, const uint32_t colors[54]) {
    for (int i = 0; i < 54; ++i)
        v->squares[i].colorIndex = colors[i];
}

int squareAtPacked(const CubeView* v, uint32_t point) {
    return squareAtPoint(v, int(point & 0xFFFF), int(point >> 16));
}

// A view sits in a group box, which passes nothing on: its notifications go to the top-level
// window that holds it.
void notifyOwner(HWND view, NMHDR* note) {
    SendMessageA(GetAncestor(view, GA_ROOT), WM_NOTIFY, note->idFrom,
                 reinterpret_cast<LPARAM>(note));
}

} // namespace

void repaintView(HWND view) {
    InvalidateRect(view, nullptr, TRUE);
    UpdateWindow(view);
}

void finishEdit(HWND view) {
    repaintView(view);
    NMHDR note = {view, UINT_PTR(GetDlgCtrlID(view)), CVN_CHANGED};
    notifyOwner(view, &note);
}

// The whole cube turns, exactly as the engine's move does it; the parent then hears of the turn.
bool turnSideByDrag(HWND view, int from, int to) {
    SideTurn turn;
    if (!sideTurnForDrag(from, to, &turn)) return false;
    PackedCube state;
    SendMessageA(view, CCM_GETSTATE, 0, reinterpret_cast<LPARAM>(&state));
    const MoveCode code = MoveCode(SideTurnCodes[turn.side] + (turn.counterClockwise ? 1 : 0));
    moveRoutines[code](&state);
    if (turn.halfTurn) moveRoutines[code](&state);
    SendMessageA(view, CCM_SETSTATE, 0, reinterpret_cast<LPARAM>(&state));
    NMCUBETURN note = {{view, UINT_PTR(GetDlgCtrlID(view)), CVN_SIDETURNED}, code, turn.halfTurn};
    notifyOwner(view, &note.header);
    return true;
}

bool rotateCubelet(HWND view, int square, bool clockwise) {
    uint32_t colors[54];
    readColors(viewOf(view), colors);
    if (!rotateCubeletColors(colors, square, clockwise)) return false;
    writeColors(viewOf(view), colors);
    return true;
}

bool moveCubelet(HWND view, int from, int to) {
    uint32_t colors[54];
    readColors(viewOf(view), colors);
    if (!moveCubeletColors(colors, from, to)) return false;
    writeColors(viewOf(view), colors);
    return true;
}

// A drag is known only from where the button went down and where it came up: no capture, no
// tracking in between. The Ctrl edits ask about recording first and are made whatever the
// answer.
bool onButtonUp(HWND view, UINT keyFlags, uint32_t releasePoint, bool right) {
    CubeView* v = viewOf(view);
    const uint32_t pressPoint = right ? v->rightDownPoint : v->leftDownPoint;
    bool edited = false;
    const int from = pressPoint == NoPoint ? -1 : squareAtPacked(v, pressPoint);
    const int to = from < 0 ? -1 : squareAtPacked(v, releasePoint);
    if (from >= 0 && to >= 0) {
        const bool ctrl = (keyFlags & MK_CONTROL) != 0;
        if (!ctrl && from == to) {
            if (right) showSquareMenu(view, from);
        } else if (!ctrl) {
            edited = turnSideByDrag(view, from, to);
        } else {
            NMHDR note = {view, UINT_PTR(GetDlgCtrlID(view)), CVN_EDITING};
            notifyOwner(view, &note);
            edited = from == to ? rotateCubelet(view, from, right) : moveCubelet(view, from, to);
        }
        if (edited) finishEdit(view);
    }
    v = viewOf(view);
    if (v) v->leftDownPoint = v->leftUpPoint = v->rightDownPoint = v->rightUpPoint = NoPoint;
    return edited;
}
