#include "shell.h"
#include "../engine/notation.h"
#include "../engine/runtimeFlags.h"
#include "settings.h"

#include <new>
#include <vector>

const char ProgramTitle[] = "Morvane's Cube Emulator";

bool useSse2() {
    return (RuntimeFlags & Sse2Available) && !(Settings.flags & DisableSse2);
}

namespace {

// Formats into a buffer sized for the list (3 characters a move at most), so no list can
// overflow it. The field's change notice follows, as for any other change of its text.
bool setFieldToMoves(HWND field, const MoveCode* codes, uint32_t count) {
    std::vector<char> text;
    try {
        text.assign(size_t(count) * 3 + 4, '\0');
    } catch (const std::bad_alloc&) {
        return false; // the field keeps its text
    }
    formatMoveText(codes, text.data(), count);
    SetWindowTextA(field, text.data());
    return true;
}

} // namespace

bool showSequence(HWND field, const MoveCode* codes, uint32_t count) {
    const bool written = setFieldToMoves(field, codes, count);
    SetFocus(field);
    return written;
}

bool readWholeText(HWND edit, std::string* text) {
    const int length = GetWindowTextLengthA(edit);
    std::vector<char> read;
    try {
        read.assign(size_t(length) + 1, '\0');
        SetLastError(0);
        const int got = GetWindowTextA(edit, read.data(), length + 1);
        if (got == 0 && (length > 0 || GetLastError() != 0)) return false;
        text->assign(read.data(), size_t(got));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return true;
}

int readFieldStart(HWND field, char (&text)[SequenceTextSize]) {
    SetLastError(0);
    const int length = GetWindowTextA(field, text, SequenceTextRead);
    if (length == 0 && GetLastError() != 0) return -1;
    text[length] = '\0';
    return length;
}

bool readFieldMoves(HWND field, MoveCode (&codes)[ScratchMoveCount + 1], uint32_t* count,
                    bool* stopsShort) {
    std::string text;
    if (!readWholeText(field, &text)) return false;
    *count = parseMoveText(codes, text.c_str(), ScratchMoveCount);
    if (!stopsShort) return true;
    try {
        MoveCode probe[ScratchMoveCount + 1];
        *stopsShort = parseMoveText(probe, (text + ",F").c_str(), ScratchMoveCount) == *count;
    } catch (const std::bad_alloc&) {
        *stopsShort = false;
    }
    return true;
}
