// Deciding how every edge runs before anything is drawn.
//
// An edge whose head box lies well below its tail box is downward: it runs
// straight down or with one horizontal jog. Every other edge (upwards, same
// rank, self-loop) is a side edge that goes round the outside of the
// drawing through a vertical lane. The plan is made before the grid exists,
// because the right-hand lanes decide how wide the canvas must be.
#ifndef VANTRI_RENDER_EDGES_EDGE_PLAN_H_
#define VANTRI_RENDER_EDGES_EDGE_PLAN_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/node_box.h"

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

/// The side of the drawing a side edge goes round.
enum class Side : std::uint8_t { Left, Right };

/// The vertical lane a side edge runs along.
struct Lane {
  std::uint64_t column = 0;
  Side side = Side::Right;
  friend bool operator==(const Lane&, const Lane&) = default;
};

/// How one edge runs.
struct PlannedEdge {
  enum class Kind : std::uint8_t {
    /// The edge names a node without a box and is not drawn.
    Unplanned,
    /// The head box starts more than two rows below the tail box, leaving
    /// a row for the jog and a row for the arrowhead.
    Downward,
    /// Round a lane left or right of every box.
    Side,
  };
  Kind kind = Kind::Unplanned;
  /// Meaningful for side edges only.
  Lane lane;
  EdgePorts ports;
  friend bool operator==(const PlannedEdge&, const PlannedEdge&) = default;
};

/// Every edge's plan, in edge-list order.
struct EdgePlan {
  std::vector<PlannedEdge> edges;
  /// Lane of the last right-going side edge; absent when there is none.
  std::optional<std::uint64_t> rightmost_right_lane;
};

/// Plans every edge from the node boxes (box i belongs to node i).
EdgePlan plan_edges(std::span<const LayoutEdge> edges,
                    std::span<const LayoutNode> nodes,
                    std::span<const NodeBox> boxes);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_EDGE_PLAN_H_
