// Saturating arithmetic on unsigned grid positions.
//
// Mapped positions of hostile layouts sit at 2^63 - 1 and beyond, so every
// "+ n" on a row or column saturates instead of wrapping, and every "- n"
// stops at 0, which is what a negative position counts as on the grid.
#ifndef VANTRI_GRID_CELL_ARITH_H_
#define VANTRI_GRID_CELL_ARITH_H_

#include <cstdint>
#include <limits>

namespace vantri {

inline constexpr std::uint64_t kMaxCell = std::numeric_limits<std::uint64_t>::max();

/// a + b, or the largest value when the sum does not fit.
constexpr std::uint64_t add_sat(std::uint64_t a, std::uint64_t b) {
  return a > kMaxCell - b ? kMaxCell : a + b;
}

/// a - b, or 0 when b is greater.
constexpr std::uint64_t sub_floor(std::uint64_t a, std::uint64_t b) {
  return a > b ? a - b : 0;
}

/// ⌊(a + b) / 2⌋ without overflow.
constexpr std::uint64_t midpoint_floor(std::uint64_t a, std::uint64_t b) {
  return a < b ? a + (b - a) / 2 : b + (a - b) / 2;
}

}  // namespace vantri

#endif  // VANTRI_GRID_CELL_ARITH_H_
