// Sequence files with their commands, the remembered name and the window title.
#pragma once

#include "../engine/packedCube.h"

#include <vector>

// What a sequence file holds, copied out of its bytes: the codes with their end marker, and the
// comment with a NUL added.
struct SequenceContent {
    std::vector<MoveCode> codes;
    uint32_t moveCount;
    bool hasComment;
    std::vector<char> comment;
    uint32_t commentLength;
};

bool readSequenceContent(const char* path, SequenceContent* content);
// Reads the file and hands what it holds to the current sequence.
int readSequenceFile(const char* path);
int writeSequenceFile(const char* path);
void clearSequence();

// Loads the file into the sequence and remembers its name, as Load Sequence does with the chosen
// one; a bad file, or a name too long to remember, changes nothing.
bool loadSequenceFile(const char* path);
void onLoadSequence();
bool saveSequence(bool alwaysAsk, bool showResult);
