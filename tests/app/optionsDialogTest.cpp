#include "programWindow.h"
#include "modalDriver.h"
#include "optionsDialog.h"
#include "runtimeFlags.h"

#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

namespace {

const char Warning[] =
    "This priority for thread is too high.\r\nIn most cases it will not encrease the speed "
    "significantly\r\nbut may cause problems with window responce and system performance.";

struct Options : ProgramWindow {
    std::string key;
    OptionsRecord record = {true, nullptr};
    void SetUp() override {
        ProgramWindow::SetUp();
        key = scratchKeyPath(::testing::UnitTest::GetInstance()->current_test_info()->name());
        deleteKeyTree(key);
        record.keyPath = key.c_str();
    }
    void TearDown() override {
        deleteKeyTree(key);
        ProgramWindow::TearDown();
    }
    ModalRun open(std::vector<DialogStep> steps) {
        return driveModal([this] { showOptionsDialog(window, record); }, std::move(steps));
    }
    // Opens, lets the step edit, presses OK.
    void editAndOk(const DialogStep& edit) {
        const ModalRun run = open({edit, [](HWND dialog) { clickButton(dialog, IDC_OPTIONS_OK); }});
        EXPECT_EQ(2, run.stepsRun);
        EXPECT_FALSE(run.forced);
    }
    std::vector<uint8_t> storedSettings() const;
};

std::vector<uint8_t> Options::storedSettings() const {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return {};
    BYTE buffer[64];
    DWORD size = sizeof buffer;
    const LONG result = RegQueryValueExA(handle, "Settings", nullptr, nullptr, buffer, &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS) return {};
    return std::vector<uint8_t>(buffer, buffer + size);
}

HWND item(HWND dialog, int id) {
    return GetDlgItem(dialog, id);
}

bool checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

std::string label(HWND dialog) {
    return windowText(item(dialog, IDC_INTERVAL_TEXT));
}

LRESULT selection(HWND dialog) {
    return SendMessageA(item(dialog, IDC_PRIORITY), CB_GETCURSEL, 0, 0);
}

// A key as the focused control gets it: the control notifies the dialog itself.
void pressKey(HWND control, UINT key) {
    SendMessageA(control, WM_KEYDOWN, key, 1);
    SendMessageA(control, WM_KEYUP, key, 0xC0000001);
}

const char* const Labels[11] = {"0,032 sec.", "0,064 sec.",  "0,128 sec.", "0,256 sec.",
                                "0,512 sec.", "1,024 sec.",  "2,048 sec.", "4,096 sec.",
                                "8,192 sec.", "16,384 sec.", "32,768 sec."};

} // namespace

TEST(UpdateInterval, PositionsAndIntervalsMapBothWays) {
    const std::pair<uint32_t, int> shown[] = {
        {0, 0},      {1, 0},      {32, 0},     {63, 0},        {64, 1},
        {127, 1},    {128, 2},    {1000, 4},   {1024, 5},      {32767, 9},
        {32768, 10}, {32769, 10}, {65536, 10}, {1u << 31, 10}, {0xFFFFFFFF, 10}};
    for (const auto& [interval, position] : shown)
        EXPECT_EQ(position, positionOfInterval(interval)) << interval << " ms";
    for (int position = 0; position <= LastSliderPosition; ++position) {
        EXPECT_EQ(32u << position, intervalAtPosition(position));
        EXPECT_EQ(position, positionOfInterval(intervalAtPosition(position)));
        char text[24];
        formatInterval(text, intervalAtPosition(position));
        EXPECT_STREQ(Labels[position], text);
    }
}

TEST_F(Options, FirstStartShowsTheDefaultsAndOkStores32Milliseconds) {
    editAndOk([this](HWND dialog) {
        EXPECT_EQ("Emulator Settings", windowText(dialog));
        EXPECT_EQ(window, GetWindow(dialog, GW_OWNER));
        EXPECT_EQ(reinterpret_cast<LRESULT>(App.programIcon),
                  SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
        EXPECT_EQ(item(dialog, IDC_MAX_MOVES), focusIn(dialog));
        EXPECT_EQ("876", windowText(item(dialog, IDC_MAX_MOVES)));
        EXPECT_EQ(3, SendMessageA(item(dialog, IDC_MAX_MOVES), EM_GETLIMITTEXT, 0, 0));
        EXPECT_EQ(0, SendMessageA(item(dialog, IDC_INTERVAL_SLIDER), TBM_GETPOS, 0, 0));
        EXPECT_EQ(10, SendMessageA(item(dialog, IDC_INTERVAL_SLIDER), TBM_GETRANGEMAX, 0, 0));
        EXPECT_EQ("0,032 sec.", label(dialog));
        HWND list = item(dialog, IDC_PRIORITY);
        ASSERT_EQ(5, SendMessageA(list, CB_GETCOUNT, 0, 0));
        const char* const captions[] = {"Time Critical", "High", "Normal", "Low", "Idle"};
        for (int i = 0; i < 5; ++i) {
            char text[32] = {};
            SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            EXPECT_STREQ(captions[i], text);
        }
        EXPECT_EQ(4, selection(dialog));
        for (int id :
             {IDC_DISABLE_SSE2, IDC_SHOW_LABELS, IDC_DISABLE_THREADED, IDC_PRESERVE_COLORS})
            EXPECT_FALSE(checked(dialog, id)) << id;
        EXPECT_TRUE(IsWindowEnabled(item(dialog, IDC_DISABLE_SSE2)));
        EXPECT_TRUE(IsWindowEnabled(list));
        EXPECT_TRUE(IsWindowEnabled(item(dialog, IDC_INTERVAL_SLIDER)));
    });
    EXPECT_EQ(32u, Settings.updateInterval);
    EXPECT_EQ(876u, Settings.maxMoves);
    EXPECT_EQ(4u, Settings.priorityIndex);
    EXPECT_EQ(0, Settings.flags);
    EXPECT_TRUE(storedSettings().empty()) << "OK saves nothing";
}

TEST_F(Options, EveryScrollNoticeUpdatesTheLabelAndOnlyOkStoresIt) {
    Settings.updateInterval = 1024;
    const ModalRun run = open({[](HWND dialog) {
        HWND slider = item(dialog, IDC_INTERVAL_SLIDER);
        EXPECT_EQ(5, SendMessageA(slider, TBM_GETPOS, 0, 0));
        EXPECT_EQ("1,024 sec.", label(dialog));
        pressKey(slider, VK_RIGHT);
        EXPECT_EQ("2,048 sec.", label(dialog));
        pressKey(slider, VK_END);
        EXPECT_EQ("32,768 sec.", label(dialog));
        pressKey(slider, VK_HOME);
        EXPECT_EQ("0,032 sec.", label(dialog));
        for (int position = 0; position <= 10; ++position) {
            SendMessageA(slider, TBM_SETPOS, TRUE, position);
            SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position),
                         reinterpret_cast<LPARAM>(slider));
            EXPECT_EQ(Labels[position], label(dialog));
        }
        SendMessageA(slider, TBM_SETPOS, TRUE, 7);
        SendMessageA(dialog, WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(slider));
        EXPECT_EQ("4,096 sec.", label(dialog));
        EXPECT_EQ(1024u, Settings.updateInterval);
        clickButton(dialog, IDC_OPTIONS_OK);
    }});
    EXPECT_EQ(1, run.stepsRun);
    EXPECT_EQ(4096u, Settings.updateInterval);

    for (const auto& [stored, shown] : {std::pair<uint32_t, const char*>{63, "0,032 sec."},
                                        {64, "0,064 sec."},
                                        {40000, "32,768 sec."}}) {
        Settings.updateInterval = stored;
        open({[shown = shown](HWND dialog) {
            EXPECT_EQ(shown, label(dialog));
            clickButton(dialog, IDC_OPTIONS_CANCEL);
        }});
        EXPECT_EQ(stored, Settings.updateInterval) << "Cancel stores nothing";
    }
}

TEST_F(Options, TheMoveFieldAcceptsZeroTo876AndOtherwiseStores876) {
    const std::pair<const char*, uint32_t> cases[] = {{"999", 876}, {"", 876},    {"0", 0},
                                                      {"876", 876}, {"877", 876}, {"12", 12},
                                                      {"-1", 876},  {"1a", 876}};
    for (const auto& [text, stored] : cases) {
        Settings.maxMoves = 500;
        editAndOk([text = text](HWND dialog) { SetDlgItemTextA(dialog, IDC_MAX_MOVES, text); });
        EXPECT_EQ(stored, Settings.maxMoves) << '"' << text << '"';
    }
}

TEST_F(Options, SaveSettingsAppliesAndStoresAndCancelKeepsWhatWasApplied) {
    Settings.flags = 0xA0; // bits the program never sets stay as they were read
    const ModalRun run = open({
        [](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_MAX_MOVES, "123");
            clickButton(dialog, IDC_SHOW_LABELS);
            clickButton(dialog, IDC_PRESERVE_COLORS);
            pressKey(item(dialog, IDC_INTERVAL_SLIDER), VK_RIGHT);
            pressKey(item(dialog, IDC_PRIORITY), VK_UP);
            clickButton(dialog, IDC_OPTIONS_SAVE);
        },
        [](HWND dialog) {
            EXPECT_EQ(123u, Settings.maxMoves) << "applied while the dialog stays open";
            SetDlgItemTextA(dialog, IDC_MAX_MOVES, "456");
            clickButton(dialog, IDC_SHOW_LABELS);
            clickButton(dialog, IDC_OPTIONS_CANCEL);
        },
    });
    EXPECT_EQ(2, run.stepsRun);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(123u, Settings.maxMoves);
    EXPECT_EQ(3u, Settings.priorityIndex);
    EXPECT_EQ(64u, Settings.updateInterval);
    EXPECT_EQ(0xA0 | ShowLabels | PreserveColors, Settings.flags);
    const std::vector<uint8_t> expected = {
        123, 0, 0, 0, 3, 0, 0, 0, 64, 0, 0, 0, uint8_t(0xA0 | ShowLabels | PreserveColors)};
    EXPECT_EQ(expected, storedSettings());
}

TEST_F(Options, WithoutSse2TheBoxStaysDisabledAndTheFlagStaysSet) {
    record.sse2Available = false;
    Settings.flags = DisableSse2;
    editAndOk([](HWND dialog) {
        EXPECT_FALSE(IsWindowEnabled(item(dialog, IDC_DISABLE_SSE2)));
        EXPECT_FALSE(checked(dialog, IDC_DISABLE_SSE2));
        CheckDlgButton(dialog, IDC_DISABLE_SSE2, BST_UNCHECKED);
        clickButton(dialog, IDC_OPTIONS_SAVE);
    });
    EXPECT_EQ(DisableSse2, Settings.flags);
    ASSERT_EQ(13u, storedSettings().size());
    EXPECT_EQ(DisableSse2, storedSettings()[12]) << "a save stores it set";

    Settings.flags = 0;
    editAndOk([](HWND dialog) { CheckDlgButton(dialog, IDC_DISABLE_SSE2, BST_CHECKED); });
    EXPECT_EQ(0, Settings.flags) << "the box is not read without SSE2";

    // The same settings on a processor with SSE2: checked until the user clears it.
    record.sse2Available = true;
    Settings.flags = DisableSse2;
    editAndOk([](HWND dialog) {
        EXPECT_TRUE(IsWindowEnabled(item(dialog, IDC_DISABLE_SSE2)));
        EXPECT_TRUE(checked(dialog, IDC_DISABLE_SSE2));
        clickButton(dialog, IDC_DISABLE_SSE2);
    });
    EXPECT_EQ(0, Settings.flags);
}

TEST_F(Options, DisablingThreadedSearchGreysThePriorityAndTheSlider) {
    Settings.flags = DisableThreadedSearch;
    const ModalRun run = open({[](HWND dialog) {
        HWND list = item(dialog, IDC_PRIORITY), slider = item(dialog, IDC_INTERVAL_SLIDER);
        EXPECT_TRUE(checked(dialog, IDC_DISABLE_THREADED));
        EXPECT_FALSE(IsWindowEnabled(list));
        EXPECT_FALSE(IsWindowEnabled(slider));
        clickButton(dialog, IDC_DISABLE_THREADED);
        EXPECT_TRUE(IsWindowEnabled(list));
        EXPECT_TRUE(IsWindowEnabled(slider));
        clickButton(dialog, IDC_DISABLE_THREADED);
        EXPECT_FALSE(IsWindowEnabled(list));
        EXPECT_FALSE(IsWindowEnabled(slider));
        clickButton(dialog, IDC_OPTIONS_OK);
    }});
    EXPECT_EQ(1, run.stepsRun);
    EXPECT_EQ(DisableThreadedSearch, Settings.flags);
}

namespace {

struct ShownBox {
    HWND owner;
    std::string text, caption;
    UINT type;
};
std::vector<ShownBox> shownBoxes;

int WINAPI recordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    shownBoxes.push_back({owner, text, caption, type});
    return IDOK;
}

} // namespace

TEST_F(Options, TimeCriticalAndHighWarnOncePerChange) {
    shownBoxes.clear();
    showMessageBox = recordBox;
    editAndOk([](HWND dialog) {
        HWND list = item(dialog, IDC_PRIORITY);
        for (LRESULT expected : {3, 2, 1, 0, 0}) {
            pressKey(list, VK_UP);
            EXPECT_EQ(expected, selection(dialog));
        }
        EXPECT_EQ(2u, shownBoxes.size()) << "Low and Normal warn of nothing";
        pressKey(list, VK_DOWN);
        pressKey(list, VK_DOWN);
        EXPECT_EQ(2, selection(dialog));
        EXPECT_EQ(3u, shownBoxes.size()) << "High again, Normal nothing";
        for (const ShownBox& box : shownBoxes) {
            EXPECT_EQ(dialog, box.owner);
            EXPECT_EQ(Warning, box.text);
            EXPECT_EQ("Morvane's Cube Emulator", box.caption);
            EXPECT_EQ(UINT(MB_ICONEXCLAMATION | MB_OK), box.type);
        }
        pressKey(list, VK_UP);
        EXPECT_EQ(1, selection(dialog)) << "the selection stays after the warning";
    });
    EXPECT_EQ(4u, shownBoxes.size());
    EXPECT_EQ(1u, Settings.priorityIndex);
}

TEST_F(Options, AStoredPriorityOutsideTheTableShowsNoneAndApplyStoresIdle) {
    Settings.priorityIndex = 7;
    editAndOk([](HWND dialog) { EXPECT_EQ(CB_ERR, selection(dialog)); });
    EXPECT_EQ(4u, Settings.priorityIndex);
}

TEST_F(Options, EscAndOtherCommandsLeaveItOpenAndTheCloseBoxAppliesNothing) {
    const ModalRun run = open({
        [](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_MAX_MOVES, "5");
            clickButton(dialog, IDC_SHOW_LABELS);
            postKey(item(dialog, IDC_MAX_MOVES), VK_ESCAPE);
        },
        [](HWND dialog) {
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        },
        [](HWND dialog) { SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
    });
    EXPECT_EQ(3, run.stepsRun);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(876u, Settings.maxMoves);
    EXPECT_EQ(0, Settings.flags);
}

namespace {

// The views painted while a test watches them.
std::set<HWND> painted;
WNDPROC viewProc = nullptr;

LRESULT CALLBACK countingViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) painted.insert(hwnd);
    return CallWindowProcA(viewProc, hwnd, msg, wParam, lParam);
}

} // namespace

TEST_F(Options, ApplyingRedrawsBothViewsAtOnce) {
    for (HWND view : {App.sourceView, App.destinationView})
        viewProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingViewProc)));
    editAndOk([](HWND dialog) {
        pumpMessages();
        painted.clear();
        clickButton(dialog, IDC_SHOW_LABELS);
        EXPECT_TRUE(painted.empty());
        clickButton(dialog, IDC_OPTIONS_SAVE);
        EXPECT_EQ(1u, painted.count(App.sourceView)) << "painted before Save Settings returns";
        EXPECT_EQ(1u, painted.count(App.destinationView));
        EXPECT_TRUE(Settings.flags & ShowLabels);
    });
    for (HWND view : {App.sourceView, App.destinationView})
        SetWindowLongPtrA(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(viewProc));
}

// The menu command opens the dialog on the program's own settings; Cancel leaves them be.
TEST_F(Options, TheOptionsCommandOpensItForTheMainWindow) {
    Settings.maxMoves = 77;
    const ModalRun run =
        driveModal([this] { command(IDM_OPTIONS); }, {[this](HWND dialog) {
                       EXPECT_EQ(window, GetWindow(dialog, GW_OWNER));
                       EXPECT_EQ("77", windowText(item(dialog, IDC_MAX_MOVES)));
                       EXPECT_EQ((RuntimeFlags & Sse2Available) != 0,
                                 IsWindowEnabled(item(dialog, IDC_DISABLE_SSE2)) != 0);
                       SetDlgItemTextA(dialog, IDC_MAX_MOVES, "5");
                       clickButton(dialog, IDC_OPTIONS_CANCEL);
                   }});
    EXPECT_EQ(1, run.stepsRun);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(77u, Settings.maxMoves);
}
