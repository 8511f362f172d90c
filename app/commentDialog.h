// The comment dialog: edits one comment's text under a title of its caller's choosing.
#pragma once

#include <windows.h>

#include <string>

// What the dialog shows, and the text that OK gives back.
struct CommentEdit {
    const char* title;
    std::string text;
};

// True when the user confirmed with OK; the caller stores the text.
bool runCommentDialog(HWND owner, CommentEdit* edit);
