// Hue, saturation and value of a colour, the measures by which fill
// colours are sorted into ANSI colours and box styles.
#ifndef VANTRI_COLOR_CLASSIFY_H_
#define VANTRI_COLOR_CLASSIFY_H_

#include <optional>

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

}  // namespace vantri

#endif  // VANTRI_COLOR_CLASSIFY_H_
