// Everything edge drawing puts on the canvas, decided before the canvas
// exists: each edge's route as a chain of cells, which of its ends carry an
// arrowhead, and every label with the cells it takes.
//
// A route runs from the cell just outside its tail's box to the cell just
// outside its head's box, leg by leg, each leg straight along a row or a
// column. The plan also says how large the canvas must be to show it all.
#ifndef VANTRI_RENDER_EDGES_ROUTE_PLAN_H_
#define VANTRI_RENDER_EDGES_ROUTE_PLAN_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "grid/cell_arith.h"
#include "grid/cell_rect.h"

namespace vantri {

/// A direction on the grid: rows grow downwards.
enum class Toward : std::uint8_t { Up, Down, Left, Right };

/// The direction that undoes `d`.
constexpr Toward opposite(Toward d) {
  switch (d) {
    case Toward::Up: return Toward::Down;
    case Toward::Down: return Toward::Up;
    case Toward::Left: return Toward::Right;
    case Toward::Right: return Toward::Left;
  }
  return d;
}

/// The cell one step from `p` along `d`; off the top or left edge is a
/// cell no drawing has.
constexpr GridPoint step(GridPoint p, Toward d) {
  switch (d) {
    case Toward::Up: return {p.row == 0 ? kMaxCell : p.row - 1, p.col};
    case Toward::Down: return {add_sat(p.row, 1), p.col};
    case Toward::Left: return {p.row, p.col == 0 ? kMaxCell : p.col - 1};
    case Toward::Right: return {p.row, add_sat(p.col, 1)};
  }
  return p;
}

/// The arrowhead that points `d`: ▲ ▼ ◀ ▶.
constexpr char32_t arrowhead_toward(Toward d) {
  switch (d) {
    case Toward::Up: return U'▲';
    case Toward::Down: return U'▼';
    case Toward::Left: return U'◀';
    case Toward::Right: return U'▶';
  }
  return U'◀';
}

/// How one edge runs. No points: the edge is not drawn.
struct EdgeRoute {
  /// The corners of the route from the start cell (beside the tail's box)
  /// to the end cell (beside the head's box); consecutive points share a
  /// row or a column. One point when start and end are the same cell.
  std::vector<GridPoint> points;
  /// From the start cell into the tail's box, and from the end cell into
  /// the head's box: where the line joins the box and where an arrowhead
  /// on that end points.
  Toward start_into = Toward::Up;
  Toward end_into = Toward::Down;
  bool arrow_at_start = false;
  bool arrow_at_end = false;
  /// The routes planned before it left this edge no way into its head
  /// (or tail) but from the side turned away from the other end.
  bool cornered = false;
  /// The routes planned before it walled in every port on the sides the
  /// edge should use, so it joins its boxes elsewhere.
  bool facing_walled = false;
  friend bool operator==(const EdgeRoute&, const EdgeRoute&) = default;
};

/// What a label belongs to.
enum class LabelRole : std::uint8_t {
  /// An edge's own label, beside its route.
  Edge,
  /// "headlabel" and "taillabel": beside the end cell at that end.
  HeadEnd,
  TailEnd,
  /// An edge's external label ("xlabel"), beside its route.
  EdgeExternal,
  /// A node's external label, beside its box.
  NodeExternal,
};

/// One label set on the canvas: line i goes to row top + i from column
/// `left` on.
struct PlacedLabel {
  LabelRole role = LabelRole::Edge;
  /// The edge index, or the node index for `NodeExternal`.
  std::size_t owner = 0;
  std::uint64_t top = 0;
  std::uint64_t left = 0;
  std::vector<std::string> lines;
  /// Columns of the longest line.
  std::uint64_t width = 0;
  /// The text the lines were wrapped from: the label, shortened when a
  /// label limit or the canvas width asked for it.
  std::string text;
  friend bool operator==(const PlacedLabel&, const PlacedLabel&) = default;

  std::uint64_t bottom() const {
    return lines.empty() ? top : top + lines.size() - 1;
  }
  std::uint64_t right() const { return width == 0 ? left : left + width - 1; }
};

/// The whole edge drawing of one render.
struct RoutePlan {
  /// One per edge, in edge-list order.
  std::vector<EdgeRoute> routes;
  /// In the order they were placed; no two overlap.
  std::vector<PlacedLabel> labels;
  /// The canvas the plan needs.
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  /// Visible edges between boxes on the canvas that found no route at
  /// all (only a pathological layout leaves any): the render says so.
  std::size_t undrawn = 0;
  /// The last resort spent its whole budget (`PlannerLimits::
  /// last_resort_factor`) and a quarter of the edges or more were left
  /// out: a hostile layout whose lines wall each other in. Moving the
  /// ranks apart and planning again would only search a larger canvas.
  bool exhausted = false;
  /// How many times farther apart the ranks of a dense graph must move
  /// for every gap to have a row for each of its tracks (1: no gap lacks
  /// any). Where edges are left out, the ranks move apart so far rather
  /// than twice as far.
  double stretch = 1;
  /// The plan was given up before most of its searches: most of a dense
  /// graph's edges found no track in its gaps, and a search for each in
  /// crowded gaps would cost far more than moving the ranks apart by
  /// `stretch` and planning again.
  bool given_up = false;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_ROUTE_PLAN_H_
