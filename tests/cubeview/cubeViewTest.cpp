#include "cubeView.h"
#include "settings.h"
#include "testCubes.h"
#include "windowTesting.h"

#include <gtest/gtest.h>

namespace {

// A visible 320 x 256 view in a plain top-level window, so painting really happens.
struct CubeViewWindow : ::testing::Test {
    HWND parent = nullptr, view = nullptr;
    void SetUp() override {
        registerProgramClasses();
        setDefaultSettings();
        setDefaultColors();
        parent = CreateWindowExA(0, "STATIC", "view test", WS_POPUP | WS_VISIBLE, 0, 0, 340, 280,
                                 nullptr, nullptr, testInstance(), nullptr);
        ASSERT_NE(nullptr, parent);
        const RECT rect = {0, 0, 320, 256};
        view = createCubeView(parent, testInstance(), &rect);
        ASSERT_NE(nullptr, view);
        UpdateWindow(view);
        pumpMessages();
    }
    void TearDown() override {
        DestroyWindow(parent);
        Settings.flags = 0;
    }
    const CubeView* record() const { return viewOf(view); }
    POINT centreOf(int square) const {
        const POINT* c = record()->squares[square].corners;
        return {(c[0].x + c[1].x + c[2].x + c[3].x) / 4, (c[0].y + c[1].y + c[2].y + c[3].y) / 4};
    }
    void repaint() {
        InvalidateRect(view, nullptr, TRUE);
        UpdateWindow(view);
    }
};

} // namespace

TEST_F(CubeViewWindow, GeometryIsComputedForTheClientSize) {
    const CubeView* v = record();
    EXPECT_EQ(16, v->labelFontHeight);
    EXPECT_EQ(3, v->gridPenWidth);
    EXPECT_EQ(85, v->squares[0].corners[0].x);
    EXPECT_EQ(128, v->squares[0].corners[0].y);
    EXPECT_EQ(96, v->squares[0].labelPoint.x);
    EXPECT_EQ(129, v->squares[0].labelPoint.y);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(v) % 16) << "the record is 16-byte aligned";
    EXPECT_EQ(0xFFFFFFFFu, v->leftDownPoint);
}

TEST_F(CubeViewWindow, HitTestFindsSquaresAndNothingInMarginsOrGap) {
    for (int i = 0; i < 54; ++i) {
        const POINT p = centreOf(i);
        EXPECT_EQ(i, squareAtPoint(record(), p.x, p.y)) << "square " << i;
    }
    EXPECT_EQ(-1, squareAtPoint(record(), 5, 5));
    EXPECT_EQ(-1, squareAtPoint(record(), 319, 255));
    EXPECT_EQ(-1, squareAtPoint(record(), 160, 128)) << "between the figures";
    EXPECT_EQ(-1, squareAtPoint(record(), 20, 20)) << "outside the left hexagon";
}

TEST_F(CubeViewWindow, StateRoundTripsAnyBytesAndKeepsCentres) {
    EXPECT_TRUE(sameCube(SolvedCube, viewState(view)));
    PackedCube wild;
    for (int i = 0; i < 48; ++i)
        wild.bytes[i] = uint8_t(i * 37 + 200);
    EXPECT_EQ(0, SendMessageA(view, CCM_SETSTATE, 0, reinterpret_cast<LPARAM>(&wild)));
    EXPECT_TRUE(sameCube(wild, viewState(view)));
    for (int side = 0; side < 6; ++side)
        EXPECT_EQ(uint32_t(side), record()->squares[9 * side + 8].colorIndex);
    EXPECT_EQ(uint32_t(wild.bytes[8 * 2 + 5]), record()->squares[9 * 2 + 5].colorIndex);
}

TEST_F(CubeViewWindow, ColoursShowOnlyWhenRepainted) {
    COLORREF colors[6];
    EXPECT_EQ(0, SendMessageA(view, CCM_GETCOLORS, 0, reinterpret_cast<LPARAM>(colors)));
    EXPECT_EQ(DefaultSideColors[4], colors[4]);
    const POINT top = centreOf(9 * 4 + 1);
    ASSERT_EQ(COLORREF(0xFFFFFF), pixelAt(view, top.x, top.y));

    colors[4] = RGB(10, 20, 30);
    SendMessageA(view, CCM_SETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
    EXPECT_EQ(COLORREF(0xFFFFFF), pixelAt(view, top.x, top.y)) << "no repaint yet";
    colors[4] = RGB(40, 50, 60);
    SendMessageA(view, CCM_SETCOLORS, 1, reinterpret_cast<LPARAM>(colors));
    EXPECT_EQ(RGB(40, 50, 60), pixelAt(view, top.x, top.y)) << "repainted before returning";
}

// Every square's centre shows the colour of its index, after a known sequence.
TEST_F(CubeViewWindow, PaintsEverySquareInItsColour) {
    const PackedCube state = afterMoves(SolvedCube, {8, 3, 4, 4, 11});
    setViewState(view, state);
    for (int i = 0; i < 54; ++i) {
        const int side = i / 9, position = i % 9;
        const int index = position == 8 ? side : state.bytes[8 * side + position];
        const POINT p = centreOf(i);
        EXPECT_EQ(COLORREF(DefaultSideColors[index]), pixelAt(view, p.x, p.y)) << "square " << i;
    }
}

// With labels the digits sit on the centres; the fill shows beside them.
TEST_F(CubeViewWindow, LabelsAppearOnlyWhenAskedFor) {
    auto darkPixelsAround = [&](int square) {
        const POINT p = centreOf(square);
        int dark = 0;
        for (int dy = -4; dy <= 4; ++dy)
            for (int dx = -3; dx <= 3; ++dx)
                if (GetRValue(pixelAt(view, p.x + dx, p.y + dy)) < 60 &&
                    GetGValue(pixelAt(view, p.x + dx, p.y + dy)) < 60)
                    ++dark;
        return dark;
    };
    for (int i : {13, 44})
        EXPECT_EQ(0, darkPixelsAround(i)) << "square " << i;
    Settings.flags = ShowLabels;
    repaint();
    for (int i : {13, 44, 0, 53})
        EXPECT_GT(darkPixelsAround(i), 3) << "square " << i;
    for (int i = 0; i < 54; ++i) {
        const POINT p = centreOf(i);
        EXPECT_EQ(COLORREF(DefaultSideColors[i / 9]), pixelAt(view, p.x - 7, p.y))
            << "square " << i;
    }
}

TEST_F(CubeViewWindow, ColourIndexWithoutBrushLeavesTheBackground) {
    PackedCube state = SolvedCube;
    state.bytes[8 * 0 + 1] = 6;
    state.bytes[8 * 5 + 3] = 255;
    setViewState(view, state);
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    const POINT f1 = centreOf(1), u3 = centreOf(9 * 5 + 3);
    EXPECT_EQ(background, pixelAt(view, f1.x, f1.y));
    EXPECT_EQ(background, pixelAt(view, u3.x, u3.y));
}
