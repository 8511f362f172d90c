// Stored sequences and comments in growable heap blocks: the records and what keeps them.
#pragma once

#include "packedCube.h"

enum : uint32_t {
    MaxStoredMoves = 875,
    DefaultSequenceLength = 6,
};

// Codes followed by 0xFF; capacity is the block's size in bytes.
struct SequenceRecord {
    MoveCode* block;
    uint32_t capacity;
    uint32_t length;
};

// A NUL-terminated text; capacity is a multiple of 4.
struct CommentBuffer {
    char* text;
    uint32_t capacity;
};

// F,R,B,L,T,U with its end marker.
extern const MoveCode DefaultSequence[DefaultSequenceLength + 1];

uint32_t storeSequence(SequenceRecord* record, const MoveCode* codes, uint32_t sourceSize,
                       uint32_t count);
bool reserveSequence(SequenceRecord* record, uint32_t count);
uint32_t setCommentText(CommentBuffer* buffer, const char* text, uint32_t limit);
void freeSequenceRecord(SequenceRecord* record);
void freeCommentBuffer(CommentBuffer* buffer);
