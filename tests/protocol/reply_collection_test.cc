#include "protocol/reply_collection.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ReplyBufferTest, AppendStopsAtCapacity) {
  protocol::reply::Buffer b(4);
  const std::vector<uint8_t> bytes = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(b.Append(bytes.data(), bytes.size()), 4u);
  EXPECT_TRUE(b.full());
  EXPECT_FALSE(b.Push(7));
  EXPECT_EQ(b.At(3), 4);
  EXPECT_EQ(b.At(4), 0);  // past the bytes held reads as zero
  EXPECT_EQ(b.At(1000), 0);
  b.Clear();
  EXPECT_TRUE(b.empty());
  EXPECT_EQ(b.At(0), 0);
}

TEST(ReplyBufferTest, DropBefore) {
  protocol::reply::Buffer b(8);
  const std::vector<uint8_t> bytes = {0x41, 0x37, 0x42, 0x37, 0x21, 0x30, 0x00};
  b.Append(bytes.data(), bytes.size());
  EXPECT_FALSE(b.DropBefore(0x37, 0x81));
  EXPECT_EQ(b.size(), 7u);
  EXPECT_TRUE(b.DropBefore(0x37, 0x21));
  EXPECT_EQ(b.size(), 4u);
  EXPECT_EQ(b.At(0), 0x37);
  EXPECT_EQ(b.At(1), 0x21);
  EXPECT_EQ(b.At(2), 0x30);
  EXPECT_EQ(b.At(4), 0);
  // A pair split over the end is not a pair.
  protocol::reply::Buffer c(2);
  const uint8_t one = 0x37;
  c.Append(&one, 1);
  EXPECT_FALSE(c.DropBefore(0x37, 0x21));
}

}  // namespace
