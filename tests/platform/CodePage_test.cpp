#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace {

// "中文路径" in code page 936 and in UTF-8.
const std::string kChineseCp936 = "\xD6\xD0\xCE\xC4\xC2\xB7\xBE\xB6";
const std::string kChineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87\xE8\xB7\xAF\xE5\xBE\x84";
const std::u16string kChineseUtf16 = u"\u4E2D\u6587\u8DEF\u5F84";

TEST(CodePage, RoundTripsBetweenTheThreeEncodings) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"", u""},
      {"/tmp/clips/a.ts", u"/tmp/clips/a.ts"},
      {kChineseUtf8, kChineseUtf16},
      {"\xF0\x9F\x98\x80 smile", u"\U0001F600 smile"},  // outside the basic plane: a surrogate pair
  };
  for (const Case& c : cases) {
    std::u16string wide;
    std::string narrow;
    EXPECT_TRUE(platform::utf8ToUtf16(c.utf8, wide));
    EXPECT_EQ(wide, c.utf16);
    EXPECT_TRUE(platform::utf16ToUtf8(c.utf16, narrow));
    EXPECT_EQ(narrow, c.utf8);
  }

  std::u16string wide;
  std::string narrow;
  ASSERT_TRUE(platform::cp936ToUtf16(kChineseCp936, wide));
  EXPECT_EQ(wide, kChineseUtf16);
  ASSERT_TRUE(platform::utf16ToCp936(kChineseUtf16, narrow));
  EXPECT_EQ(narrow, kChineseCp936);
  ASSERT_TRUE(platform::cp936ToUtf8(kChineseCp936 + "\\a.ts", narrow));
  EXPECT_EQ(narrow, kChineseUtf8 + "\\a.ts");
  ASSERT_TRUE(platform::utf8ToCp936(kChineseUtf8, narrow));
  EXPECT_EQ(narrow, kChineseCp936);
}

TEST(CodePage, CharactersCp936CannotHoldBecomeTheDefaultCharacter) {
  std::string narrow;
  // A Korean syllable and a character beyond the basic plane are not in code page 936.
  ASSERT_TRUE(platform::utf16ToCp936(u"a\uAC00b\U0001F600c\u4E2D", narrow));
  EXPECT_EQ(narrow, "a?b?c\xD6\xD0");
  ASSERT_TRUE(platform::utf8ToCp936("\xEA\xB0\x80", narrow));
  EXPECT_EQ(narrow, "?");
}

TEST(CodePage, InvalidInputFailsWithEmptyOutput) {
  std::u16string wide = u"stale";
  std::string narrow = "stale";
  EXPECT_FALSE(platform::utf8ToUtf16("ab\xFF" "cd", wide));
  EXPECT_TRUE(wide.empty());
  EXPECT_FALSE(platform::utf8ToUtf16("ab\xE4\xB8", wide));  // cut inside a character
  EXPECT_TRUE(wide.empty());
  EXPECT_FALSE(platform::utf16ToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b", narrow));
  EXPECT_TRUE(narrow.empty());
  narrow = "stale";
  EXPECT_FALSE(platform::utf16ToCp936(std::u16string(u"a") + char16_t(0xDC00), narrow));
  EXPECT_TRUE(narrow.empty());
  EXPECT_FALSE(platform::utf16ToCp936(std::u16string(u"a") + char16_t(0xD800), narrow));
  EXPECT_FALSE(platform::cp936ToUtf16("\xD6", wide));  // lead byte without its trail byte
  EXPECT_TRUE(wide.empty());
}

}  // namespace
