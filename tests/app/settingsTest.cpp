#include "programWindow.h"
#include "colorChooser.h"
#include "cubeView.h"

#include <commctrl.h>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const AppSettings& s) {
    return Bytes(reinterpret_cast<const uint8_t*>(&s), reinterpret_cast<const uint8_t*>(&s) + 13);
}

} // namespace

// A value of the wrong type or size changes nothing; one past a limit is brought into range,
// so a hand-edited registry never reads past the priority table nor lifts the move limit.
TEST(StoredSettings, OddValuesAreRefusedOrBounded) {
    const std::string key =
        "Software\\Brackenfold\\Tests\\" + std::to_string(GetCurrentProcessId());
    const std::tuple<DWORD, Bytes, AppSettings> cases[] = {
        {REG_NONE, {}, {876, 4, 0, 0}},
        {REG_BINARY, Bytes(12, 1), {876, 4, 0, 0}},
        {REG_SZ, bytesOf({1, 1, 1, 0}), {876, 4, 0, 0}},
        {REG_BINARY, Bytes(14, 1), {876, 4, 0, 0}},
        {REG_BINARY, bytesOf({5000, 9, 1, 0}), {876, 4, 1, 0}},
        {REG_BINARY, bytesOf({876, 3, 2, 1}), {876, 3, 2, 1}},
        {REG_BINARY, bytesOf({877, 5, 2, 1}), {876, 4, 2, 1}}};
    for (const auto& [type, bytes, read] : cases) {
        RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Settings", type, bytes.data(),
                        bytes.size());
        setDefaultSettings();
        loadSettings(key.c_str());
        EXPECT_EQ(bytesOf(read), bytesOf(Settings));
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

// The dialog stores 0 to 876 moves and 876 for anything else, warns once per change to Time
// Critical or High, greys what has no use without a search thread, and saves what it applies,
// colours too when asked; Cancel applies nothing.
TEST_F(ProgramWindow, OptionsApplyAndSaveTheSettings) {
    Settings = {500, 7, 1024, 0xA0}; // a priority outside the table, flag bits of no meaning
    SideColors.colors[6] = 0x00ABCDEF;
    EXPECT_TRUE(openDialog(IDM_OPTIONS, [](HWND dialog) {
        const std::pair<const char*, uint32_t> moves[] = {{"0", 0},     {"999", 876}, {"", 876},
                                                          {"877", 876}, {"-1", 876},  {"1a", 876},
                                                          {"123", 123}};
        for (const auto& [typed, stored] : moves) {
            SetDlgItemTextA(dialog, IDC_MAX_MOVES, typed);
            SendDlgItemMessageA(dialog, IDC_OPTIONS_SAVE, BM_CLICK, 0, 0);
            EXPECT_EQ(stored, Settings.maxMoves) << '"' << typed << '"';
        }
        for (int entry : {3, 2, 1, 0, 0, 1, 2}) {
            SendDlgItemMessageA(dialog, IDC_PRIORITY, CB_SETCURSEL, entry, 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PRIORITY, CBN_SELCHANGE), 0);
        }
        for (int box :
             {IDC_SHOW_LABELS, IDC_PRESERVE_COLORS, IDC_DISABLE_THREADED, IDC_FAST_SEARCH})
            SendDlgItemMessageA(dialog, box, BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PRIORITY)));
        SendDlgItemMessageA(dialog, IDC_INTERVAL_SLIDER, TBM_SETPOS, TRUE, 6);
        SendDlgItemMessageA(dialog, IDC_OPTIONS_SAVE, BM_CLICK, 0, 0);
        SetDlgItemTextA(dialog, IDC_MAX_MOVES, "456");
        SendDlgItemMessageA(dialog, IDC_OPTIONS_CANCEL, BM_CLICK, 0, 0);
    }));
    EXPECT_EQ(3u, questions.size());
    EXPECT_EQ(
        "This priority for thread is too high.\r\nIn most cases it will not encrease the speed "
        "significantly\r\nbut may cause problems with window responce and system "
        "performance.",
        questions[0]);
    const AppSettings applied = {123, 2, 2048, 0xBE};
    EXPECT_EQ(bytesOf(applied), bytesOf(Settings));
    setDefaultSettings();
    setDefaultColors();
    EXPECT_TRUE(loadSettings());
    EXPECT_EQ(bytesOf(applied), bytesOf(Settings));
    EXPECT_EQ(0x00ABCDEFu, SideColors.colors[6]);
    RegDeleteTreeA(HKEY_CURRENT_USER, SettingsKeyPath);
}

// The Side Coloring dialog shows the source view's colours; Apply gives both views the six
// sides, Cancel drops what was not applied. A swatch is a static control that reports a press,
// and the chooser here answers the inverse colour.
TEST_F(ProgramWindow, SideColoringAppliesOnlyWhenAsked) {
    const COLORREF painted[6] = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112};
    SendMessageA(App.sourceView, CCM_SETCOLORS, 0, reinterpret_cast<LPARAM>(painted));
    colorChooser = [](HWND, COLORREF* color) { return bool(*color ^= 0x00FFFFFF); };
    EXPECT_TRUE(openDialog(IDM_SIDES_COLORING, [&](HWND dialog) {
        for (int entry = 0; entry < 7; ++entry) // each swatch inside its border
            EXPECT_EQ(entry < 6 ? painted[entry] : COLORREF(UndefinedColor),
                      pixelAt(GetDlgItem(dialog, IDC_SWATCH_FRONT + entry), 3, 3));
        SendDlgItemMessageA(dialog, IDC_SWATCH_BACK, WM_LBUTTONDOWN, 0, 0);
        SendDlgItemMessageA(dialog, IDC_COLOR_APPLY, BM_CLICK, 0, 0);
        SendDlgItemMessageA(dialog, IDC_SWATCH_TOP, WM_LBUTTONDOWN, 0, 0);
        SendDlgItemMessageA(dialog, IDC_COLOR_CANCEL, BM_CLICK, 0, 0);
    }));
    colorChooser = chooseColor;
    for (HWND view : {App.sourceView, App.destinationView}) {
        EXPECT_EQ(painted[2] ^ 0x00FFFFFF, viewColors(view)[2]);
        EXPECT_EQ(painted[4], viewColors(view)[4]);
    }
}
