#include "sequenceFile.h"
#include "fileDialogs.h"
#include "fileIo.h"
#include "sequenceFormat.h"
#include "../shell/currentSequence.h"
#include "../shell/shell.h"
#include "../engine/sequenceStore.h"

#include <cstring>
#include <new>
#include <vector>

// Everything is read and copied before anything is stored: a file that cannot be held in memory
// is refused like a bad one.
bool readSequenceContent(const char* path, SequenceContent* content) {
    std::vector<uint8_t> bytes;
    SequenceFileParts parts;
    try {
        if (!readWholeFile(path, &bytes) || !parseSequenceFile(bytes.data(), bytes.size(), &parts))
            return false;
        content->codes.assign(parts.moves, parts.moves + parts.moveCount);
        content->codes.push_back(EndOfMoves);
        content->moveCount = parts.moveCount;
        content->hasComment = parts.comment != nullptr;
        content->commentLength = parts.commentLength;
        if (parts.comment) {
            // The block need not hold a NUL; the copy is bounded by its length.
            content->comment.assign(size_t(parts.commentLength) + 1, '\0');
            std::memcpy(content->comment.data(), parts.comment, parts.commentLength);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// A file whose comment cannot be kept is refused too, with nothing changed.
int readSequenceFile(const char* path) {
    SequenceContent content;
    if (!readSequenceContent(path, &content)) return 0;
    const char* comment = content.hasComment ? content.comment.data() : nullptr;
    return takeSequence(content.codes.data(), content.moveCount, comment, content.commentLength)
               ? 1
               : 0;
}

namespace {

bool writeMoves(const char* path, const MoveCode* codes, uint32_t count) {
    const uint32_t commentCapacity = SequenceComment.text ? SequenceComment.capacity : 0;
    try {
        return writeWholeFile(
            path, buildSequenceFile(codes, count, SequenceComment.text, commentCapacity));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace

int writeSequenceFile(const char* path) {
    if (!CurrentSequence.block) return 0;
    return writeMoves(path, CurrentSequence.block, CurrentSequence.length) ? 1 : 0;
}

void clearSequence() {
    const MoveCode empty[1] = {EndOfMoves};
    setCurrentSequence(empty, 1, 0);
    SetWindowTextA(App.sequenceField, "");
    SetWindowTextA(App.mainWindow, ProgramTitle);
    SequenceFileName[0] = '\0';
}

bool loadSequenceFile(const char* path) {
    if (std::strlen(path) >= RememberedNameSize || !readSequenceFile(path)) return false;
    if (path != SequenceFileName) std::strcpy(SequenceFileName, path);
    setTitleFromFile(App.mainWindow, SequenceFileName);
    showSequence(App.sequenceField, CurrentSequence.block, CurrentSequence.length);
    return true;
}

void onLoadSequence() {
    ChosenName chosen(SequenceFileName);
    if (!openFileChooser(App.mainWindow, SequenceFileName, "Open Move Sequence File",
                         SequenceFiles) ||
        !loadSequenceFile(SequenceFileName))
        return;
    chosen.keep();
}

// The whole field is read, however long: a loaded or recorded sequence of 875 moves makes a
// text of up to 2,600 characters, and none of it may be lost on saving.
bool saveSequence(bool alwaysAsk, bool showResult) {
    ChosenName chosen(SequenceFileName);
    if (alwaysAsk || SequenceFileName[0] == '\0') {
        if (!saveFileChooser(App.mainWindow, SequenceFileName, "Save Move Sequence File",
                             SequenceFiles))
            return false;
    }
    MoveCode codes[ScratchMoveCount + 1];
    uint32_t count;
    if (!readFieldMoves(App.sequenceField, codes, &count)) return false;
    // The stored sequence changes only once the file is written, and then cannot fail to.
    if (count == 0 || !reserveSequence(&CurrentSequence, count) ||
        !writeMoves(SequenceFileName, codes, count))
        return false;
    chosen.keep();
    setCurrentSequence(codes, sizeof codes, count);
    if (showResult) {
        setTitleFromFile(App.mainWindow, SequenceFileName);
        showSequence(App.sequenceField, CurrentSequence.block, CurrentSequence.length);
    }
    return true;
}
