#include "technic/CharSetConversion.h"

#include <gtest/gtest.h>

TEST(CharSetConversion, CountsWhatTheConversionProducedAndCutsAtTheFirstNul) {
  struct Case {
    std::string utf8;
    std::u16string wide;
    int utf8Units;
    int wideUnits;
  };
  const Case cases[] = {
      {"clip.ts", u"clip.ts", 7, 7},
      {"\xE4\xB8\xAD\xE6\x96\x87", u"\u4E2D\u6587", 6, 2},
      {"\xF0\x9F\x98\x80", u"\U0001F600", 4, 2},
  };
  for (const Case& c : cases) {
    std::u16string wide;
    std::string utf8;
    EXPECT_EQ(utf8ToWide(c.utf8, wide), c.wideUnits);
    EXPECT_EQ(wide, c.wide);
    EXPECT_EQ(wideToUtf8(c.wide, utf8), c.utf8Units);
    EXPECT_EQ(utf8, c.utf8);
  }
  std::u16string wide;
  EXPECT_EQ(utf8ToWide(std::string("ab\0cd", 5), wide), 5);
  EXPECT_EQ(wide, u"ab");
  EXPECT_EQ(gbkToWide("\xD6\xD0\xCE\xC4", wide), 2);
  EXPECT_EQ(wide, u"\u4E2D\u6587");
}

TEST(CharSetConversion, FailureGivesZeroAndAnEmptyOutput) {
  std::u16string wide = u"stale";
  std::string utf8 = "stale";
  EXPECT_EQ(utf8ToWide("", wide), 0);
  EXPECT_TRUE(wide.empty());
  wide = u"stale";
  EXPECT_EQ(utf8ToWide("bad\xFF", wide), 0);
  EXPECT_TRUE(wide.empty());
  EXPECT_EQ(gbkToWide("\xD6", wide), 0);
  EXPECT_EQ(wideToUtf8(std::u16string(1, char16_t(0xDC00)), utf8), 0);
  EXPECT_TRUE(utf8.empty());
}
