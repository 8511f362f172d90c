// The host build's process heap; a failed resize leaves the block as it was.
#include "heap.h"

#include <cstdlib>
#include <cstring>

void* heapAllocZeroed(uint32_t size) {
    return std::calloc(1, size);
}

void* heapResizeZeroed(void* block, uint32_t oldSize, uint32_t newSize) {
    char* resized = static_cast<char*>(std::realloc(block, newSize));
    if (resized && newSize > oldSize) std::memset(resized + oldSize, 0, newSize - oldSize);
    return resized;
}

void heapFree(void* block) {
    std::free(block);
}
