#include "common/short_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

TEST(ShortText, JoinCutsSilentlyAt255Bytes) {
  ShortText head = text(std::string(200, 'a'));
  ShortText joined = head + std::string(100, 'b');
  EXPECT_EQ(255, joined.length);
  EXPECT_EQ(std::string(200, 'a') + std::string(55, 'b'), toString(joined));
  EXPECT_EQ(255, text(std::string(300, 'x')).length);
  EXPECT_EQ(255, ("x" + joined).length);
}

TEST(ShortText, KeepsEveryByteValueIncludingZero) {
  std::string bytes;
  for (int value = 0; value < 255; ++value) bytes.push_back(static_cast<char>(value));
  ShortText all = text(bytes);
  EXPECT_EQ(bytes, toString(all));
  EXPECT_EQ(0, zeroTerminated(text("abc")).bytes[3]);
}

TEST(ShortText, ZeroTerminatedToTextStopsAtZeroAndKeeps255) {
  EXPECT_EQ("abc", view(zeroTerminatedToText("abc\0def")));
  EXPECT_EQ(0, zeroTerminatedToText("").length);
  EXPECT_EQ(0, zeroTerminatedToText(nullptr).length);
  std::string long_text(400, 'q');
  EXPECT_EQ(std::string(255, 'q'), toString(zeroTerminatedToText(long_text.c_str())));
}

TEST(ShortText, DecimalTextHasNoPaddingAndASignWhenNegative) {
  EXPECT_EQ("0", view(decimalText(0)));
  EXPECT_EQ("7", view(decimalText(7)));
  EXPECT_EQ("-3", view(decimalText(-3)));
  EXPECT_EQ("12345", view(decimalText(12345)));
  EXPECT_EQ("4294967296", view(decimalText(4294967296LL)));
  EXPECT_EQ("-9223372036854775808", view(decimalText(std::numeric_limits<std::int64_t>::min())));
  EXPECT_EQ("9223372036854775807", view(decimalText(std::numeric_limits<std::int64_t>::max())));
}

TEST(ShortText, ComparesByBytes) {
  EXPECT_TRUE(text("abc") == "abc");
  EXPECT_FALSE(text("abc") == "abcd");
  EXPECT_TRUE(text("a") + "b" == text("ab"));
}
