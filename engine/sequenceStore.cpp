#include "sequenceStore.h"
#include "heap.h"

#include <cstring>

const MoveCode DefaultSequence[DefaultSequenceLength + 1] = {8, 2, 10, 0, 4, 6, EndOfMoves};

namespace {

// A block grows when too small and shrinks when more than twice too large, so repeated stores
// of similar sizes keep it. Only growing can fail: a block that cannot shrink still holds what
// it must. On failure the old block and its contents stay.
bool fitBlock(void** block, uint32_t* capacity, uint32_t need) {
    if (*block == nullptr) {
        void* fresh = heapAllocZeroed(need);
        if (!fresh) return false;
        *block = fresh;
        *capacity = need;
        return true;
    }
    if (*capacity >= need && *capacity - need <= need) return true;
    void* resized = heapResizeZeroed(*block, *capacity, need);
    if (!resized) return *capacity >= need;
    *block = resized;
    *capacity = need;
    return true;
}

} // namespace

uint32_t storeSequence(SequenceRecord* record, const MoveCode* codes, uint32_t sourceSize,
                       uint32_t count) {
    if (sourceSize < count || count > MaxStoredMoves) return 0;
    void* block = record->block;
    if (!fitBlock(&block, &record->capacity, count + 1)) return 0;
    record->block = static_cast<MoveCode*>(block);
    if (count) std::memcpy(record->block, codes, count);
    record->block[count] = EndOfMoves;
    record->length = count;
    return count;
}

// Grows the block, its codes kept, so that a store of count codes cannot fail: a caller that
// must store together with something else takes the memory for both before changing either.
bool reserveSequence(SequenceRecord* record, uint32_t count) {
    if (count > MaxStoredMoves) return false;
    if (record->block && record->capacity > count) return true;
    void* block = record->block;
    if (!fitBlock(&block, &record->capacity, count + 1)) return false;
    if (!record->block) static_cast<MoveCode*>(block)[0] = EndOfMoves;
    record->block = static_cast<MoveCode*>(block);
    return true;
}

// An empty list is stored but reported as 0, which callers treat as a refusal.
// Stores at most limit - 1 characters: callers pass the text's length + 1 for the whole text,
// or a block length read from a file. The block is the copy length rounded down to a multiple
// of 4, plus 4.
uint32_t setCommentText(CommentBuffer* buffer, const char* text, uint32_t limit) {
    if (limit == 0) return 0;
    // The text need not be terminated within the limit (a file's comment block may not be),
    // so the scan stops at the limit.
    uint32_t textLength = 0;
    while (textLength < limit - 1 && text[textLength] != '\0')
        ++textLength;
    const uint32_t copyLength = textLength + 1;
    // Above 0xFFFFFFFC the rounded size would wrap; no real comment comes near it.
    if (copyLength > 0xFFFFFFF0u) return 0;
    const uint32_t need = (copyLength & ~3u) + 4;
    void* block = buffer->text;
    if (!fitBlock(&block, &buffer->capacity, need)) return 0;
    buffer->text = static_cast<char*>(block);
    std::memcpy(buffer->text, text, copyLength - 1);
    buffer->text[copyLength - 1] = '\0';
    return limit;
}

void freeSequenceRecord(SequenceRecord* record) {
    heapFree(record->block);
    *record = {nullptr, 0, 0};
}

void freeCommentBuffer(CommentBuffer* buffer) {
    heapFree(buffer->text);
    *buffer = {nullptr, 0};
}
