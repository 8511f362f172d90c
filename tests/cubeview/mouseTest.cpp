#include "programWindow.h"
#include "colorChooser.h"
#include "cubeView.h"
#include "runtimeFlags.h"
#include "sequenceStore.h"
#include "testCubes.h"

namespace {

int sq(const char* name) {
    return viewSquareIndex(name);
}

// Mouse messages as the system sends them to a view: client points, key flags on the release.
struct MouseOnViews : ProgramWindow {
    static POINT centre(HWND view, int square) {
        const POINT* c = viewOf(view)->squares[square].corners;
        return {(c[0].x + c[1].x + c[2].x + c[3].x) / 4, (c[0].y + c[1].y + c[2].y + c[3].y) / 4};
    }
    static LPARAM at(HWND view, int square) {
        const POINT p = centre(view, square);
        return MAKELPARAM(p.x, p.y);
    }
    void drag(HWND view, const char* from, const char* to, bool right = false, bool ctrl = false) {
        SendMessageA(view, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, 0, at(view, sq(from)));
        SendMessageA(view, right ? WM_RBUTTONUP : WM_LBUTTONUP, ctrl ? MK_CONTROL : 0,
                     at(view, sq(to)));
    }
    void ctrlClick(HWND view, const char* square, bool right) {
        drag(view, square, square, right, true);
    }
    PackedCube destination() const { return viewState(App.destinationView); }

    static void CALLBACK readLineAndClose(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        char text[64] = "";
        GetMenuStringA(shownMenu, InformationLine, text, sizeof text, MF_BYCOMMAND);
        seenLine = text;
        EndMenu();
    }

    // Opens the context menu of a square as a right click does, with the pointer there, and
    // closes it from a timer after reading its information line.
    static std::string seenLine;
    static HMENU shownMenu;
    std::string openMenuOn(HWND view, const char* square) {
        // The pointer belongs to the whole desktop, which test programs running side by side
        // share: one of them at a time places it, and a click that the pointer left before the
        // view read it is made again.
        HANDLE pointer = CreateMutexA(nullptr, FALSE, "MorvaneCubeTests-pointer");
        WaitForSingleObject(pointer, 30000);
        POINT p = centre(view, sq(square));
        ClientToScreen(view, &p);
        const CubeView* v = viewOf(view);
        for (int click = 0; click < 20; ++click) {
            placePointer(p);
            shownMenu = sq(square) % 9 == 8 ? v->centreMenu : v->squareMenu;
            seenLine.clear();
            SetTimer(nullptr, 0, 50, readLineAndClose);
            drag(view, square, square, true);
            pumpMessages();
            if (v->menuPoint.x == p.x && v->menuPoint.y == p.y) break;
        }
        ReleaseMutex(pointer);
        CloseHandle(pointer);
        return seenLine;
    }
    // The pointer moves through the X server: wait until the system has seen it arrive.
    static void placePointer(POINT p) {
        for (int tries = 0; tries < 100; ++tries) {
            SetCursorPos(p.x, p.y);
            pumpMessages();
            POINT now;
            GetCursorPos(&now);
            if (now.x == p.x && now.y == p.y) return;
            Sleep(10);
        }
    }
};

std::string MouseOnViews::seenLine;
HMENU MouseOnViews::shownMenu;

} // namespace

TEST_F(MouseOnViews, CtrlClicksTurnACornerAndFlipAnEdge) {
    ctrlClick(App.destinationView, "F0", true);
    PackedCube expected = SolvedCube;
    expected.bytes[squareIndex("F0")] = 4;
    expected.bytes[squareIndex("L2")] = 0;
    expected.bytes[squareIndex("T6")] = 3;
    EXPECT_TRUE(sameCube(expected, destination()));
    ctrlClick(App.destinationView, "F0", false);
    EXPECT_TRUE(sameCube(SolvedCube, destination()));
    ctrlClick(App.destinationView, "R5", false);
    ctrlClick(App.destinationView, "R5", true);
    EXPECT_TRUE(sameCube(SolvedCube, destination()));
}

TEST_F(MouseOnViews, DragsTurnTheSideByTheDistanceAlongItsRing) {
    for (bool right : {false, true}) {
        command(IDM_DEST_ASSEMBLE);
        drag(App.destinationView, "F0", "F2", right);
        EXPECT_TRUE(sameCube(afterMoves(SolvedCube, {8}), destination()));
        command(IDM_DEST_ASSEMBLE);
        drag(App.destinationView, "F0", "F4", right);
        EXPECT_TRUE(sameCube(afterMoves(SolvedCube, {8, 8}), destination()));
        command(IDM_DEST_ASSEMBLE);
        drag(App.destinationView, "F0", "F6", right);
        EXPECT_TRUE(sameCube(afterMoves(SolvedCube, {9}), destination()));
        command(IDM_DEST_ASSEMBLE);
        drag(App.destinationView, "F1", "F0", right);
        EXPECT_TRUE(sameCube(afterMoves(SolvedCube, {9}), destination()));
    }
    command(IDM_DEST_ASSEMBLE);
    drag(App.destinationView, "F0", "R2");
    drag(App.destinationView, "F0", "F8");
    drag(App.destinationView, "F8", "F3");
    EXPECT_TRUE(sameCube(SolvedCube, destination()));
}

TEST_F(MouseOnViews, CtrlDragsExchangeCubelets) {
    drag(App.destinationView, "F1", "R7", false, true);
    PackedCube expected = SolvedCube;
    expected.bytes[squareIndex("F1")] = 1;
    expected.bytes[squareIndex("T5")] = 0;
    expected.bytes[squareIndex("R7")] = 0;
    expected.bytes[squareIndex("F3")] = 4;
    EXPECT_TRUE(sameCube(expected, destination()));
    drag(App.destinationView, "F1", "R6", true, true);
    EXPECT_TRUE(sameCube(expected, destination())) << "an edge and a corner do not exchange";
}

TEST_F(MouseOnViews, PressOnOneViewReleasedOnTheOtherDoesNothing) {
    SendMessageA(App.sourceView, WM_LBUTTONDOWN, 0, at(App.sourceView, sq("F0")));
    SendMessageA(App.destinationView, WM_LBUTTONUP, 0, at(App.destinationView, sq("F2")));
    EXPECT_TRUE(sameCube(SolvedCube, destination()));
    EXPECT_TRUE(sameCube(SolvedCube, viewState(App.sourceView)));
    // The source view keeps its press until its own next release.
    SendMessageA(App.sourceView, WM_LBUTTONUP, 0, at(App.sourceView, sq("F2")));
    EXPECT_TRUE(sameCube(afterMoves(SolvedCube, {8}), viewState(App.sourceView)));
}

TEST_F(MouseOnViews, OnlyDestinationTurnsAreRecordedAndCtrlEditsAsk) {
    command(IDM_RECORD_SEQUENCE);
    drag(App.sourceView, "F0", "F2");
    EXPECT_EQ("", field());
    drag(App.destinationView, "T0", "T2");
    drag(App.destinationView, "F0", "F6");
    drag(App.destinationView, "L1", "L5");
    EXPECT_EQ("T,F',L\"", field());
    EXPECT_TRUE(questions.empty());
    nextAnswer = IDCANCEL;
    const PackedCube before = destination();
    ctrlClick(App.destinationView, "F0", true);
    EXPECT_EQ(1u, questions.size());
    EXPECT_EQ(before.bytes[squareIndex("T6")], destination().bytes[squareIndex("F0")])
        << "the corner turned all the same";
}

TEST_F(MouseOnViews, MenuInformationLines) {
    EXPECT_EQ("Side 4: Top (T); Square 6", openMenuOn(App.destinationView, "T6"));
    EXPECT_EQ("Side Name: \"Underside\" (U)", openMenuOn(App.destinationView, "U8"));
    EXPECT_EQ("Side Name: \"Top\" (T)", openMenuOn(App.sourceView, "T8"));
}

TEST_F(MouseOnViews, MenuCommandsActOnTheSquareWhereTheMenuOpened) {
    openMenuOn(App.destinationView, "F1");
    SendMessageA(App.destinationView, WM_COMMAND, MoveCubeletCommand, 0);
    PackedCube expected = SolvedCube;
    expected.bytes[squareIndex("T5")] = 5;
    expected.bytes[squareIndex("U1")] = 4;
    EXPECT_TRUE(sameCube(expected, destination()));
    EXPECT_EQ(-1, viewOf(App.destinationView)->menuPoint.x);
    SendMessageA(App.destinationView, WM_COMMAND, RotateCubeletCw, 0);
    EXPECT_TRUE(sameCube(expected, destination())) << "no menu open, nothing to act on";

    // Menu edits do not ask about recording, but their side turns are recorded.
    command(IDM_DEST_ASSEMBLE);
    command(IDM_RECORD_SEQUENCE);
    openMenuOn(App.destinationView, "F0");
    SendMessageA(App.destinationView, WM_COMMAND, RotateCubeletCw, 0);
    openMenuOn(App.destinationView, "R3");
    SendMessageA(App.destinationView, WM_COMMAND, RotateSideCcw, 0);
    openMenuOn(App.destinationView, "T8");
    SendMessageA(App.destinationView, WM_COMMAND, RotateSideCw, 0);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ("R',T", field()) << "a centre's side turns too";
}

TEST_F(MouseOnViews, SetSideColorChangesThatSideOfThisViewOnly) {
    static COLORREF offered;
    colorChooser = [](HWND, COLORREF* color) {
        offered = *color;
        *color = RGB(1, 2, 3);
        return true;
    };
    drag(App.destinationView, "F1", "R7", false, true); // R7 now shows the front's colour
    openMenuOn(App.destinationView, "R7");
    SendMessageA(App.destinationView, WM_COMMAND, SetSideColor, 0);
    colorChooser = chooseColor;
    EXPECT_EQ(DefaultSideColors[1], offered);
    EXPECT_EQ(RGB(1, 2, 3), viewOf(App.destinationView)->sideColors[1]);
    EXPECT_EQ(DefaultSideColors[0], viewOf(App.destinationView)->sideColors[0]);
    EXPECT_EQ(DefaultSideColors[1], viewOf(App.sourceView)->sideColors[1]);
    EXPECT_EQ(DefaultSideColors[1], SideColors.colors[1]);
}
