// Drawing a route plan.
#include "render_edges/draw_edges.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "grid/cell_arith.h"
#include "grid/put_text.h"
#include "render_edges/draw_path.h"

namespace vantri {
namespace {

// Writes the lines of a placed label as text cells of paint `paint`.
void write_label(CharGrid& grid, const PlacedLabel& label, std::uint32_t paint) {
  // The blanks that set the lines of a text of several lines are not
  // written: they only move the text into place.
  const bool set = label.text.find('\n') != std::string::npos;
  std::uint64_t row = label.top;
  for (const std::string_view line : label.lines) {
    if (row >= grid.height()) return;
    const std::size_t indent = set ? std::min(line.find_first_not_of(' '), line.size()) : 0;
    put_text(grid, row, add_sat(label.left, indent), line.substr(indent), &Cell::text, paint);
    ++row;
  }
}

}  // namespace

void draw_route_plan(CharGrid& grid, const RoutePlan& plan, const Pens& pens,
                     StopCheck* stop) {
  // Routes of one style and paint share a cover, which paints each stretch
  // once however many of them run along it; routes of another pen draw
  // over it again, and the cells where they meet merge to a plain line.
  std::vector<EdgePen> looks;
  std::vector<std::vector<std::size_t>> routes_of;
  for (std::size_t i = 0; i < plan.routes.size(); ++i) {
    if (plan.routes[i].points.empty()) continue;
    const EdgePen pen = pens.edge(i);
    const EdgePen look{pen.style, pen.line, 0};
    const auto k = static_cast<std::size_t>(std::find(looks.begin(), looks.end(), look) -
                                            looks.begin());
    if (k == looks.size()) {
      looks.push_back(look);
      routes_of.emplace_back();
    }
    routes_of[k].push_back(i);
  }
  for (std::size_t k = 0; k < looks.size(); ++k) {
    LineCover lines(looks[k].style, looks[k].line);
    for (const std::size_t i : routes_of[k]) {
      if (must_stop(stop)) return;
      draw_route(grid, plan.routes[i], lines);
    }
  }
  for (const PlacedLabel& label : plan.labels) {
    if (must_stop(stop)) return;
    write_label(grid, label,
                label.role == LabelRole::NodeExternal ? pens.node(label.owner)
                                                      : pens.edge(label.owner).text);
  }
  for (std::size_t i = 0; i < plan.routes.size(); ++i) {
    const EdgeRoute& route = plan.routes[i];
    if (route.points.empty()) continue;
    const std::uint32_t paint = pens.edge(i).line;
    if (route.arrow_at_end) {
      grid.put(route.points.back().row, route.points.back().col,
               Cell::arrow(arrowhead_toward(route.end_into)).painted(paint));
    }
    if (route.arrow_at_start) {
      grid.put(route.points.front().row, route.points.front().col,
               Cell::arrow(arrowhead_toward(route.start_into)).painted(paint));
    }
  }
}

}  // namespace vantri
