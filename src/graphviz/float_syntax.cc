// Strict float syntax check followed by a correctly rounded conversion.
#include "graphviz/float_syntax.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <system_error>

#include "messages/messages.h"

namespace vantri {
namespace {

constexpr std::string_view kEmpty = messages::kEmptyNumber;
constexpr std::string_view kInvalid = messages::kInvalidNumber;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool equals_ignoring_case(std::string_view text, std::string_view lower_word) {
  return text.size() == lower_word.size() &&
         std::equal(text.begin(), text.end(), lower_word.begin(),
                    [](char a, char b) {
                      return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
                    });
}

// The pieces of a syntactically valid decimal number without its sign.
struct Decimal {
  std::string_view integer;   // digits before the full stop, maybe empty
  std::string_view fraction;  // digits after it, maybe empty
  std::int64_t exponent = 0;  // saturated far beyond any double's range
};

// Saturation bound for the written exponent; anything this large already
// overflows or underflows every double, whatever the digits say.
constexpr std::int64_t kExponentLimit = std::int64_t{1} << 40;

std::optional<Decimal> split_decimal(std::string_view s) {
  Decimal d;
  std::size_t i = 0;
  while (i < s.size() && is_digit(s[i])) ++i;
  d.integer = s.substr(0, i);
  if (i < s.size() && s[i] == '.') {
    const std::size_t start = ++i;
    while (i < s.size() && is_digit(s[i])) ++i;
    d.fraction = s.substr(start, i - start);
  }
  if (d.integer.empty() && d.fraction.empty()) return std::nullopt;
  if (i == s.size()) return d;
  if (s[i] != 'e' && s[i] != 'E') return std::nullopt;
  ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return std::nullopt;
  for (; i < s.size(); ++i) {
    if (!is_digit(s[i])) return std::nullopt;
    d.exponent = std::min(d.exponent * 10 + (s[i] - '0'), kExponentLimit);
  }
  if (negative) d.exponent = -d.exponent;
  return d;
}

// Decimal exponent of the leading non-zero digit (the value lies in
// [10^e, 10^(e+1))), or nothing for a zero value.
std::optional<std::int64_t> leading_exponent(const Decimal& d) {
  const auto nonzero = [](char c) { return c != '0'; };
  const auto in_integer = std::find_if(d.integer.begin(), d.integer.end(), nonzero);
  if (in_integer != d.integer.end()) {
    const auto digits_after = d.integer.end() - in_integer - 1;
    return static_cast<std::int64_t>(digits_after) + d.exponent;
  }
  const auto in_fraction =
      std::find_if(d.fraction.begin(), d.fraction.end(), nonzero);
  if (in_fraction == d.fraction.end()) return std::nullopt;
  const auto position = in_fraction - d.fraction.begin() + 1;
  return d.exponent - static_cast<std::int64_t>(position);
}

// The value of a plain decimal without sign or exponent ("12", "3.25",
// ".5", "7.") whose digits, read as one integer, stay within 2^53, as
// nearly every number dot writes is; nothing for anything else. That
// integer and the power of ten it is divided by are both exact doubles,
// so the one division rounds correctly, to the very value from_chars
// gives.
std::optional<double> short_decimal(std::string_view s) {
  // Nineteen digits cannot overflow 64 bits; 10^18 is an exact double.
  if (s.size() > 19) return std::nullopt;
  static constexpr double kPowersOfTen[] = {
      1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
      1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
  std::uint64_t digits = 0;
  std::size_t fraction = 0;
  bool point = false;
  bool any = false;
  for (const char c : s) {
    if (is_digit(c)) {
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      any = true;
      if (point) ++fraction;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (!any || digits > (std::uint64_t{1} << 53)) return std::nullopt;
  return static_cast<double>(digits) / kPowersOfTen[fraction];
}

}  // namespace

std::expected<double, std::string> parse_float(std::string_view text) {
  if (text.empty()) return std::unexpected(std::string(kEmpty));
  std::string_view body = text;
  bool negative = false;
  if (body.front() == '+' || body.front() == '-') {
    negative = body.front() == '-';
    body.remove_prefix(1);
  }
  const auto sign = [negative](double v) { return negative ? -v : v; };
  if (const std::optional<double> quick = short_decimal(body)) return sign(*quick);

  if (equals_ignoring_case(body, "inf") ||
      equals_ignoring_case(body, "infinity")) {
    return sign(std::numeric_limits<double>::infinity());
  }
  if (equals_ignoring_case(body, "nan")) {
    return sign(std::numeric_limits<double>::quiet_NaN());
  }

  const std::optional<Decimal> decimal = split_decimal(body);
  if (!decimal) return std::unexpected(std::string(kInvalid));

  // from_chars takes exactly this syntax once the sign is gone, converts
  // with correct rounding and ignores the locale.
  double value = 0.0;
  const char* const end = body.data() + body.size();
  const auto [ptr, ec] = std::from_chars(body.data(), end, value);
  if (ec == std::errc::result_out_of_range) {
    // Only true overflow and underflow to zero are reported; subnormals
    // convert normally. The leading digit's exponent tells the two apart.
    const std::optional<std::int64_t> e = leading_exponent(*decimal);
    value = e && *e > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (ec != std::errc() || ptr != end) {
    return std::unexpected(std::string(kInvalid));
  }
  return sign(value);
}

}  // namespace vantri
