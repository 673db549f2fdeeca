#include <gtest/gtest.h>

#include "common/Cp936.h"

namespace teshmar {
namespace {

// "年月日" and the ideographic space, in UTF-8 and in code page 936.
const std::string kUtf8 = "\xe5\xb9\xb4\xe6\x9c\x88\xe6\x97\xa5\xe3\x80\x80";
const std::string kGbk = "\xc4\xea\xd4\xc2\xc8\xd5\xa1\xa1";

TEST(Cp936, RoundTripsChineseText) {
  EXPECT_EQ(Cp936ToUtf8(kGbk), kUtf8);
  EXPECT_EQ(Utf8ToCp936(kUtf8), kGbk);
  EXPECT_EQ(Cp936ToUtf8("abc=1"), "abc=1");
  EXPECT_EQ(Cp936ToUtf8(""), "");
}

TEST(Cp936, InvalidInputIsRefusedNotGuessed) {
  EXPECT_EQ(Cp936ToUtf8("\xc4"), std::nullopt);            // lead byte without its trail
  EXPECT_EQ(Utf8ToCp936("\xff\xfe"), std::nullopt);        // not UTF-8
  EXPECT_EQ(Utf8ToCp936("\xf0\x9f\x98\x80"), std::nullopt);  // no GBK form for this emoji
}

TEST(Cp936, Utf16LittleEndian) {
  std::string le = Utf8ToUtf16Le(kUtf8);
  ASSERT_EQ(le.size(), 8u);
  EXPECT_EQ(le.substr(0, 2), std::string("\x74\x5e", 2));  // U+5E74
  EXPECT_EQ(Utf16LeToUtf8(le), kUtf8);
  EXPECT_EQ(Utf16LeToUtf8(std::string("\x00\xd8", 2)), std::nullopt);  // lone surrogate
  EXPECT_EQ(Utf16LeToUtf8("abc"), std::nullopt);                        // odd length
  EXPECT_EQ(Utf16LeToUtf8(Utf8ToUtf16Le("\xf0\x9f\x98\x80")), "\xf0\x9f\x98\x80");
}

TEST(Cp936, Utf8Validation) {
  EXPECT_TRUE(IsValidUtf8(kUtf8));
  EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xe5\xb9"));          // cut short
}

}  // namespace
}  // namespace teshmar
