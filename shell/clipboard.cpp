#include "clipboard.h"

#include <cstring>
#include <new>

// Windows makes CF_TEXT from a program's Unicode text too.
bool readClipboardText(HWND owner, std::string* text) {
    if (!OpenClipboard(owner)) return false;
    bool read = false;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* locked = static_cast<const char*>(GlobalLock(data))) {
            // The text ends at its NUL or at the block's end, whichever comes first.
            const SIZE_T size = GlobalSize(data);
            try {
                text->assign(locked, strnlen(locked, size));
                read = true;
            } catch (const std::bad_alloc&) {
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return read;
}

// The clipboard owns the block once it is set; until then it is the caller's to free.
bool writeClipboardText(HWND owner, const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!block) return false;
    if (char* locked = static_cast<char*>(GlobalLock(block))) {
        std::memcpy(locked, text.c_str(), text.size() + 1);
        GlobalUnlock(block);
    }
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool set = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!set) GlobalFree(block);
    return set;
}
