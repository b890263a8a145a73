// Sorting fill colours into ANSI colours and box styles by their hue,
// saturation and value.
#ifndef VANTRI_COLOR_CLASSIFY_H_
#define VANTRI_COLOR_CLASSIFY_H_

#include <optional>
#include <string>
#include <string_view>

#include "color/color.h"

namespace vantri {

struct Hsv {
  /// Whole degrees, normally 0 to 359 (360 only by rounding of a tiny
  /// negative angle).
  int hue = 0;
  /// 0 to 1.
  double saturation = 0.0;
  double value = 0.0;
};

Hsv hsv_of(Rgb rgb);

/// The ANSI colour of a present colour; nothing for white and near-white.
std::optional<AnsiColor> ansi_color_of(const Hsv& hsv);

/// The box style of a present colour.
BoxStyle box_style_of(const Hsv& hsv);

/// ESC "[31m" and so on.
std::string_view ansi_sequence(AnsiColor color);

/// The ANSI colour of a fill colour; empty for none, white and near-white.
AnsiPair ansi_for(const std::optional<std::string>& color);

/// The first colour of a Graphviz colour list ("red:blue", "red;0.3:blue"
/// with weights): the text before the first ':' and any ';'.
std::string_view first_color(std::string_view list);

/// The start sequence of a pen colour (an edge's, an outline's, a text's):
/// `ansi_for` of its first colour; empty for none, white and near-white.
std::string_view pen_sgr(const std::optional<std::string>& color);

/// The box style of a fill colour; `Light` when there is none.
BoxStyle box_style_for(const std::optional<std::string>& color);

}  // namespace vantri

#endif  // VANTRI_COLOR_CLASSIFY_H_
