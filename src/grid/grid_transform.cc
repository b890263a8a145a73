// Rounding and saturating arithmetic of the layout-to-grid mapping.
#include "grid/grid_transform.h"

#include <cmath>
#include <limits>

namespace vantri {
namespace {

std::int64_t saturating_to_signed(double value) {
  if (std::isnan(value)) return 0;
  // 2^63 is exactly representable; everything at or above it saturates.
  if (value >= 9223372036854775808.0) return std::numeric_limits<std::int64_t>::max();
  if (value <= -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

std::uint64_t to_cell(double scaled, std::int64_t margin) {
  std::int64_t cell = saturating_to_signed(std::round(scaled));
  std::int64_t shifted;
  if (__builtin_add_overflow(cell, margin, &shifted)) {
    shifted = margin > 0 ? std::numeric_limits<std::int64_t>::max()
                         : std::numeric_limits<std::int64_t>::min();
  }
  return shifted < 0 ? 0 : static_cast<std::uint64_t>(shifted);
}

}  // namespace

std::uint64_t saturating_to_unsigned(double value) {
  if (std::isnan(value) || value <= 0.0) return 0;
  if (value >= 18446744073709551616.0) return std::numeric_limits<std::uint64_t>::max();
  return static_cast<std::uint64_t>(value);
}

std::uint64_t column_of(const GridTransform& t, double x) {
  return to_cell((x - t.bbox.x0) / t.column_scale, t.margin);
}

std::uint64_t row_of(const GridTransform& t, double y) {
  return to_cell((t.bbox.y1 - y) / t.row_scale, t.margin);
}

}  // namespace vantri
