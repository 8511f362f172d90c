#include "programWindow.h"
#include "recorder.h"
#include "runtimeFlags.h"
#include "sequenceFile.h"
#include "sequenceStore.h"
#include "testCubes.h"

namespace {

enum ViewSide {
    Front = 0,
    Right,
    Back,
    Left,
    Top,
    Under
};

struct Recording : ProgramWindow {
    void startRecording() {
        setField("F,F");
        SetWindowTextA(window, "Morvane's Cube Emulator - old.csq");
        command(IDM_RECORD_SEQUENCE);
        ASSERT_TRUE(RuntimeFlags & ::Recording);
    }
    bool recording() const { return (RuntimeFlags & ::Recording) != 0; }
};

} // namespace

TEST_F(Recording, StartsEmptyAndYellow) {
    startRecording();
    EXPECT_EQ("", field());
    EXPECT_EQ("Morvane's Cube Emulator", title());
    EXPECT_TRUE(questions.empty());
    UpdateWindow(App.sequenceField);
    EXPECT_EQ(RGB(255, 255, 208), pixelAt(App.sequenceField, 20, 5));

    command(IDM_RECORD_SEQUENCE);
    EXPECT_TRUE(questions.empty()) << "starting again asks nothing";
}

TEST_F(Recording, DestinationTurnsBecomeCanonicalText) {
    startRecording();
    recordMove(App.destinationView, Top, false, false);
    recordMove(App.destinationView, Front, true, false);
    recordMove(App.destinationView, Left, false, true);
    EXPECT_EQ("T,F',L\"", field());
    ASSERT_EQ(4u, CurrentSequence.length);
    EXPECT_EQ(0, std::memcmp("\x04\x09\x00\x00", CurrentSequence.block, 4));

    recordMove(App.sourceView, Right, false, false);
    EXPECT_EQ("T,F',L\"", field()) << "the source cube is not recorded";
    recordMove(App.destinationView, Under, false, false);
    recordMove(App.destinationView, Under, false, false);
    EXPECT_EQ("T,F',L\",U\"", field());
    EXPECT_TRUE(questions.empty()) << "the recorder's own writes ask nothing";
}

TEST_F(Recording, NotRecordingRecordsNothing) {
    setField("R");
    recordMove(App.destinationView, Top, false, false);
    EXPECT_EQ("R", field());
    command(IDM_STOP_RECORDING);
    EXPECT_TRUE(questions.empty());
}

TEST_F(Recording, TypingAsksAndCancelKeepsRecording) {
    startRecording();
    recordMove(App.destinationView, Top, false, false);
    nextAnswer = IDCANCEL;
    setField("T,B");
    ASSERT_EQ(1u, questions.size());
    EXPECT_EQ("Sequence recording is about to be stopped.\r\n"
              "Would you like to save recorded sequence?\r\n"
              "Press \"Yes\" to stop sequence recording and save current sequence to file.\r\n"
              "Press \"No\" to stop sequence recording and discard current sequence.\r\n"
              "Press \"Cancel\" to continue recording.",
              questions[0]);
    EXPECT_TRUE(recording());
    EXPECT_EQ("T,B", field());
    recordMove(App.destinationView, Right, true, false);
    EXPECT_EQ("T,B,R'", field());
}

TEST_F(Recording, NoStopsAndKeepsTheMoves) {
    startRecording();
    recordMove(App.destinationView, Back, false, false);
    nextAnswer = IDNO;
    command(IDM_STOP_RECORDING);
    EXPECT_FALSE(recording());
    EXPECT_EQ("B", field());
    EXPECT_EQ(1u, CurrentSequence.length);
    EXPECT_NE(RGB(255, 255, 208), pixelAt(App.sequenceField, 20, 5));
}

TEST_F(Recording, YesSavesThroughTheDialogThenStops) {
    startRecording();
    recordMove(App.destinationView, Front, false, false);
    recordMove(App.destinationView, Right, false, false);
    nextAnswer = IDYES;
    nextChosenFile = pathOf("recorded.csq");
    command(IDM_SWAP_CUBES);
    EXPECT_FALSE(recording());
    ASSERT_EQ(1u, dialogTitles.size());
    const std::vector<uint8_t> bytes = fileBytes(pathOf("recorded.csq"));
    ASSERT_EQ(34u, bytes.size());
    EXPECT_EQ(8, bytes[32]);
    EXPECT_EQ(2, bytes[33]);
    EXPECT_EQ("Morvane's Cube Emulator", title()) << "this save leaves the title alone";
}

TEST_F(Recording, GuardedCommandsAskAndGoOn) {
    startRecording();
    setViewState(App.sourceView, afterMoves(SolvedCube, {8}));
    nextAnswer = IDCANCEL;
    command(IDM_SOURCE_COPY);
    EXPECT_EQ(1u, questions.size());
    EXPECT_TRUE(sameCube(afterMoves(SolvedCube, {8}), viewState(App.destinationView)));

    // Clearing changes the field, which asks a second time.
    recordMove(App.destinationView, Top, false, false);
    command(IDM_CLEAR_SEQUENCE);
    EXPECT_EQ(3u, questions.size());
    EXPECT_EQ("", field());

    // Settings and colours do not ask.
    command(IDM_DEFAULT_COLORING);
    command(IDM_RECORD_SEQUENCE);
    EXPECT_EQ(3u, questions.size());
}

// A question's message loop may let the yellow field paint again, which asks the main window
// for its brush; whatever was painted, the brush goes with the window.
namespace {

int closingQuestions;

int WINAPI repaintFieldAndCancel(HWND, LPCSTR, LPCSTR, UINT) {
    ++closingQuestions;
    HDC dc = GetDC(App.sequenceField);
    SendMessageA(GetParent(App.sequenceField), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(App.sequenceField));
    ReleaseDC(App.sequenceField, dc);
    return IDCANCEL;
}

} // namespace

TEST_F(Recording, ClosingAsksTwiceAfterCancelAndReleasesTheBrush) {
    startRecording();
    UpdateWindow(App.sequenceField);
    const HBRUSH brush = App.recordingBrush;
    ASSERT_NE(nullptr, brush);
    closingQuestions = 0;
    showMessageBox = repaintFieldAndCancel;
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(2, closingQuestions);
    EXPECT_EQ(nullptr, App.recordingBrush);
    EXPECT_EQ(0u, GetObjectType(brush)) << "the brush is deleted";
}
