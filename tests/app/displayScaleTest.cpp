#include "programWindow.h"
#include "geometry.h"
#include "testCubes.h"

namespace {

// Every control of the window and both views, in the window's client area.
std::vector<RECT> layoutOf(HWND window) {
    std::vector<RECT> rects;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        for (HWND control : {child, GetWindow(child, GW_CHILD)}) {
            RECT rect;
            if (!control || !GetWindowRect(control, &rect)) continue;
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
            rects.push_back(rect);
        }
    return rects;
}

bool sameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != 0;
}

void changeScale(HWND window, UINT dpi, RECT frame) {
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));
    UpdateWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// The middle of each square shows its colour.
bool squaresShow(HWND view, const PackedCube& state) {
    RECT client;
    GetClientRect(view, &client);
    static ViewGeometry g;
    computeGeometry(client.right, client.bottom, &g);
    const std::vector<COLORREF> colors = viewColors(view);
    for (int i = 0; i < 54; ++i) {
        int x = 0, y = 0;
        for (const ViewPoint& corner : g.squares[i].corners)
            x += corner.x, y += corner.y;
        const int index = i % 9 == 8 ? i / 9 : state.bytes[8 * (i / 9) + i % 9];
        if (pixelAt(view, x / 4, y / 4) != colors[index]) return false;
    }
    return true;
}

int fontHeight(HWND control) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font.lfHeight;
}

} // namespace

// On a display of twice the scale the window, its controls, their text and the views' drawing
// double; back at 100 % every control is where it was, to the pixel.
TEST_F(ProgramWindow, FollowsTheDisplayScale) {
    // At the screen's corner, so the source view stays on the screen at twice the size.
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const PackedCube state = afterMoves(SolvedCube, {4, 9});
    setViewState(App.sourceView, state);
    const std::vector<RECT> before = layoutOf(window);
    const int fieldFont = fontHeight(App.sequenceField);
    RECT frame, view;
    GetWindowRect(window, &frame);
    GetClientRect(App.sourceView, &view);

    RECT doubled = frame;
    doubled.right += frame.right - frame.left;
    doubled.bottom += frame.bottom - frame.top;
    changeScale(window, 192, doubled);
    RECT large;
    GetClientRect(App.sourceView, &large);
    EXPECT_NEAR(2 * view.right, large.right, 4);
    EXPECT_NEAR(2 * view.bottom, large.bottom, 4);
    EXPECT_EQ(2 * fieldFont, fontHeight(App.sequenceField));
    EXPECT_TRUE(squaresShow(App.sourceView, state));

    changeScale(window, 96, frame);
    const std::vector<RECT> after = layoutOf(window);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin(), after.end(), sameRect));
    EXPECT_EQ(fieldFont, fontHeight(App.sequenceField));
    EXPECT_TRUE(squaresShow(App.sourceView, state));
}
