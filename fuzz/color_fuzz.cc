// Fuzz target: parse_color, ansi_for and box_style_for on arbitrary text.
//
// None of them may crash. Colour names and hexadecimal digits ignore
// letter case, so the text with its ASCII letters lowered reads as the same
// colour. ansi_for gives either nothing or one of the colour sequences with
// the reset after it. box_style_for gives one of the seven styles. A
// colour written back as "#rrggbb" reads as itself.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "color/classify.h"
#include "color/parse_color.h"
#include "fuzz_check.h"

namespace vantri {
namespace {

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string hex_of(Rgb rgb) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", rgb.red, rgb.green, rgb.blue);
  return buffer;
}

bool is_colour_sequence(std::string_view prefix) {
  static constexpr std::array kColours = {
      AnsiColor::Red,   AnsiColor::Yellow,  AnsiColor::BrightYellow,
      AnsiColor::Green, AnsiColor::Cyan,    AnsiColor::Blue,
      AnsiColor::Magenta, AnsiColor::White, AnsiColor::BrightBlack};
  for (AnsiColor c : kColours) {
    if (prefix == ansi_sequence(c)) return true;
  }
  return false;
}

bool is_style(const BoxStyle& style) {
  return style == BoxStyle::Light || style == BoxStyle::LightDoubleDash ||
         style == BoxStyle::LightTripleDash || style == BoxStyle::Heavy ||
         style == BoxStyle::HeavyDoubleDash || style == BoxStyle::HeavyTripleDash ||
         style == BoxStyle::Dotted;
}

}  // namespace
}  // namespace vantri

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantri;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Rgb rgb = parse_color(text);
  FUZZ_CHECK(parse_color(ascii_lower(text)) == rgb);

  const std::optional<std::string> colour = text;
  const AnsiPair ansi = ansi_for(colour);
  if (ansi.prefix.empty()) {
    FUZZ_CHECK(ansi.suffix.empty());
  } else {
    FUZZ_CHECK(is_colour_sequence(ansi.prefix));
    FUZZ_CHECK(ansi.suffix == ansi_sequence(AnsiColor::Reset));
  }
  const BoxStyle style = box_style_for(colour);
  FUZZ_CHECK(is_style(style));

  FUZZ_CHECK(parse_color(hex_of(rgb)) == rgb);
  return 0;
}
