// Drawing every planned edge with its arrowhead and label.
//
// Side edges go first, in edge-list order; then the downward edges from the
// narrowest to the widest, each jog on a row of its own where one is free;
// then the trunks under tails whose edges fan out.
#ifndef VANTRI_RENDER_EDGES_DRAW_EDGES_H_
#define VANTRI_RENDER_EDGES_DRAW_EDGES_H_

#include <cstdint>
#include <optional>
#include <span>

#include "graphviz/layout_graph.h"
#include "graphviz/stop_check.h"
#include "grid/char_grid.h"
#include "grid/grid_transform.h"
#include "grid/node_box.h"
#include "render_edges/edge_pens.h"
#include "render_edges/edge_plan.h"
#include "render_edges/route_plan.h"
#include "trim/trim.h"

namespace vantri {

/// The original routes of a classified plan on a canvas of `width` ×
/// `height`: side edges round their lanes, downward edges straight or with
/// one jog, labels beside them. When `stop` says so, the plan ends early,
/// unfinished.
RoutePlan plan_original_routes(const EdgePlan& plan, std::span<const LayoutEdge> edges,
                               std::span<const NodeBox> boxes,
                               const GridTransform& transform, TrimStrategy trim,
                               std::optional<std::uint64_t> max_label, std::uint64_t width,
                               std::uint64_t height, StopCheck* stop = nullptr);

/// Draws a plan: every route's lines, then the labels, then the arrowheads,
/// each with its edge's pen (its owner's, for a node's label). A cell that
/// routes of different pens share is drawn solid and unpainted. When `stop`
/// says so, the drawing ends early, unfinished.
void draw_route_plan(CharGrid& grid, const RoutePlan& plan, const Pens& pens = {},
                     StopCheck* stop = nullptr);

/// Draws every planned edge with its arrowhead and label. Labels wider
/// than `max_label` columns are shortened with `trim` (`limit_label`).
void draw_edges(CharGrid& grid, const EdgePlan& plan,
                std::span<const LayoutEdge> edges,
                std::span<const NodeBox> boxes, const GridTransform& transform,
                TrimStrategy trim, std::optional<std::uint64_t> max_label);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_DRAW_EDGES_H_
