#include <gtest/gtest.h>

#include <string>

#include "net/t_buffer.h"

namespace kivo {
namespace {

struct SizeCase {
  const char* name;
  int asked;
  int expected;
};

class TBufferSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(TBufferSizeTest, GetsTheSizeAskedOrTheDefault) {
  TBuffer buffer(GetParam().asked);
  EXPECT_EQ(buffer.BufSize(), GetParam().expected);
  EXPECT_EQ(buffer.Room(), GetParam().expected);
  EXPECT_TRUE(buffer.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Sizes, TBufferSizeTest,
                         ::testing::Values(SizeCase{"Zero", 0, 1514}, SizeCase{"Negative", -5, 1514},
                                           SizeCase{"SocketBlock", 1460, 1460}, SizeCase{"One", 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TBufferTest, WriteStopsAtCapacityAndReportsWhatFitted) {
  TBuffer buffer(8);
  EXPECT_EQ(buffer.Write("abcdefghij", 10), 8);
  EXPECT_EQ(buffer.Room(), 0);
  int len = 0;
  const char* data = buffer.Peek(&len);
  EXPECT_EQ(std::string(data, len), "abcdefgh");
}

TEST(TBufferTest, RemoveConsumesFromTheFrontAndAnEmptyBlockStartsOver) {
  TBuffer buffer(8);
  buffer.Write("abcdef", 6);
  buffer.Remove(4);
  int len = 0;
  const char* data = buffer.Peek(&len);
  EXPECT_EQ(len, 2);
  EXPECT_EQ(std::string(data, 2), "ef");
  buffer.Remove(100);  // more than stored: clamps
  EXPECT_TRUE(buffer.IsEmpty());
  EXPECT_EQ(buffer.Room(), 8);
}

TEST(TBufferTest, ResizingKeepsTheUnsentBytes) {
  TBuffer buffer(8);
  buffer.Write("abcdefgh", 8);
  buffer.Remove(3);
  buffer.SetBufSize(2);  // never below what is still unsent
  int len = 0;
  const char* data = buffer.Peek(&len);
  EXPECT_EQ(std::string(data, len), "defgh");
  buffer.SetBufSize(16);
  EXPECT_EQ(buffer.Write("XYZ", 3), 3);
  data = buffer.Peek(&len);
  EXPECT_EQ(std::string(data, len), "defghXYZ");
  EXPECT_EQ(buffer.BufSize(), 16);
}

}  // namespace
}  // namespace kivo
