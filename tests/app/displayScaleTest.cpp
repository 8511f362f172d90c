#include "programWindow.h"
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
    const int font = fontHeight(App.sequenceField);
    RECT frame, view, large;
    GetWindowRect(window, &frame);
    GetClientRect(App.sourceView, &view);
    const auto changeTo = [&](UINT dpi, RECT rect) {
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&rect));
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        // The middle of each square shows its colour.
        const std::vector<COLORREF> colors = viewColors(App.sourceView);
        for (int i = 0; i < 54; ++i) {
            const POINT p = squareMiddle(App.sourceView, i);
            const int index = i % 9 == 8 ? i / 9 : state.bytes[8 * (i / 9) + i % 9];
            EXPECT_EQ(colors[index], pixelAt(App.sourceView, p.x, p.y)) << dpi << " " << i;
        }
    };
    changeTo(192,
             {frame.left, frame.top, 2 * frame.right - frame.left, 2 * frame.bottom - frame.top});
    GetClientRect(App.sourceView, &large);
    EXPECT_NEAR(2 * view.right, large.right, 4);
    EXPECT_NEAR(2 * view.bottom, large.bottom, 4);
    EXPECT_EQ(2 * font, fontHeight(App.sequenceField));
    changeTo(96, frame);
    const std::vector<RECT> after = layoutOf(window);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin(), after.end(),
                           [](const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }));
    EXPECT_EQ(font, fontHeight(App.sequenceField));
}
