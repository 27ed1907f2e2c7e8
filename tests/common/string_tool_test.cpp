#include "quorvel/common/string_tool.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace quorvel::common {
namespace {

TEST(StringToolTest, TrimsRemoveOnlyDelimiterSetCharacters) {
  struct {
    std::string text;
    std::string delims;
    std::string left, right, both;
  } cases[] = {
      {"  a b \t", QV_TRIM_DELIM_STR, "a b \t", "  a b", "a b"},
      {" ", " ", "", "", ""},
      {"", QV_TRIM_DELIM_STR, "", "", ""},
      {"xyaxy", "yx", "axy", "xya", "a"},
      {" a ", "", " a ", " a ", " a "},
      {"\v\fa\r\n", QV_TRIM_DELIM_STR, "a\r\n", "\v\fa", "a"},
  };
  for (const auto& c : cases) {
    std::string left = c.text, right = c.text, both = c.text;
    EXPECT_EQ(TrimLeft(left, c.delims), c.left) << c.text;
    EXPECT_EQ(TrimRight(right, c.delims), c.right) << c.text;
    EXPECT_EQ(Trim(both, c.delims), c.both) << c.text;
  }
}

TEST(StringToolTest, SplitAppendsNonEmptyRuns) {
  struct {
    std::string text;
    std::string delims;
    std::vector<std::string> parts;
  } cases[] = {
      {"/a//b/", "/", {"a", "b"}},
      {"a,,b,", ",", {"a", "b"}},
      {"", "/", {}},
      {"///", "/", {}},
      {"a b\tc", " \t", {"a", "b", "c"}},
      {"abc", "", {"abc"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> parts{"kept"};
    Split(c.text, parts, c.delims);
    std::vector<std::string> expected{"kept"};
    expected.insert(expected.end(), c.parts.begin(), c.parts.end());
    EXPECT_EQ(parts, expected) << c.text;
  }
}

TEST(StringToolTest, ReplaceNeverRescansInsertedText) {
  EXPECT_EQ(Replace("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(Replace("x", "", "y"), "x");
  EXPECT_EQ(Replace("a.b.c", ".", ""), "abc");
  EXPECT_EQ(Replace("abab", "ab", "b"), "bb");
}

TEST(StringToolTest, CaseFoldedComparisonAndAffixes) {
  EXPECT_TRUE(StartWith("ABC", "ab", false));
  EXPECT_FALSE(StartWith("ABC", "ab", true));
  EXPECT_FALSE(StartWith("a", "abc", false));
  EXPECT_TRUE(EndWith("file.LOG", ".log", false));
  EXPECT_FALSE(EndWith("file.LOG", ".log", true));
  EXPECT_FALSE(EndWith("a", "abc", true));
  EXPECT_EQ(Compare("Abc", "aBC", false), 0);
  EXPECT_LT(Compare("Abc", "aBC", true), 0);
  std::string text = "MiXeD";
  EXPECT_EQ(ToUpper(text), "MIXED");
  EXPECT_EQ(ToLower(text), "mixed");
}

TEST(StringToolTest, NumberConversions) {
  EXPECT_EQ(StringTo<int>(" 42x"), 42);
  EXPECT_EQ(StringTo<unsigned long>("18446744073709551615"), 18446744073709551615UL);
  long l = 0;
  StringTo("-9000000000", l);
  EXPECT_EQ(l, -9000000000L);
  double d = 0;
  StringTo("2.5e3", d);
  EXPECT_DOUBLE_EQ(d, 2500.0);
  unsigned int u = 0;
  StringTo("4294967295", u);
  EXPECT_EQ(u, 4294967295U);
  EXPECT_THROW(StringTo<int>("x"), std::invalid_argument);
  EXPECT_THROW(StringTo<int>("99999999999"), std::out_of_range);
  // A value wider than 32 bits must not come back cut to a different number.
  EXPECT_THROW(StringTo<unsigned int>("4294967296"), std::out_of_range);
  // Nor may a negative number come back as a large unsigned one.
  EXPECT_THROW(StringTo<unsigned long>("-1"), std::out_of_range);
  EXPECT_THROW(StringTo<unsigned int>(" -18446744073709551615"), std::out_of_range);
  EXPECT_EQ(StringTo<unsigned long>(" -0"), 0UL);
  EXPECT_EQ(ToString(-7), "-7");
  EXPECT_EQ(ToString(18446744073709551615UL), "18446744073709551615");
  EXPECT_EQ(ToString("text"), "text");
}

}  // namespace
}  // namespace quorvel::common
