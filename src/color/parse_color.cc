// Reading a Graphviz colour value: "#rrggbb" or a colour name.
#include "color/parse_color.h"

#include <optional>
#include <string>

#include "color/color_names.h"
#include "text/utf8.h"

namespace vantri {
namespace {

constexpr Rgb kUnknown{200, 200, 200};

std::optional<int> hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// Two hexadecimal digits, or "+" and one digit (an explicit sign, as an
// integer parser accepts it).
std::optional<std::uint8_t> hex_pair(char a, char b) {
  const std::optional<int> low = hex_digit(b);
  if (!low) return std::nullopt;
  if (a == '+') return static_cast<std::uint8_t>(*low);
  const std::optional<int> high = hex_digit(a);
  if (!high) return std::nullopt;
  return static_cast<std::uint8_t>(*high * 16 + *low);
}

std::optional<Rgb> parse_hex(std::string_view text) {
  if (text.size() != 7 || text[0] != '#') return std::nullopt;
  const auto r = hex_pair(text[1], text[2]);
  const auto g = hex_pair(text[3], text[4]);
  const auto b = hex_pair(text[5], text[6]);
  if (!r || !g || !b) return std::nullopt;
  return Rgb{*r, *g, *b};
}

// The Unicode lower case of `text` when it consists only of ASCII letters
// and other ASCII bytes after lowering, which is all a colour name can be.
// Besides A-Z, the only character whose full lower case is pure ASCII is
// U+212A KELVIN SIGN ("k"); every other non-ASCII character lowers to text
// that still holds a non-ASCII character (U+0130 gives "i" and U+0307), so
// it can never match a name and the result is nothing.
std::optional<std::string> ascii_lower_case(std::string_view text) {
  std::string lower;
  lower.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char32_t c = next_code_point(text, i);
    if (c >= U'A' && c <= U'Z') {
      lower += static_cast<char>(c - U'A' + U'a');
    } else if (c < 0x80) {
      lower += static_cast<char>(c);
    } else if (c == U'\u212A') {
      lower += 'k';
    } else {
      return std::nullopt;
    }
    // No name is longer; stop early on long hostile input.
    if (lower.size() > kLongestColorName) return std::nullopt;
  }
  return lower;
}

}  // namespace

Rgb parse_color(std::string_view text) {
  if (const std::optional<Rgb> hex = parse_hex(text)) return *hex;
  const std::optional<std::string> lower = ascii_lower_case(text);
  if (!lower) return kUnknown;
  return color_by_name(*lower).value_or(kUnknown);
}

}  // namespace vantri
