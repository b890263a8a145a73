// Planning every edge's route, arrowheads and labels before the canvas is
// made.
//
// Edges that go forward along the rank direction run straight between the
// facing sides of their boxes, or with one jog in the gap between the
// ranks: downwards top to bottom, rightwards left to right, and so on.
// Self-loops are small closed loops beside their box. Every other edge, and
// every forward edge whose simple route is blocked, is found by a search
// over the free cells that keeps off boxes, arrowheads and labels, crosses
// other lines only at right angles and runs along lines only of edges with
// the same tail or the same head. Every edge gets a route: when the careful
// searches find none (or the plan has spent what they may cost), the first
// route found anywhere on the canvas will do. Labels follow, each beside
// what it labels, in a place nothing else takes; the canvas grows to the
// right and downwards where they need room.
#ifndef VANTRI_RENDER_EDGES_PLAN_ROUTES_H_
#define VANTRI_RENDER_EDGES_PLAN_ROUTES_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "graphviz/layout_graph.h"
#include "graphviz/stop_check.h"
#include "grid/cell_rect.h"
#include "grid/grid_transform.h"
#include "grid/node_box.h"
#include "render_edges/end_groups.h"
#include "render_edges/planner_limits.h"
#include "render_edges/route_plan.h"
#include "trim/trim.h"

namespace vantri {

struct RouteScene {
  std::span<const LayoutEdge> edges;
  std::span<const LayoutNode> nodes;
  /// Box i belongs to node i.
  std::span<const NodeBox> boxes;
  RankDir rankdir = RankDir::TopToBottom;
  /// Cluster frames and titles: routes may cross them, labels keep off.
  std::span<const CellRect> frames;
  /// Cells of cluster frames no route may pass (`closed_frame_cells`).
  std::span<const CellRect> closed;
  /// The drawing's own size; the plan may need more.
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  /// The canvas is never wider than this.
  std::optional<std::uint64_t> max_width;
  /// Nor larger than this many cells.
  std::uint64_t max_cells = std::uint64_t{64} << 20;
  TrimStrategy trim = TrimStrategy::Smart;
  std::optional<std::uint64_t> max_label;
  /// Where each edge's ends attach: empty for whole boxes, else one entry
  /// per edge.
  std::span<const EndSpans> end_spans;
  /// What the edges' ends may share (`end_groups(edges, end_spans)`), when
  /// the caller has them; the planner works them out otherwise.
  const EndGroups* groups = nullptr;
  /// Each edge's spline control points mapped to cells, or none: the
  /// way `dot` found leads long forward edges through the ranks between
  /// their ends.
  std::span<const std::vector<GridPoint>> guides;
  PlannerLimits limits;
  /// When this says so, the plan ends early, unfinished.
  StopCheck* stop = nullptr;
  /// The plan is the last one tried: a loop walled in by lines may then
  /// share its head with them rather than be left out. Before that, it is
  /// left out, and the ranks move apart for it.
  bool last_try = true;
};

/// The cells a cluster frame takes, and the band of its title: what labels
/// keep off.
std::vector<CellRect> cluster_frame_cells(std::span<const LayoutCluster> clusters,
                                          const GridTransform& transform);

/// The cells of cluster frames that no line may pass: where the titles
/// are written, trimmed with `trim` as the frames are drawn (with the
/// blank either side of the first line), whose text would hide it; and
/// the frames' corners, where it would read as part of the frame.
std::vector<CellRect> closed_frame_cells(std::span<const LayoutCluster> clusters,
                                         const GridTransform& transform, TrimStrategy trim);

/// Routes, arrowheads and labels of every edge, and the canvas they need.
RoutePlan plan_routes(const RouteScene& scene);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_PLAN_ROUTES_H_
