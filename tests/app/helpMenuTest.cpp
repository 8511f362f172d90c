#include "programWindow.h"
#include "helpMenu.h"
#include "modalDriver.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

BOOL CALLBACK collectHelpWindow(HWND hwnd, LPARAM list) {
    if (windowText(hwnd) == "Emulator's Help")
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> helpWindows() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), collectHelpWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::pair<DWORD, DWORD> selectionOf(HWND control) {
    DWORD start = 0, end = 0;
    SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

} // namespace

TEST_F(ProgramWindow, EveryHelpCommandOpensAWindowOfItsOwn) {
    command(IDM_HELP);
    command(IDM_HELP);
    pumpMessages();
    std::vector<HWND> opened = helpWindows();
    ASSERT_EQ(2u, opened.size());
    for (HWND help : opened) {
        HWND text = GetDlgItem(help, IDC_HELP_TEXT);
        EXPECT_TRUE(IsWindowVisible(help));
        EXPECT_EQ(window, GetWindow(help, GW_OWNER));
        EXPECT_EQ(reinterpret_cast<LRESULT>(App.programIcon),
                  SendMessageA(help, WM_GETICON, ICON_SMALL, 0));
        EXPECT_EQ(HelpText, windowText(text));
        EXPECT_EQ(std::make_pair(DWORD(0), DWORD(0)), selectionOf(text))
            << "caret at the start, nothing selected";
    }

    SendMessageA(opened[0], WM_SYSCOMMAND, SC_CLOSE, 0);
    pumpMessages();
    EXPECT_FALSE(IsWindow(opened[0]));
    ASSERT_TRUE(IsWindow(opened[1]));
    EXPECT_EQ(HelpText, windowText(GetDlgItem(opened[1], IDC_HELP_TEXT)));
    EXPECT_TRUE(IsWindowEnabled(window));
    SendMessageA(opened[1], WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(helpWindows().empty());
}

TEST_F(ProgramWindow, AnOpenedHelpWindowHasTheFocusInItsText) {
    HWND help = openHelpWindow(window);
    ASSERT_NE(nullptr, help);
    pumpMessages();
    EXPECT_EQ(GetDlgItem(help, IDC_HELP_TEXT), focusIn(help));
    EXPECT_EQ(std::make_pair(DWORD(0), DWORD(0)), selectionOf(GetDlgItem(help, IDC_HELP_TEXT)));
    DestroyWindow(help);
}

// Six sections of a heading and one line per paragraph, an empty line between sections.
TEST(HelpText, HoldsTheSixSectionsInCrLfLines) {
    const std::string text = HelpText;
    EXPECT_GT(text.size(), 5000u);
    EXPECT_LT(text.size(), 6000u);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            EXPECT_EQ('\r', text[i - 1]) << "at " << i;
        }
        if (text[i] == '\r') {
            EXPECT_EQ('\n', text[i + 1]) << "at " << i;
        }
    }
    EXPECT_EQ(0u, text.find("Introduction\r\n"));
    size_t at = 0;
    for (const char* heading :
         {"\r\n\r\nSequences\r\n", "\r\n\r\nCube State\r\n", "\r\n\r\nActions\r\n",
          "\r\n\r\n\"Settings\"\r\n", "\r\n\"Emulator Settings\"\r\n", "\r\n\r\n\"Help\"\r\n"}) {
        const size_t next = text.find(heading, at);
        ASSERT_NE(std::string::npos, next) << heading;
        at = next + 1;
    }
    for (const char* line :
         {"\r\nL - Left\r\n", "\r\nR - Right\r\n", "\r\nT - Top\r\n",
          "\r\nU - Underside (bottom)\r\n", "\r\nF - Front\r\n", "\r\nB - Back\r\n"})
        EXPECT_NE(std::string::npos, text.find(line)) << line;
    EXPECT_EQ(std::string::npos, text.find("\r\n\r\n\r\n"));
    EXPECT_NE('\r', text.back());
}

TEST_F(ProgramWindow, AboutShowsTheShellsBoxUnderTheProgramsName) {
    std::string title;
    HWND owner = nullptr;
    const ModalRun run = driveModal([this] { command(IDM_ABOUT); }, {[&](HWND dialog) {
                                        title = windowText(dialog);
                                        owner = GetWindow(dialog, GW_OWNER);
                                        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
                                    }});
    EXPECT_EQ(1, run.stepsRun);
    EXPECT_FALSE(run.forced);
    EXPECT_NE(std::string::npos, title.find("Morvane's Cube Emulator")) << title;
    EXPECT_EQ(window, owner);
}
