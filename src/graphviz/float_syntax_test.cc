// Float syntax: accepted forms, exact rounding, saturation and rejections.
#include "graphviz/float_syntax.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace vantri {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

double value_of(std::string_view text) {
  auto v = parse_float(text);
  EXPECT_TRUE(v.has_value()) << "'" << text << "' rejected";
  return v.value_or(-12345.0);
}

TEST(FloatSyntax, DecimalFormsAndSigns) {
  struct Case { const char* text; double value; };
  for (const Case& c : {Case{"0", 0.0}, {"1.", 1.0}, {".5", 0.5},
                        {"+1.5", 1.5}, {"-2e3", -2000.0}, {"1E+2", 100.0},
                        {"1e-2", 0.01}, {"007", 7.0}, {"0.1", 0.1},
                        {"-.25e1", -2.5}, {"-0", -0.0}}) {
    EXPECT_EQ(value_of(c.text), c.value) << c.text;
  }
}

TEST(FloatSyntax, RoundsToNearestTiesToEven) {
  EXPECT_EQ(value_of("9007199254740993"), 9007199254740992.0);  // tie, down
  EXPECT_EQ(value_of("9007199254740995"), 9007199254740996.0);  // tie, up
  EXPECT_EQ(value_of("9007199254740993.0000000000000000001"), 9007199254740994.0);
  EXPECT_EQ(value_of("1.7976931348623157e308"), std::numeric_limits<double>::max());
}

// Plain decimals of every length, with the full stop anywhere and digits
// near 2^53, convert to exactly the double a correctly rounding conversion
// gives, bit for bit.
TEST(FloatSyntax, PlainDecimalsMatchACorrectlyRoundedConversion) {
  std::mt19937_64 random(7);
  std::vector<std::string> texts = {"9007199254740992", "9007199254740993",
                                    "900719925474099.3", "9007199254740.993",
                                    "0.000000000000000001", "1000000000000000000",
                                    "123456789012345678.9", "0000000000000000000.5"};
  for (int i = 0; i < 20000; ++i) {
    std::string text(1 + random() % 21, '0');
    for (char& c : text) c = static_cast<char>('0' + random() % 10);
    if (random() % 4 != 0) text.insert(random() % (text.size() + 1), 1, '.');
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    double expected = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), expected);
    ASSERT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
    const double got = value_of(text);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(expected)) << text;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(value_of("-" + text)),
              std::bit_cast<std::uint64_t>(-expected)) << text;
  }
}

TEST(FloatSyntax, WordsInAnyCase) {
  for (const char* word : {"inf", "INF", "Infinity", "+iNfInItY"}) {
    EXPECT_EQ(value_of(word), kInf) << word;
  }
  EXPECT_EQ(value_of("-inf"), -kInf);
  EXPECT_TRUE(std::isnan(value_of("nan")));
  EXPECT_TRUE(std::isnan(value_of("NaN")));
  EXPECT_TRUE(std::signbit(value_of("-nan")));
}

TEST(FloatSyntax, OutOfRangeSaturates) {
  EXPECT_EQ(value_of("1e400"), kInf);
  EXPECT_EQ(value_of("-1e400"), -kInf);
  EXPECT_EQ(value_of("1.7976931348623159e308"), kInf);
  EXPECT_EQ(value_of("1e99999999999999999999999999"), kInf);
  const double tiny = value_of("1e-400");
  EXPECT_EQ(tiny, 0.0);
  EXPECT_FALSE(std::signbit(tiny));
  EXPECT_TRUE(std::signbit(value_of("-1e-400")));
  EXPECT_EQ(value_of("2.4703282292062327e-324"), 0.0);  // below half the subnormal
  EXPECT_EQ(value_of("0e99999999999999999999"), 0.0);
  // The written exponent's sign alone does not tell overflow from underflow.
  EXPECT_EQ(value_of("1" + std::string(400, '0') + "e-10"), kInf);
  EXPECT_EQ(value_of("0." + std::string(400, '0') + "1e10"), 0.0);
  EXPECT_EQ(value_of("0.00123e312"), kInf);
}

TEST(FloatSyntax, SubnormalsKeepTheirValue) {
  const double min = std::numeric_limits<double>::denorm_min();
  EXPECT_EQ(value_of("4.9e-324"), min);
  EXPECT_EQ(value_of("2.4703282292062328e-324"), min);
  EXPECT_EQ(value_of("-5e-324"), -min);
  EXPECT_EQ(value_of("2.2250738585072011e-308"), 2.2250738585072009e-308);
}

TEST(FloatSyntax, RejectsEverythingElse) {
  EXPECT_EQ(parse_float("").error(), "cannot parse float from empty string");
  for (const char* text :
       {"+", "-", ".", "+.", "-.e1", "1e", "1e+", "e5", " 1", "1 ", "1,5",
        "0x10", "nan(1)", "infin", "infinityy", "1_000", "1.2.3", "--1",
        "+-1", "1e5.5", "1e 5", "\xD9\xA1", "inff", "1d", "\t"}) {
    auto v = parse_float(text);
    ASSERT_FALSE(v.has_value()) << "'" << text << "' gave " << *v;
    EXPECT_EQ(v.error(), "invalid float literal") << text;
  }
}

}  // namespace
}  // namespace vantri
