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

/// What becomes of a drawing that does not fit the width limit even after
/// the width fitting.
enum class WidthOverflow : std::uint8_t {
  /// It is cut at the limit: nodes that do not fit are left out, and the
  /// caller is told (`DrawingCut`).
  Cut,
  /// It is drawn whole, as narrow as the fitting made it: for a terminal
  /// that shows it through a pager that scrolls sideways.
  Widen,
};

struct RenderOptions {
  /// Limit on the output width in columns.
  std::optional<std::uint64_t> max_width;
  WidthOverflow overflow = WidthOverflow::Cut;
  /// Limit on label width in terminal columns.
  std::optional<std::uint64_t> max_label;
  ColorMode color = ColorMode::Ansi;
  TrimStrategy trim = TrimStrategy::Smart;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_RENDER_OPTIONS_H_
