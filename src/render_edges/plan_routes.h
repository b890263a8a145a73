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
// the same tail or the same head. Labels follow, each beside what it
// labels, in a place nothing else takes; the canvas grows to the right and
// downwards where they need room.
#ifndef VANTRI_RENDER_EDGES_PLAN_ROUTES_H_
#define VANTRI_RENDER_EDGES_PLAN_ROUTES_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "graphviz/layout_graph.h"
#include "graphviz/stop_check.h"
#include "grid/grid_transform.h"
#include "grid/node_box.h"
#include "render_edges/edge_path.h"
#include "render_edges/route_plan.h"
#include "trim/trim.h"

namespace vantri {

/// Where an edge end attaches: by default anywhere on its box; a record
/// field narrows it to the cells of the box's sides that lie beside the
/// field's rectangle.
struct EndSpan {
  std::uint64_t top = 0;
  std::uint64_t bottom = 0;
  std::uint64_t left = 0;
  std::uint64_t right = 0;
};

/// Given an edge index and whether it is the head end, the part of the
/// box that end must attach to, or nothing for the whole box.
using EndSpanOf = std::optional<EndSpan> (*)(const void* context, std::size_t edge,
                                             bool head_end);

struct RouteScene {
  std::span<const LayoutEdge> edges;
  std::span<const LayoutNode> nodes;
  /// Box i belongs to node i.
  std::span<const NodeBox> boxes;
  RankDir rankdir = RankDir::TopToBottom;
  const GridTransform* transform = nullptr;
  /// Cluster frames and titles: routes may cross them, labels keep off.
  std::span<const LabelRect> frames;
  /// The drawing's own size; the plan may need more.
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  /// The canvas is never wider than this.
  std::optional<std::uint64_t> max_width;
  TrimStrategy trim = TrimStrategy::Smart;
  std::optional<std::uint64_t> max_label;
  /// Where ends attach (see `EndSpanOf`); null for whole boxes.
  EndSpanOf end_span = nullptr;
  const void* end_span_context = nullptr;
  /// When this says so, the plan ends early, unfinished.
  StopCheck* stop = nullptr;
};

/// Routes, arrowheads and labels of every edge, and the canvas they need.
RoutePlan plan_routes(const RouteScene& scene);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_PLAN_ROUTES_H_
