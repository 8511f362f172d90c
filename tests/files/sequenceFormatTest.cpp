#include "sequenceFormat.h"
#include "exactImage.h"
#include "sequenceStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const MoveCode SixMoves[6] = {8, 2, 10, 0, 4, 6};
// "abc" with its NUL, then what a longer text left in the block: the block goes out whole.
const uint8_t AbcBlock[8] = {'a', 'b', 'c', 0, 'x', 'y', 'z', 'w'};

Bytes sixMoves() {
    return buildSequenceFile(SixMoves, 6, nullptr, 0);
}
Bytes sixMovesWithComment() {
    return buildSequenceFile(SixMoves, 6, AbcBlock, 8);
}

struct Parsed {
    ExactImage image;
    bool accepted;
    SequenceFileParts parts;
};

Parsed parse(const Bytes& bytes) {
    Parsed p{ExactImage(bytes), false, {}};
    p.accepted = parseSequenceFile(p.image.data(), p.image.size(), &p.parts);
    return p;
}

Bytes movesOf(const Parsed& p) {
    return Bytes(p.parts.moves, p.parts.moves + p.parts.moveCount);
}

Bytes commentOf(const Parsed& p) {
    if (!p.parts.comment) return {};
    return Bytes(p.parts.comment, p.parts.comment + p.parts.commentLength);
}

// The comment block is where the file says, and the moves are untouched by skipping it.
void expectSixMovesWithoutComment(const Parsed& p, const std::string& what) {
    ASSERT_TRUE(p.accepted) << what;
    EXPECT_EQ(Bytes(SixMoves, SixMoves + 6), movesOf(p)) << what;
    EXPECT_EQ(nullptr, p.parts.comment) << what;
    EXPECT_EQ(0u, p.parts.commentLength) << what;
}

} // namespace

TEST(SequenceFileImage, SixMovesWithoutACommentTakeThirtyEightBytes) {
    const Bytes expected = {
        'C', 'S', 'Q', 'F', //
        38,  0,   0,   0,   // file size
        0,   0,   0,   0,   // reserved
        32,  0,   0,   0,   // header size
        32,  0,   0,   0,   // move block offset
        6,   0,   0,   0,   // move count
        0,   0,   0,   0,   // comment offset
        0,   0,   0,   0,   // comment length
        8,   2,   10,  0,   4, 6,
    };
    EXPECT_EQ(expected, sixMoves());
}

TEST(SequenceFileImage, CommentBlockFollowsZeroFillerAtTheNextSixteen) {
    const Bytes expected = {
        'C', 'S', 'Q', 'F', //
        56,  0,   0,   0,   // file size
        0,   0,   0,   0,   // reserved
        32,  0,   0,   0,   // header size
        32,  0,   0,   0,   // move block offset
        6,   0,   0,   0,   // move count
        48,  0,   0,   0,   // comment offset
        8,   0,   0,   0,   // comment length: the block's capacity
        8,   2,   10,  0,   4,   6,   0,   0, 0,   0,   0,   0,
        0,   0,   0,   0,   'a', 'b', 'c', 0, 'x', 'y', 'z', 'w',
    };
    EXPECT_EQ(expected, sixMovesWithComment());
}

// The comment starts on a multiple of 16 above the moves, never on their last byte and never
// more than 16 bytes past them: 6 moves put it at 48, 15 at 48, 16 at 64.
TEST(SequenceFileImage, CommentOffsetIsTheNextSixteenAboveTheMoves) {
    std::vector<MoveCode> moves(875, 3);
    for (uint32_t count = 1; count <= 875; ++count) {
        const Bytes image = buildSequenceFile(moves.data(), count, AbcBlock, 8);
        const Parsed p = parse(image);
        ASSERT_TRUE(p.accepted) << count;
        const size_t offset = p.image.offsetOf(p.parts.comment);
        EXPECT_EQ(0u, offset % 16) << count;
        EXPECT_GT(offset, 32u + count) << count;
        EXPECT_LE(offset, 32u + count + 16) << count;
        EXPECT_EQ(offset + 8, image.size()) << count;
        for (size_t i = 32 + count; i < offset; ++i)
            ASSERT_EQ(0, image[i]) << "filler byte " << i << " after " << count << " moves";
    }
    const Bytes fifteen = buildSequenceFile(moves.data(), 15, AbcBlock, 8);
    EXPECT_EQ(48u, fifteen[24]);
    const Bytes sixteen = buildSequenceFile(moves.data(), 16, AbcBlock, 8);
    EXPECT_EQ(72u, sixteen.size());
    EXPECT_EQ(Bytes({64, 0, 0, 0, 8, 0, 0, 0}), Bytes(sixteen.begin() + 24, sixteen.begin() + 32));
    EXPECT_EQ(Bytes(AbcBlock, AbcBlock + 8), Bytes(sixteen.begin() + 64, sixteen.end()));
}

TEST(SequenceFileParse, ReadsBackWhatWasBuilt) {
    std::mt19937 rng(20240607);
    std::uniform_int_distribution<int> code(0, 11);
    for (uint32_t count : {1u, 6u, 15u, 16u, 17u, 100u, 874u, 875u}) {
        std::vector<MoveCode> moves(count);
        for (auto& m : moves)
            m = MoveCode(code(rng));
        for (uint32_t capacity : {0u, 4u, 8u, 100u}) {
            std::vector<uint8_t> block(capacity, 'q');
            if (capacity) block[capacity / 2] = 0;
            const Parsed p = parse(buildSequenceFile(moves.data(), count, block.data(), capacity));
            const std::string what =
                std::to_string(count) + " moves, comment block " + std::to_string(capacity);
            ASSERT_TRUE(p.accepted) << what;
            EXPECT_TRUE(p.image.holds(p.parts.moves, count)) << what;
            EXPECT_EQ(moves, movesOf(p)) << what;
            EXPECT_EQ(block, commentOf(p)) << what;
            EXPECT_EQ(capacity == 0, p.parts.comment == nullptr) << what;
        }
    }
}

TEST(SequenceFileParse, Loads875MovesAndRefusesNoneOr876) {
    std::vector<MoveCode> moves(876, 5);
    EXPECT_TRUE(parse(buildSequenceFile(moves.data(), 875, nullptr, 0)).accepted);
    EXPECT_FALSE(parse(buildSequenceFile(moves.data(), 876, nullptr, 0)).accepted);
    EXPECT_FALSE(parse(buildSequenceFile(moves.data(), 876, AbcBlock, 8)).accepted);
    EXPECT_FALSE(parse(buildSequenceFile(moves.data(), 0, nullptr, 0)).accepted);
    EXPECT_FALSE(parse(withField(sixMoves(), 20, 0)).accepted);
}

TEST(SequenceFileParse, HeaderFieldsDecideAcceptance) {
    struct Case {
        const char* what;
        Bytes image;
        bool accepted;
    };
    const Bytes good = sixMovesWithComment();
    Bytes lowerMagic = good, stateMagic = good;
    lowerMagic[0] = 'c';
    std::memcpy(stateMagic.data(), "MCSF", 4);
    Bytes longer = good, shorter(good.begin(), good.end() - 1);
    longer.push_back(0);
    const Case cases[] = {
        {"unchanged", good, true},
        {"reserved field set", withField(good, 8, 0xFFFFFFFF), true},
        {"magic in lower case", lowerMagic, false},
        {"state file magic", stateMagic, false},
        {"size field one more", withField(good, 4, 57), false},
        {"size field one less", withField(good, 4, 55), false},
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
// corrected the moves load once they fit and the comment only when whole.
TEST(SequenceFileParse, TruncatedFilesAreRefusedOrReadInsideTheirBytes) {
    const Bytes full = sixMovesWithComment();
    for (size_t length = 0; length < full.size(); ++length) {
        EXPECT_FALSE(parse(Bytes(full.begin(), full.begin() + length)).accepted) << length;
        if (length < 8) continue;
        const Bytes cut = withField(Bytes(full.begin(), full.begin() + length), 4, length);
        const Parsed p = parse(cut);
        if (length < 32 + 6) {
            EXPECT_FALSE(p.accepted) << length;
        } else {
            expectSixMovesWithoutComment(p, "cut to " + std::to_string(length));
        }
    }
    EXPECT_FALSE(parseSequenceFile(nullptr, 0, nullptr));
}

// Offsets and counts whose 32-bit sums wrap to a small number must not pass as a small block.
TEST(SequenceFileParse, RefusesMoveBlocksOutsideTheFile) {
    const Bytes good = sixMoves();
    struct Case {
        uint32_t offset, count;
    };
    const Case refused[] = {
        {33, 6},          {38, 1},          {0xFFFFFFFF, 1}, {0xFFFFFFFA, 6},
        {0xFFFFFFF0, 6},  {0xFFFFFFF0, 16}, {0x80000000, 6}, {32, 0xFFFFFFFF},
        {32, 0xFFFFFFFA}, {32, 0xFFFFFFE0}, {6, 0xFFFFFFFF}, {0xFFFFFFFF, 0xFFFFFFFF},
        {32, 7},          {32, 876},        {32, 0x10000},   {0, 0},
    };
    for (const Case& c : refused) {
        const Bytes image = withField(withField(good, 16, c.offset), 20, c.count);
        EXPECT_FALSE(parse(image).accepted) << std::hex << c.offset << " " << c.count;
    }
    // A block ending on the last byte is inside.
    const Parsed lastFive = parse(withField(withField(good, 16, 33), 20, 5));
    ASSERT_TRUE(lastFive.accepted);
    EXPECT_EQ(Bytes({2, 10, 0, 4, 6}), movesOf(lastFive));
}

TEST(SequenceFileParse, RefusesCodesAboveElevenInsideTheCount) {
    for (size_t at = 0; at < 6; ++at) {
        for (uint8_t code : {12, 13, 0x7F, 0x80, 0xFF}) {
            Bytes image = sixMoves();
            image[32 + at] = code;
            EXPECT_FALSE(parse(image).accepted) << "code " << int(code) << " at " << at;
        }
        for (uint8_t code = 0; code < 12; ++code) {
            Bytes image = sixMoves();
            image[32 + at] = code;
            EXPECT_TRUE(parse(image).accepted) << "code " << int(code) << " at " << at;
        }
    }
    // A bad code just past the counted moves is not a move.
    Bytes image = withField(sixMoves(), 20, 5);
    image[37] = 0xFF;
    const Parsed p = parse(image);
    ASSERT_TRUE(p.accepted);
    EXPECT_EQ(5u, p.parts.moveCount);
}

TEST(SequenceFileParse, SkipsCommentBlocksOutsideTheFileAndKeepsTheMoves) {
    const Bytes good = sixMovesWithComment();
    struct Case {
        uint32_t offset, length;
    };
    const Case skipped[] = {
        {49, 8},
        {48, 9},
        {56, 1},
        {0xFFFFFFFF, 1},
        {0xFFFFFFF8, 8},
        {0xFFFFFFF0, 0x20},
        {0xFFFFFFFC, 0x24},
        {48, 0xFFFFFFFF},
        {48, 0xFFFFFFD8},
        {1, 0xFFFFFFFF},
        {0x80000000, 0x80000000},
        {0xFFFFFFFF, 0xFFFFFFFF},
        {0, 8},
        {48, 0},
        {0, 0xFFFFFFFF},
        {0xFFFFFFFF, 0},
    };
    for (const Case& c : skipped) {
        const Bytes image = withField(withField(good, 24, c.offset), 28, c.length);
        std::ostringstream what;
        what << std::hex << "comment at " << c.offset << " length " << c.length;
        expectSixMovesWithoutComment(parse(image), what.str());
    }
    const Case inside[] = {{48, 8}, {55, 1}, {40, 16}, {1, 55}};
    for (const Case& c : inside) {
        const Parsed p = parse(withField(withField(good, 24, c.offset), 28, c.length));
        ASSERT_TRUE(p.accepted) << c.offset << " " << c.length;
        EXPECT_EQ(c.offset, p.image.offsetOf(p.parts.comment));
        EXPECT_EQ(c.length, p.parts.commentLength);
    }
}

// Nothing forbids blocks that share bytes with each other or the header; the parse reports
// them where they lie and the reader gets nothing from outside the file.
TEST(SequenceFileParse, ReportsOverlappingBlocksWhereTheyLie) {
    const Bytes good = sixMovesWithComment();
    const Parsed commentOverAll = parse(withField(withField(good, 24, 4), 28, 52));
    ASSERT_TRUE(commentOverAll.accepted);
    EXPECT_EQ(4u, commentOverAll.image.offsetOf(commentOverAll.parts.comment));
    EXPECT_EQ(Bytes(SixMoves, SixMoves + 6), movesOf(commentOverAll));

    // The reserved field is zero: four moves of code 0.
    const Parsed movesInHeader = parse(withField(withField(good, 16, 8), 20, 4));
    ASSERT_TRUE(movesInHeader.accepted);
    EXPECT_EQ(8u, movesInHeader.image.offsetOf(movesInHeader.parts.moves));
    EXPECT_EQ(Bytes(4, 0), movesOf(movesInHeader));

    // The magic is no move.
    EXPECT_FALSE(parse(withField(good, 16, 0)).accepted);

    const Parsed commentOnMoves = parse(withField(withField(good, 24, 32), 28, 6));
    ASSERT_TRUE(commentOnMoves.accepted);
    EXPECT_EQ(commentOnMoves.parts.moves, commentOnMoves.parts.comment);
}

// A comment block without a NUL is reported as it is; the store takes at most length - 1
// characters, so nothing past the file is read.
TEST(SequenceFileParse, CommentWithoutNulIsCutByItsLength) {
    const uint8_t unterminated[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    const Parsed p = parse(buildSequenceFile(SixMoves, 6, unterminated, 8));
    ASSERT_TRUE(p.accepted);
    ASSERT_EQ(p.image.data() + p.image.size() - 8, p.parts.comment);
    EXPECT_EQ(8u, p.parts.commentLength);

    CommentBuffer comment = {nullptr, 0};
    EXPECT_EQ(8u, setCommentText(&comment, reinterpret_cast<const char*>(p.parts.comment),
                                 p.parts.commentLength));
    EXPECT_STREQ("abcdefg", comment.text);
    freeCommentBuffer(&comment);
}
