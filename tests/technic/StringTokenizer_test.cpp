#include "technic/StringTokenizer.h"

#include <gtest/gtest.h>

#include <vector>

#include "technic/NumberText.h"

TEST(StringTokenizer, SplitsOnTheDelimiterAndDropsEmptyPieces) {
  struct Case {
    const char* text;
    const char* delimiter;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"\\\\server\\share\\dir\\", "\\", {"server", "share", "dir"}},
      {"a, b,, c", ", ", {"a", "b,", "c"}},
      {"no delimiter", "/", {"no delimiter"}},
      {"", "/", {}},
      {"///", "/", {}},
      {"x--y----z", "--", {"x", "y", "z"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    StringTokenizer tokenizer;
    ASSERT_TRUE(tokenizer.split(c.text, c.delimiter));
    ASSERT_EQ(tokenizer.getCount(), c.tokens.size());
    for (unsigned i = 0; i < c.tokens.size(); ++i) EXPECT_EQ(tokenizer.getToken(i), c.tokens[i]);
    EXPECT_EQ(tokenizer.getToken(static_cast<unsigned>(c.tokens.size())), "");
    EXPECT_EQ(tokenizer.getToken(1000), "");
  }
}

TEST(StringTokenizer, NullArgumentsEmptyTheList) {
  StringTokenizer tokenizer;
  ASSERT_TRUE(tokenizer.split("a/b", "/"));
  EXPECT_FALSE(tokenizer.split(nullptr, "/"));
  EXPECT_EQ(tokenizer.getCount(), 0u);
  EXPECT_FALSE(tokenizer.split("a/b", nullptr));
  EXPECT_FALSE(tokenizer.split("a/b", ""));
  EXPECT_EQ(tokenizer.getCount(), 0u);
}

TEST(NumberText, DecimalText) {
  std::string text = "stale";
  EXPECT_TRUE(intToString(-42, text));
  EXPECT_EQ(text, "-42");
  EXPECT_EQ(toDecimalString(0), "0");
  EXPECT_EQ(toDecimalString(2147483647), "2147483647");
  EXPECT_EQ(toDecimalString(-2147483647 - 1), "-2147483648");
}
