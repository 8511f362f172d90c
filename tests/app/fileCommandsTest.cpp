#include "programWindow.h"
#include "cubeView.h"
#include "failingNew.h"
#include "recorder.h"
#include "runtimeFlags.h"
#include "sequenceFile.h"
#include "sequenceStore.h"
#include "stateFile.h"
#include "testCubes.h"

#include <cstring>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes header(const char* magic, uint32_t size, std::initializer_list<uint32_t> fields) {
    Bytes b(magic, magic + 4);
    auto put = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
    };
    put(size);
    put(0);
    for (uint32_t f : fields)
        put(f);
    return b;
}

const Bytes SixMoves = {8, 2, 10, 0, 4, 6};

struct SequenceFiles : ProgramWindow {};
struct CubeFiles : ProgramWindow {};

// Every file in the folder: a save must leave nothing of its own behind.
std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

} // namespace

TEST_F(SequenceFiles, SavesCanonicalMovesAndShowsTheName) {
    nextChosenFile = pathOf("six.csq");
    setField("F R B L T U");
    command(IDM_SAVE_SEQUENCE);
    ASSERT_EQ(1u, dialogTitles.size());
    EXPECT_EQ("Save Move Sequence File", dialogTitles[0]);
    Bytes expected = header("CSQF", 38, {32, 32, 6, 0, 0});
    expected.insert(expected.end(), SixMoves.begin(), SixMoves.end());
    EXPECT_EQ(expected, fileBytes(pathOf("six.csq")));
    EXPECT_EQ("F,R,B,L,T,U", field());
    EXPECT_EQ("Morvane's Cube Emulator - six.csq", title());

    // The name is remembered: the next save asks no more.
    setField("L");
    command(IDM_SAVE_SEQUENCE);
    EXPECT_EQ(1u, dialogTitles.size());
    EXPECT_EQ(33u, fileBytes(pathOf("six.csq")).size());
}

TEST_F(SequenceFiles, CommentBlockIsWrittenWholeAndLoadsBack) {
    setCommentText(&SequenceComment, "abc", 4);
    nextChosenFile = pathOf("commented.csq");
    setField("F,R,B,L,T,U");
    command(IDM_SAVE_SEQUENCE_AS);
    Bytes expected = header("CSQF", 56, {32, 32, 6, 48, 8});
    expected.insert(expected.end(), SixMoves.begin(), SixMoves.end());
    expected.resize(48, 0);
    const Bytes comment = {'a', 'b', 'c', 0, 0, 0, 0, 0};
    expected.insert(expected.end(), comment.begin(), comment.end());
    EXPECT_EQ(expected, fileBytes(pathOf("commented.csq")));

    command(IDM_CLEAR_SEQUENCE);
    EXPECT_EQ("", field());
    EXPECT_EQ("Morvane's Cube Emulator", title());
    EXPECT_STREQ("abc", SequenceComment.text) << "clearing keeps the comment";
    setCommentText(&SequenceComment, "other", 6);

    command(IDM_LOAD_SEQUENCE);
    EXPECT_EQ("Open Move Sequence File", dialogTitles.back());
    EXPECT_EQ("F,R,B,L,T,U", field());
    EXPECT_EQ(6u, CurrentSequence.length);
    EXPECT_STREQ("abc", SequenceComment.text);
    EXPECT_EQ("Morvane's Cube Emulator - commented.csq", title());
}

// An emptied comment keeps its block's capacity, and that capacity is what is written.
TEST_F(SequenceFiles, EmptyCommentWritesItsWholeBlock) {
    setCommentText(&SequenceComment, "abc", 4);
    setCommentText(&SequenceComment, "", 1);
    nextChosenFile = pathOf("empty.csq");
    setField("T");
    command(IDM_SAVE_SEQUENCE);
    const Bytes bytes = fileBytes(pathOf("empty.csq"));
    ASSERT_EQ(48u + 8u, bytes.size());
    EXPECT_EQ(8, bytes[28]);
}

TEST_F(SequenceFiles, NothingToSaveWritesNothing) {
    nextChosenFile = pathOf("nothing.csq");
    setField("");
    command(IDM_SAVE_SEQUENCE);
    setField("x,F");
    command(IDM_SAVE_SEQUENCE);
    EXPECT_FALSE(fileExists(pathOf("nothing.csq")));
    EXPECT_EQ("Morvane's Cube Emulator", title());
    EXPECT_EQ(2u, dialogTitles.size()) << "the failed save did not keep the name";
}

TEST_F(SequenceFiles, AllOf875MovesAreSavedFromALongField) {
    std::string text;
    for (int i = 0; i < 875; ++i)
        text += i % 2 ? "R'," : "T',";
    text.pop_back();
    ASSERT_GT(text.size(), 2600u);
    nextChosenFile = pathOf("long.csq");
    setField(text);
    command(IDM_SAVE_SEQUENCE);
    const Bytes bytes = fileBytes(pathOf("long.csq"));
    ASSERT_EQ(32u + 875u, bytes.size());
    EXPECT_EQ(5, bytes[32 + 874]) << "the last move, T'";
    EXPECT_EQ(text, field());
}

TEST_F(SequenceFiles, RejectedFilesChangeNothing) {
    setField("U");
    setCurrentSequence(SixMoves.data(), 6, 6);
    Bytes good = header("CSQF", 38, {32, 32, 6, 0, 0});
    good.insert(good.end(), {4, 4, 4, 4, 4, 4});
    Bytes wrongSize = good;
    wrongSize[4] = 39;
    Bytes noMoves = header("CSQF", 32, {32, 32, 0, 0, 0});
    Bytes code12 = good;
    code12[35] = 12;
    Bytes tooMany = header("CSQF", 32 + 876, {32, 32, 876, 0, 0});
    tooMany.resize(32 + 876, 1);
    for (const Bytes* bad : {&wrongSize, &noMoves, &code12, &tooMany}) {
        writeFileBytes(pathOf("bad.csq"), *bad);
        nextChosenFile = pathOf("bad.csq");
        command(IDM_LOAD_SEQUENCE);
        EXPECT_EQ("U", field());
        EXPECT_EQ(6u, CurrentSequence.length);
        EXPECT_EQ(8, CurrentSequence.block[0]);
        EXPECT_EQ("Morvane's Cube Emulator", title());
        EXPECT_STREQ("", SequenceFileName);
    }
    Bytes most = header("CSQF", 32 + 875, {32, 32, 875, 0, 0});
    most.resize(32 + 875, 1);
    writeFileBytes(pathOf("most.csq"), most);
    nextChosenFile = pathOf("most.csq");
    command(IDM_LOAD_SEQUENCE);
    EXPECT_EQ(875u, CurrentSequence.length);
}

// A write that cannot complete leaves the file that was there untouched.
TEST_F(SequenceFiles, FailedWriteLeavesNoFileAndKeepsTheOldOne) {
    setCurrentSequence(SixMoves.data(), 6, 6);
    EXPECT_EQ(0, writeSequenceFile(pathOf("missing\\folder.csq").c_str()));
    EXPECT_FALSE(fileExists(pathOf("missing\\folder.csq")));

    // Another program holds the old file open without sharing: it cannot be replaced.
    const Bytes old = {1, 2, 3};
    writeFileBytes(pathOf("kept.csq"), old);
    HANDLE held = CreateFileA(pathOf("kept.csq").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(0, writeSequenceFile(pathOf("kept.csq").c_str()));
    CloseHandle(held);
    EXPECT_EQ(old, fileBytes(pathOf("kept.csq")));
    EXPECT_EQ(std::vector<std::string>{"kept.csq"}, filesIn(folder));
}

// The temporary file is a new one of the program's own: a file that happens to carry a
// likely name is left alone, and a target whose path fills MAX_PATH still saves.
TEST_F(SequenceFiles, SavingTouchesNoOtherFileAndTakesEveryPathThatFits) {
    setCurrentSequence(SixMoves.data(), 6, 6);
    const Bytes unrelated = {9, 9, 9};
    writeFileBytes(pathOf("mine.csq.new~"), unrelated);
    ASSERT_EQ(1, writeSequenceFile(pathOf("mine.csq").c_str()));
    EXPECT_EQ(unrelated, fileBytes(pathOf("mine.csq.new~")));
    EXPECT_EQ(38u, fileBytes(pathOf("mine.csq")).size());
    EXPECT_EQ(2u, filesIn(folder).size());

    const std::string longest = pathOf(std::string(MAX_PATH - 6 - folder.size(), 'n') + ".csq");
    ASSERT_EQ(size_t(MAX_PATH - 1), longest.size());
    EXPECT_EQ(1, writeSequenceFile(longest.c_str()));
    EXPECT_EQ(38u, fileBytes(longest).size());
    EXPECT_EQ(3u, filesIn(folder).size());
    DeleteFileA(longest.c_str());
}

// When memory runs out, loads and saves are refused like a bad file, with nothing changed,
// and a recorded turn leaves the field as it was.
TEST_F(SequenceFiles, NothingThrowsWhenMemoryRunsOut) {
    setCurrentSequence(SixMoves.data(), 6, 6);
    ASSERT_EQ(1, writeSequenceFile(pathOf("six.csq").c_str()));
    ASSERT_EQ(1, writeCubeStateFile(pathOf("source.csf").c_str(), App.sourceView));
    const MoveCode one[2] = {4, EndOfMoves};
    setCurrentSequence(one, 2, 1);
    setField("T");
    const PackedCube turned = afterMoves(SolvedCube, {8});
    setViewState(App.destinationView, turned);
    RuntimeFlags |= Recording;
    const std::string six = pathOf("six.csq"), source = pathOf("source.csf");
    const std::string other = pathOf("other.csf");
    {
        FailingAllocations failing;
        EXPECT_EQ(0, readSequenceFile(six.c_str()));
        EXPECT_EQ(0, readCubeStateFile(source.c_str(), App.destinationView));
        EXPECT_EQ(0, writeSequenceFile(six.c_str()));
        EXPECT_EQ(0, writeCubeStateFile(other.c_str(), App.sourceView));
        recordMove(App.destinationView, 0, false, false);
    }
    RuntimeFlags &= uint8_t(~Recording);
    EXPECT_EQ(1u, CurrentSequence.length);
    EXPECT_EQ("T", field());
    EXPECT_TRUE(sameCube(turned, viewState(App.destinationView)));
    EXPECT_EQ(38u, fileBytes(pathOf("six.csq")).size());
    EXPECT_FALSE(fileExists(pathOf("other.csf")));
}

TEST_F(SequenceFiles, TitleUsesTheTextAfterTheLastBackslash) {
    EXPECT_STREQ("c.csq", fileNamePart("a\\b\\c.csq", 9));
    EXPECT_STREQ("a/b:c.csq", fileNamePart("a/b:c.csq", 9));
    EXPECT_STREQ("b\\", fileNamePart("a\\b\\", 4)) << "a final backslash does not separate";
    EXPECT_EQ(nullptr, fileNamePart("a\\b", 0));
    const std::string longName(600, 'n');
    setTitleFromFile(window, ("C:\\" + longName).c_str());
    EXPECT_EQ(511u, title().size());
}

TEST_F(CubeFiles, DestinationSavesStateOnly) {
    const PackedCube state = afterMoves(SolvedCube, {8, 2});
    setViewState(App.destinationView, state);
    setCommentText(&CubeComment, "ignored", 8);
    nextChosenFile = pathOf("dest.csf");
    command(IDM_DEST_SAVE);
    EXPECT_EQ("Save Cube State File", dialogTitles.at(0));
    Bytes expected = header("MCSF", 80, {32, 0, 32, 0, 0});
    expected.insert(expected.end(), state.bytes, state.bytes + 48);
    EXPECT_EQ(expected, fileBytes(pathOf("dest.csf")));
    EXPECT_EQ("Destination Cube - dest.csf", windowText(GetDlgItem(window, IDC_DEST_GROUP)));
}

TEST_F(CubeFiles, SourceSavesColoursStateAndCommentAndLoadsThemBack) {
    const PackedCube state = afterMoves(SolvedCube, {4, 9});
    setViewState(App.sourceView, state);
    COLORREF colors[6] = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112};
    SendMessageA(App.sourceView, CCM_SETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
    setCommentText(&CubeComment, "abc", 4);
    nextChosenFile = pathOf("start.csf");
    command(IDM_SOURCE_SAVE_AS);
    Bytes expected = header("MCSF", 108, {32, 32, 56, 104, 4});
    const uint8_t* c = reinterpret_cast<const uint8_t*>(colors);
    expected.insert(expected.end(), c, c + 24);
    expected.insert(expected.end(), state.bytes, state.bytes + 48);
    expected.insert(expected.end(), {'a', 'b', 'c', 0});
    EXPECT_EQ(expected, fileBytes(pathOf("start.csf")));
    EXPECT_EQ("Source Cube - start.csf", windowText(GetDlgItem(window, IDC_SOURCE_GROUP)));

    // Back into a fresh source view.
    command(IDM_SOURCE_ASSEMBLE);
    setDefaultColors();
    SendMessageA(App.sourceView, CCM_SETCOLORS, 0, reinterpret_cast<LPARAM>(SideColors.colors));
    setCommentText(&CubeComment, "", 1);
    command(IDM_SOURCE_LOAD);
    EXPECT_EQ("Open Cube State File", dialogTitles.back());
    EXPECT_TRUE(sameCube(state, viewState(App.sourceView)));
    COLORREF now[6];
    SendMessageA(App.sourceView, CCM_GETCOLORS, 0, reinterpret_cast<LPARAM>(now));
    EXPECT_EQ(0, std::memcmp(colors, now, sizeof now));
    EXPECT_EQ(0x010203u, SideColors.colors[0]);
    EXPECT_EQ(0x00C0C0C0u, SideColors.colors[6]) << "the undefined colour stays";
    EXPECT_STREQ("abc", CubeComment.text);

    // Into the destination only the state goes.
    CubeComment.text[0] = 'x';
    nextChosenFile = pathOf("start.csf");
    command(IDM_DEST_LOAD);
    EXPECT_TRUE(sameCube(state, viewState(App.destinationView)));
    SendMessageA(App.destinationView, CCM_GETCOLORS, 0, reinterpret_cast<LPARAM>(now));
    EXPECT_EQ(DefaultSideColors[0], now[0]);
    EXPECT_STREQ("xbc", CubeComment.text);
}

TEST_F(CubeFiles, RejectedStateFilesChangeNothing) {
    const PackedCube state = afterMoves(SolvedCube, {2});
    Bytes good = header("MCSF", 80, {32, 0, 32, 0, 0});
    good.insert(good.end(), state.bytes, state.bytes + 48);
    Bytes longer = good, shorter = good, badHeader = good, noState = good;
    longer[4] = 81;
    shorter[4] = 79;
    badHeader[12] = 31;
    noState[20] = 0;
    for (const Bytes* bad : {&longer, &shorter, &badHeader, &noState}) {
        writeFileBytes(pathOf("bad.csf"), *bad);
        nextChosenFile = pathOf("bad.csf");
        command(IDM_SOURCE_LOAD);
        EXPECT_TRUE(sameCube(SolvedCube, viewState(App.sourceView)));
        EXPECT_EQ("Source Cube", windowText(GetDlgItem(window, IDC_SOURCE_GROUP)));
    }
    writeFileBytes(pathOf("good.csf"), good);
    nextChosenFile = pathOf("good.csf");
    command(IDM_SOURCE_LOAD);
    EXPECT_TRUE(sameCube(state, viewState(App.sourceView)));
    EXPECT_EQ(DefaultSideColors[1], SideColors.colors[1]) << "no colour block, no change";
}

TEST_F(CubeFiles, CommentWithoutNulIsCutAtItsLength) {
    Bytes file = header("MCSF", 84, {32, 0, 32, 80, 4});
    file.insert(file.end(), SolvedCube.bytes, SolvedCube.bytes + 48);
    file.insert(file.end(), {'w', 'x', 'y', 'z'});
    writeFileBytes(pathOf("nonul.csf"), file);
    nextChosenFile = pathOf("nonul.csf");
    command(IDM_SOURCE_LOAD);
    EXPECT_STREQ("wxy", CubeComment.text);
}
