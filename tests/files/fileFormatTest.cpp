// The sequence and cube state files as bytes: exact images, and what a parse keeps, drops or
// refuses. Images are parsed from blocks of their exact size for the address sanitizer.
#include "sequenceFormat.h"
#include "stateFormat.h"
#include "testCubes.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Bytes = std::vector<uint8_t>;
// The blocks a file keeps; Loads: its moves, or its state.
constexpr int Loads = 1, Comment = 2, Colors = 4, All = 7, NoColors = 3, NoComment = 5;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Sets a field; with a cut, keeps only the first bytes.
Bytes set(Bytes image, size_t offset, uint32_t value, size_t cut = SIZE_MAX) {
    for (int i = 0; i < 4; ++i)
        image[offset + i] = uint8_t(value >> 8 * i);
    image.resize(std::min(cut, image.size()));
    return image;
}

// The 32-byte header: magic, size, 0, header size 32, then the four fields from offset 16.
Bytes header(const char* magic, uint32_t size, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    Bytes h(magic, magic + 4);
    for (uint32_t v : {size, 0u, 32u, a, b, c, d})
        h = h + Bytes{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return h;
}

// The blocks a parse kept, and their bytes in a row (an absent block has length 0).
std::pair<int, Bytes> parse(const Bytes& image) {
    const std::unique_ptr<uint8_t[]> data(new uint8_t[image.size()]);
    std::copy(image.begin(), image.end(), data.get());
    SequenceFileParts s;
    StateFileParts t;
    if (!image.empty() && image[0] == 'C' && parseSequenceFile(data.get(), image.size(), &s))
        return {s.comment ? NoColors : Loads, Bytes(s.moves, s.moves + s.moveCount) +
                                                  Bytes(s.comment, s.comment + s.commentLength)};
    if (!image.empty() && image[0] == 'M' && parseStateFile(data.get(), image.size(), &t))
        return {Loads | (t.colors ? Colors : 0) | (t.comment ? Comment : 0),
                Bytes(t.state, t.state + 48) + Bytes(t.colors, t.colors + (t.colors ? 24 : 0)) +
                    Bytes(t.comment, t.comment + t.commentLength)};
    return {0, {}};
}

const Bytes Six = {8, 2, 10, 0, 4, 6}, Abc = {'a', 'b', 'c', 0};
const Bytes AbcBlock = Abc + Bytes{'x', 'y', 'z', 'w'}; // a block goes out whole
const PackedCube Cube = distinctCube();
const Bytes State(Cube.bytes, Cube.bytes + 48), ColorBytes(State.rbegin(), State.rbegin() + 24);
// The comment ends the file: at 48 after the moves; after colours at 32 and state at 56.
const Bytes GoodSequence = buildSequenceFile(Six.data(), 6, AbcBlock.data(), 8);
const Bytes GoodState = buildStateFile(ColorBytes.data(), Cube, "abc");

} // namespace

TEST(FileFormats, ExactImagesReadBack) {
    EXPECT_EQ(header("CSQF", 38, 32, 6, 0, 0) + Six, buildSequenceFile(Six.data(), 6, nullptr, 0));
    EXPECT_EQ(header("CSQF", 56, 32, 6, 48, 8) + Six + Bytes(10, 0) + AbcBlock, GoodSequence);
    // The comment starts at the next multiple of 16 strictly above the moves.
    EXPECT_EQ(header("CSQF", 72, 32, 16, 64, 8) + Bytes(16, 4) + Bytes(16, 0) + AbcBlock,
              buildSequenceFile(Bytes(16, 4).data(), 16, AbcBlock.data(), 8));
    EXPECT_EQ(header("MCSF", 80, 0, 32, 0, 0) + State, buildStateFile(nullptr, Cube, "abc"));
    EXPECT_EQ(header("MCSF", 104, 32, 56, 0, 0) + ColorBytes + State,
              buildStateFile(ColorBytes.data(), Cube, ""));
    EXPECT_EQ(header("MCSF", 108, 32, 56, 104, 4) + ColorBytes + State + Abc, GoodState);
    EXPECT_EQ(std::make_pair(NoColors, Six + AbcBlock), parse(GoodSequence));
    EXPECT_EQ(std::make_pair(All, State + ColorBytes + Abc), parse(GoodState));
}

// One bad field in a good file (1 for the state file, field offset, value, blocks kept): refused,
// or loaded without the block it puts outside the file. Nothing may wrap around 2^32.
TEST(FileFormats, HostileFieldsAreRefusedOrDropped) {
    const uint32_t cases[][4] = {
        {0, 0, 0x47515343, 0}, {0, 4, 57, 0},           {0, 4, 55, 0},
        {0, 12, 28, 0},        {0, 20, 0, 0},           {0, 16, 51, 0},
        {0, 16, ~5u, 0},       {0, 20, ~0u, 0},         {0, 28, 9, Loads},
        {0, 24, 0, Loads},     {0, 28, 0, Loads},       {0, 24, ~7u, Loads},
        {0, 28, ~0u, Loads},   {1, 0, 0x4753434D, 0},   {1, 4, 107, 0},
        {1, 4, 109, 0},        {1, 12, 36, 0},          {1, 20, 0, 0},
        {1, 20, 61, 0},        {1, 20, ~15u, 0},        {1, 16, 84, All},
        {1, 16, 85, NoColors}, {1, 16, 0, NoColors},    {1, 16, ~15u, NoColors},
        {1, 28, 5, NoComment}, {1, 24, ~3u, NoComment}, {1, 28, ~0u, NoComment},
    };
    for (const auto& [state, field, value, blocks] : cases)
        EXPECT_EQ(int(blocks), parse(set(state ? GoodState : GoodSequence, field, value)).first)
            << state << " " << field << " " << value;
    // A code without a letter; 875 moves, and 876; shorter than a header, its moves inside.
    EXPECT_EQ(0, parse(header("CSQF", 38, 32, 6, 0, 0) + Bytes{8, 2, 10, 0, 4, 12}).first);
    EXPECT_EQ(Loads, parse(buildSequenceFile(Bytes(875, 11).data(), 875, nullptr, 0)).first);
    EXPECT_EQ(0, parse(buildSequenceFile(Bytes(876, 11).data(), 876, nullptr, 0)).first);
    EXPECT_EQ(0, parse(set(header("CSQF", 0, 8, 4, 0, 0), 4, 31, 31)).first);
    // Every cut of a good file, its size field corrected: moves, state and comment must fit.
    for (size_t n = 0; n <= GoodState.size(); ++n) {
        const int sequence = n < 38 ? 0 : n < 56 ? Loads : NoColors;
        EXPECT_EQ(n <= 56 ? sequence : 0, parse(set(GoodSequence, 4, uint32_t(n), n)).first) << n;
        const int state = n < 104 ? 0 : n < 108 ? NoComment : All;
        EXPECT_EQ(state, parse(set(GoodState, 4, uint32_t(n), n)).first) << n;
    }
}
