#include "fileDialogs.h"
#include "../shell/shell.h"

#include <commdlg.h>

#include <cstdio>
#include <cstring>

const FileKind SequenceFiles = {"Morvane's Cube Move Sequence\0*.csq\0", "csq"};
const FileKind CubeStateFiles = {"Morvane's Cube State File\0*.csf\0", "csf"};

FileChooser openFileChooser = chooseOpenFile;
FileChooser saveFileChooser = chooseSaveFile;

namespace {

// The record in its original 76-byte form, which every version of the dialogs accepts.
OPENFILENAMEA dialogRecord(HWND owner, char* path, const char* title, const FileKind& kind,
                           DWORD flags) {
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.hInstance = App.instance;
    ofn.lpstrFilter = kind.filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = DialogNameSize;
    ofn.lpstrTitle = title;
    ofn.Flags = flags;
    ofn.lpstrDefExt = kind.defaultExtension;
    return ofn;
}

} // namespace

bool chooseOpenFile(HWND owner, char* path, const char* title, const FileKind& kind) {
    OPENFILENAMEA ofn = dialogRecord(owner, path, title, kind,
                                     OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT | OFN_PATHMUSTEXIST |
                                         OFN_FILEMUSTEXIST);
    return GetOpenFileNameA(&ofn) != 0;
}

// The user confirms both replacing a file and creating a new one.
bool chooseSaveFile(HWND owner, char* path, const char* title, const FileKind& kind) {
    OPENFILENAMEA ofn =
        dialogRecord(owner, path, title, kind,
                     OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT |
                         OFN_PATHMUSTEXIST | OFN_CREATEPROMPT);
    return GetSaveFileNameA(&ofn) != 0;
}

// Only a backslash separates; a backslash in the last position within the limit does not.
const char* fileNamePart(const char* path, size_t limit) {
    if (limit == 0) return nullptr;
    size_t start = 0;
    for (size_t i = 0;; ++i) {
        const char c = path[i];
        if (c == '\0' || i + 1 == limit) break;
        if (c == '\\') start = i + 1;
    }
    return path[start] ? path + start : nullptr;
}

void setTitleFromFile(HWND window, const char* path) {
    const char* name = fileNamePart(path, std::strlen(path));
    if (!name) return;
    char title[RememberedNameSize];
    std::snprintf(title, sizeof title, "%s - %s", ProgramTitle, name);
    SetWindowTextA(window, title);
}
