#include "stateFormat.h"
#include "byteOrder.h"
#include "sequenceFormat.h"

#include <cstring>

namespace {

const uint8_t StateMagic[4] = {'M', 'C', 'S', 'F'};
constexpr uint32_t ColorBlockSize = 24, StateBlockSize = 48;

} // namespace

// The state block must lie inside the file; colours and comment outside it are dropped and
// the state still loads. Bounds in 64 bits, so nothing wraps.
bool parseStateFile(const uint8_t* data, size_t size, StateFileParts* parts) {
    if (size < FileHeaderSize) return false;
    if (readU32le(data + 12) != FileHeaderSize) return false;
    if (std::memcmp(data, StateMagic, 4) != 0 || readU32le(data + 4) != size) return false;
    const uint64_t colorOffset = readU32le(data + 16);
    const uint64_t stateOffset = readU32le(data + 20);
    const uint64_t commentOffset = readU32le(data + 24);
    const uint64_t commentLength = readU32le(data + 28);
    if (stateOffset == 0 || stateOffset + StateBlockSize > size) return false;
    parts->state = data + stateOffset;
    parts->colors =
        colorOffset && colorOffset + ColorBlockSize <= size ? data + colorOffset : nullptr;
    parts->comment = nullptr;
    parts->commentLength = 0;
    if (commentOffset && commentLength && commentOffset + commentLength <= size) {
        parts->comment = data + commentOffset;
        parts->commentLength = uint32_t(commentLength);
    }
    return true;
}

std::vector<uint8_t> buildStateFile(const void* colors, const PackedCube& state,
                                    const char* comment) {
    const size_t commentLength = colors && comment ? std::strlen(comment) : 0;
    const uint32_t stateOffset = colors ? 32 + ColorBlockSize : 32;
    const uint32_t commentOffset = stateOffset + StateBlockSize;
    const uint32_t size = commentOffset + (commentLength ? uint32_t(commentLength) + 1 : 0);
    std::vector<uint8_t> image(size, 0);
    std::memcpy(image.data(), StateMagic, 4);
    writeU32le(&image[4], size);
    writeU32le(&image[12], FileHeaderSize);
    if (colors) {
        writeU32le(&image[16], 32);
        std::memcpy(&image[32], colors, ColorBlockSize);
    }
    writeU32le(&image[20], stateOffset);
    std::memcpy(&image[stateOffset], state.bytes, StateBlockSize);
    if (commentLength) {
        writeU32le(&image[24], commentOffset);
        writeU32le(&image[28], uint32_t(commentLength + 1));
        std::memcpy(&image[commentOffset], comment, commentLength + 1);
    }
    return image;
}
