#include "programWindow.h"
#include "currentSequence.h"
#include "fileIo.h"
#include "recorder.h"
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
    setCommentText(&CubeComment, "zz", 3);
    command(IDM_LOAD_SEQUENCE);
    EXPECT_EQ("F,R,B,L,T,U", field());
    EXPECT_STREQ("abc", SequenceComment.text);
    EXPECT_STREQ("zz", CubeComment.text);
    EXPECT_EQ("Morvane's Cube Emulator - six.csq", windowText(window));
    // A comment that fills its block without a NUL loses its last byte.
    Bytes full = fileBytes(pathOf("six.csq"));
    std::memcpy(&full.at(48), "abcdefgh", 8);
    writeFileBytes(pathOf("six.csq"), full);
    command(IDM_LOAD_SEQUENCE);
    EXPECT_STREQ("abcdefg", SequenceComment.text);
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
    // A block with room to spare, so that a recorded turn below needs no more memory for it.
    setCurrentSequence(Bytes(875, 4).data(), 875, 875);
    command(IDM_SAVE_SEQUENCE);
    const std::string one = pathOf("six.csq"), cube = pathOf("one.csf"), two = pathOf("two.csf");
    const Bytes saved = fileBytes(one);
    const std::string shown = field();
    EXPECT_EQ(5, saved.at(32 + 866)) << "the last move";

    // Without memory, loads, saves and recorded turns change nothing.
    ASSERT_EQ(1, writeCubeStateFile(cube.c_str(), App.sourceView));
    setViewState(App.destinationView, afterMoves(SolvedCube, {8}));
    Recorder.on = true;
    failAllocations = true;
    const int done = readSequenceFile(one.c_str()) + writeSequenceFile(one.c_str()) +
                     readCubeStateFile(cube.c_str(), App.destinationView) +
                     writeCubeStateFile(two.c_str(), App.sourceView);
    sideTurned(App.destinationView, 8);
    failAllocations = false;
    EXPECT_EQ(0, done);
    EXPECT_EQ(shown, field());
    EXPECT_EQ(867u, CurrentSequence.length);
    EXPECT_TRUE(sameCube(afterMoves(SolvedCube, {8}), viewState(App.destinationView)));
    EXPECT_EQ(saved, fileBytes(one));
    Recorder.on = false;

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

namespace {

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
}

// At each flush: the sizes of the new file and of the one it is to replace.
std::vector<std::pair<LONGLONG, DWORD>> seenAtFlush;
std::string replaced;

BOOL WINAPI watchFlush(HANDLE file) {
    LARGE_INTEGER size = {};
    WIN32_FILE_ATTRIBUTE_DATA old = {};
    GetFileSizeEx(file, &size);
    GetFileAttributesExA(replaced.c_str(), GetFileExInfoStandard, &old);
    seenAtFlush.emplace_back(size.QuadPart, old.nFileSizeLow);
    return FlushFileBuffers(file);
}

} // namespace

// A save over a file keeps what the file was: a hidden one stays hidden; a read-only one, or
// one held open by another program, keeps its bytes. The new bytes reach the disk while the old
// file is still there, and no temporary file stays. A path too long for the ANSI calls saves
// and loads back.
TEST_F(ProgramWindow, SavesReplaceFilesSafelyAtAnyPathLength) {
    const std::tuple<DWORD, bool, bool> cases[] = {
        {FILE_ATTRIBUTE_HIDDEN, false, true},
        {FILE_ATTRIBUTE_READONLY, false, false},
        {FILE_ATTRIBUTE_NORMAL, true, false},
    };
    const Bytes old = {1, 2, 3};
    replaced = pathOf("kept.csq");
    flushFile = watchFlush;
    setCurrentSequence(DefaultSequence, 7, 6);
    for (const auto& [attributes, held, saves] : cases) {
        writeFileBytes(replaced, old);
        SetFileAttributesA(replaced.c_str(), attributes);
        HANDLE holder = held ? CreateFileA(replaced.c_str(), GENERIC_READ, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
        seenAtFlush.clear();
        EXPECT_EQ(saves, writeSequenceFile(replaced.c_str()) == 1) << attributes;
        if (held) CloseHandle(holder);
        const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
        EXPECT_EQ(attributes & kept, GetFileAttributesA(replaced.c_str()) & kept) << attributes;
        SetFileAttributesA(replaced.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(saves ? 38u : old.size(), fileBytes(replaced).size()) << attributes;
        EXPECT_EQ(std::vector<std::string>{"kept.csq"}, filesIn(folder)) << attributes;
        const bool readOnly = attributes == FILE_ATTRIBUTE_READONLY;
        EXPECT_EQ(decltype(seenAtFlush)(readOnly ? 0 : 1, {38, 3}), seenAtFlush) << attributes;
    }
    flushFile = FlushFileBuffers;

    const std::string deep = pathOf(std::string(200, 'd'));
    const std::string longest = deep + "\\" + std::string(100, 'n') + ".csq";
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    ASSERT_GT(longest.size(), size_t(MAX_PATH));
    nextChosenFile = longest;
    setField("F,R,T");
    command(IDM_SAVE_SEQUENCE_AS);
    command(IDM_CLEAR_SEQUENCE);
    nextChosenFile = longest;
    command(IDM_LOAD_SEQUENCE);
    EXPECT_EQ("F,R,T", field());
    DeleteFileW((L"\\\\?\\" + std::wstring(longest.begin(), longest.end())).c_str());
    RemoveDirectoryA(deep.c_str());
}

// Only the source cube carries colours and comment, and only a load into it replaces them.
TEST_F(ProgramWindow, CubeFilesSaveAndLoad) {
    const PackedCube state = afterMoves(SolvedCube, {4, 9});
    setViewState(App.sourceView, state);
    const COLORREF colors[6] = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112};
    SendMessageA(App.sourceView, CCM_SETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
    setCommentText(&CubeComment, "abc", 4);
    nextChosenFile = pathOf("start.csf");
    command(IDM_SOURCE_SAVE);
    EXPECT_EQ("Source Cube - start.csf", windowText(GetDlgItem(window, IDC_SOURCE_GROUP)));
    setCommentText(&CubeComment, "zz", 3);
    command(IDM_DEST_LOAD);
    EXPECT_TRUE(sameCube(state, viewState(App.destinationView)));
    EXPECT_EQ(DefaultSideColors[0], viewColors(App.destinationView)[0]);
    EXPECT_STREQ("zz", CubeComment.text);
    command(IDM_SOURCE_ASSEMBLE);
    setDefaultColors();
    // Without its NUL the comment keeps one byte less than its block.
    Bytes bytes = fileBytes(pathOf("start.csf"));
    bytes.at(107) = 'd';
    writeFileBytes(pathOf("start.csf"), bytes);
    command(IDM_SOURCE_LOAD);
    EXPECT_TRUE(sameCube(state, viewState(App.sourceView)));
    EXPECT_EQ(0, std::memcmp(colors, SideColors.colors, sizeof colors));
    EXPECT_EQ(0, std::memcmp(colors, viewColors(App.sourceView).data(), sizeof colors));
    EXPECT_STREQ("abc", CubeComment.text);
}
