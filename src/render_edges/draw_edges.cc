// Drawing every planned edge: side edges round their lanes first, then the
// downward edges, narrowest first, each with its arrowhead and label.
#include "render_edges/draw_edges.h"

#include <algorithm>
#include <unordered_map>

#include "grid/cell_arith.h"
#include "render_edges/draw_path.h"
#include "render_edges/edge_label.h"
#include "render_edges/interval_pass.h"
#include "render_edges/jog_rows.h"
#include "render_edges/line_cover.h"
#include "render_edges/placed_labels.h"

namespace vantri {
namespace {

std::uint64_t span_of(const EdgePorts& p) {
  return p.start_col > p.end_col ? p.start_col - p.end_col : p.end_col - p.start_col;
}

// The direction of a route's last leg, which its arrowhead points.
Toward last_leg_toward(const EdgePath& path) {
  const GridPoint q = path.back();
  const GridPoint p = path[path.size() - 2];
  if (q.row > p.row) return Toward::Down;
  if (q.row < p.row) return Toward::Up;
  if (q.col > p.col) return Toward::Right;
  return Toward::Left;
}

// The shared state of one planning pass.
struct EdgePlanning {
  std::uint64_t width;
  std::uint64_t height;
  TrimStrategy trim;
  std::optional<std::uint64_t> max_label;
  RoutePlan& out;
  PlacedLabels labels;
  // Rows within one of a placed label: jogs keep off them.
  IntervalPass label_rows;

  void finish(std::size_t index, EdgePath route, const LayoutEdge& edge, Toward start_into) {
    if (edge.invisible) return;  // it keeps its place in the layout only
    EdgeRoute& planned = out.routes[index];
    planned.end_into = last_leg_toward(route);
    planned.start_into = start_into;
    planned.arrow_at_end = edge.arrow_at_head;
    planned.arrow_at_start = edge.arrow_at_tail;
    if (edge.label) {
      auto label = place_edge_label(width, height, route, *edge.label, trim, max_label, labels);
      if (label) {
        label_rows.append(sub_floor(label->top, 1), add_sat(label->bottom(), 1));
        label->role = LabelRole::Edge;
        label->owner = index;
        out.labels.push_back(std::move(*label));
      }
    }
    planned.points = std::move(route);
  }
};

// Downward edges that share a tail.
struct FanOut {
  std::size_t edges = 0;
  bool centred_head = false;
  std::uint64_t column = 0;
  // The deepest jog row among them.
  std::optional<std::uint64_t> deepest_jog;
};

}  // namespace

RoutePlan plan_original_routes(const EdgePlan& plan, std::span<const LayoutEdge> edges,
                               std::span<const NodeBox> boxes,
                               const GridTransform& transform, TrimStrategy trim,
                               std::optional<std::uint64_t> max_label, std::uint64_t width,
                               std::uint64_t height, StopCheck* stop) {
  RoutePlan out;
  out.original = true;
  out.width = width;
  out.height = height;
  out.routes.assign(edges.size(), EdgeRoute{});
  const std::size_t count = std::min(edges.size(), plan.edges.size());
  EdgePlanning planning{width, height, trim, max_label, out, {}, {}};

  // Side edges: out to the lane, along it, back in to the head's side.
  for (std::size_t i = 0; i < count && !must_stop(stop); ++i) {
    if (plan.edges[i].kind != PlannedEdge::Kind::Side) continue;
    const EdgePorts& p = plan.edges[i].ports;
    const std::uint64_t lane = plan.edges[i].lane.column;
    planning.finish(i,
                    EdgePath{{p.start_row, p.start_col}, {p.start_row, lane},
                             {p.end_row, lane}, {p.end_row, p.end_col}},
                    edges[i],
                    plan.edges[i].lane.side == Side::Right ? Toward::Left : Toward::Right);
  }

  std::vector<std::size_t> downward;
  for (std::size_t i = 0; i < count; ++i) {
    if (plan.edges[i].kind == PlannedEdge::Kind::Downward && edges[i].tail < boxes.size() &&
        edges[i].head < boxes.size()) {
      downward.push_back(i);
    }
  }

  // Edges converging on one head share the row two above it, so that they
  // join just above its arrowhead.
  std::unordered_map<std::size_t, std::size_t> per_head;
  for (std::size_t i : downward) ++per_head[edges[i].head];

  IntervalPass box_rows;
  for (const NodeBox& box : boxes) {
    if (box.height > 0) box_rows.append(box.top, add_sat(box.top, box.height - 1));
  }

  // Straight edges first, then narrow jogs before wide ones.
  std::stable_sort(downward.begin(), downward.end(), [&](std::size_t a, std::size_t b) {
    return span_of(plan.edges[a].ports) < span_of(plan.edges[b].ports);
  });

  UsedJogRows used;
  for (std::size_t i : downward) {
    if (must_stop(stop)) break;
    const LayoutEdge& edge = edges[i];
    const EdgePorts& p = plan.edges[i].ports;
    if (p.end_row <= p.start_row) continue;  // no room; the plan never does this
    if (p.start_col == p.end_col) {
      planning.finish(i, EdgePath{{p.start_row, p.start_col}, {p.end_row, p.start_col}},
                      edge, Toward::Up);
      continue;
    }
    const JogBand band{p.start_row, p.end_row};
    std::uint64_t m;
    if (per_head[edge.head] >= 2) {
      const std::uint64_t merge = sub_floor(boxes[edge.head].top, 2);
      m = std::min(std::max(merge, add_sat(p.start_row, 1)), p.end_row - 1);
    } else {
      m = select_jog_row(jog_candidate(edge.points, transform, band), band, used,
                         planning.label_rows, box_rows, edge.label.has_value());
    }
    used.add(m);
    planning.finish(i,
                    EdgePath{{p.start_row, p.start_col}, {m, p.start_col},
                             {m, p.end_col}, {p.end_row, p.end_col}},
                    edge, Toward::Up);
  }
  return out;
}

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
      if (plan.original) {
        draw_path(grid, plan.routes[i].points, lines);
      } else {
        draw_route(grid, plan.routes[i], lines);
      }
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

void draw_edges(CharGrid& grid, const EdgePlan& plan, std::span<const LayoutEdge> edges,
                std::span<const NodeBox> boxes, const GridTransform& transform,
                TrimStrategy trim, std::optional<std::uint64_t> max_label) {
  draw_route_plan(grid, plan_original_routes(plan, edges, boxes, transform, trim, max_label,
                                             grid.width(), grid.height()));
}

}  // namespace vantri
