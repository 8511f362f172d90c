// The sequence file (.csq) as bytes: a 32-byte header, the moves, and a comment block.
#pragma once

#include "../engine/packedCube.h"

#include <cstddef>
#include <vector>

enum : uint32_t {
    FileHeaderSize = 32,
    // Far above any file the program writes (a long comment makes the largest); a larger file
    // of either kind is not read at all, by the program or by the command-line tool.
    MaxFileBytes = 64 * 1024 * 1024,
};

// Parts of a file image; the pointers point into the image.
struct SequenceFileParts {
    const MoveCode* moves;
    uint32_t moveCount;
    const uint8_t* comment; // null when the file has none, or it lies outside the file
    uint32_t commentLength;
};

bool parseSequenceFile(const uint8_t* data, size_t size, SequenceFileParts* parts);
std::vector<uint8_t> buildSequenceFile(const MoveCode* moves, uint32_t count,
                                       const void* commentBlock, uint32_t commentCapacity);
