// Drawing a planned edge drawing onto the grid: every route's lines, then
// the labels, then the arrowheads.
#ifndef VANTRI_RENDER_EDGES_DRAW_EDGES_H_
#define VANTRI_RENDER_EDGES_DRAW_EDGES_H_

#include "grid/char_grid.h"
#include "render_edges/route_plan.h"

namespace vantri {

/// Draws a plan: every route's lines, then the labels, then the arrowheads.
void draw_route_plan(CharGrid& grid, const RoutePlan& plan);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_DRAW_EDGES_H_
