// Any bytes as the text typed into the sequence field. The parser reads nothing past the NUL and
// writes only inside its allowance, a smaller allowance gives a prefix, a list's text reads back
// to the same turns, optimising never lengthens a list nor changes what it does, and both kernels
// and executeSequence (at most MaxExecuteMoves codes) agree.
#include "fuzzCheck.h"
#include "notation.h"
#include "testCubes.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t FieldAllowance = 1023; // the program's scratch list for the field

// Codes and end marker in a block of exactly that size, so a read past the marker shows.
using MoveList = std::vector<MoveCode>;

MoveList prefix(const MoveCode* codes, uint32_t count) {
    MoveList list(codes, codes + count + 1);
    list[count] = EndOfMoves;
    return list;
}

MoveList parse(const char* text, uint32_t allowance) {
    MoveList codes(allowance + 1, 0xEE);
    const uint32_t count = parseMoveText(codes.data(), text, allowance);
    check(count <= allowance && (allowance == 0 || codes[count] == EndOfMoves));
    for (uint32_t i = 0; i < count; ++i)
        check(codes[i] < MoveCodeCount);
    return prefix(codes.data(), count);
}

// What a list does to a cube whose squares all differ, by both kernels.
PackedCube effect(const MoveList& list) {
    PackedCube generic = distinctCube(), sse2 = generic;
    if (const uint32_t n = uint32_t(list.size() - 1)) {
        applyMoves(&generic, list.data(), n);
        applyMovesSse2(&sse2, n, list.data());
    }
    check(sameCube(generic, sse2));
    return generic;
}

// In the 3 x count + 1 bytes the formatter may use. Two equal primes come back as a clockwise
// half turn, so only the direction of a code may change.
void checkText(const MoveList& list, const PackedCube& after) {
    const uint32_t n = uint32_t(list.size() - 1);
    std::unique_ptr<char[]> text(new char[3 * n + 1]);
    formatMoveText(list.data(), text.get(), n);
    const MoveList back = parse(text.get(), n + 1);
    check(sameCube(effect(back), after));
    check(std::equal(list.begin(), list.end(), back.begin(), back.end(),
                     [](MoveCode a, MoveCode b) { return (a ^ b) <= 1; }));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<char[]> text(new char[size + 1]()); // NUL-terminated, as the field
    std::copy(data, data + size, text.get());

    const MoveList codes = parse(text.get(), FieldAllowance);
    const uint32_t count = uint32_t(codes.size() - 1);
    // Only a half turn that no longer fits may leave the prefix one short of the allowance.
    for (const uint32_t allowance : {uint32_t(MaxExecuteMoves), uint32_t(size % 4)}) {
        const MoveList part = parse(text.get(), allowance);
        check(count <= allowance ? part.size() == codes.size() : part.size() >= allowance);
        check(std::equal(part.begin(), part.end() - 1, codes.begin()));
    }

    const PackedCube after = effect(codes);
    checkText(codes, after);
    const PackedCube executed = effect(prefix(codes.data(), std::min(count, +MaxExecuteMoves)));
    for (const bool useSse2 : {false, true}) {
        PackedCube cube = distinctCube();
        check(executeSequence(codes.data(), count, &cube, useSse2) == 1 &&
              sameCube(cube, executed));
    }

    MoveList work = codes;
    const uint32_t kept = optimizeMoves(work.data(), count);
    check(kept <= count && (count == 0 || work[kept] == EndOfMoves));
    work = prefix(work.data(), kept);
    checkText(work, after);
    // Passes repeat until one shortens nothing, so a second run finds nothing more.
    check(optimizeMoves(work.data(), kept) == kept);
    return 0;
}
