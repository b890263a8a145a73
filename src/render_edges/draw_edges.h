// Drawing a planned edge drawing onto the grid: every route's lines, then
// the labels, then the arrowheads.
#ifndef VANTRI_RENDER_EDGES_DRAW_EDGES_H_
#define VANTRI_RENDER_EDGES_DRAW_EDGES_H_

#include "graphviz/stop_check.h"
#include "grid/char_grid.h"
#include "render_edges/edge_pens.h"
#include "render_edges/route_plan.h"

namespace vantri {

/// Draws a plan: every route's lines, then the labels, then the arrowheads,
/// each with its edge's pen (its owner's, for a node's label). A cell that
/// routes of different pens share is drawn solid and unpainted. When `stop`
/// says so, the drawing ends early, unfinished.
void draw_route_plan(CharGrid& grid, const RoutePlan& plan, const Pens& pens = {},
                     StopCheck* stop = nullptr);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_DRAW_EDGES_H_
