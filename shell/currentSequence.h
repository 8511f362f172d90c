// The one current sequence and what belongs with it: its codes, the two comments, the remembered
// file names and the recording state. Changed only on the user-interface thread.
#pragma once

#include "../engine/sequenceStore.h"

enum : uint32_t {
    RememberedNameSize = 512,
};

// Whether side turns of the destination cube are being recorded, and whether the recorder is
// writing the field itself at the moment (its own change of the text does not stop recording).
struct RecordingState {
    bool on;
    bool writing;
};

extern SequenceRecord CurrentSequence;
extern CommentBuffer SequenceComment;
extern CommentBuffer CubeComment;
extern char SequenceFileName[RememberedNameSize];
extern char SourceCubeFileName[RememberedNameSize];
extern char DestinationCubeFileName[RememberedNameSize];
extern RecordingState Recorder;

uint32_t setCurrentSequence(const MoveCode* codes, uint32_t sourceSize, uint32_t count);
// A sequence the user accepted, such as a search's result: stored whole and shown in the field.
// One too long to store changes nothing.
void acceptSequence(const MoveCode* codes, uint32_t sourceSize, uint32_t count);
