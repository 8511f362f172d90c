#include "currentSequence.h"
#include "shell.h"

#include <cstring>

SequenceRecord CurrentSequence = {nullptr, 0, 0};
CommentBuffer SequenceComment = {nullptr, 0};
CommentBuffer CubeComment = {nullptr, 0};
char SequenceFileName[RememberedNameSize];
char SourceCubeFileName[RememberedNameSize];
char DestinationCubeFileName[RememberedNameSize];
RecordingState Recorder = {false, false, false};

uint32_t setCurrentSequence(const MoveCode* codes, uint32_t sourceSize, uint32_t count) {
    return storeSequence(&CurrentSequence, codes, sourceSize, count);
}

void acceptSequence(const MoveCode* codes, uint32_t sourceSize, uint32_t count) {
    if (!setCurrentSequence(codes, sourceSize, count)) return;
    showSequence(App.sequenceField, CurrentSequence.block, CurrentSequence.length);
}

bool takeSequence(const MoveCode* codes, uint32_t count, const char* comment,
                  uint32_t commentLength) {
    if (!reserveSequence(&CurrentSequence, count)) return false;
    if (comment && !setCommentText(&SequenceComment, comment, commentLength)) return false;
    return setCurrentSequence(codes, count + 1, count) != 0;
}

bool takeCubeComment(const char* comment, uint32_t commentLength) {
    return setCommentText(&CubeComment, comment, commentLength) != 0;
}

// The field is rewritten from the stored codes, so the recorded text is always canonical. A
// sequence already at the limit keeps its codes, and the field shows them.
void appendRecordedMoves(const MoveCode* moves, uint32_t count) {
    MoveCode codes[MaxStoredMoves + 3];
    const uint32_t kept = CurrentSequence.block ? CurrentSequence.length : 0;
    const MoveCode* shown = CurrentSequence.block;
    uint32_t total = kept;
    if (kept + count <= MaxStoredMoves && !Recorder.cutsNextTurn) {
        if (kept) std::memcpy(codes, CurrentSequence.block, kept);
        std::memcpy(codes + kept, moves, count);
        total = kept + count;
        codes[total] = EndOfMoves;
        shown = codes;
        if (!reserveSequence(&CurrentSequence, total)) return;
    }
    Recorder.writing = true;
    const bool written = showSequence(App.sequenceField, shown, total);
    Recorder.writing = false;
    if (!written) return;
    Recorder.cutsNextTurn = false;
    if (shown == codes) setCurrentSequence(codes, total + 1, total);
}

void takeFieldAsRecorded() {
    MoveCode codes[ScratchMoveCount + 1];
    uint32_t count;
    if (!readFieldMoves(App.sequenceField, codes, &count, &Recorder.cutsNextTurn)) return;
    setCurrentSequence(codes, sizeof codes, count);
}
