#include "currentSequence.h"
#include "shell.h"

SequenceRecord CurrentSequence = {nullptr, 0, 0};
CommentBuffer SequenceComment = {nullptr, 0};
CommentBuffer CubeComment = {nullptr, 0};
char SequenceFileName[RememberedNameSize];
char SourceCubeFileName[RememberedNameSize];
char DestinationCubeFileName[RememberedNameSize];
RecordingState Recorder = {false, false};

uint32_t setCurrentSequence(const MoveCode* codes, uint32_t sourceSize, uint32_t count) {
    return storeSequence(&CurrentSequence, codes, sourceSize, count);
}

void acceptSequence(const MoveCode* codes, uint32_t sourceSize, uint32_t count) {
    if (!setCurrentSequence(codes, sourceSize, count)) return;
    showSequence(App.sequenceField, CurrentSequence.block, CurrentSequence.length);
}
