// The common open and save dialogs, and what the window shows of a chosen file.
#pragma once

#include <windows.h>

#include "../shell/currentSequence.h"

#include <cstring>

enum : DWORD {
    // The dialogs are told the remembered name's buffer holds 511 characters.
    DialogNameSize = 511,
};

struct FileKind {
    const char* filter; // caption and pattern, each NUL-terminated, then an empty string
    const char* defaultExtension;
};

extern const FileKind SequenceFiles;
extern const FileKind CubeStateFiles;

bool chooseOpenFile(HWND owner, char* path, const char* title, const FileKind& kind);
bool chooseSaveFile(HWND owner, char* path, const char* title, const FileKind& kind);

// What the commands call; tests answer the dialogs by putting their own choosers here.
using FileChooser = bool (*)(HWND owner, char* path, const char* title, const FileKind& kind);
extern FileChooser openFileChooser;
extern FileChooser saveFileChooser;
const char* fileNamePart(const char* path, size_t limit);
void setTitleFromFile(HWND window, const char* path);

// A remembered file name about to be chosen again: unless the load or save it is chosen for
// succeeds, it goes back to what it was, so a later Save cannot silently write over a file that
// failed to load.
class ChosenName {
  public:
    explicit ChosenName(char* name) : name_(name) {
        std::memcpy(previous_, name, sizeof previous_);
    }
    ~ChosenName() {
        if (!kept_) std::memcpy(name_, previous_, sizeof previous_);
    }
    ChosenName(const ChosenName&) = delete;
    ChosenName& operator=(const ChosenName&) = delete;
    void keep() { kept_ = true; }

  private:
    char* name_;
    char previous_[RememberedNameSize];
    bool kept_ = false;
};
