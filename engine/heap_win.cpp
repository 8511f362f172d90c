#include "heap.h"

#include <windows.h>

void* heapAllocZeroed(uint32_t size) {
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

void* heapResizeZeroed(void* block, uint32_t, uint32_t newSize) {
    return HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, block, newSize);
}

void heapFree(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}
