#include "sequenceFile.h"
#include "fileDialogs.h"
#include "fileIo.h"
#include "sequenceFormat.h"
#include "../shell/shell.h"
#include "../engine/notation.h"
#include "../engine/sequenceStore.h"

#include <cstring>
#include <vector>

char SequenceFileName[RememberedNameSize];

int readSequenceFile(const char* path) {
    std::vector<uint8_t> bytes;
    SequenceFileParts parts;
    if (!readWholeFile(path, &bytes) || !parseSequenceFile(bytes.data(), bytes.size(), &parts))
        return 0;
    std::vector<MoveCode> codes(parts.moves, parts.moves + parts.moveCount);
    codes.push_back(EndOfMoves);
    if (!setCurrentSequence(codes.data(), uint32_t(codes.size()), parts.moveCount)) return 0;
    if (parts.comment) {
        // The block need not hold a NUL; the copy is bounded by its length.
        std::vector<char> text(size_t(parts.commentLength) + 1, '\0');
        std::memcpy(text.data(), parts.comment, parts.commentLength);
        setCommentText(&SequenceComment, text.data(), parts.commentLength);
    }
    return 1;
}

int writeSequenceFile(const char* path) {
    if (!CurrentSequence.block) return 0;
    const uint32_t commentCapacity = SequenceComment.text ? SequenceComment.capacity : 0;
    return writeWholeFile(path, buildSequenceFile(CurrentSequence.block, CurrentSequence.length,
                                                  SequenceComment.text, commentCapacity))
               ? 1
               : 0;
}

void clearSequence() {
    const MoveCode empty[1] = {EndOfMoves};
    setCurrentSequence(empty, 1, 0);
    SetWindowTextA(App.sequenceField, "");
    SetWindowTextA(App.mainWindow, ProgramTitle);
    SequenceFileName[0] = '\0';
}

// A name chosen for a load or save that then fails is not kept, so a later Save Sequence
// cannot silently write over the file that failed to load.
void onLoadSequence() {
    char previous[RememberedNameSize];
    std::memcpy(previous, SequenceFileName, sizeof previous);
    if (!openFileChooser(App.mainWindow, SequenceFileName, "Open Move Sequence File",
                         SequenceFiles))
        return;
    if (!readSequenceFile(SequenceFileName)) {
        std::memcpy(SequenceFileName, previous, sizeof previous);
        return;
    }
    setTitleFromFile(App.mainWindow, SequenceFileName);
    showSequence(App.sequenceField, CurrentSequence.block, CurrentSequence.length);
}

// The whole field is read, however long: a loaded or recorded sequence of 875 moves makes a
// text of up to 2,600 characters, and none of it may be lost on saving.
bool saveSequence(bool alwaysAsk, bool showResult) {
    char previous[RememberedNameSize];
    std::memcpy(previous, SequenceFileName, sizeof previous);
    if (alwaysAsk || SequenceFileName[0] == '\0') {
        if (!saveFileChooser(App.mainWindow, SequenceFileName, "Save Move Sequence File",
                             SequenceFiles))
            return false;
    }
    std::vector<char> text(size_t(GetWindowTextLengthA(App.sequenceField)) + 2, '\0');
    GetWindowTextA(App.sequenceField, text.data(), int(text.size()));
    MoveCode codes[ScratchMoveCount + 1];
    const uint32_t count = parseMoveText(codes, text.data(), ScratchMoveCount);
    if (!setCurrentSequence(codes, sizeof codes, count) || !writeSequenceFile(SequenceFileName)) {
        std::memcpy(SequenceFileName, previous, sizeof previous);
        return false;
    }
    if (showResult) {
        setTitleFromFile(App.mainWindow, SequenceFileName);
        showSequence(App.sequenceField, CurrentSequence.block, CurrentSequence.length);
    }
    return true;
}
