// Any bytes as a sequence file. An accepted file points only inside its bytes, holds 1 to 875
// codes of 0 to 11 that the store takes, comes back unchanged when written and read again, and
// gives its comment to the store without a read past the block.
#include "fuzzCheck.h"
#include "sequenceFormat.h"
#include "sequenceStore.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SequenceFileParts parts;
    if (!parseSequenceFile(data, size, &parts)) return 0;
    check(parts.moveCount >= 1 && parts.moveCount <= MaxStoredMoves);
    check(inside(data, size, parts.moves, parts.moveCount));
    for (uint32_t i = 0; i < parts.moveCount; ++i)
        check(parts.moves[i] < MoveCodeCount);
    check((parts.comment == nullptr) == (parts.commentLength == 0));
    if (parts.comment) check(inside(data, size, parts.comment, parts.commentLength));

    SequenceRecord record = {nullptr, 0, 0};
    check(storeSequence(&record, parts.moves, parts.moveCount, parts.moveCount) == parts.moveCount);
    freeSequenceRecord(&record);

    const std::vector<uint8_t> image =
        buildSequenceFile(parts.moves, parts.moveCount, parts.comment, parts.commentLength);
    SequenceFileParts again;
    check(parseSequenceFile(image.data(), image.size(), &again));
    check(again.moveCount == parts.moveCount);
    check(std::memcmp(again.moves, parts.moves, parts.moveCount) == 0);
    check(again.commentLength == parts.commentLength);
    if (parts.comment) check(std::memcmp(again.comment, parts.comment, parts.commentLength) == 0);
    check(buildSequenceFile(again.moves, again.moveCount, again.comment, again.commentLength) ==
          image);

    if (parts.comment) {
        CommentBuffer scratch = {nullptr, 0};
        storeComment(&scratch, parts.comment, parts.commentLength);
        freeCommentBuffer(&scratch);
    }
    return 0;
}
