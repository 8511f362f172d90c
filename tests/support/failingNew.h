// Test switch of this program's operator new: while set, every allocation fails, as it does
// when the address space is used up.
#pragma once

#include <atomic>

extern std::atomic<bool> failAllocations;

struct FailingAllocations {
    FailingAllocations() { failAllocations = true; }
    ~FailingAllocations() { failAllocations = false; }
};
