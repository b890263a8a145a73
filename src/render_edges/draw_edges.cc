// Drawing a route plan.
#include "render_edges/draw_edges.h"

#include "grid/put_text.h"
#include "render_edges/draw_path.h"

namespace vantri {

void draw_route_plan(CharGrid& grid, const RoutePlan& plan) {
  LineCover lines;
  for (const EdgeRoute& route : plan.routes) draw_route(grid, route, lines);
  for (const PlacedLabel& label : plan.labels) {
    for (std::size_t l = 0; l < label.lines.size() && label.top + l < grid.height(); ++l) {
      put_text(grid, label.top + l, label.left, label.lines[l], &Cell::text);
    }
  }
  for (const EdgeRoute& route : plan.routes) {
    if (route.points.empty()) continue;
    if (route.arrow_at_end) {
      grid.put(route.points.back().row, route.points.back().col,
               Cell::arrow(arrowhead_toward(route.end_into)));
    }
    if (route.arrow_at_start) {
      grid.put(route.points.front().row, route.points.front().col,
               Cell::arrow(arrowhead_toward(route.start_into)));
    }
  }
}

}  // namespace vantri
