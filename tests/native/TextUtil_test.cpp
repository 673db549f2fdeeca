#include <gtest/gtest.h>

#include "common/TextUtil.h"

namespace teshmar {
namespace {

TEST(TextUtil, TrimControlRemovesBlanksAndControlCharactersAtBothEndsOnly) {
  EXPECT_EQ(TrimControl(" \t\r\n 127.0.0.1 \x01"), "127.0.0.1");
  EXPECT_EQ(TrimControl("a b"), "a b");
  EXPECT_EQ(TrimControl("   "), "");
  // The ideographic space is not a control character: it stays.
  EXPECT_EQ(TrimControl("\xe3\x80\x80x\xe3\x80\x80"), "\xe3\x80\x80x\xe3\x80\x80");
}

TEST(TextUtil, TrimBlanksKeepsTabs) { EXPECT_EQ(TrimBlanks("  \tx\t "), "\tx\t"); }

TEST(TextUtil, ParseWholeNumber) {
  struct Case {
    const char* text;
    std::optional<long long> value;
  } cases[] = {{"30", 30},     {"0", 0},           {"007", 7},         {"+5", 5},
               {"-2", -2},     {"", std::nullopt}, {"+", std::nullopt}, {" 5", std::nullopt},
               {"5 ", std::nullopt}, {"1.5", std::nullopt}, {"abc", std::nullopt},
               {"99999999999999999999999", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(ParseWholeNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(TextUtil, EqualsIgnoreAsciiCase) {
  EXPECT_TRUE(EqualsIgnoreAsciiCase("Item12", "ITEM12"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("Item1", "Item12"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("\xc3\xa4", "\xc3\x84"));  // only ASCII folds
}

}  // namespace
}  // namespace teshmar
