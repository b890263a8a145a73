// Drawing the line cells of one route.
#ifndef VANTRI_RENDER_EDGES_DRAW_PATH_H_
#define VANTRI_RENDER_EDGES_DRAW_PATH_H_

#include "grid/char_grid.h"
#include "render_edges/line_cover.h"
#include "render_edges/route_plan.h"

namespace vantri {

/// Draws the line cells of a planned route: every leg, and at each end a
/// stub of line into the box it joins, so that the route meets its boxes
/// (an arrowhead drawn later covers the stub).
void draw_route(CharGrid& grid, const EdgeRoute& route, LineCover& cover);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_DRAW_PATH_H_
