// Free-row lookups and the jog row selection.
#include "render_edges/jog_rows.h"

#include <algorithm>
#include <vector>

#include "grid/cell_arith.h"

namespace vantri {
namespace {

// Follows the pointers from `row` to the first row not in `next`, then
// points every row visited straight at the result.
std::uint64_t find_free(std::unordered_map<std::uint64_t, std::uint64_t>& next,
                        std::uint64_t row, std::uint64_t none) {
  std::vector<std::uint64_t> visited;
  std::uint64_t at = row;
  while (at != none) {
    const auto found = next.find(at);
    if (found == next.end()) break;
    visited.push_back(at);
    at = found->second;
  }
  for (std::uint64_t v : visited) next[v] = at;
  return at;
}

// The clamp of a jog into the band: min(max(m, start + 1), end - 1).
std::uint64_t clamp_into(std::uint64_t m, JogBand band) {
  return std::min(std::max(m, add_sat(band.start_row, 1)), sub_floor(band.end_row, 1));
}

}  // namespace

void UsedJogRows::add(std::uint64_t row) {
  if (!rows_.insert(row).second) return;
  up_[row] = add_sat(row, 1);
  down_[row] = row == 0 ? kNone : row - 1;
}

std::uint64_t UsedJogRows::first_free_down_from(std::uint64_t row) {
  return find_free(up_, row, kNone);
}

std::optional<std::uint64_t> UsedJogRows::first_free_up_from(std::uint64_t row) {
  const std::uint64_t found = find_free(down_, row, kNone);
  if (found == kNone) return std::nullopt;
  return found;
}

std::optional<std::uint64_t> UsedJogRows::next_used_below(std::uint64_t row) const {
  const auto found = rows_.upper_bound(row);
  if (found == rows_.end()) return std::nullopt;
  return *found;
}

std::uint64_t jog_candidate(std::span<const Point> points,
                            const GridTransform& transform, JogBand band) {
  if (points.size() < 4) return midpoint_floor(band.start_row, band.end_row);
  // Half-way along the piecewise cubic Bézier, in its middle piece.
  const std::size_t pieces = (points.size() - 1) / 3;
  const double t = static_cast<double>(pieces) * 0.5;
  const std::size_t k = std::min(static_cast<std::size_t>(t), pieces - 1);
  const double s = t - static_cast<double>(k);
  const double u = 1.0 - s;
  const double y = u * u * u * points[3 * k].y + 3.0 * u * u * s * points[3 * k + 1].y +
                   3.0 * u * s * s * points[3 * k + 2].y + s * s * s * points[3 * k + 3].y;
  return clamp_into(row_of(transform, y), band);
}

std::uint64_t select_jog_row(std::uint64_t candidate, JogBand band,
                             UsedJogRows& used, const IntervalPass& label_rows,
                             const IntervalPass& box_rows, bool has_label) {
  const std::uint64_t first = add_sat(band.start_row, 1);
  const std::uint64_t last = sub_floor(band.end_row, 1);
  std::uint64_t m = candidate;
  if (used.contains(m)) {
    // The next free row below m in the band, else the next free row above
    // it, else the band's top row.
    std::optional<std::uint64_t> free;
    if (m < last) {
      const std::uint64_t below = used.first_free_down_from(m + 1);
      if (below <= last) free = below;
    }
    if (!free && m > first) {
      const auto above = used.first_free_up_from(m - 1);
      if (above && *above >= first) free = above;
    }
    m = free.value_or(first);
  }
  m = label_rows.push_past(m);
  if (has_label) m = std::min(m, sub_floor(band.end_row, 3));
  m = box_rows.push_past(m);
  return clamp_into(m, band);
}

}  // namespace vantri
