// Replaces the runtime's operator new in the window tests, so that a test can make it fail.
#include "failingNew.h"

#include <cstdlib>
#include <new>

std::atomic<bool> failAllocations{false};

void* operator new(std::size_t size) {
    void* block = failAllocations.load() ? nullptr : std::malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    return block;
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
