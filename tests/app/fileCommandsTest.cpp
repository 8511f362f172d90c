#include "programWindow.h"
#include "cubeView.h"
#include "recorder.h"
#include "runtimeFlags.h"
#include "sequenceFile.h"
#include "sequenceStore.h"
#include "stateFile.h"
#include "testCubes.h"

#include <cstring>

using Bytes = std::vector<uint8_t>;

// A sequence saves with the comment typed for it, names the window and loads back. A file refused,
// or missing, changes nothing and is not remembered, so the next save cannot write over it; that
// save takes the whole field, however long.
TEST_F(ProgramWindow, SequenceFilesSaveLoadAndRefuse) {
    EXPECT_TRUE(openDialog(IDM_SEQUENCE_COMMENT, [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_COMMENT_EDIT, "abc");
        SendDlgItemMessageA(dialog, IDC_COMMENT_OK, BM_CLICK, 0, 0);
    }));
    nextChosenFile = pathOf("six.csq");
    setField("F R B L T U");
    command(IDM_SAVE_SEQUENCE);
    EXPECT_EQ("Morvane's Cube Emulator - six.csq", windowText(window));
    command(IDM_CLEAR_SEQUENCE);
    setCommentText(&SequenceComment, "", 1);
    command(IDM_LOAD_SEQUENCE);
    EXPECT_EQ("F,R,B,L,T,U", field());
    EXPECT_STREQ("abc", SequenceComment.text);
    EXPECT_EQ("Morvane's Cube Emulator - six.csq", windowText(window));
    std::vector<Bytes> bad(3, fileBytes(pathOf("six.csq")));
    bad[0][4] += 1;  // the size
    bad[1][32] = 12; // a move code
    bad[2].clear();  // no file at all
    setField("U");
    for (const Bytes& bytes : bad) {
        nextChosenFile = pathOf(bytes.empty() ? "missing.csq" : "bad.csq");
        writeFileBytes(pathOf("bad.csq"), bytes);
        command(IDM_LOAD_SEQUENCE);
        EXPECT_EQ("U", field());
        EXPECT_EQ(6u, CurrentSequence.length);
    }
    std::string text = "T'";
    while (text.size() < 2600)
        text += ",T'";
    setField(text);
    command(IDM_SAVE_SEQUENCE);
    const std::string one = pathOf("six.csq"), cube = pathOf("one.csf"), two = pathOf("two.csf");
    const Bytes saved = fileBytes(one);
    const std::string shown = field();
    EXPECT_EQ(5, saved.at(32 + 866)) << "the last move";

    // Without memory, loads, saves and recorded turns change nothing.
    ASSERT_EQ(1, writeCubeStateFile(cube.c_str(), App.sourceView));
    setViewState(App.destinationView, afterMoves(SolvedCube, {8}));
    RuntimeFlags |= Recording;
    failAllocations = true;
    const int done = readSequenceFile(one.c_str()) + writeSequenceFile(one.c_str()) +
                     readCubeStateFile(cube.c_str(), App.destinationView) +
                     writeCubeStateFile(two.c_str(), App.sourceView);
    recordMove(App.destinationView, 0, false, false);
    failAllocations = false;
    EXPECT_EQ(0, done);
    EXPECT_EQ(shown, field());
    EXPECT_EQ(867u, CurrentSequence.length);
    EXPECT_TRUE(sameCube(afterMoves(SolvedCube, {8}), viewState(App.destinationView)));
    EXPECT_EQ(saved, fileBytes(one));
    RuntimeFlags &= uint8_t(~Recording);

    // A comment that cannot be kept fails the whole load, though the moves or the state would
    // fit where they are; a save that cannot write keeps the stored sequence.
    const std::string longer(40, 'c');
    setCommentText(&SequenceComment, longer.c_str(), 41);
    setCommentText(&CubeComment, longer.c_str(), 41);
    setViewState(App.sourceView, afterMoves(SolvedCube, {2}));
    ASSERT_EQ(1, writeSequenceFile(one.c_str()) & writeCubeStateFile(cube.c_str(), App.sourceView));
    setCommentText(&SequenceComment, "abc", 4);
    setCommentText(&CubeComment, "abc", 4);
    setCurrentSequence(Bytes(500, 4).data(), 500, 500);
    setViewState(App.sourceView, SolvedCube);
    failHeapBlocks = true;
    EXPECT_EQ(0, readSequenceFile(one.c_str()) + readCubeStateFile(cube.c_str(), App.sourceView));
    failHeapBlocks = false;
    EXPECT_EQ(500u, CurrentSequence.length);
    EXPECT_TRUE(sameCube(SolvedCube, viewState(App.sourceView)));
    EXPECT_STREQ("abc", SequenceComment.text);
    EXPECT_STREQ("abc", CubeComment.text);
    nextChosenFile = pathOf("missing\\one.csq");
    setField("F");
    command(IDM_SAVE_SEQUENCE_AS);
    EXPECT_EQ(500u, CurrentSequence.length);
}

// Only the source cube carries colours and comment.
TEST_F(ProgramWindow, CubeFilesSaveAndLoad) {
    const PackedCube state = afterMoves(SolvedCube, {4, 9});
    setViewState(App.sourceView, state);
    const COLORREF colors[6] = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112};
    SendMessageA(App.sourceView, CCM_SETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
    setCommentText(&CubeComment, "abc", 4);
    nextChosenFile = pathOf("start.csf");
    command(IDM_SOURCE_SAVE);
    EXPECT_EQ("Source Cube - start.csf", windowText(GetDlgItem(window, IDC_SOURCE_GROUP)));
    command(IDM_DEST_LOAD);
    EXPECT_TRUE(sameCube(state, viewState(App.destinationView)));
    EXPECT_EQ(DefaultSideColors[0], viewOf(App.destinationView)->sideColors[0]);
    command(IDM_SOURCE_ASSEMBLE);
    setDefaultColors();
    setCommentText(&CubeComment, "", 1);
    command(IDM_SOURCE_LOAD);
    EXPECT_TRUE(sameCube(state, viewState(App.sourceView)));
    EXPECT_EQ(0, std::memcmp(colors, SideColors.colors, sizeof colors));
    EXPECT_EQ(0, std::memcmp(colors, viewOf(App.sourceView)->sideColors, sizeof colors));
    EXPECT_STREQ("abc", CubeComment.text);
}
