// Zero-filled blocks from the process heap; each platform supplies its own.
#pragma once

#include <cstdint>

void* heapAllocZeroed(uint32_t size);
// New bytes past the old size are zero. On failure returns null and the block stays as it was.
void* heapResizeZeroed(void* block, uint32_t oldSize, uint32_t newSize);
void heapFree(void* block);
