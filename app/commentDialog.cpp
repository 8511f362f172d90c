#include "commentDialog.h"
#include "../shell/resource.h"
#include "../shell/shell.h"

#include <new>
#include <string>
#include <vector>

namespace {

enum : int {
    // What can be typed; a longer comment loaded from a file is still shown and kept whole.
    CommentTypingLimit = 1020,
};

CommentEdit* editOf(HWND dialog) {
    return reinterpret_cast<CommentEdit*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

BOOL onInitDialog(HWND dialog, CommentEdit* edit) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(edit));
    if (!edit || !SetDlgItemTextA(dialog, IDC_COMMENT_EDIT, edit->text.c_str())) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    SetWindowTextA(dialog, edit->title);
    HWND field = GetDlgItem(dialog, IDC_COMMENT_EDIT);
    SendMessageA(field, EM_LIMITTEXT, CommentTypingLimit, 0);
    // The dialog manager would select the whole text when it gave the edit the focus, so the
    // focus is given here, with the caret at the start.
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, 0);
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(App.programIcon));
    edit->text.clear();
    return FALSE;
}

// The whole text is read, not just what could be typed, so OK never cuts a long comment that
// came from a file. A failed read counts as Cancel.
void onOk(HWND dialog, CommentEdit* edit) {
    EndDialog(dialog, readWholeText(GetDlgItem(dialog, IDC_COMMENT_EDIT), &edit->text) ? 1 : 0);
}

// Identifier 2, the Esc key's Cancel, is not among these: Esc leaves the dialog open.
void onCommand(HWND dialog, int id, UINT code) {
    CommentEdit* edit = editOf(dialog);
    if (!edit || code != BN_CLICKED) return;
    if (id == IDC_COMMENT_OK) onOk(dialog, edit);
    if (id == IDC_COMMENT_CANCEL) EndDialog(dialog, 0);
}

INT_PTR CALLBACK commentDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            return onInitDialog(dialog, reinterpret_cast<CommentEdit*>(lParam));
        case WM_COMMAND:
            onCommand(dialog, int(LOWORD(wParam)), UINT(HIWORD(wParam)));
            return TRUE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != SC_CLOSE) return FALSE;
            EndDialog(dialog, 0);
            return TRUE;
        case WM_CLOSE:
            // A multi-line edit in a dialog posts this when Esc is pressed in it; the close box
            // and Alt+F4 arrive above as SC_CLOSE.
            return TRUE;
    }
    return FALSE;
}

} // namespace

bool runCommentDialog(HWND owner, CommentEdit* edit) {
    return DialogBoxParamA(App.instance, MAKEINTRESOURCEA(IDD_COMMENT), owner, commentDialogProc,
                           reinterpret_cast<LPARAM>(edit)) == 1;
}
