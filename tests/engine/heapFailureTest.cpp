#include "heapFailures.h"
#include "sequenceStore.h"

#include <gtest/gtest.h>

#include <vector>

// A failed allocation or resize refuses the store and keeps the old block and contents.
TEST(HeapFailure, RefusedStoreKeepsTheOldBlock) {
    SequenceRecord record = {nullptr, 0, 0};
    std::vector<MoveCode> codes(50, 6);
    heapFailuresToInject = 1;
    EXPECT_EQ(0u, storeSequence(&record, codes.data(), 50, 3));
    EXPECT_EQ(nullptr, record.block);

    ASSERT_EQ(3u, storeSequence(&record, codes.data(), 50, 3));
    heapFailuresToInject = 1;
    codes[0] = 7;
    EXPECT_EQ(0u, storeSequence(&record, codes.data(), 50, 40));
    EXPECT_EQ(3u, record.length);
    EXPECT_EQ(4u, record.capacity);
    EXPECT_EQ(6, record.block[0]);
    freeSequenceRecord(&record);

    CommentBuffer comment = {nullptr, 0};
    ASSERT_EQ(4u, setCommentText(&comment, "abc", 4));
    heapFailuresToInject = 1;
    EXPECT_EQ(0u, setCommentText(&comment, "a much longer text", 19));
    EXPECT_STREQ("abc", comment.text);
    EXPECT_EQ(8u, comment.capacity);
    freeCommentBuffer(&comment);
    heapFailuresToInject = 0;
}
