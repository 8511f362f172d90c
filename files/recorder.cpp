#include "recorder.h"
#include "sequenceFile.h"
#include "../shell/messageBox.h"
#include "../shell/shell.h"
#include "../engine/notation.h"
#include "../engine/runtimeFlags.h"
#include "../engine/sequenceStore.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

void stopRecording() {
    RuntimeFlags &= uint8_t(~Recording);
    InvalidateRect(App.sequenceField, nullptr, TRUE);
    UpdateWindow(App.sequenceField);
}

} // namespace

void startRecording() {
    if (RuntimeFlags & Recording) return;
    clearSequence();
    RuntimeFlags |= Recording;
    InvalidateRect(App.sequenceField, nullptr, TRUE);
}

// The field is rewritten from the stored codes each time, so the recorded text is always
// canonical. The whole field is read: a limit below the longest canonical text would drop
// recorded moves.
void recordTurn(MoveCode code, bool halfTurn) {
    if (!(RuntimeFlags & Recording) || code >= MoveCodeCount) return;
    const int length = GetWindowTextLengthA(App.sequenceField);
    std::vector<char> text;
    try {
        text.assign(size_t(length) + 8, '\0');
    } catch (const std::bad_alloc&) {
        return; // the move stays on the cube, as when the field cannot be read
    }
    SetLastError(0);
    const int read = GetWindowTextA(App.sequenceField, text.data(), length + 1);
    if (read == 0 && GetLastError() != 0) {
        confirmStopRecording();
        return;
    }
    RuntimeFlags |= RecorderWriting;
    char* end = text.data() + read;
    if (read > 0) *end++ = ',';
    const bool half = halfTurn && code % 2 == 0;
    const MoveCode turn[] = {code, half ? code : EndOfMoves, EndOfMoves};
    formatMoveText(turn, end, half ? 2 : 1);
    MoveCode codes[ScratchMoveCount + 1];
    const uint32_t count = parseMoveText(codes, text.data(), ScratchMoveCount);
    setCurrentSequence(codes, sizeof codes, count);
    showSequence(App.sequenceField, CurrentSequence.block, CurrentSequence.length);
    RuntimeFlags &= uint8_t(~RecorderWriting);
}

// The caller goes on with its own action whatever the answer.
void confirmStopRecording() {
    if (!(RuntimeFlags & Recording)) return;
    const int answer = showMessageBox(
        App.mainWindow,
        "Sequence recording is about to be stopped.\r\n"
        "Would you like to save recorded sequence?\r\n"
        "Press \"Yes\" to stop sequence recording and save current sequence to file.\r\n"
        "Press \"No\" to stop sequence recording and discard current sequence.\r\n"
        "Press \"Cancel\" to continue recording.",
        ProgramTitle, MB_YESNOCANCEL);
    if (answer == IDYES) {
        saveSequence(false, false);
        stopRecording();
    } else if (answer == IDNO) {
        stopRecording();
    }
}
