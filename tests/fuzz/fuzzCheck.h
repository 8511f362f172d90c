// Checks shared by the file format fuzzers.
#pragma once

#include "sequenceStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// A broken invariant aborts, and libFuzzer keeps the input that broke it.
inline void check(bool holds) {
    if (!holds) std::abort();
}

// Whether [p, p + n) lies inside [data, data + size).
inline bool inside(const uint8_t* data, size_t size, const uint8_t* p, size_t n) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(p);
    const uintptr_t start = reinterpret_cast<uintptr_t>(data);
    return at >= start && n <= size && at - start <= size - n;
}

// Stores a file's comment block as the program does, with the block length as the limit: the
// block need not hold a NUL, and the address sanitizer catches any read past it. The text is
// the block up to its first NUL, at most length - 1 characters.
inline void storeComment(CommentBuffer* scratch, const uint8_t* comment, uint32_t length) {
    check(setCommentText(scratch, reinterpret_cast<const char*>(comment), length) == length);
    const size_t textLength = std::strlen(scratch->text);
    check(textLength < length && textLength < scratch->capacity && scratch->capacity % 4 == 0);
    check(std::memcmp(scratch->text, comment, textLength) == 0);
    check(textLength == length - 1 || comment[textLength] == 0);
}
