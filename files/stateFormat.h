// The cube state file (.csf) as bytes: a 32-byte header, colours, state and comment.
#pragma once

#include "../engine/packedCube.h"

#include <cstddef>
#include <vector>

struct StateFileParts {
    const uint8_t* colors;  // 24 bytes, or null
    const uint8_t* state;   // 48 bytes
    const uint8_t* comment; // null when absent or outside the file
    uint32_t commentLength;
};

bool parseStateFile(const uint8_t* data, size_t size, StateFileParts* parts);
// colors (24 bytes) and comment are given only for the source cube; an empty comment is left
// out.
std::vector<uint8_t> buildStateFile(const void* colors, const PackedCube& state,
                                    const char* comment);
