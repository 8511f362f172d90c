// The host build's process heap, with a switch that makes the next allocations fail.
#include "../../engine/heap.h"
#include "heapFailures.h"

#include <cstdlib>
#include <cstring>

int heapFailuresToInject = 0;

namespace {
bool injectFailure() {
    if (heapFailuresToInject <= 0) return false;
    --heapFailuresToInject;
    return true;
}
} // namespace

void* heapAllocZeroed(uint32_t size) {
    if (injectFailure()) return nullptr;
    return std::calloc(1, size ? size : 1);
}

void* heapResizeZeroed(void* block, uint32_t oldSize, uint32_t newSize) {
    if (injectFailure()) return nullptr;
    void* fresh = std::calloc(1, newSize ? newSize : 1);
    if (!fresh) return nullptr;
    std::memcpy(fresh, block, oldSize < newSize ? oldSize : newSize);
    std::free(block);
    return fresh;
}

void heapFree(void* block) {
    std::free(block);
}
