#include "stateFormat.h"
#include "exactImage.h"
#include "sequenceStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// 48 different byte values, so a state read from the wrong place shows.
PackedCube distinctState() {
    PackedCube c;
    for (int i = 0; i < 48; ++i)
        c.bytes[i] = uint8_t(100 + i);
    return c;
}

// Six colours as the program keeps them, 32 bits each; any byte out of place shows.
const uint8_t Colors[24] = {0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB,
                            0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7};

Bytes stateBytes() {
    const PackedCube c = distinctState();
    return Bytes(c.bytes, c.bytes + 48);
}

Bytes sourceWithAbc() {
    return buildStateFile(Colors, distinctState(), "abc");
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

struct Parsed {
    ExactImage image;
    bool accepted;
    StateFileParts parts;
};

Parsed parse(const Bytes& bytes) {
    Parsed p{ExactImage(bytes), false, {}};
    p.accepted = parseStateFile(p.image.data(), p.image.size(), &p.parts);
    return p;
}

Bytes stateOf(const Parsed& p) {
    return Bytes(p.parts.state, p.parts.state + 48);
}

// Whatever else the file holds, its state must come back intact and every part be inside.
void expectState(const Parsed& p, const Bytes& state, const std::string& what) {
    ASSERT_TRUE(p.accepted) << what;
    ASSERT_TRUE(p.image.holds(p.parts.state, 48)) << what;
    EXPECT_EQ(state, stateOf(p)) << what;
    if (p.parts.colors) {
        EXPECT_TRUE(p.image.holds(p.parts.colors, 24)) << what;
    }
    if (p.parts.comment) {
        EXPECT_TRUE(p.image.holds(p.parts.comment, p.parts.commentLength)) << what;
    }
}

std::string describe(const char* field, uint32_t offset, uint32_t length) {
    std::ostringstream out;
    out << std::hex << field << " at " << offset << " length " << length;
    return out.str();
}

} // namespace

TEST(StateFileImage, DestinationCubeTakesEightyBytesWithoutColoursOrComment) {
    const Bytes header = {
        'M', 'C', 'S', 'F', //
        80,  0,   0,   0,   // file size
        0,   0,   0,   0,   // reserved
        32,  0,   0,   0,   // header size
        0,   0,   0,   0,   // colour offset
        32,  0,   0,   0,   // state offset
        0,   0,   0,   0,   // comment offset
        0,   0,   0,   0,   // comment length
    };
    const Bytes expected = concat({header, stateBytes()});
    EXPECT_EQ(expected, buildStateFile(nullptr, distinctState(), nullptr));
    // The destination cube has no comment of its own, whatever is passed.
    EXPECT_EQ(expected, buildStateFile(nullptr, distinctState(), "abc"));
}

TEST(StateFileImage, SourceCubeCarriesColoursStateAndComment) {
    const Bytes header = {
        'M', 'C', 'S', 'F', //
        108, 0,   0,   0,   // file size
        0,   0,   0,   0,   // reserved
        32,  0,   0,   0,   // header size
        32,  0,   0,   0,   // colour offset
        56,  0,   0,   0,   // state offset
        104, 0,   0,   0,   // comment offset
        4,   0,   0,   0,   // comment length with the NUL
    };
    const Bytes expected =
        concat({header, Bytes(Colors, Colors + 24), stateBytes(), Bytes{'a', 'b', 'c', 0}});
    EXPECT_EQ(expected, sourceWithAbc());
}

TEST(StateFileImage, EmptyCommentWritesNoCommentBlock) {
    const Bytes withAbc = sourceWithAbc();
    Bytes expected(withAbc.begin(), withAbc.begin() + 104);
    expected = withField(withField(withField(expected, 4, 104), 24, 0), 28, 0);
    EXPECT_EQ(expected, buildStateFile(Colors, distinctState(), ""));
    EXPECT_EQ(expected, buildStateFile(Colors, distinctState(), nullptr));
}

TEST(StateFileParse, ReadsBackWhatWasBuilt) {
    const Parsed destination = parse(buildStateFile(nullptr, distinctState(), nullptr));
    expectState(destination, stateBytes(), "destination");
    EXPECT_EQ(nullptr, destination.parts.colors);
    EXPECT_EQ(nullptr, destination.parts.comment);

    for (size_t length : {0, 1, 3, 4, 255, 1000}) {
        std::string text(length, 'k');
        for (size_t i = 0; i < length; ++i)
            text[i] = char('!' + i % 90);
        const Parsed p = parse(buildStateFile(Colors, distinctState(), text.c_str()));
        const std::string what = "comment of " + std::to_string(length);
        expectState(p, stateBytes(), what);
        ASSERT_NE(nullptr, p.parts.colors) << what;
        EXPECT_EQ(0, std::memcmp(Colors, p.parts.colors, 24)) << what;
        if (length == 0) {
            EXPECT_EQ(nullptr, p.parts.comment) << what;
            continue;
        }
        ASSERT_NE(nullptr, p.parts.comment) << what;
        EXPECT_EQ(length + 1, p.parts.commentLength) << what;
        EXPECT_EQ(text, std::string(reinterpret_cast<const char*>(p.parts.comment))) << what;
    }
}

TEST(StateFileParse, HeaderFieldsDecideAcceptance) {
    struct Case {
        const char* what;
        Bytes image;
        bool accepted;
    };
    const Bytes good = sourceWithAbc();
    Bytes sequenceMagic = good, longer = good, shorter(good.begin(), good.end() - 1);
    std::memcpy(sequenceMagic.data(), "CSQF", 4);
    longer.push_back(0);
    const Case cases[] = {
        {"unchanged", good, true},
        {"reserved field set", withField(good, 8, 0xFFFFFFFF), true},
        {"sequence file magic", sequenceMagic, false},
        {"size field one more", withField(good, 4, 109), false},
        {"size field one less", withField(good, 4, 107), false},
        {"size field zero", withField(good, 4, 0), false},
        {"size field 2^32 - 1", withField(good, 4, 0xFFFFFFFF), false},
        {"one byte appended", longer, false},
        {"last byte missing", shorter, false},
        {"header size 0", withField(good, 12, 0), false},
        {"header size 31", withField(good, 12, 31), false},
        {"header size 33", withField(good, 12, 33), false},
        {"header size 2^32 - 1", withField(good, 12, 0xFFFFFFFF), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.accepted, parse(c.image).accepted) << c.what;
    for (size_t at = 0; at < 4; ++at) {
        Bytes broken = good;
        broken[at] ^= 0x20;
        EXPECT_FALSE(parse(broken).accepted) << "magic byte " << at;
    }
}

// Every cut of a valid file: with its size field as written it never matches; with the field
// corrected the state loads once it fits and the comment only when whole.
TEST(StateFileParse, TruncatedFilesAreRefusedOrReadInsideTheirBytes) {
    const Bytes full = sourceWithAbc();
    for (size_t length = 0; length < full.size(); ++length) {
        EXPECT_FALSE(parse(Bytes(full.begin(), full.begin() + length)).accepted) << length;
        if (length < 8) continue;
        const Parsed p = parse(withField(Bytes(full.begin(), full.begin() + length), 4, length));
        if (length < 104) {
            EXPECT_FALSE(p.accepted) << length;
            continue;
        }
        expectState(p, stateBytes(), "cut to " + std::to_string(length));
        EXPECT_NE(nullptr, p.parts.colors) << length;
        EXPECT_EQ(nullptr, p.parts.comment) << length;
    }
    EXPECT_FALSE(parseStateFile(nullptr, 0, nullptr));
}

// Offsets whose 32-bit sums with the block size wrap to a small number must not pass.
TEST(StateFileParse, RefusesStateBlocksOutsideTheFile) {
    const Bytes good = sourceWithAbc();
    for (uint32_t offset : {0u, 61u, 108u, 0xFFFFFFFFu, 0xFFFFFFD0u, 0xFFFFFFE0u, 0xFFFFFFD8u,
                            0x80000000u, 0xFFFFFF00u}) {
        EXPECT_FALSE(parse(withField(good, 20, offset)).accepted) << std::hex << offset;
    }
    // A block ending on the last byte is inside.
    const Parsed last = parse(withField(good, 20, 60));
    ASSERT_TRUE(last.accepted);
    EXPECT_EQ(Bytes(good.begin() + 60, good.end()), stateOf(last));
}

TEST(StateFileParse, DropsColourBlocksOutsideTheFileAndKeepsTheState) {
    const Bytes good = sourceWithAbc();
    for (uint32_t offset : {0u, 85u, 108u, 0xFFFFFFFFu, 0xFFFFFFE8u, 0xFFFFFFF0u, 0x80000000u}) {
        const Parsed p = parse(withField(good, 16, offset));
        expectState(p, stateBytes(), describe("colours", offset, 24));
        EXPECT_EQ(nullptr, p.parts.colors) << std::hex << offset;
        EXPECT_NE(nullptr, p.parts.comment) << std::hex << offset;
    }
    const Parsed last = parse(withField(good, 16, 84));
    ASSERT_TRUE(last.accepted);
    EXPECT_EQ(84u, last.image.offsetOf(last.parts.colors));

    // Colours written after the state, then cut off: the state alone loads.
    const Bytes stateFirst = withField(withField(withField(good, 16, 80), 20, 32), 24, 0);
    const Parsed cut = parse(withField(Bytes(stateFirst.begin(), stateFirst.begin() + 90), 4, 90));
    expectState(cut, Bytes(good.begin() + 32, good.begin() + 80), "colours cut off");
    EXPECT_EQ(nullptr, cut.parts.colors);
}

TEST(StateFileParse, SkipsCommentBlocksOutsideTheFileAndKeepsTheRest) {
    const Bytes good = sourceWithAbc();
    struct Case {
        uint32_t offset, length;
    };
    const Case skipped[] = {
        {105, 4},
        {104, 5},
        {108, 1},
        {0xFFFFFFFF, 1},
        {0xFFFFFFFC, 4},
        {0xFFFFFFF0, 0x20},
        {104, 0xFFFFFFFF},
        {104, 0xFFFFFF9C},
        {1, 0xFFFFFFFF},
        {0x80000000, 0x80000000},
        {0xFFFFFFFF, 0xFFFFFFFF},
        {0, 4},
        {104, 0},
        {0, 0xFFFFFFFF},
        {0xFFFFFFFF, 0},
    };
    for (const Case& c : skipped) {
        const Parsed p = parse(withField(withField(good, 24, c.offset), 28, c.length));
        const std::string what = describe("comment", c.offset, c.length);
        expectState(p, stateBytes(), what);
        EXPECT_NE(nullptr, p.parts.colors) << what;
        EXPECT_EQ(nullptr, p.parts.comment) << what;
        EXPECT_EQ(0u, p.parts.commentLength) << what;
    }
    const Case inside[] = {{104, 4}, {107, 1}, {32, 76}, {1, 107}};
    for (const Case& c : inside) {
        const Parsed p = parse(withField(withField(good, 24, c.offset), 28, c.length));
        ASSERT_TRUE(p.accepted) << c.offset << " " << c.length;
        EXPECT_EQ(c.offset, p.image.offsetOf(p.parts.comment));
        EXPECT_EQ(c.length, p.parts.commentLength);
    }
}

// Nothing forbids blocks that share bytes with each other or the header; the parse reports
// them where they lie and the reader gets nothing from outside the file.
TEST(StateFileParse, ReportsOverlappingBlocksWhereTheyLie) {
    const Bytes good = sourceWithAbc();
    const Parsed shared = parse(withField(withField(good, 16, 40), 20, 40));
    expectState(shared, Bytes(good.begin() + 40, good.begin() + 88), "colours inside the state");
    EXPECT_EQ(shared.parts.state, shared.parts.colors);

    const Bytes overHeader = withField(withField(good, 16, 1), 20, 4);
    const Parsed inHeader = parse(overHeader);
    expectState(inHeader, Bytes(overHeader.begin() + 4, overHeader.begin() + 52),
                "blocks over the header");
    EXPECT_EQ(1u, inHeader.image.offsetOf(inHeader.parts.colors));
}

// A comment block without a NUL is reported as it is; the store takes at most length - 1
// characters, so nothing past the file is read.
TEST(StateFileParse, CommentWithoutNulIsCutByItsLength) {
    Bytes image = sourceWithAbc();
    image.back() = 'd';
    const Parsed p = parse(image);
    expectState(p, stateBytes(), "comment without NUL");
    ASSERT_EQ(p.image.data() + 104, p.parts.comment);
    EXPECT_EQ(4u, p.parts.commentLength);

    CommentBuffer comment = {nullptr, 0};
    EXPECT_EQ(4u, setCommentText(&comment, reinterpret_cast<const char*>(p.parts.comment),
                                 p.parts.commentLength));
    EXPECT_STREQ("abc", comment.text);
    freeCommentBuffer(&comment);
}
