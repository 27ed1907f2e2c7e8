#include "quorvel/common/json/json.hpp"

#include "common/support/common_test_support.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace quorvel::common {
namespace {

TEST(JsonTest, IntegersAreClassifiedByTheRangeOfTheirValue) {
  struct Case {
    const char* text;
    const std::type_info& type;
    long double value;
  } cases[] = {
      {"0", typeid(int), 0},
      {"-0", typeid(int), 0},
      {"2147483647", typeid(int), 2147483647.0L},
      {"-2147483648", typeid(int), -2147483648.0L},
      {"2147483648", typeid(unsigned int), 2147483648.0L},
      {"4294967295", typeid(unsigned int), 4294967295.0L},
      {"4294967296", typeid(long), 4294967296.0L},
      {"-2147483649", typeid(long), -2147483649.0L},
      {"9223372036854775807", typeid(long), 9223372036854775807.0L},
      {"-9223372036854775808", typeid(long), -9223372036854775808.0L},
      {"9223372036854775808", typeid(unsigned long), 9223372036854775808.0L},
      {"18446744073709551615", typeid(unsigned long), 18446744073709551615.0L},
      {"18446744073709551616", typeid(double), 18446744073709551616.0L},
      {"-9223372036854775809", typeid(double), -9223372036854775808.0L},
      {"1.0", typeid(double), 1},
      {"1e2", typeid(double), 100},
      {"-2.5E-1", typeid(double), -0.25},
  };
  for (const auto& c : cases) {
    Any any = FromJsonString(c.text);
    EXPECT_EQ(any.GetTypeInfo(), c.type) << c.text;
    EXPECT_EQ(AnyNumberCast<long double>(any), c.value) << c.text;
  }
}

TEST(JsonTest, ArrayKeepsOrderAndTypesOfItsElements) {
  Any any = FromJsonString("[1, 1.0, -1, 3000000000, 5000000000, 10000000000000000000]");
  const auto& array = AnyCast<JsonArray>(any);
  ASSERT_EQ(array.size(), 6u);
  EXPECT_EQ(AnyCast<int>(array[0]), 1);
  EXPECT_EQ(AnyCast<double>(array[1]), 1.0);
  EXPECT_EQ(AnyCast<int>(array[2]), -1);
  EXPECT_EQ(AnyCast<unsigned int>(array[3]), 3000000000u);
  EXPECT_EQ(AnyCast<long>(array[4]), 5000000000L);
  EXPECT_EQ(AnyCast<unsigned long>(array[5]), 10000000000000000000UL);
}

TEST(JsonTest, ScalarsObjectsAndStringsConvert) {
  EXPECT_TRUE(FromJsonString("").Empty());
  EXPECT_TRUE(FromJsonString("null").Empty());
  EXPECT_TRUE(FromJsonString(" \n null \t").Empty());
  EXPECT_EQ(ToString(FromJsonString("\"x\"")), "x");
  EXPECT_EQ(AnyCast<bool>(FromJsonString("false")), false);
  EXPECT_EQ(ToString(FromJsonString(R"("a\u0000b\n\"\u00e9")")), std::string("a\0b\n\"\xc3\xa9", 7));

  Any any = FromJsonString(R"({"b":1,"a":2,"b":3,"n":null,"o":{"x":[true,{}]},"\u0000k":"v"})");
  const auto& map = AnyCast<JsonMap>(any);
  ASSERT_EQ(map.size(), 5u);
  EXPECT_EQ(AnyCast<int>(map.at("a")), 2);
  EXPECT_EQ(AnyCast<int>(map.at("b")), 3);
  EXPECT_TRUE(map.at("n").Empty());
  EXPECT_EQ(ToString(map.at(std::string("\0k", 2))), "v");
  const auto& inner = AnyCast<JsonArray>(AnyCast<JsonMap>(map.at("o")).at("x"));
  ASSERT_EQ(inner.size(), 2u);
  EXPECT_TRUE(AnyCast<bool>(inner[0]));
  EXPECT_TRUE(AnyCast<JsonMap>(inner[1]).empty());
}

TEST(JsonTest, MalformedTextReportsTheOffsetOfTheError) {
  struct Case {
    std::string text;
    size_t offset;
  } cases[] = {
      {"   ", 3},
      {"[1,]", 3},
      {"{\"a\":1,}", 7},
      {"1 2", 2},
      {"{} {}", 3},
      {"// c\n1", 0},
      {"[1] /* c */", 4},
      {"'a'", 0},
      {"NaN", 0},
      {"[Infinity]", 1},
      {"{\"a\" 1}", 5},
      {"{a:1}", 1},
      {"\"open", 5},
      {std::string("[1]\0[2]", 7), 3},
      {std::string("1 \0", 3), 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(test::MessageOf<JsonException>([&] { FromJsonString(c.text); }),
              "parse json error. at offset:" + std::to_string(c.offset))
        << c.text;
  }
}

TEST(JsonTest, NestingIsLimitedInsteadOfOverflowingTheStack) {
  const std::string deepest = std::string(1000, '[') + std::string(1000, ']');
  EXPECT_EQ(ToJsonString(FromJsonString(deepest), false), deepest);
  // Brackets inside strings, behind an escaped quote too, are not nesting.
  const std::string in_string = std::string(999, '[') + R"("\"[[{{")" + std::string(999, ']');
  EXPECT_NO_THROW(FromJsonString(in_string));
  const std::string hostile = std::string(500, '[') + std::string(100000, '{');
  EXPECT_EQ(test::MessageOf<JsonException>([&] { FromJsonString(hostile); }),
            "parse json error. at offset:1000");
}

TEST(JsonTest, CompactOutputIsExact) {
  EXPECT_EQ(ToJsonString(Any(), false), "");
  EXPECT_EQ(ToJsonString(Any(), true), "");
  EXPECT_EQ(ToJsonString(Any(JsonMap{{"k", Any()}}), false), R"({"k":null})");
  JsonMap ordered;
  ordered["b"] = 1;
  ordered["a"] = true;
  EXPECT_EQ(ToJsonString(Any(ordered), false), R"({"a":true,"b":1})");

  JsonArray mixed{Any(-1), Any(4000000000u), Any(-5000000000L), Any(18446744073709551615UL),
                  Any(1.5), Any(0.25f), Any(2.0), Any("q\"\\\n\x01"), Any(), Any(false),
                  Any(JsonArray{}), Any(JsonMap{})};
  EXPECT_EQ(ToJsonString(Any(mixed), false),
            R"([-1,4000000000,-5000000000,18446744073709551615,1.5,0.25,2.0,"q\"\\\n\u0001",)"
            R"(null,false,[],{}])");
  EXPECT_EQ(ToJsonString(Any(std::string("a\0b", 3)), false), R"("a\u0000b")");
  EXPECT_EQ(ToJsonString(Any(7), false), "7");
}

TEST(JsonTest, PrettyOutputIsExact) {
  JsonMap map{{"b", Any(JsonMap{})},
              {"a", Any(JsonArray{Any(1), Any(JsonMap{{"x", Any("y")}})})},
              {"c", Any(JsonArray{})},
              {"d", Any()}};
  EXPECT_EQ(ToJsonString(Any(map), true),
            "{\n"
            "    \"a\": [\n"
            "        1,\n"
            "        {\n"
            "            \"x\": \"y\"\n"
            "        }\n"
            "    ],\n"
            "    \"b\": {},\n"
            "    \"c\": [],\n"
            "    \"d\": null\n"
            "}");
}

TEST(JsonTest, ValuesWithoutJsonFormAreRejected) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    Any any;
    std::string message;
  } cases[] = {
      {Any(static_cast<short>(1)), "unknown any number type"},
      {Any(static_cast<unsigned char>(1)), "unknown any number type"},
      {Any(static_cast<signed char>(1)), "unknown any number type"},
      {Any(static_cast<unsigned short>(1)), "unknown any number type"},
      {Any(1.0L), "unknown any number type"},
      {Any('c'), "unknown any type:c"},
      {Any(1LL), "unknown any type:x"},
      {Any(JsonMap{{"a", Any(1)}, {"b", Any(JsonArray{Any(2), Any('c')})}}),
       "unknown any type:c"},
      {Any(nan), "json write error. double is not finite:nan"},
      {Any(JsonArray{Any(1), Any(inf)}), "json write error. double is not finite:inf"},
      {Any(-std::numeric_limits<float>::infinity()), "json write error. double is not finite:-inf"},
  };
  for (const auto& c : cases) {
    for (bool pretty : {false, true}) {
      EXPECT_EQ(test::MessageOf<JsonException>([&] { ToJsonString(c.any, pretty); }), c.message)
          << c.any.GetTypeInfo().name() << " pretty " << pretty;
    }
  }
}

TEST(JsonTest, TextsSurviveARoundTrip) {
  const char* compact[] = {
      R"({"a":[1,-2,3000000000,-5000000000,18446744073709551615],"b":{"c":null,"d":"e f"}})",
      R"([[],{},[[]],"",true,false,null])",
      R"({"":0,"A":1,"a":2})",
      R"("text")",
      R"([0.5,-1.25,1e-7,1.7976931348623157e308])",
  };
  for (const char* text : compact) {
    EXPECT_EQ(ToJsonString(FromJsonString(text), false), text);
    const std::string pretty = ToJsonString(FromJsonString(text), true);
    EXPECT_EQ(ToJsonString(FromJsonString(pretty), false), text);
  }
}

}  // namespace
}  // namespace quorvel::common
