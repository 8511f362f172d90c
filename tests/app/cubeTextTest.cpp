#include "programWindow.h"
#include "clipboard.h"
#include "cubies.h"
#include "standardNotation.h"
#include "testCubes.h"

namespace {

std::string clipboard(HWND window) {
    std::string text;
    return readClipboardText(window, &text) ? text : "(none)";
}

} // namespace

// Standard notation from the clipboard goes into the field as this program's moves, where the
// caret is, as if typed (and back out: the journey). A token that is no turn of an outer side is
// refused by name, with nothing changed.
TEST_F(ProgramWindow, StandardNotationThroughTheClipboard) {
    writeClipboardText(window, "R U2 D' // a comment\r\nB");
    setField("F,");
    SendMessageA(App.sequenceField, EM_SETSEL, 2, 2);
    command(IDM_PASTE_STANDARD);
    EXPECT_EQ("F,R,T\",U',B", field());
    writeClipboardText(window, "R Rw U");
    command(IDM_PASTE_STANDARD);
    EXPECT_EQ("F,R,T\",U',B", field());
    ASSERT_EQ(1u, questions.size());
    EXPECT_NE(std::string::npos, questions[0].find("\"Rw\" is not a turn of one outer side"));
}

// A cube copies out as its facelet string and pastes into the other; a malformed string is
// refused with a message and no change; one no turns reach is taken, with a warning that says
// why. Random State gives a reachable state, a new one each time.
TEST_F(ProgramWindow, CubesAsTextThroughTheClipboard) {
    setViewState(App.sourceView, afterMoves(SolvedCube, {2}));
    command(IDM_SOURCE_COPY_TEXT);
    EXPECT_EQ("UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB", clipboard(window));
    command(IDM_DEST_PASTE_TEXT);
    EXPECT_TRUE(sameCube(viewState(App.sourceView), viewState(App.destinationView)));
    const std::string solved = faceletsOf(SolvedCube);
    std::string centres = solved;
    std::swap(centres[4], centres[22]);
    for (const std::string& bad : {solved.substr(1), "X" + solved.substr(1), centres}) {
        writeClipboardText(window, bad);
        command(IDM_DEST_PASTE_TEXT);
    }
    EXPECT_TRUE(sameCube(viewState(App.sourceView), viewState(App.destinationView)));
    EXPECT_EQ(3u, questions.size());
    std::string twisted = faceletsOf(twistedCorner());
    for (size_t at = 45; at > 0; at -= 9)
        twisted.insert(at, at == 27 ? "\r\n" : " ");
    writeClipboardText(window, twisted);
    command(IDM_DEST_PASTE_TEXT);
    EXPECT_TRUE(sameCube(twistedCorner(), viewState(App.destinationView)));
    ASSERT_EQ(4u, questions.size());
    EXPECT_NE(std::string::npos, questions[3].find("a corner cubelet is twisted"));

    command(IDM_SOURCE_RANDOM);
    const PackedCube first = viewState(App.sourceView);
    command(IDM_SOURCE_RANDOM);
    EXPECT_FALSE(sameCube(first, viewState(App.sourceView)) || sameCube(SolvedCube, first));
    EXPECT_EQ(int(Unreachable::None), int(whyUnreachable(viewState(App.sourceView))));
}

// Each change of a cube is a step, by command or by the mouse: undoing N steps gives the cubes
// N steps back, Redo goes forward again, and a new change drops the steps ahead. (Ctrl+Z and
// Ctrl+Y: the journey.)
TEST_F(ProgramWindow, UndoAndRedoStepThroughCubeChanges) {
    std::vector<std::pair<PackedCube, PackedCube>> seen;
    const auto showing = [&](size_t step) {
        return sameCube(seen[step].first, viewState(App.sourceView)) &&
               sameCube(seen[step].second, viewState(App.destinationView));
    };
    // Then two drags on the destination from the front's first square to its second: each its
    // own step, though no command comes between them.
    for (int id : {0, IDM_SOURCE_RANDOM, IDM_SOURCE_COPY, int(WM_LBUTTONUP), int(WM_LBUTTONUP)}) {
        if (id == WM_LBUTTONUP) {
            for (int square : {0, 1}) {
                const POINT p = squareMiddle(App.destinationView, square);
                PostMessageA(App.destinationView, square ? WM_LBUTTONUP : WM_LBUTTONDOWN, 0,
                             MAKELPARAM(p.x, p.y));
            }
            pumpMessages();
        } else if (id) {
            command(id);
        }
        seen.push_back({viewState(App.sourceView), viewState(App.destinationView)});
    }
    ASSERT_FALSE(sameCube(seen[3].second, seen[4].second));
    for (size_t step = 4; step-- > 0;) {
        command(IDM_UNDO);
        EXPECT_TRUE(showing(step)) << step;
    }
    command(IDM_REDO);
    command(IDM_REDO);
    EXPECT_TRUE(showing(2));
    command(IDM_DEST_ASSEMBLE);
    command(IDM_REDO);
    EXPECT_TRUE(sameCube(SolvedCube, viewState(App.destinationView)));
}
