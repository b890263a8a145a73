// Choosing the row of the horizontal jog of a downward edge.
//
// Jogs should not share rows (their runs would merge), should keep off the
// rows of labels and boxes, and should leave room for the edge's own label
// above the arrowhead. The rows already taken are kept in a structure that
// answers "first free row at or above / at or below r" without walking
// long runs of taken rows again and again: each taken row points to a
// candidate further along, and the pointers are shortened on every lookup.
#ifndef VANTRI_RENDER_EDGES_JOG_ROWS_H_
#define VANTRI_RENDER_EDGES_JOG_ROWS_H_

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <unordered_map>

#include "graphviz/layout_graph.h"
#include "grid/grid_transform.h"
#include "render_edges/interval_pass.h"

namespace vantri {

/// The jog rows chosen so far.
class UsedJogRows {
 public:
  void add(std::uint64_t row);
  bool contains(std::uint64_t row) const { return up_.contains(row); }

  /// The first free row at or below `row` on the grid (rows count
  /// downwards): the smallest unused row ≥ `row`.
  std::uint64_t first_free_down_from(std::uint64_t row);
  /// The first free row at or above `row` on the grid: the greatest unused
  /// row ≤ `row`; nothing when every row from 0 to `row` is used.
  std::optional<std::uint64_t> first_free_up_from(std::uint64_t row);
  /// The nearest used row below `row` on the grid (the smallest > `row`).
  std::optional<std::uint64_t> next_used_below(std::uint64_t row) const;

 private:
  static constexpr std::uint64_t kNone = ~std::uint64_t{0};

  std::set<std::uint64_t> rows_;
  // For each used row, a row further up (down) the search direction that
  // was free when last looked at; kNone below row 0.
  std::unordered_map<std::uint64_t, std::uint64_t> up_;
  std::unordered_map<std::uint64_t, std::uint64_t> down_;
};

/// Where a downward edge runs between its tail and head boxes: the route
/// starts in `start_row` (just under the tail) and ends in `end_row` (just
/// above the head, end_row > start_row).
struct JogBand {
  std::uint64_t start_row = 0;
  std::uint64_t end_row = 0;
};

/// The preferred jog row: the row of the spline's half-way point clamped
/// into the band, or the middle of the band when there are fewer than four
/// control points.
std::uint64_t jog_candidate(std::span<const Point> points,
                            const GridTransform& transform, JogBand band);

/// The jog row of an edge without a merge row: `candidate` moved off used
/// rows, then off the rows around earlier labels (`label_rows`), kept three
/// rows above the arrowhead when the edge has a label, moved off the rows
/// of boxes (`box_rows`) and clamped into the band.
std::uint64_t select_jog_row(std::uint64_t candidate, JogBand band,
                             UsedJogRows& used, const IntervalPass& label_rows,
                             const IntervalPass& box_rows, bool has_label);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_JOG_ROWS_H_
