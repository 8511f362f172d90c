// The one current sequence and what belongs with it: its codes, the two comments, the remembered
// file names and the recording state. Changed only on the user-interface thread.
#pragma once

#include "../engine/sequenceStore.h"

enum : uint32_t {
    RememberedNameSize = 512,
};

// Whether side turns of the destination cube are being recorded; whether the recorder is writing
// the field itself at the moment (its own change of the text does not stop recording); and
// whether the field holds text the parser stops short of, which cuts off the next turn with it.
struct RecordingState {
    bool on;
    bool writing;
    bool cutsNextTurn;
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
// A sequence read from a file, with its comment (null when the file has none): the memory for
// both is had before either changes, so a refusal changes nothing.
bool takeSequence(const MoveCode* codes, uint32_t count, const char* comment,
                  uint32_t commentLength);
bool takeCubeComment(const char* comment, uint32_t commentLength);
// Turns recorded on the cube, added to the stored codes and shown. Without memory for the new
// text nothing changes, so the field and the stored codes never disagree.
void appendRecordedMoves(const MoveCode* moves, uint32_t count);
// After the user changed the field while recording: recording goes on from what it shows.
void takeFieldAsRecorded();
