#include "sequenceStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct SequenceStore : ::testing::Test {
    SequenceRecord record = {nullptr, 0, 0};
    CommentBuffer comment = {nullptr, 0};
    void TearDown() override {
        freeSequenceRecord(&record);
        freeCommentBuffer(&comment);
    }
    uint32_t storeText(const std::string& text) {
        return setCommentText(&comment, text.c_str(), uint32_t(text.size() + 1));
    }
};

} // namespace

TEST_F(SequenceStore, Keeps875MovesAndRefuses876) {
    std::vector<MoveCode> codes(900, 4);
    EXPECT_EQ(875u, storeSequence(&record, codes.data(), 900, 875));
    EXPECT_EQ(876u, record.capacity);
    EXPECT_EQ(EndOfMoves, record.block[875]);

    codes[0] = 8;
    EXPECT_EQ(0u, storeSequence(&record, codes.data(), 900, 876));
    EXPECT_EQ(875u, record.length);
    EXPECT_EQ(4, record.block[0]);
}

TEST_F(SequenceStore, RefusesASourceSmallerThanTheCount) {
    const MoveCode codes[] = {1, 2, 3};
    EXPECT_EQ(0u, storeSequence(&record, codes, 2, 3));
    EXPECT_EQ(nullptr, record.block);
}

TEST_F(SequenceStore, EmptyListIsStoredButReportsZero) {
    const MoveCode codes[] = {EndOfMoves};
    EXPECT_EQ(0u, storeSequence(&record, codes, 1, 0));
    ASSERT_NE(nullptr, record.block);
    EXPECT_EQ(1u, record.capacity);
    EXPECT_EQ(EndOfMoves, record.block[0]);
}

// The block grows when too small, shrinks when more than twice too large, else stays.
TEST_F(SequenceStore, BlockFollowsTheGrowthPolicy) {
    std::vector<MoveCode> codes(100, 2);
    storeSequence(&record, codes.data(), 100, 9); // needs 10
    EXPECT_EQ(10u, record.capacity);
    storeSequence(&record, codes.data(), 100, 4); // needs 5: 10 is not more than twice
    EXPECT_EQ(10u, record.capacity);
    storeSequence(&record, codes.data(), 100, 3); // needs 4: 10 is
    EXPECT_EQ(4u, record.capacity);
    storeSequence(&record, codes.data(), 100, 20);
    EXPECT_EQ(21u, record.capacity);
    EXPECT_EQ(20u, record.length);
}

TEST_F(SequenceStore, DefaultSequenceGoesIntoCurrentSequence) {
    EXPECT_EQ(6u, setCurrentSequence(DefaultSequence, 7, 6));
    EXPECT_EQ(6u, CurrentSequence.length);
    EXPECT_EQ(0, std::memcmp(DefaultSequence, CurrentSequence.block, 7));
    freeSequenceRecord(&CurrentSequence);
}

TEST_F(SequenceStore, CommentBlocksAreRoundedToFourBytes) {
    EXPECT_EQ(1u, setCommentText(&comment, "ignored", 1));
    EXPECT_EQ(4u, comment.capacity);
    EXPECT_STREQ("", comment.text);

    EXPECT_EQ(6u, storeText("abcde")); // copy length 6
    EXPECT_EQ(8u, comment.capacity);
    EXPECT_STREQ("abcde", comment.text);

    EXPECT_EQ(3u, storeText("ab")); // needs 4; 8 is not more than twice that
    EXPECT_EQ(8u, comment.capacity);
    EXPECT_STREQ("ab", comment.text);

    EXPECT_EQ(12u, storeText("abcdefghijk")); // copy length 12 needs 16
    EXPECT_EQ(16u, comment.capacity);
    storeText("abcdefgh"); // needs 12
    EXPECT_EQ(16u, comment.capacity);
    storeText("ab"); // needs 4: 16 is more than twice
    EXPECT_EQ(4u, comment.capacity);
}

TEST_F(SequenceStore, TwelveByteBlockShrinksForATwoCharacterText) {
    storeText("abcdefgh"); // copy length 9 needs 12
    ASSERT_EQ(12u, comment.capacity);
    storeText("ab");
    EXPECT_EQ(4u, comment.capacity);
    EXPECT_STREQ("ab", comment.text);
}

TEST_F(SequenceStore, CommentLimitCutsTheTextAndAnUnterminatedSourceIsSafe) {
    EXPECT_EQ(0u, setCommentText(&comment, "abc", 0));
    EXPECT_EQ(nullptr, comment.text);

    EXPECT_EQ(4u, setCommentText(&comment, "abcdef", 4));
    EXPECT_STREQ("abc", comment.text);

    // A file's comment block need not hold a NUL: nothing past the limit is read.
    const char unterminated[5] = {'w', 'x', 'y', 'z', '!'};
    EXPECT_EQ(5u, setCommentText(&comment, unterminated, 5));
    EXPECT_STREQ("wxyz", comment.text);
}
