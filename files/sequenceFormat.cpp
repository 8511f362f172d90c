#include "sequenceFormat.h"
#include "byteOrder.h"

#include <cstring>

namespace {

const uint8_t SequenceMagic[4] = {'C', 'S', 'Q', 'F'};

// The comment starts at the next multiple of 16 strictly above the end of the moves.
uint32_t commentOffsetAfter(uint32_t moveCount) {
    return ((32 + moveCount) & ~15u) + 16;
}

} // namespace

// Every bound is computed in 64 bits, so offsets and counts near 2^32 cannot wrap into a small
// block. Codes above 11 have no letter and are refused, as is a count the stored sequence
// cannot hold. A comment block outside the file is dropped; the moves still load.
bool parseSequenceFile(const uint8_t* data, size_t size, SequenceFileParts* parts) {
    if (size < FileHeaderSize) return false;
    if (std::memcmp(data, SequenceMagic, 4) != 0) return false;
    if (readU32le(data + 4) != size || readU32le(data + 12) != FileHeaderSize) return false;
    const uint64_t moveOffset = readU32le(data + 16);
    const uint32_t moveCount = readU32le(data + 20);
    if (moveOffset + moveCount > size) return false;
    if (moveCount == 0 || moveCount > MaxExecuteMoves - 1) return false;
    const MoveCode* moves = data + moveOffset;
    for (uint32_t i = 0; i < moveCount; ++i)
        if (moves[i] >= MoveCodeCount) return false;
    parts->moves = moves;
    parts->moveCount = moveCount;
    parts->comment = nullptr;
    parts->commentLength = 0;
    const uint64_t commentOffset = readU32le(data + 24);
    const uint64_t commentLength = readU32le(data + 28);
    if (commentOffset && commentLength && commentOffset + commentLength <= size) {
        parts->comment = data + commentOffset;
        parts->commentLength = uint32_t(commentLength);
    }
    return true;
}

// The comment block goes in whole, as held in memory: the text, its NUL and the rest of the
// block up to its capacity. The filler before it stays zero.
std::vector<uint8_t> buildSequenceFile(const MoveCode* moves, uint32_t count,
                                       const void* commentBlock, uint32_t commentCapacity) {
    const bool withComment = commentBlock && commentCapacity;
    const uint32_t commentOffset = withComment ? commentOffsetAfter(count) : 0;
    const uint32_t size = withComment ? commentOffset + commentCapacity : 32 + count;
    std::vector<uint8_t> image(size, 0);
    std::memcpy(image.data(), SequenceMagic, 4);
    writeU32le(&image[4], size);
    writeU32le(&image[12], FileHeaderSize);
    writeU32le(&image[16], FileHeaderSize);
    writeU32le(&image[20], count);
    if (count) std::memcpy(&image[32], moves, count);
    if (withComment) {
        writeU32le(&image[24], commentOffset);
        writeU32le(&image[28], commentCapacity);
        std::memcpy(&image[commentOffset], commentBlock, commentCapacity);
    }
    return image;
}
