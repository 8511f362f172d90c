#include "recorder.h"
#include "sequenceFile.h"
#include "../shell/currentSequence.h"
#include "../shell/messageBox.h"
#include "../shell/shell.h"
#include "../engine/notation.h"
#include "../engine/runtimeFlags.h"
#include "../engine/sequenceStore.h"

#include <cstring>
#include <new>
#include <string>

namespace {

void stopRecording() {
    Recorder.on = false;
    InvalidateRect(App.sequenceField, nullptr, TRUE);
    UpdateWindow(App.sequenceField);
}

} // namespace

void startRecording() {
    if (Recorder.on) return;
    clearSequence();
    Recorder.on = true;
    InvalidateRect(App.sequenceField, nullptr, TRUE);
}

// The field is rewritten from the stored codes each time, so the recorded text is always
// canonical. The whole field is read: a limit below the longest canonical text would drop
// recorded moves.
void recordTurn(MoveCode code, bool halfTurn) {
    if (!Recorder.on || code >= MoveCodeCount) return;
    std::string text;
    if (!readWholeText(App.sequenceField, &text)) {
        // Without memory the move stays on the cube unrecorded; an unreadable field ends it.
        if (GetLastError() != ERROR_NOT_ENOUGH_MEMORY) confirmStopRecording();
        return;
    }
    Recorder.writing = true;
    const bool half = halfTurn && code % 2 == 0;
    const MoveCode turn[] = {code, half ? code : EndOfMoves, EndOfMoves};
    char letters[4];
    formatMoveText(turn, letters, half ? 2 : 1);
    try {
        text += (text.empty() ? "" : ",") + std::string(letters);
    } catch (const std::bad_alloc&) {
        Recorder.writing = false;
        return;
    }
    MoveCode codes[ScratchMoveCount + 1];
    const uint32_t count = parseMoveText(codes, text.c_str(), ScratchMoveCount);
    setCurrentSequence(codes, sizeof codes, count);
    showSequence(App.sequenceField, CurrentSequence.block, CurrentSequence.length);
    Recorder.writing = false;
}

// The caller goes on with its own action whatever the answer.
void confirmStopRecording() {
    if (!Recorder.on) return;
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
