// Sorting colours into the ANSI palette and the box styles by hue,
// saturation and value.
#include "color/classify.h"

#include <algorithm>
#include <cmath>

#include "color/parse_color.h"

namespace vantri {
namespace {

constexpr double kTiny = 1e-9;

constexpr std::string_view kReset = "\x1b[0m";

}  // namespace

Hsv hsv_of(Rgb rgb) {
  const double r = rgb.red / 255.0;
  const double g = rgb.green / 255.0;
  const double b = rgb.blue / 255.0;
  const double max = std::max({r, g, b});
  const double min = std::min({r, g, b});
  const double delta = max - min;

  // Ties go to red first, then green, in the order of these tests.
  double hue = 0.0;
  if (delta < kTiny) {
    hue = 0.0;
  } else if (std::fabs(max - r) < kTiny) {
    hue = 60.0 * std::fmod((g - b) / delta, 6.0);
  } else if (std::fabs(max - g) < kTiny) {
    hue = 60.0 * ((b - r) / delta + 2.0);
  } else {
    hue = 60.0 * ((r - g) / delta + 4.0);
  }
  if (hue < 0.0) hue += 360.0;

  Hsv hsv;
  hsv.hue = static_cast<int>(hue);  // truncation towards zero
  hsv.saturation = max < kTiny ? 0.0 : delta / max;
  hsv.value = max;
  return hsv;
}

std::string_view ansi_sequence(AnsiColor color) {
  switch (color) {
    case AnsiColor::Red: return "\x1b[31m";
    case AnsiColor::Yellow: return "\x1b[33m";
    case AnsiColor::BrightYellow: return "\x1b[93m";
    case AnsiColor::Green: return "\x1b[32m";
    case AnsiColor::Cyan: return "\x1b[36m";
    case AnsiColor::Blue: return "\x1b[34m";
    case AnsiColor::Magenta: return "\x1b[35m";
    case AnsiColor::White: return "\x1b[37m";
    case AnsiColor::BrightBlack: return "\x1b[90m";
    case AnsiColor::Reset: return kReset;
  }
  return kReset;
}

std::optional<AnsiColor> ansi_color_of(const Hsv& c) {
  if (c.value > 0.8 && c.saturation < 0.05) return std::nullopt;
  if (c.saturation < 0.1 && c.value < 0.4) return AnsiColor::BrightBlack;
  if (c.saturation < 0.1) return AnsiColor::White;
  if (c.hue < 16 || c.hue >= 346) return AnsiColor::Red;
  if (c.hue < 46) return AnsiColor::Yellow;
  if (c.hue < 76) return AnsiColor::BrightYellow;
  if (c.hue < 171) return AnsiColor::Green;
  if (c.hue < 201) return AnsiColor::Cyan;
  if (c.hue < 261) return AnsiColor::Blue;
  return AnsiColor::Magenta;
}

BoxStyle box_style_of(const Hsv& c) {
  // Greys and blacks are told apart by weight: dark heavy, light dotted.
  const bool greyish =
      c.saturation < 0.08 || (c.value < 0.15 && c.saturation < 0.3);
  if (greyish && c.value < 0.5) return BoxStyle::Heavy;
  if (greyish) return BoxStyle::Dotted;
  if (c.value < 0.25) return BoxStyle::Heavy;
  if (c.hue < 31 || c.hue >= 340) return BoxStyle::LightDoubleDash;
  if (c.hue < 61) return BoxStyle::LightTripleDash;
  if (c.hue < 171) return BoxStyle::Light;
  if (c.hue < 261) return BoxStyle::HeavyTripleDash;
  return BoxStyle::HeavyDoubleDash;
}

AnsiPair ansi_for(const std::optional<std::string>& color) {
  if (!color) return {};
  const std::optional<AnsiColor> ansi = ansi_color_of(hsv_of(parse_color(*color)));
  if (!ansi) return {};
  return {ansi_sequence(*ansi), kReset};
}

std::string_view first_color(std::string_view list) {
  return list.substr(0, list.find_first_of(":;"));
}

std::string_view pen_sgr(const std::optional<std::string>& color) {
  if (!color) return {};
  return ansi_for(std::string(first_color(*color))).prefix;
}

BoxStyle box_style_for(const std::optional<std::string>& color) {
  if (!color) return BoxStyle::Light;
  return box_style_of(hsv_of(parse_color(*color)));
}

}  // namespace vantri
