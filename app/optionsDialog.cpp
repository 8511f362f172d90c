#include "optionsDialog.h"
#include "../shell/messageBox.h"
#include "../shell/resource.h"
#include "../shell/shell.h"

#include <commctrl.h>

// Position p stands for 32 << p milliseconds, from 0.032 to 32.768 seconds.
uint32_t intervalAtPosition(int position) {
    return 32u << position;
}

// The highest set bit of interval / 32; anything below 64 ms, 0 included, shows the first
// position and anything above 32,768 ms the last.
int positionOfInterval(uint32_t interval) {
    uint32_t scaled = interval >> 5;
    int position = 0;
    while (scaled >>= 1)
        ++position;
    return position < LastSliderPosition ? position : LastSliderPosition;
}

// Seconds and milliseconds with a comma, as "1,024 sec."; text holds at least 24 bytes.
void formatInterval(char* text, uint32_t interval) {
    wsprintfA(text, "%lu,%03lu sec.", static_cast<unsigned long>(interval / 1000),
              static_cast<unsigned long>(interval % 1000));
}

namespace {

const char PriorityWarning[] =
    "This priority for thread is too high.\r\nIn most cases it will not encrease the speed "
    "significantly\r\nbut may cause problems with window responce and system performance.";

// The record, and the priority list's selection as last seen: the list also reports a key
// press that leaves the selection where it was, which is no change to warn about.
struct OptionsDialog {
    OptionsEdit* edit;
    LRESULT priorityShown;
};

OptionsDialog* stateOf(HWND dialog) {
    return reinterpret_cast<OptionsDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool isChecked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void check(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

int sliderPosition(HWND dialog) {
    return int(SendDlgItemMessageA(dialog, IDC_INTERVAL_SLIDER, TBM_GETPOS, 0, 0));
}

void showSliderInterval(HWND dialog) {
    char text[24];
    formatInterval(text, intervalAtPosition(sliderPosition(dialog)));
    SetDlgItemTextA(dialog, IDC_INTERVAL_TEXT, text);
}

// Without a search thread there is no thread priority, and the search holds the only thread
// that could refresh a progress display.
void enableThreadControls(HWND dialog) {
    const BOOL threaded = !isChecked(dialog, IDC_DISABLE_THREADED);
    EnableWindow(GetDlgItem(dialog, IDC_PRIORITY), threaded);
    EnableWindow(GetDlgItem(dialog, IDC_INTERVAL_SLIDER), threaded);
}

LRESULT selectedEntry(HWND dialog) {
    return SendDlgItemMessageA(dialog, IDC_PRIORITY, CB_GETCURSEL, 0, 0);
}

void fillPriorityList(HWND dialog, uint32_t priorityIndex) {
    HWND list = GetDlgItem(dialog, IDC_PRIORITY);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (const PriorityEntry& entry : Priorities)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.caption));
    // An index outside the table selects nothing.
    SendMessageA(list, CB_SETCURSEL, WPARAM(priorityIndex), 0);
}

BOOL onInitDialog(HWND dialog, OptionsDialog* state) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    const AppSettings& values = state->edit->values;
    if (state->edit->sse2Available) {
        EnableWindow(GetDlgItem(dialog, IDC_DISABLE_SSE2), TRUE);
        check(dialog, IDC_DISABLE_SSE2, values.flags & DisableSse2);
    }
    check(dialog, IDC_SHOW_LABELS, values.flags & ShowLabels);
    check(dialog, IDC_DISABLE_THREADED, values.flags & DisableThreadedSearch);
    check(dialog, IDC_PRESERVE_COLORS, values.flags & PreserveColors);
    check(dialog, IDC_FAST_SEARCH, values.flags & FastSearch);
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(App.programIcon));
    SetDlgItemInt(dialog, IDC_MAX_MOVES, values.maxMoves, FALSE);
    SendDlgItemMessageA(dialog, IDC_MAX_MOVES, EM_LIMITTEXT, 3, 0);
    fillPriorityList(dialog, values.priorityIndex);
    state->priorityShown = selectedEntry(dialog);
    enableThreadControls(dialog);
    SendDlgItemMessageA(dialog, IDC_INTERVAL_SLIDER, TBM_SETRANGE, FALSE,
                        MAKELPARAM(0, LastSliderPosition));
    SendDlgItemMessageA(dialog, IDC_INTERVAL_SLIDER, TBM_SETPOS, TRUE,
                        positionOfInterval(values.updateInterval));
    showSliderInterval(dialog);
    return TRUE;
}

// Anything but decimal digits worth 0 to 876 becomes the largest limit, so the search is never
// left without one.
uint32_t movesInField(HWND dialog) {
    char text[16];
    const int length = GetDlgItemTextA(dialog, IDC_MAX_MOVES, text, sizeof text);
    if (length <= 0) return MaxExecuteMoves;
    uint32_t value = 0;
    for (int i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') return MaxExecuteMoves;
        value = value * 10 + uint32_t(text[i] - '0');
        if (value > MaxExecuteMoves) return MaxExecuteMoves;
    }
    return value;
}

void setFlag(AppSettings* values, uint8_t bit, bool on) {
    values->flags = on ? uint8_t(values->flags | bit) : uint8_t(values->flags & ~bit);
}

// The list has no selection only when the stored index was outside the table; Idle is the
// safe choice then.
uint32_t selectedPriority(HWND dialog) {
    const LRESULT selected = selectedEntry(dialog);
    if (selected < 0 || selected >= LRESULT(PriorityCount)) return IdlePriorityIndex;
    return uint32_t(selected);
}

// Bits 5 to 7 of the flags are left as they were read.
void apply(HWND dialog, OptionsEdit* edit, bool save) {
    AppSettings* values = &edit->values;
    if (edit->sse2Available) setFlag(values, DisableSse2, isChecked(dialog, IDC_DISABLE_SSE2));
    setFlag(values, ShowLabels, isChecked(dialog, IDC_SHOW_LABELS));
    setFlag(values, DisableThreadedSearch, isChecked(dialog, IDC_DISABLE_THREADED));
    setFlag(values, PreserveColors, isChecked(dialog, IDC_PRESERVE_COLORS));
    setFlag(values, FastSearch, isChecked(dialog, IDC_FAST_SEARCH));
    values->updateInterval = intervalAtPosition(sliderPosition(dialog));
    values->priorityIndex = selectedPriority(dialog);
    values->maxMoves = movesInField(dialog);
    edit->store(*values, save);
}

void onPriorityChange(HWND dialog, OptionsDialog* state) {
    const LRESULT selected = selectedEntry(dialog);
    if (selected == state->priorityShown) return;
    state->priorityShown = selected;
    if (selected == 0 || selected == 1)
        showMessageBox(dialog, PriorityWarning, ProgramTitle, MB_ICONEXCLAMATION | MB_OK);
}

// Identifier 2, the Esc key's Cancel, is not among these: Esc leaves the dialog open.
void onCommand(HWND dialog, int id, UINT code) {
    OptionsDialog* state = stateOf(dialog);
    if (!state) return;
    switch (id) {
        case IDC_DISABLE_THREADED:
            if (code == BN_CLICKED) enableThreadControls(dialog);
            break;
        case IDC_PRIORITY:
            if (code == CBN_SELCHANGE) onPriorityChange(dialog, state);
            break;
        case IDC_OPTIONS_SAVE:
            if (code != BN_CLICKED) break;
            apply(dialog, state->edit, true);
            break;
        case IDC_OPTIONS_OK:
            if (code != BN_CLICKED) break;
            apply(dialog, state->edit, false);
            EndDialog(dialog, 0);
            break;
        case IDC_OPTIONS_CANCEL:
            if (code == BN_CLICKED) EndDialog(dialog, 0);
            break;
    }
}

INT_PTR CALLBACK optionsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            return onInitDialog(dialog, reinterpret_cast<OptionsDialog*>(lParam));
        case WM_COMMAND:
            onCommand(dialog, int(LOWORD(wParam)), UINT(HIWORD(wParam)));
            return TRUE;
        case WM_HSCROLL:
            if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_INTERVAL_SLIDER))
                showSliderInterval(dialog);
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

} // namespace

void showOptionsDialog(HWND owner, OptionsEdit* edit) {
    OptionsDialog state = {edit, CB_ERR};
    DialogBoxParamA(App.instance, MAKEINTRESOURCEA(IDD_OPTIONS), owner, optionsDialogProc,
                    reinterpret_cast<LPARAM>(&state));
}
