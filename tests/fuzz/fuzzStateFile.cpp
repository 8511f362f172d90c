// Any bytes as a cube state file. An accepted file points only inside its bytes, gives its
// comment to the store without a read past the block, and what the program would write back
// from the parts (the comment as stored text) reads again the same.
#include "fuzzCheck.h"
#include "sequenceStore.h"
#include "stateFormat.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    StateFileParts parts;
    if (!parseStateFile(data, size, &parts)) return 0;
    check(inside(data, size, parts.state, 48));
    if (parts.colors) check(inside(data, size, parts.colors, 24));
    check((parts.comment == nullptr) == (parts.commentLength == 0));
    if (parts.comment) check(inside(data, size, parts.comment, parts.commentLength));

    CommentBuffer scratch = {nullptr, 0};
    if (parts.comment) storeComment(&scratch, parts.comment, parts.commentLength);
    const char* text = scratch.text;

    PackedCube state;
    std::memcpy(state.bytes, parts.state, 48);
    const std::vector<uint8_t> image = buildStateFile(parts.colors, state, text);
    // Only the source cube, which has colours, keeps a comment, and an empty one is left out.
    const size_t textLength = parts.colors && text ? std::strlen(text) : 0;
    check(image.size() == (parts.colors ? 104 : 80) + (textLength ? textLength + 1 : 0));

    StateFileParts again;
    check(parseStateFile(image.data(), image.size(), &again));
    check(std::memcmp(again.state, state.bytes, 48) == 0);
    check((again.colors == nullptr) == (parts.colors == nullptr));
    if (parts.colors) check(std::memcmp(again.colors, parts.colors, 24) == 0);
    if (textLength) {
        check(again.comment && again.commentLength == textLength + 1);
        check(std::memcmp(again.comment, text, textLength + 1) == 0);
    } else {
        check(again.comment == nullptr);
    }
    check(buildStateFile(again.colors, state, reinterpret_cast<const char*>(again.comment)) ==
          image);

    freeCommentBuffer(&scratch);
    return 0;
}
