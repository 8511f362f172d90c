#include "helpMenu.h"
#include "../shell/resource.h"
#include "../shell/shell.h"

namespace {

// The caret goes to the start with nothing selected, so the focus is set here rather than
// by the dialog manager, which would select the whole text.
BOOL onInitDialog(HWND window) {
    HWND text = GetDlgItem(window, IDC_HELP_TEXT);
    SetFocus(text);
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(App.programIcon));
    SetWindowTextA(text, HelpText);
    SendMessageA(text, EM_SETSEL, 0, 0);
    return FALSE;
}

// Each window is on its own: closing one leaves the others and the main window as they are.
INT_PTR CALLBACK helpWindowProc(HWND window, UINT msg, WPARAM, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            return onInitDialog(window);
        case WM_CLOSE:
            DestroyWindow(window);
            return TRUE;
    }
    return FALSE;
}

} // namespace

// Every call opens one more window; none is remembered, since none needs to be reached again.
HWND openHelpWindow(HWND owner) {
    HWND window =
        CreateDialogParamA(App.instance, MAKEINTRESOURCEA(IDD_HELP), owner, helpWindowProc, 0);
    if (window) ShowWindow(window, SW_SHOWNORMAL);
    return window;
}
