// The options of one render.
#ifndef VANTRI_RENDER_RENDER_OPTIONS_H_
#define VANTRI_RENDER_RENDER_OPTIONS_H_

#include <cstdint>
#include <optional>

#include "color/color.h"
#include "trim/trim.h"

namespace vantri {

/// The narrowest drawing worth making: one box around a one-column label.
/// Narrower width limits are not fitted to; the drawing is only cut.
inline constexpr std::uint64_t kSmallestUsefulWidth = 5;

struct RenderOptions {
  /// Limit on the output width in columns.
  std::optional<std::uint64_t> max_width;
  /// Limit on label width in terminal columns.
  std::optional<std::uint64_t> max_label;
  ColorMode color = ColorMode::Ansi;
  TrimStrategy trim = TrimStrategy::Smart;
  /// Print the drawing's glyphs in plain ASCII; the plan and the sizes do
  /// not change.
  bool ascii = false;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_RENDER_OPTIONS_H_
