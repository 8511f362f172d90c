// The sequence and cube state files as bytes: exact images, what a parse accepts, and what it
// drops or refuses. Images live in blocks of exactly their size, so a read past the end shows
// under the address sanitizer.
#include "sequenceFormat.h"
#include "stateFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const MoveCode SixMoves[6] = {8, 2, 10, 0, 4, 6};
// "abc", its NUL, and what a longer text left behind: the block goes out whole.
const uint8_t AbcBlock[8] = {'a', 'b', 'c', 0, 'x', 'y', 'z', 'w'};
const uint8_t Colors[24] = {0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB,
                            0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7};

PackedCube distinctState() {
    PackedCube c;
    for (int i = 0; i < 48; ++i)
        c.bytes[i] = uint8_t(100 + i);
    return c;
}

// The 32-byte header: magic, size, 0, header size 32, then the four fields from offset 16.
Bytes header(const char* magic, uint32_t size, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    Bytes h(magic, magic + 4);
    for (uint32_t v : {size, 0u, 32u, a, b, c, d})
        for (int i = 0; i < 4; ++i)
            h.push_back(uint8_t(v >> 8 * i));
    return h;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes withField(Bytes image, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        image[offset + i] = uint8_t(value >> 8 * i);
    return image;
}

struct Exact {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size;
    explicit Exact(const Bytes& b) : bytes(new uint8_t[b.size() + !b.size()]), size(b.size()) {
        if (size) std::memcpy(bytes.get(), b.data(), size);
    }
    bool holds(const uint8_t* p, size_t n) const {
        return p >= bytes.get() && n <= size && size_t(p - bytes.get()) <= size - n;
    }
};

template <class Parts, bool (*parse)(const uint8_t*, size_t, Parts*)> struct Parsed {
    Exact image;
    bool accepted;
    Parts parts{};
    explicit Parsed(const Bytes& b) : image(b) {
        accepted = parse(image.bytes.get(), image.size, &parts);
    }
};
using SequenceParse = Parsed<SequenceFileParts, parseSequenceFile>;
using StateParse = Parsed<StateFileParts, parseStateFile>;

Bytes movesOf(const SequenceParse& p) {
    return Bytes(p.parts.moves, p.parts.moves + p.parts.moveCount);
}

const Bytes Six(SixMoves, SixMoves + 6);
const PackedCube Distinct = distinctState();
const Bytes State(Distinct.bytes, Distinct.bytes + 48);
const Bytes ColorBytes(Colors, Colors + 24);

} // namespace

TEST(SequenceFile, ExactImages) {
    EXPECT_EQ(join({header("CSQF", 38, 32, 6, 0, 0), Six}),
              buildSequenceFile(SixMoves, 6, nullptr, 0));
    // The comment starts at the next multiple of 16 strictly above the moves.
    EXPECT_EQ(
        join({header("CSQF", 56, 32, 6, 48, 8), Six, Bytes(10, 0), Bytes(AbcBlock, AbcBlock + 8)}),
        buildSequenceFile(SixMoves, 6, AbcBlock, 8));
    for (auto [count, offset] : {std::pair{15u, 48u}, {16u, 64u}, {0u, 48u}}) {
        const Bytes moves(count, 4);
        const Bytes image = buildSequenceFile(moves.data(), count, AbcBlock, 8);
        EXPECT_EQ(offset, image[24] | image[25] << 8) << count << " moves";
        EXPECT_EQ(offset + 8, image.size()) << count << " moves";
    }
}

TEST(SequenceFile, ReadsBackWhatWasBuiltAndBoundsTheMoveCount) {
    const SequenceParse p(buildSequenceFile(SixMoves, 6, AbcBlock, 8));
    ASSERT_TRUE(p.accepted);
    EXPECT_EQ(Six, movesOf(p));
    EXPECT_EQ(Bytes(AbcBlock, AbcBlock + 8),
              Bytes(p.parts.comment, p.parts.comment + p.parts.commentLength));
    for (uint32_t count : {1u, 875u, 876u}) {
        const Bytes moves(count, 11);
        EXPECT_EQ(count < 876,
                  SequenceParse(buildSequenceFile(moves.data(), count, nullptr, 0)).accepted)
            << count << " moves";
    }
}

// Each a one-field slip from a good file; all are refused whole.
TEST(SequenceFile, RefusesBadHeadersAndMovesOutsideTheFile) {
    const Bytes good = buildSequenceFile(SixMoves, 6, AbcBlock, 8);
    Bytes badMagic = good, code12 = good;
    badMagic[3] = 'G';
    code12[37] = 12;
    const Bytes bad[] = {
        badMagic,
        code12,
        withField(good, 4, 57),          // size field
        withField(good, 12, 28),         // header size
        withField(good, 20, 0),          // no moves
        withField(good, 16, 51),         // moves run past the end
        withField(good, 16, 0xFFFFFFFA), // offset + count wraps to 0
        Bytes(good.begin(), good.begin() + 31),
    };
    for (const Bytes& b : bad)
        EXPECT_FALSE(SequenceParse(b).accepted) << &b - bad;
}

// A comment outside the file is dropped and the moves still load; one that ends exactly at
// the end is kept.
TEST(SequenceFile, CommentOutsideTheFileIsDropped) {
    const Bytes good = buildSequenceFile(SixMoves, 6, AbcBlock, 8);
    const struct {
        uint32_t offset, length;
        bool kept;
    } cases[] = {{48, 8, true},
                 {48, 9, false},
                 {0, 8, false},
                 {48, 0, false},
                 {0xFFFFFFF8, 0x10, false},
                 {57, 0xFFFFFFFF, false}};
    for (const auto& c : cases) {
        const SequenceParse p(withField(withField(good, 24, c.offset), 28, c.length));
        ASSERT_TRUE(p.accepted) << c.offset << "+" << c.length;
        EXPECT_EQ(Six, movesOf(p));
        EXPECT_EQ(c.kept, p.parts.comment != nullptr) << c.offset << "+" << c.length;
        if (!c.kept) {
            EXPECT_EQ(0u, p.parts.commentLength);
        }
    }
}

TEST(StateFile, ExactImages) {
    const PackedCube state = distinctState();
    EXPECT_EQ(join({header("MCSF", 80, 0, 32, 0, 0), State}),
              buildStateFile(nullptr, state, "ignored without colours"));
    EXPECT_EQ(
        join({header("MCSF", 108, 32, 56, 104, 4), ColorBytes, State, Bytes{'a', 'b', 'c', 0}}),
        buildStateFile(Colors, state, "abc"));
    EXPECT_EQ(join({header("MCSF", 104, 32, 56, 0, 0), ColorBytes, State}),
              buildStateFile(Colors, state, ""));
}

TEST(StateFile, ReadsBackAndDropsBlocksOutsideTheFile) {
    const Bytes good = buildStateFile(Colors, distinctState(), "abc");
    const StateParse p(good);
    ASSERT_TRUE(p.accepted);
    EXPECT_EQ(ColorBytes, Bytes(p.parts.colors, p.parts.colors + 24));
    EXPECT_EQ(State, Bytes(p.parts.state, p.parts.state + 48));
    EXPECT_EQ(Bytes({'a', 'b', 'c', 0}),
              Bytes(p.parts.comment, p.parts.comment + p.parts.commentLength));
    // Colours and comment outside the file are dropped; the state still loads. A block that
    // ends exactly at the end is kept.
    const struct {
        uint32_t offsetField, offset, lengthField, length;
        bool colors, comment;
    } cases[] = {{16, 84, 28, 4, true, true},
                 {16, 85, 28, 4, false, true},
                 {16, 0xFFFFFFF0, 28, 4, false, true},
                 {24, 104, 28, 5, true, false},
                 {24, 0xFFFFFFF8, 28, 0x10, true, false},
                 {24, 105, 28, 0xFFFFFFFF, true, false}};
    for (const auto& c : cases) {
        const StateParse q(
            withField(withField(good, c.offsetField, c.offset), c.lengthField, c.length));
        ASSERT_TRUE(q.accepted) << c.offset;
        EXPECT_EQ(State, Bytes(q.parts.state, q.parts.state + 48));
        EXPECT_EQ(c.colors, q.parts.colors != nullptr) << c.offset;
        EXPECT_EQ(c.comment, q.parts.comment != nullptr) << c.offset << "+" << c.length;
    }
}

TEST(StateFile, RefusesBadHeadersAndStatesOutsideTheFile) {
    const Bytes good = buildStateFile(Colors, distinctState(), "abc");
    Bytes badMagic = good;
    badMagic[0] = 'N';
    const Bytes bad[] = {
        badMagic,
        withField(good, 4, 107),         // size field
        withField(good, 12, 36),         // header size
        withField(good, 20, 0),          // no state
        withField(good, 20, 61),         // state runs past the end
        withField(good, 20, 0xFFFFFFF0), // offset + 48 wraps
        Bytes(good.begin(), good.begin() + 31),
    };
    for (const Bytes& b : bad)
        EXPECT_FALSE(StateParse(b).accepted) << &b - bad;
}

// Every cut of a valid file with its size field corrected: whatever a parse accepts lies
// inside the bytes it was given.
TEST(FileFormats, EveryCutFileIsReadInsideItsBytes) {
    const Bytes sequence = buildSequenceFile(SixMoves, 6, AbcBlock, 8);
    const Bytes state = buildStateFile(Colors, distinctState(), "abc");
    for (size_t size = 0; size <= sequence.size(); ++size) {
        Bytes cut(sequence.begin(), sequence.begin() + size);
        if (size >= 8) cut = withField(cut, 4, uint32_t(size));
        const SequenceParse p(cut);
        EXPECT_EQ(size >= 38, p.accepted) << size;
        if (p.accepted && p.parts.comment) {
            EXPECT_TRUE(p.image.holds(p.parts.comment, p.parts.commentLength)) << size;
        }
    }
    for (size_t size = 0; size <= state.size(); ++size) {
        Bytes cut(state.begin(), state.begin() + size);
        if (size >= 8) cut = withField(cut, 4, uint32_t(size));
        const StateParse p(cut);
        EXPECT_EQ(size >= 104, p.accepted) << size;
        if (!p.accepted) continue;
        EXPECT_TRUE(p.image.holds(p.parts.state, 48));
        EXPECT_EQ(size == 108, p.parts.comment != nullptr) << size;
    }
}
