// The edge planner's entry: the canvas it plans on, the routes, the
// labels, and the canvas they turn out to need.
#include "render_edges/plan_routes.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "graphviz/label_text.h"
#include "grid/cell_arith.h"
#include "render_edges/edge_planner.h"
#include "render_edges/place_labels.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// The most tracks the canvas keeps beyond the ranks for edges between
// boxes of one rank.
constexpr std::uint64_t kMostFlatTracks = 1024;

// The canvas routes and labels are planned on: the drawing, with room
// beyond it to the right and below for routes that go round, loops and
// labels, within the width limit and the scene's cell budget.
struct PlanSize {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
};

PlanSize plan_size(const RouteScene& scene) {
  std::uint64_t widest_label = 0;
  std::uint64_t labels = 0;
  for (const LayoutEdge& e : scene.edges) {
    for (const auto* text : {&e.label, &e.head_label, &e.tail_label, &e.xlabel}) {
      if (*text) {
        widest_label = std::max<std::uint64_t>(widest_label, label_width(**text));
        ++labels;
      }
    }
  }
  for (const LayoutNode& n : scene.nodes) {
    if (n.xlabel) {
      widest_label = std::max<std::uint64_t>(widest_label, label_width(*n.xlabel));
      ++labels;
    }
  }
  // Loops nest outwards, two columns and one row each.
  std::unordered_map<std::size_t, std::uint64_t> loops;
  std::uint64_t most_loops = 0;
  for (const LayoutEdge& e : scene.edges) {
    if (e.tail == e.head && !e.invisible) most_loops = std::max(most_loops, ++loops[e.tail]);
  }
  // Edges between boxes on one rank take tracks beyond it, one each at
  // worst (a rank planned whole deals them out as far as that).
  const Toward forward = forward_of(scene.rankdir);
  std::uint64_t flat = 0;
  for (const LayoutEdge& e : scene.edges) {
    if (e.tail == e.head || e.invisible || e.tail >= scene.boxes.size() ||
        e.head >= scene.boxes.size()) {
      continue;
    }
    const NodeBox& t = scene.boxes[e.tail];
    const NodeBox& h = scene.boxes[e.head];
    if (!beyond(t, h, forward, 1) && !beyond(h, t, forward, 1)) ++flat;
  }
  flat = std::min(flat, std::max(scene.limits.flat_depths, kMostFlatTracks));
  const bool down_or_up = vertical(forward);
  PlanSize size;
  size.width = add_sat(scene.width, add_sat(8 + std::min<std::uint64_t>(widest_label, 40),
                                            2 * most_loops + (down_or_up ? 0 : 2 * flat)));
  size.height = add_sat(scene.height, add_sat(8 + 2 * std::min<std::uint64_t>(labels, 64),
                                              most_loops + (down_or_up ? flat : 0)));
  if (scene.max_width) size.width = std::min(size.width, *scene.max_width);
  // Within the cell budget, giving up the extra rows first.
  const std::uint64_t cells = scene.max_cells;
  if (size.width != 0 && size.height > cells / size.width) {
    size.height = std::max(scene.height, cells / size.width);
    if (size.height > cells / size.width) size.height = cells / size.width;
  }
  return size;
}

// The rows and columns of a cluster's frame, when it is large enough to
// be drawn: the mapped top row (the title band's first), the bottom edge
// and the two sides.
std::optional<CellRect> frame_of(const LayoutCluster& cluster, const GridTransform& transform) {
  const CellRect r{.left = column_of(transform, cluster.bb.x0),
                   .top = row_of(transform, cluster.bb.y1),
                   .right = column_of(transform, cluster.bb.x1),
                   .bottom = row_of(transform, cluster.bb.y0)};
  if (r.right <= r.left + 1 || r.bottom <= r.top + 2) return std::nullopt;
  return r;
}

}  // namespace

std::vector<CellRect> cluster_frame_cells(std::span<const LayoutCluster> clusters,
                                           const GridTransform& transform) {
  std::vector<CellRect> out;
  for (const LayoutCluster& cluster : clusters) {
    const std::optional<CellRect> frame = frame_of(cluster, transform);
    if (!frame) continue;
    const std::uint64_t top = frame->top, bottom = frame->bottom;
    const std::uint64_t left = frame->left, right = frame->right;
    // The title band (the mapped top row and the frame's top edge below
    // it), the bottom edge and the two sides.
    out.push_back({.left = left, .top = top, .right = right, .bottom = add_sat(top, 1)});
    // A title of several lines has its further lines under the top edge.
    const std::size_t lines = aligned_title_lines(cluster.label, cluster.label_is_html).size();
    if (lines > 1 && bottom > top + 2) {
      out.push_back({.left = left + 1,
                     .top = top + 2,
                     .right = right - 1,
                     .bottom = std::min<std::uint64_t>(add_sat(top, lines), bottom - 1)});
    }
    out.push_back({.left = left, .top = bottom, .right = right, .bottom = bottom});
    out.push_back({.left = left, .top = top, .right = left, .bottom = bottom});
    out.push_back({.left = right, .top = top, .right = right, .bottom = bottom});
  }
  return out;
}

std::vector<CellRect> closed_frame_cells(std::span<const LayoutCluster> clusters,
                                         const GridTransform& transform, TrimStrategy trim) {
  std::vector<CellRect> out;
  for (const LayoutCluster& cluster : clusters) {
    const std::optional<CellRect> frame = frame_of(cluster, transform);
    if (!frame) continue;
    const std::uint64_t top = frame->top, bottom = frame->bottom;
    const std::uint64_t left = frame->left, right = frame->right;
    const std::uint64_t edge = top + 1;
    for (const std::uint64_t row : {edge, bottom}) {
      for (const std::uint64_t col : {left, right}) out.push_back({col, row, col, row});
    }
    const std::vector<TitleLine> lines = aligned_title_lines(cluster.label, cluster.label_is_html);
    if (lines.empty() || lines[0].text.empty()) continue;
    // The first line on the frame's top edge, a blank either side.
    const std::string first = trim_label(lines[0].text, static_cast<std::size_t>(right - left - 2), trim);
    if (!first.empty()) {
      out.push_back({.left = left + 1, .top = edge, .right = left + 2 + text_width(first), .bottom = edge});
    }
    // Further lines under it, as wide as the widest.
    if (lines.size() > 1 && right - left >= 4) {
      const std::size_t inner = static_cast<std::size_t>(right - left - 3);
      std::uint64_t widest = 0, rows = 0;
      for (std::size_t k = 1; k < lines.size() && edge + k < bottom; ++k, ++rows) {
        widest = std::max<std::uint64_t>(widest, text_width(trim_label(lines[k].text, inner, trim)));
      }
      if (widest != 0) {
        out.push_back({.left = left + 2, .top = edge + 1, .right = left + 1 + widest, .bottom = edge + rows});
      }
    }
  }
  return out;
}

RoutePlan plan_routes(const RouteScene& scene) {
  const PlanSize size = plan_size(scene);
  // A graph of many edges is planned gap by gap at once: the careful plan
  // would leave too many of them to the searches and be thrown away.
  const auto visible = static_cast<std::size_t>(std::count_if(
      scene.edges.begin(), scene.edges.end(), [](const LayoutEdge& e) { return !e.invisible; }));
  const bool dense = visible > scene.limits.dense_edges;
  std::optional<EdgePlanner> planner(std::in_place, scene, size.width, size.height, dense);
  if (!planner->route_all() && !dense) {
    planner.emplace(scene, size.width, size.height, true);
    planner->route_all();
  }
  RoutePlan& plan = planner->plan();
  if (must_stop(scene.stop) || plan.given_up) return std::move(plan);
  place_labels(planner->cells(), plan, scene);

  // The canvas: the drawing, and whatever routes and labels reach beyond.
  std::uint64_t used_w = scene.width, used_h = scene.height;
  for (const EdgeRoute& r : plan.routes) {
    for (const GridPoint& p : r.points) {
      used_w = std::max(used_w, add_sat(p.col, 1));
      used_h = std::max(used_h, add_sat(p.row, 1));
    }
  }
  for (const PlacedLabel& l : plan.labels) {
    used_w = std::max(used_w, add_sat(l.right(), 1));
    used_h = std::max(used_h, add_sat(l.bottom(), 1));
  }
  if (scene.max_width) used_w = std::min(used_w, *scene.max_width);
  plan.width = used_w;
  plan.height = used_h;
  return std::move(plan);
}

}  // namespace vantri
