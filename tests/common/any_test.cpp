#include "common/support/common_test_support.hpp"
#include "quorvel/common/any.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <string>

namespace quorvel::common {
namespace {

TEST(AnyTest, EmptyAnyHasVoidTypeAndNamesItInCastErrors) {
  Any any;
  EXPECT_TRUE(any.Empty());
  EXPECT_TRUE(IsNull(any));
  EXPECT_EQ(any.GetTypeInfo(), typeid(void));
  EXPECT_EQ(ToString(any), "");
  EXPECT_EQ(test::MessageOf<BadCastException>([&] { AnyCast<int>(any); }),
            "AnyCast error. target type is i, but source type is v");
  EXPECT_EQ(test::MessageOf<BadCastException>([] { AnyCast<int>(static_cast<const Any*>(nullptr)); }),
            "AnyCast error. target type is i, but source type is v");
}

TEST(AnyTest, TextsBecomeStringsNeverPointers) {
  char buffer[] = "mutable";
  const Any cases[] = {Any("lit"), Any(static_cast<const char*>("ptr")), Any(buffer),
                       Any(static_cast<char*>(buffer))};
  const char* expected[] = {"lit", "ptr", "mutable", "mutable"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_TRUE(IsString(cases[i])) << i;
    EXPECT_EQ(ToString(cases[i]), expected[i]);
  }
  Any assigned;
  assigned = "x";
  EXPECT_EQ(AnyCast<std::string>(assigned), "x");
  EXPECT_THROW(Any(static_cast<const char*>(nullptr)), CommonException);
}

TEST(AnyTest, AnyCastDemandsTheExactType) {
  Any value(5u);
  EXPECT_EQ(AnyCast<unsigned int>(value), 5u);
  EXPECT_EQ(test::MessageOf<BadCastException>([&] { AnyCast<int>(value); }),
            "AnyCast error. target type is i, but source type is j");
  EXPECT_EQ(test::MessageOf<BadCastException>([&] { AnyCast<JsonArray>(Any(JsonMap{})); }),
            std::string("AnyCast error. target type is ") + typeid(JsonArray).name() +
                ", but source type is " + typeid(JsonMap).name());
  EXPECT_THROW(ToString(Any(1)), BadCastException);
  EXPECT_EQ(AnyCast<long>(Any(7L)), 7L);
  EXPECT_THROW(AnyCast<long>(Any(7LL)), BadCastException);
}

template <typename T>
long double As(const Any& any) {
  return static_cast<long double>(AnyNumberCast<T>(any));
}

TEST(AnyTest, NumberCastConvertsLikeStaticCast) {
  struct Case {
    const char* what;
    Any source;
    std::function<long double(const Any&)> cast;
    long double expected;
  } cases[] = {
      {"uint 5 to int", Any(5u), As<int>, 5},
      {"double 3.9 to int truncates", Any(3.9), As<int>, 3},
      {"double -3.9 to int truncates toward zero", Any(-3.9), As<int>, -3},
      {"double -0.9 to unsigned truncates to 0", Any(-0.9), As<unsigned int>, 0},
      {"double just below 2^32 to unsigned", Any(4294967295.9), As<unsigned int>, 4294967295.0L},
      {"int 300 to uchar wraps", Any(300), As<unsigned char>, 44},
      {"int -1 to uchar wraps", Any(-1), As<unsigned char>, 255},
      {"uint max to long zero-extends", Any(4294967295u), As<long>, 4294967295.0L},
      {"int -1 to long sign-extends", Any(-1), As<long>, -1},
      {"int -1 to uint", Any(-1), As<unsigned int>, 4294967295.0L},
      {"long 2^40+7 to int keeps low bits", Any((1L << 40) + 7), As<int>, 7},
      {"schar -2 to ulong", Any(static_cast<signed char>(-2)), As<unsigned long>,
       18446744073709551614.0L},
      {"ushort to short", Any(static_cast<unsigned short>(65535)), As<short>, -1},
      {"float 2.5 to double", Any(2.5f), As<double>, 2.5},
      {"long double to long", Any(-12.75L), As<long>, -12},
      {"int 2 to bool", Any(2), As<bool>, 1},
      {"double 0.5 to bool", Any(0.5), As<bool>, 1},
      {"double 0 to bool", Any(0.0), As<bool>, 0},
      {"bool to bool", Any(true), As<bool>, 1},
      {"double inf to float stays inf", Any(HUGE_VAL), As<float>, HUGE_VALL},
  };
  for (const auto& c : cases) EXPECT_EQ(c.cast(c.source), c.expected) << c.what;
  EXPECT_TRUE(std::isnan(AnyNumberCast<float>(Any(std::nan("")))));
}

TEST(AnyTest, NumberCastRejectsWithTheDocumentedTexts) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    Any source;
    std::function<void(const Any&)> cast;
    std::string message;
  } cases[] = {
      {Any(true), As<int>, "AnyNumberCast error. unknown number type:b"},
      {Any(false), As<double>, "AnyNumberCast error. unknown number type:b"},
      {Any("5"), As<int>, "AnyNumberCast error. not number type"},
      {Any(), As<int>, "AnyNumberCast error. not number type"},
      {Any('a'), As<int>, "AnyNumberCast error. not number type"},
      {Any(5LL), As<int>, "AnyNumberCast error. not number type"},
      {Any(5ULL), As<unsigned long>, "AnyNumberCast error. not number type"},
      {Any(5), [](const Any& a) { AnyNumberCast<std::string>(a); },
       "AnyNumberCast error. not number type"},
      {Any(5), [](const Any& a) { AnyNumberCast<char>(a); }, "AnyNumberCast error. not number type"},
      {Any(nan), As<int>, "AnyNumberCast error. out of range value of type:d, target type:i"},
      {Any(inf), As<long>, "AnyNumberCast error. out of range value of type:d, target type:l"},
      {Any(-inf), As<unsigned int>,
       "AnyNumberCast error. out of range value of type:d, target type:j"},
      {Any(4294967296.0), As<unsigned int>,
       "AnyNumberCast error. out of range value of type:d, target type:j"},
      {Any(-1.0), As<unsigned long>,
       "AnyNumberCast error. out of range value of type:d, target type:m"},
      {Any(9223372036854775808.0), As<long>,
       "AnyNumberCast error. out of range value of type:d, target type:l"},
      {Any(3e9f), As<int>, "AnyNumberCast error. out of range value of type:f, target type:i"},
      {Any(256.0), As<unsigned char>,
       "AnyNumberCast error. out of range value of type:d, target type:h"},
      {Any(1e300), As<float>, "AnyNumberCast error. out of range value of type:d, target type:f"},
      {Any(1e4000L), As<double>,
       "AnyNumberCast error. out of range value of type:e, target type:d"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(test::MessageOf<BadCastException>([&] { c.cast(c.source); }), c.message)
        << c.source.GetTypeInfo().name();
  }
}

TEST(AnyTest, PredicatesKnowOnlyTheListedNumberTypes) {
  const std::pair<const char*, bool (*)(const Any&)> predicates[] = {
      {"Bool", IsBool},       {"String", IsString},   {"Int8", IsInt8},
      {"Uint8", IsUint8},     {"Int16", IsInt16},     {"Uint16", IsUint16},
      {"Int", IsInt},         {"Uint", IsUint},       {"Int64", IsInt64},
      {"Uint64", IsUint64},   {"Float", IsFloat},     {"Double", IsDouble},
      {"LongDouble", IsLongDouble}, {"Integer", IsInteger}, {"Number", IsNumber},
      {"Null", IsNull},       {"JsonArray", IsJsonArray}, {"JsonMap", IsJsonMap},
  };
  struct Case {
    Any value;
    std::set<std::string> holds;
  } cases[] = {
      {Any(), {"Null"}},
      {Any(true), {"Bool", "Number"}},
      {Any(std::string("s")), {"String"}},
      {Any(static_cast<signed char>(1)), {"Int8", "Integer", "Number"}},
      {Any(static_cast<unsigned char>(1)), {"Uint8", "Integer", "Number"}},
      {Any(static_cast<short>(1)), {"Int16", "Integer", "Number"}},
      {Any(static_cast<unsigned short>(1)), {"Uint16", "Integer", "Number"}},
      {Any(1), {"Int", "Integer", "Number"}},
      {Any(1u), {"Uint", "Integer", "Number"}},
      {Any(1L), {"Int64", "Integer", "Number"}},
      {Any(1UL), {"Uint64", "Integer", "Number"}},
      {Any(1.0f), {"Float", "Number"}},
      {Any(1.0), {"Double", "Number"}},
      {Any(1.0L), {"LongDouble", "Number"}},
      {Any('c'), {}},
      {Any(1LL), {}},
      {Any(1ULL), {}},
      {Any(JsonArray{}), {"JsonArray"}},
      {Any(JsonMap{}), {"JsonMap"}},
  };
  for (const auto& c : cases) {
    std::set<std::string> holds;
    for (const auto& [name, predicate] : predicates) {
      if (predicate(c.value)) holds.insert(name);
    }
    EXPECT_EQ(holds, c.holds) << c.value.GetTypeInfo().name();
  }
}

TEST(AnyTest, CopiesAreDeepAndAssignmentIsSafe) {
  Any original(JsonMap{{"k", Any(JsonArray{Any(1), Any("a")})}});
  Any copy(original);
  copy = JsonMap{{"k", Any(2)}};
  const auto& inner = AnyCast<JsonArray>(AnyCast<JsonMap>(original).at("k"));
  ASSERT_EQ(inner.size(), 2u);
  EXPECT_EQ(AnyCast<int>(inner[0]), 1);
  EXPECT_EQ(ToString(inner[1]), "a");
  EXPECT_EQ(AnyCast<int>(AnyCast<JsonMap>(copy).at("k")), 2);

  Any self(std::string("same"));
  Any& alias = self;
  self = alias;
  EXPECT_EQ(ToString(self), "same");

  Any empty;
  copy = empty;
  EXPECT_TRUE(copy.Empty());

  Any a(1), b("two");
  EXPECT_EQ(&a.Swap(b), &a);
  EXPECT_EQ(ToString(a), "two");
  EXPECT_EQ(AnyCast<int>(b), 1);
}

}  // namespace
}  // namespace quorvel::common
