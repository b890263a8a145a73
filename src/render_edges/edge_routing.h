// Routing every edge as orthogonal runs between the node boxes.
//
// Edges whose head box lies well below the tail box run straight down or
// with one horizontal jog; every other edge (upwards, same rank, self-loop)
// goes round the outside of the drawing through a vertical lane. The plan
// (classification, lanes, ports) is made before the grid exists, because
// the right-hand lanes decide how wide the canvas must be.
#ifndef VANTRI_RENDER_EDGES_EDGE_ROUTING_H_
#define VANTRI_RENDER_EDGES_EDGE_ROUTING_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/char_grid.h"
#include "grid/grid_transform.h"
#include "render_edges/edge_path.h"
#include "render_edges/line_cover.h"
#include "render_nodes/node_box.h"
#include "trim/trim.h"

namespace vantri {

/// The cells just outside the tail and head boxes where a route begins and
/// ends (the end cell takes the arrowhead).
struct EdgePorts {
  std::uint64_t start_row = 0;
  std::uint64_t start_col = 0;
  std::uint64_t end_row = 0;
  std::uint64_t end_col = 0;
  friend bool operator==(const EdgePorts&, const EdgePorts&) = default;
};

/// The vertical lane a side edge runs along.
struct Lane {
  std::uint64_t column = 0;
  bool right = true;
  friend bool operator==(const Lane&, const Lane&) = default;
};

/// Classification, lanes and ports of every edge, in edge-list order.
struct EdgePlan {
  /// True for downward edges: the head box starts more than two rows below
  /// the tail box, leaving a row for the jog and a row for the arrowhead.
  std::vector<bool> downward;
  /// The lane of each side edge; absent for downward edges (and for an edge
  /// naming a node that has no box, which is not drawn at all).
  std::vector<std::optional<Lane>> lanes;
  std::vector<EdgePorts> ports;
  /// Lane of the last right-going side edge; absent when there is none.
  std::optional<std::uint64_t> rightmost_right_lane;
};

/// Plans every edge from the node boxes (box i belongs to node i).
EdgePlan plan_edges(std::span<const LayoutEdge> edges,
                    std::span<const LayoutNode> nodes,
                    std::span<const NodeBox> boxes);

/// Draws every planned edge with its arrowhead and label: side edges in
/// edge-list order, then downward edges from the narrowest to the widest.
void draw_edges(CharGrid& grid, const EdgePlan& plan,
                std::span<const LayoutEdge> edges,
                std::span<const NodeBox> boxes, const GridTransform& transform,
                TrimStrategy trim, std::optional<std::uint64_t> max_label);

/// Draws the line cells of one route, leg by leg, merging them with the
/// lines already there. A single-cell first leg of a three-leg route gets
/// only `up`: it is the corner where a route leaving the tail's bottom side
/// turns straight into its jog.
void draw_path(CharGrid& grid, const EdgePath& path);

/// `draw_path` for one of many routes on the same grid: stretches that
/// `cover` says earlier routes already drew are not painted again.
void draw_path(CharGrid& grid, const EdgePath& path, LineCover& cover);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_EDGE_ROUTING_H_
