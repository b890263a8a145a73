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

// The shared state of one drawing pass.
struct EdgeDrawing {
  CharGrid& grid;
  TrimStrategy trim;
  std::optional<std::uint64_t> max_label;
  PlacedLabels labels;
  // Rows within one of a drawn label: jogs keep off them.
  IntervalPass label_rows;
  // The stretches of line drawn so far.
  LineCover lines;

  void finish(const EdgePath& route, const LayoutEdge& edge) {
    draw_arrowhead(grid, route);
    if (!edge.label) return;
    const auto rect = draw_edge_label(grid, route, *edge.label, trim, max_label, labels);
    if (rect) label_rows.append(sub_floor(rect->top, 1), add_sat(rect->bottom, 1));
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

void draw_edges(CharGrid& grid, const EdgePlan& plan,
                std::span<const LayoutEdge> edges,
                std::span<const NodeBox> boxes, const GridTransform& transform,
                TrimStrategy trim, std::optional<std::uint64_t> max_label) {
  const std::size_t count = std::min(edges.size(), plan.edges.size());
  EdgeDrawing drawing{grid, trim, max_label, {}, {}, {}};

  // Side edges: out to the lane, along it, back in to the head's side.
  for (std::size_t i = 0; i < count; ++i) {
    if (plan.edges[i].kind != PlannedEdge::Kind::Side) continue;
    const EdgePorts& p = plan.edges[i].ports;
    const std::uint64_t lane = plan.edges[i].lane.column;
    const EdgePath route{{p.start_row, p.start_col}, {p.start_row, lane},
                         {p.end_row, lane}, {p.end_row, p.end_col}};
    draw_path(grid, route, drawing.lines);
    drawing.finish(route, edges[i]);
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

  // Edges leaving one tail. When none of them runs straight down, a trunk
  // stands under the tail down to the nearest jog row.
  std::unordered_map<std::size_t, FanOut> per_tail;
  std::vector<std::size_t> trunk_tails;  // in order of first appearance
  for (std::size_t i : downward) {
    auto [it, fresh] = per_tail.try_emplace(edges[i].tail);
    if (fresh) trunk_tails.push_back(edges[i].tail);
    FanOut& fan = it->second;
    ++fan.edges;
    const EdgePorts& p = plan.edges[i].ports;
    fan.column = p.start_col;
    if (p.start_col == p.end_col) fan.centred_head = true;
  }

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
    const LayoutEdge& edge = edges[i];
    const EdgePorts& p = plan.edges[i].ports;
    if (p.end_row <= p.start_row) continue;  // no room; the plan never does this
    if (p.start_col == p.end_col) {
      const EdgePath route{{p.start_row, p.start_col}, {p.end_row, p.start_col}};
      draw_path(grid, route, drawing.lines);
      drawing.finish(route, edge);
      continue;
    }
    const JogBand band{p.start_row, p.end_row};
    std::uint64_t m;
    if (per_head[edge.head] >= 2) {
      const std::uint64_t merge = sub_floor(boxes[edge.head].top, 2);
      m = std::min(std::max(merge, add_sat(p.start_row, 1)), p.end_row - 1);
    } else {
      m = select_jog_row(jog_candidate(edge.points, transform, band), band, used,
                         drawing.label_rows, box_rows, edge.label.has_value());
    }
    used.add(m);
    FanOut& fan = per_tail[edge.tail];
    fan.deepest_jog = std::max(fan.deepest_jog.value_or(0), m);
    const EdgePath route{{p.start_row, p.start_col}, {m, p.start_col},
                         {m, p.end_col}, {p.end_row, p.end_col}};
    draw_path(grid, route, drawing.lines);
    drawing.finish(route, edge);
  }

  // Trunks: from under the tail down to the row before the nearest jog row.
  // Every fan-out edge draws its own first leg, so a trunk never needs to
  // reach past the deepest of them; that bound keeps a fan whose jogs all
  // lie on the row right under its tail from growing a stray stub, or a
  // line down to some unrelated jog far below.
  for (std::size_t tail : trunk_tails) {
    const FanOut& fan = per_tail[tail];
    if (fan.edges < 2 || fan.centred_head || !fan.deepest_jog) continue;
    const NodeBox& box = boxes[tail];
    const std::uint64_t r0 = add_sat(box.top, box.height);
    std::uint64_t r1 = used.next_used_below(r0).value_or(add_sat(r0, 1));
    r1 = std::min({r1, *fan.deepest_jog, grid.height()});
    if (fan.column >= grid.width()) continue;
    if (r0 >= r1) continue;
    grid.put(r0, fan.column, Cell::line({.down = true}));
    drawing.lines.vertical(grid, fan.column, r0 + 1, r1 - 1);
  }
}

}  // namespace vantri
