// Three libFuzzer targets, chosen by FUZZ_TARGET: any bytes as a sequence file, a state file or
// typed sequence text. A broken invariant aborts; the sanitizers catch reads past a block.
#include "notation.h"
#include "sequenceFormat.h"
#include "sequenceStore.h"
#include "stateFormat.h"

#include <cstdlib>
#include <cstring>
#include <string>

void check(bool holds) {
    if (!holds) std::abort();
}

// As the program stores a file's comment: the block need not hold a NUL.
std::string storedComment(const uint8_t* block, uint32_t length) {
    CommentBuffer c = {nullptr, 0};
    check(!block || setCommentText(&c, reinterpret_cast<const char*>(block), length) == length);
    const std::string text = c.text ? c.text : "";
    freeCommentBuffer(&c);
    return text;
}

// Written back from its parts, which reads every part, an accepted file reads again the same.
int fuzzSequenceFile(const uint8_t* data, size_t size) {
    SequenceFileParts p, q;
    if (!parseSequenceFile(data, size, &p)) return 0;
    storedComment(p.comment, p.commentLength);
    const auto image = buildSequenceFile(p.moves, p.moveCount, p.comment, p.commentLength);
    check(p.moveCount <= MaxStoredMoves && parseSequenceFile(image.data(), image.size(), &q));
    check(buildSequenceFile(q.moves, q.moveCount, q.comment, q.commentLength) == image);
    return 0;
}

int fuzzStateFile(const uint8_t* data, size_t size) {
    StateFileParts p, q;
    if (!parseStateFile(data, size, &p)) return 0;
    PackedCube state;
    std::memcpy(state.bytes, p.state, 48);
    const auto image =
        buildStateFile(p.colors, state, storedComment(p.comment, p.commentLength).c_str());
    check(parseStateFile(image.data(), image.size(), &q) && !q.colors == !p.colors);
    check(buildStateFile(q.colors, state, reinterpret_cast<const char*>(q.comment)) == image);
    return 0;
}

// With any allowance, in blocks of the exact size allowed, the codes format and parse back to
// the same turns (equal counter-clockwise pairs come back clockwise), before and after optimising.
int fuzzSequenceText(const uint8_t* data, size_t size) {
    std::vector<MoveCode> codes(size % 1024 + 1);
    const std::string text(reinterpret_cast<const char*>(data), size);
    codes.resize(parseMoveText(codes.data(), text.c_str(), uint32_t(codes.size() - 1)) + 1);
    for (int round = 0; round < 2; ++round) {
        const uint32_t n = uint32_t(codes.size() - 1);
        std::vector<char> written(3 * n + 1);
        formatMoveText(codes.data(), written.data(), n);
        std::vector<MoveCode> back(n + 2);
        check((n == 0 || codes[n] == EndOfMoves) &&
              parseMoveText(back.data(), written.data(), n + 1) == n);
        for (uint32_t i = 0; i < n; ++i)
            check(codes[i] < MoveCodeCount && (codes[i] ^ back[i]) <= 1);
        codes.resize(optimizeMoves(codes.data(), n) + 1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FUZZ_TARGET(data, size);
}
