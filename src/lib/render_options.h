// The options of one render.
#ifndef VANTRI_LIB_RENDER_OPTIONS_H_
#define VANTRI_LIB_RENDER_OPTIONS_H_

#include <cstdint>
#include <optional>

#include "trim/trim.h"

namespace vantri {

/// How node fill colours show in the drawing.
enum class ColorMode : std::uint8_t {
  /// Every box light, no escape sequences.
  Off = 0,
  /// Each box drawn in the line style of its fill colour.
  BoxStyles = 1,
  /// Every box light, coloured borders wrapped in ANSI sequences.
  Ansi = 2,
};

struct RenderOptions {
  /// Limit on the output width in columns.
  std::optional<std::uint64_t> max_width;
  /// Limit on label width in bytes.
  std::optional<std::uint64_t> max_label;
  ColorMode color = ColorMode::Ansi;
  TrimStrategy trim = TrimStrategy::Smart;
};

}  // namespace vantri

#endif  // VANTRI_LIB_RENDER_OPTIONS_H_
