// Drawing the line cells of one route.
#ifndef VANTRI_RENDER_EDGES_DRAW_PATH_H_
#define VANTRI_RENDER_EDGES_DRAW_PATH_H_

#include "grid/char_grid.h"
#include "render_edges/edge_path.h"
#include "render_edges/line_cover.h"
#include "render_edges/route_plan.h"

namespace vantri {

/// Draws the line cells of one route, leg by leg, merging them with the
/// lines already there. A single-cell first leg of a three-leg route gets
/// only `up`: it is the corner where a route leaving the tail's bottom side
/// turns straight into its jog.
void draw_path(CharGrid& grid, const EdgePath& path);

/// `draw_path` for one of many routes on the same grid: stretches that
/// `cover` says earlier routes already drew are not painted again.
void draw_path(CharGrid& grid, const EdgePath& path, LineCover& cover);

/// Draws the line cells of a planned route: every leg, and at each end a
/// stub of line into the box it joins, so that the route meets its boxes
/// (an arrowhead drawn later covers the stub).
void draw_route(CharGrid& grid, const EdgeRoute& route, LineCover& cover);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_DRAW_PATH_H_
