#include "programWindow.h"
#include "recorder.h"
#include "testCubes.h"

namespace {

PackedCube scrambled() {
    return afterMoves(distinctCube(), {8, 2, 5, 10, 7});
}

} // namespace

// The field's moves turn the source into the destination; the source never changes. Enter in
// the field, the button and the menu execute; only the first 1022 characters are read.
TEST_F(ProgramWindow, ExecuteCopyAssembleAndSwap) {
    const std::tuple<std::string, WPARAM, PackedCube> cases[] = {
        {"F,R',T\"", IDM_EXECUTE_SEQUENCE, afterMoves(scrambled(), {8, 3, 4, 4})},
        {"L", IDC_EXECUTE, afterMoves(scrambled(), {0})},
        {"U'", 0, afterMoves(scrambled(), {7})}, // Enter
        {std::string(1020, ',') + "R,F", IDM_EXECUTE_SEQUENCE, afterMoves(scrambled(), {2})},
        {"", IDM_EXECUTE_SEQUENCE, scrambled()},                // a plain copy
        {"xyz F", IDM_EXECUTE_SEQUENCE, SolvedCube},            // no moves, no change
        {"F", MAKEWPARAM(IDM_EXECUTE_SEQUENCE, 1), SolvedCube}, // a notice is no command
    };
    setViewState(App.sourceView, scrambled());
    for (const auto& [text, how, expected] : cases) {
        setViewState(App.destinationView, SolvedCube);
        setField(text);
        how ? SendMessageA(window, WM_COMMAND, how, 0)
            : SendMessageA(App.sequenceField, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(sameCube(expected, viewState(App.destinationView))) << text.substr(0, 9);
    }
    EXPECT_TRUE(sameCube(scrambled(), viewState(App.sourceView)));
    command(IDM_DEFAULT_SEQUENCE);
    EXPECT_EQ("F,R,B,L,T,U", field());

    // Each command, then whether the source and the destination show the scrambled cube.
    const std::pair<int, const char*> steps[] = {
        {IDM_SWAP_CUBES, "SX"},  {IDM_DEST_COPY, "XX"},       {IDM_DEST_ASSEMBLE, "XS"},
        {IDM_SOURCE_COPY, "XX"}, {IDM_SOURCE_ASSEMBLE, "SX"}, {IDM_SWAP_CUBES, "XS"}};
    const auto shows = [](HWND view, char c) {
        return sameCube(c == 'X' ? scrambled() : SolvedCube, viewState(view));
    };
    for (const auto& [id, after] : steps) {
        command(id);
        EXPECT_TRUE(shows(App.sourceView, after[0]) && shows(App.destinationView, after[1])) << id;
    }
}

// Side turns of the destination cube are recorded; other changes first ask whether to stop,
// and go on whatever the answer.
TEST_F(ProgramWindow, RecordingTakesDestinationTurnsAndAsksBeforeOtherChanges) {
    command(IDM_RECORD_SEQUENCE);
    sideTurned(App.destinationView, 4);
    sideTurned(App.sourceView, 2);
    EXPECT_EQ("T", field());
    command(IDM_DEFAULT_COLORING);
    setViewState(App.sourceView, scrambled());
    command(IDM_SOURCE_COPY);
    EXPECT_TRUE(sameCube(scrambled(), viewState(App.destinationView)));
    setField("T,L");
    sideTurned(App.destinationView, 3);
    EXPECT_EQ("T,L,R'", field());
    // Text the parser stops short of is cut off with the turn behind it; the next one is kept.
    setField("T,L,x");
    sideTurned(App.destinationView, 3);
    sideTurned(App.destinationView, 2);
    EXPECT_EQ("T,L,R", field());
    setField("T,L,R'");
    nextAnswer = IDYES;
    nextChosenFile = pathOf("recorded.csq");
    command(IDM_SWAP_CUBES);
    sideTurned(App.destinationView, 4);
    EXPECT_EQ(5u, questions.size());
    EXPECT_EQ("T,L,R'", field()) << "Yes saves, then stops";
    EXPECT_EQ(35u, fileBytes(pathOf("recorded.csq")).size());
}
