#include "resource.h"
#include "settings.h"
#include "mainWindow.h"
#include "shell.h"
#include "cubeView.h"
#include "notation.h"
#include "runtimeFlags.h"
#include "sequenceStore.h"
#include "testCubes.h"
#include "windowTesting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The real main window from its template, commands sent as the menu would send them.
struct MainWindow : ::testing::Test {
    HWND window = nullptr;
    void SetUp() override {
        registerProgramClasses();
        setDefaultSettings();
        setDefaultColors();
        window = createMainWindow(testInstance());
        ASSERT_NE(nullptr, window);
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
        pumpMessages();
    }
    void TearDown() override {
        destroyMainWindow(window);
        freeSequenceRecord(&CurrentSequence);
    }
    void command(int id) { SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void setField(const std::string& text) { SetWindowTextA(App.sequenceField, text.c_str()); }
    std::string field() const { return windowText(App.sequenceField); }
    PackedCube source() const { return viewState(App.sourceView); }
    PackedCube destination() const { return viewState(App.destinationView); }
};

PackedCube scrambled() {
    return afterMoves(distinctCube(), {8, 2, 5, 10, 7});
}

std::vector<MoveCode> parsed(const char* text) {
    MoveCode codes[1024];
    const uint32_t n = parseMoveText(codes, text, 1023);
    return std::vector<MoveCode>(codes, codes + n);
}

} // namespace

TEST_F(MainWindow, ViewsSitInTheirGroupBoxes) {
    EXPECT_EQ(GetDlgItem(window, IDC_SOURCE_GROUP), GetParent(App.sourceView));
    EXPECT_EQ(GetDlgItem(window, IDC_DEST_GROUP), GetParent(App.destinationView));
    RECT group, view;
    GetClientRect(GetDlgItem(window, IDC_SOURCE_GROUP), &group);
    GetWindowRect(App.sourceView, &view);
    MapWindowPoints(nullptr, GetDlgItem(window, IDC_SOURCE_GROUP), reinterpret_cast<POINT*>(&view),
                    2);
    EXPECT_EQ(10, view.left);
    EXPECT_EQ(20, view.top);
    EXPECT_EQ(group.right - 10, view.right);
    EXPECT_EQ(group.bottom - 10, view.bottom);
    EXPECT_TRUE(sameCube(SolvedCube, source()));
    EXPECT_EQ("Morvane's Cube Emulator", windowText(window));
    char className[32];
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ("DLGCLASS", className);
}

TEST_F(MainWindow, ExecuteAppliesTheFieldToTheSourceIntoTheDestination) {
    setViewState(App.sourceView, scrambled());
    setField("F,R',T\"");
    command(IDM_EXECUTE_SEQUENCE);
    EXPECT_TRUE(sameCube(scrambled(), source())) << "the source never changes";
    EXPECT_TRUE(sameCube(afterMoves(scrambled(), {8, 3, 4, 4}), destination()));
    EXPECT_EQ("F,R',T\"", field());

    // The Execute button does the same.
    setField("L");
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_EXECUTE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_EXECUTE)));
    EXPECT_TRUE(sameCube(afterMoves(scrambled(), {0}), destination()));
}

TEST_F(MainWindow, EmptyFieldCopiesAndTextWithoutMovesChangesNothing) {
    setViewState(App.sourceView, scrambled());
    setField("");
    command(IDM_EXECUTE_SEQUENCE);
    EXPECT_TRUE(sameCube(scrambled(), destination()));

    setViewState(App.destinationView, SolvedCube);
    setField("xyz F");
    command(IDM_EXECUTE_SEQUENCE);
    EXPECT_TRUE(sameCube(SolvedCube, destination()));
}

TEST_F(MainWindow, EnterInTheFieldExecutes) {
    setField("U'");
    SendMessageA(App.sequenceField, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(sameCube(afterMoves(SolvedCube, {7}), destination()));
}

TEST_F(MainWindow, OnlyTheFirst1022CharactersAreExecuted) {
    std::string text;
    while (text.size() < 1020)
        text += "L,";
    text += "R,F,B"; // R at 1020 and 1021, F and B beyond
    setField(text);
    command(IDM_EXECUTE_SEQUENCE);
    const std::vector<MoveCode> seen = parsed(text.substr(0, 1022).c_str());
    EXPECT_EQ(511u, seen.size());
    PackedCube expected = SolvedCube;
    executeSequence(seen.data(), uint32_t(seen.size()), &expected, false);
    EXPECT_TRUE(sameCube(expected, destination()));
}

TEST_F(MainWindow, CommandsWithANotificationCodeAreIgnored) {
    setViewState(App.sourceView, scrambled());
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_SOURCE_COPY, 1), 0);
    EXPECT_TRUE(sameCube(SolvedCube, destination()));
}

TEST_F(MainWindow, CopyAssembleAndSwap) {
    setViewState(App.sourceView, scrambled());
    command(IDM_SOURCE_COPY);
    EXPECT_TRUE(sameCube(scrambled(), destination()));

    command(IDM_SOURCE_ASSEMBLE);
    EXPECT_TRUE(sameCube(SolvedCube, source()));
    command(IDM_DEST_COPY);
    EXPECT_TRUE(sameCube(scrambled(), source()));
    command(IDM_DEST_ASSEMBLE);
    EXPECT_TRUE(sameCube(SolvedCube, destination()));

    command(IDM_SWAP_CUBES);
    EXPECT_TRUE(sameCube(SolvedCube, source()));
    EXPECT_TRUE(sameCube(scrambled(), destination()));
    command(IDM_SWAP_CUBES);
    EXPECT_TRUE(sameCube(scrambled(), source()));
    EXPECT_TRUE(sameCube(SolvedCube, destination()));
}

TEST_F(MainWindow, OptimizeRewritesOnlyTheField) {
    const std::pair<const char*, const char*> cases[] = {
        {"L,L,L", "L'"},      {"R,L,L',R'", ""}, {"L,L,L,L'", "L\""},
        {"L R L'", "L,R,L'"}, {"1,R", "1,R"},    {"", ""},
    };
    for (const auto& [before, after] : cases) {
        setField(before);
        command(IDM_OPTIMIZE_SEQUENCE);
        EXPECT_EQ(after, field()) << before;
    }
    EXPECT_EQ(nullptr, CurrentSequence.block);
    EXPECT_EQ("Morvane's Cube Emulator", windowText(window));
}

TEST_F(MainWindow, DefaultSequenceIsStoredAndShown) {
    SetFocus(App.sourceView);
    command(IDM_DEFAULT_SEQUENCE);
    EXPECT_EQ("F,R,B,L,T,U", field());
    EXPECT_EQ(6u, CurrentSequence.length);
    EXPECT_EQ(App.sequenceField, GetFocus());
}

TEST_F(MainWindow, DefaultColoringResetsBothViews) {
    COLORREF odd[6] = {1, 2, 3, 4, 5, 6};
    for (HWND view : {App.sourceView, App.destinationView})
        SendMessageA(view, CCM_SETCOLORS, 0, reinterpret_cast<LPARAM>(odd));
    SideColors.colors[6] = 7;
    command(IDM_DEFAULT_COLORING);
    for (HWND view : {App.sourceView, App.destinationView}) {
        COLORREF now[6];
        SendMessageA(view, CCM_GETCOLORS, 0, reinterpret_cast<LPARAM>(now));
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(DefaultSideColors[i], now[i]);
    }
    EXPECT_EQ(0x00C0C0C0u, SideColors.colors[6]);
}

TEST_F(MainWindow, SaveSettingsWritesTheRegistry) {
    deleteKeyTree(SettingsKeyPath);
    Settings.updateInterval = 64;
    command(IDM_SAVE_SETTINGS);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key));
    BYTE bytes[32];
    DWORD size = sizeof bytes;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Settings", nullptr, nullptr, bytes, &size));
    RegCloseKey(key);
    EXPECT_EQ(13u, size);
    EXPECT_EQ(64, bytes[8]);
    deleteKeyTree(SettingsKeyPath);
}

TEST_F(MainWindow, KernelChoiceFollowsProcessorAndSetting) {
    const uint8_t flags = RuntimeFlags;
    RuntimeFlags = Sse2Available;
    Settings.flags = 0;
    EXPECT_TRUE(useSse2());
    Settings.flags = DisableSse2;
    EXPECT_FALSE(useSse2());
    RuntimeFlags = 0;
    Settings.flags = 0;
    EXPECT_FALSE(useSse2());
    RuntimeFlags = flags;
}

TEST_F(MainWindow, ClosingDestroysTheWindowAndEndsTheLoop) {
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}
