#include "recorder.h"
#include "sequenceFile.h"
#include "../shell/currentSequence.h"
#include "../shell/messageBox.h"
#include "../shell/shell.h"

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
    Recorder = {true, false, false};
    InvalidateRect(App.sequenceField, nullptr, TRUE);
}

// A half turn is its quarter turn twice; a counter-clockwise code has no half turn of its own.
void recordTurn(MoveCode code, bool halfTurn) {
    if (!Recorder.on || code >= MoveCodeCount) return;
    const MoveCode turn[] = {code, code};
    appendRecordedMoves(turn, halfTurn && code % 2 == 0 ? 2 : 1);
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
