#include "programWindow.h"
#include "colorChooser.h"
#include "cubeViewPrivate.h"
#include "notation.h"
#include "testCubes.h"

namespace {

// The assembled cube after sequence text, then with single squares set ("F0=4 L2=0").
PackedCube expected(const char* moves, const char* squares = "") {
    MoveCode codes[16];
    const uint32_t count = parseMoveText(codes, moves, 15);
    PackedCube c = afterMoves(SolvedCube, std::vector<MoveCode>(codes, codes + count));
    for (size_t i = 0; i + 4 <= std::strlen(squares); i += 5)
        c.bytes[squareIndex(squares + i)] = uint8_t(squares[i + 3] - '0');
    return c;
}

// The middle of a square as the client point of a mouse message.
LPARAM at(HWND view, const char* square) {
    const POINT* c = viewOf(view)->squares[squareIndex(square, 9)].corners;
    return MAKELPARAM((c[0].x + c[2].x) / 2, (c[0].y + c[2].y) / 2);
}

// "L F0F2": a drag with the left button from F0 to F2; "R^F0F0": a Ctrl+right click on F0;
// "L>F0F2": pressed on F0 of the source view, released on F2 of this one.
void gesture(HWND view, const char* g) {
    HWND pressed = g[1] == '>' ? App.sourceView : view;
    const UINT down = g[0] == 'R' ? WM_RBUTTONDOWN : WM_LBUTTONDOWN; // the release comes next
    SendMessageA(pressed, down, 0, at(pressed, g + 2));
    SendMessageA(view, down + 1, g[1] == '^' ? MK_CONTROL : 0, at(view, g + 4));
}

// A right click on the square, made again until the view saw the pointer there (it moves through
// the X server); a queued Escape closes the menu. Then the command; gives the information line.
std::string menuCommand(HWND view, const char* square, int command) {
    POINT p = {LOWORD(at(view, square)), HIWORD(at(view, square))};
    ClientToScreen(view, &p);
    const POINT& opened = viewOf(view)->menuPoint;
    for (int i = 0; i < 100 && (opened.x != p.x || opened.y != p.y); ++i, Sleep(10)) {
        SetCursorPos(p.x, p.y);
        PostMessageA(view, WM_KEYDOWN, VK_ESCAPE, 0);
        gesture(view, (std::string("R ") + square + square).c_str());
    }
    if (command) SendMessageA(view, WM_COMMAND, command, 0);
    char text[64] = "";
    HMENU menu = square[1] == '8' ? viewOf(view)->centreMenu : viewOf(view)->squareMenu;
    GetMenuStringA(menu, InformationLine, text, sizeof text, MF_BYCOMMAND);
    return text;
}

// Pixels in the middle of the squares that differ from the same drawn by hand: each square's
// fill (the background for a colour index without a brush) and its label, if shown.
int wronglyPainted(HWND view, const uint32_t* colors, PackedCube state, bool labels) {
    const CubeView* v = viewOf(view);
    HDC screen = GetDC(view), dc = CreateCompatibleDC(screen);
    HGDIOBJ firstBitmap = SelectObject(dc, CreateCompatibleBitmap(screen, 1024, 768));
    SelectObject(dc,
                 CreateFontA(v->labelFontHeight, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    int wrong = 0;
    for (int i = 0; i < 54; ++i) {
        const CubeSquare& s = v->squares[i];
        const int index = i % 9 == 8 ? i / 9 : state.bytes[8 * (i / 9) + i % 9];
        HBRUSH brush = CreateSolidBrush(index < 6 ? colors[index] : GetSysColor(COLOR_BTNFACE));
        FillRgn(dc, s.region, brush);
        DeleteObject(brush);
        const char text = i % 9 == 8 ? "FRBLTU"[i / 9] : char('0' + i % 9);
        if (labels) TextOutA(dc, s.labelPoint.x, s.labelPoint.y, &text, 1);
        for (int y = s.labelPoint.y; y < s.labelPoint.y + v->labelFontHeight; ++y)
            for (int x = s.labelPoint.x - 6; x <= s.labelPoint.x + 6; ++x)
                wrong += GetPixel(dc, x, y) != GetPixel(screen, x, y);
    }
    DeleteObject(SelectObject(dc, GetStockObject(SYSTEM_FONT)));
    DeleteObject(SelectObject(dc, firstBitmap));
    DeleteDC(dc);
    ReleaseDC(view, screen);
    return wrong;
}

} // namespace

using CubeViews = ProgramWindow;

// Gestures on the assembled destination cube, recording: drags turn a side by the places they
// go clockwise along its ring; Ctrl+right click turns a corner clockwise, Ctrl+left back, either
// flips an edge; Ctrl-drags exchange cubelets of a kind in their clockwise order; Ctrl edits ask
// about recording first. A release with no press of its own does nothing.
TEST_F(CubeViews, GesturesEditTheCubeAndRepaintIt) {
    // clang-format off
    const char* const gestures[] = {
        "L F0F2 F", "R F0F4 F\"", "L F0F5 F'", "R F1F0 F'", "L U7U2 U", "L F0R2", "L>F0F2",
        "R F0F8", "L F8F3", "R^F0F0 F0=4 L2=0 T6=3", "L^F0F0 F0=3 L2=4 T6=0", "R^U8U8",
        "L^R5R5 R5=5 U3=1", "R^R5R5 R5=5 U3=1", "L^F0R2 R2=0 F0=1 T6=2 L2=4 T2=3 B0=4",
        "R^F1R7 F1=1 T5=0 R7=0 F3=4", "L^F0T6 F0=4 L2=0 T6=3", "R^F1R6"};
    // clang-format on
    HWND view = App.destinationView;
    const uint32_t colors[6] = {0x3060C0, 0x00A0FF, 0xC03080, 0x20D020, 0xE0E0E0, 0x808000};
    SendMessageA(view, CCM_SETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
    Settings.flags |= ShowLabels;
    EXPECT_EQ(0, wronglyPainted(view, DefaultSideColors, SolvedCube, false)) << "not repainted";
    SendMessageA(view, CCM_SETCOLORS, 1, reinterpret_cast<LPARAM>(colors));
    EXPECT_EQ(0, wronglyPainted(view, colors, SolvedCube, true)) << "repainted";
    command(IDM_RECORD_SEQUENCE);
    for (const char* g : gestures) {
        setViewState(view, SolvedCube);
        setField("");
        questions.clear();
        gesture(view, g);
        const char* turn = g[6] && g[1] != '^' ? g + 7 : "";
        const PackedCube want = expected(turn, g[6] && g[1] == '^' ? g + 7 : "");
        EXPECT_TRUE(sameCube(want, viewState(view))) << g;
        EXPECT_EQ(0, wronglyPainted(view, colors, want, true)) << g;
        EXPECT_EQ(turn, field()) << g;
        EXPECT_EQ(g[1] == '^' ? 1u : 0u, questions.size()) << g;
    }
    // Any bytes are taken, and shown as they are.
    PackedCube odd = expected("F,R',T\",U'");
    odd.bytes[1] = 6, odd.bytes[43] = 255;
    setViewState(view, odd);
    EXPECT_TRUE(sameCube(odd, viewState(view)));
    EXPECT_EQ(0, wronglyPainted(view, colors, odd, true));
}

// Menu commands act on the square where the menu opened, once, and do not ask about recording.
TEST_F(CubeViews, MenuCommandsActOnTheSquareWhereTheMenuOpened) {
    HWND view = App.destinationView;
    command(IDM_RECORD_SEQUENCE);
    EXPECT_EQ("Side 4: Top (T); Square 6", menuCommand(view, "T6", RotateCubeletCw));
    menuCommand(view, "F1", MoveCubeletCommand);
    SendMessageA(view, WM_COMMAND, RotateCubeletCw, 0); // no menu open now
    EXPECT_EQ("Side Name: \"Underside\" (U)", menuCommand(view, "U8", RotateSideCw));
    menuCommand(view, "R3", RotateSideCcw);
    const PackedCube edited = expected("", "F0=4 L2=0 T6=3 T5=5 U1=4");
    EXPECT_TRUE(sameCube(afterMoves(edited, {6, 3}), viewState(view)));
    EXPECT_EQ("U,R'", field());
    EXPECT_TRUE(questions.empty());
    // T6 shows the left's colour now, but the colour offered and set is the top's, here only.
    colorChooser = [](HWND, COLORREF* color) { return *color == 0xFFFFFF && (*color = 7); };
    menuCommand(view, "T6", SetSideColor);
    colorChooser = chooseColor;
    EXPECT_TRUE(viewOf(view)->sideColors[4] == 7 && SideColors.colors[4] == 0xFFFFFF &&
                viewOf(App.sourceView)->sideColors[4] == 0xFFFFFF);
    EXPECT_EQ("Side Name: \"Top\" (T)", menuCommand(App.sourceView, "T8", 0));
}
