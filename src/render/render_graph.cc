// The render pipeline, from DOT text to the finished drawing.
#include "render/render_graph.h"

#include <algorithm>
#include <vector>

#include "grid/cell_arith.h"
#include "render/apply_ansi.h"
#include "render/build_transform.h"
#include "render/label_fit.h"
#include "render_edges/draw_edges.h"
#include "render_edges/edge_plan.h"
#include "render_edges/plan_routes.h"
#include "render_edges/route_faults.h"
#include "render_nodes/draw_clusters.h"
#include "render_nodes/draw_nodes.h"

namespace vantri {
namespace {

// Edge labels are placed beside their edges and may stick out to the right
// of the drawing; the canvas leaves room for up to 15 columns of them.
std::uint64_t edge_label_extra(std::span<const LayoutEdge> edges) {
  std::uint64_t extra = 0;
  for (const LayoutEdge& edge : edges) {
    if (edge.label) extra = std::max<std::uint64_t>(extra, edge.label->size());
  }
  return std::min<std::uint64_t>(extra, 15);
}

__extension__ typedef unsigned __int128 Uint128;

std::string to_decimal(Uint128 value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

}  // namespace

namespace {

// The original drawing of a top-to-bottom graph when it shows every edge
// and label truthfully; otherwise the planner's. Both are made on the
// canvas they need.
RoutePlan plan_edge_drawing(const LayoutGraph& layout, std::span<const NodeBox> boxes,
                            const GridTransform& transform, const RenderOptions& options) {
  const std::vector<LabelRect> frames = cluster_frame_cells(layout.clusters, transform);
  if (layout.rankdir == RankDir::TopToBottom) {
    const EdgePlan classified = plan_edges(layout.edges, layout.nodes, boxes);
    std::uint64_t width = transform.width;
    if (classified.rightmost_right_lane) {
      width = std::max(width, add_sat(*classified.rightmost_right_lane, 1));
    }
    width = add_sat(width, edge_label_extra(layout.edges));
    if (options.max_width) width = std::min(width, *options.max_width);
    const std::uint64_t height = transform.height;
    if (width == 0 || height <= kMaxCanvasCells / width) {
      RoutePlan original = plan_original_routes(classified, layout.edges, boxes, transform,
                                                options.trim, options.max_label, width, height);
      const FaultScene scene{layout.edges, layout.nodes, boxes, layout.rankdir, frames};
      if (find_route_faults(original, scene, 1).empty()) return original;
    }
  }
  RouteScene scene;
  scene.edges = layout.edges;
  scene.nodes = layout.nodes;
  scene.boxes = boxes;
  scene.rankdir = layout.rankdir;
  scene.transform = &transform;
  scene.frames = frames;
  scene.width = transform.width;
  scene.height = transform.height;
  scene.max_width = options.max_width;
  if (options.max_width) scene.width = std::min(scene.width, *options.max_width);
  scene.trim = options.trim;
  scene.max_label = options.max_label;
  return plan_routes(scene);
}

}  // namespace

std::string CanvasTooLarge::display() const {
  const Uint128 cells = static_cast<Uint128>(width) * height;
  return "Drawing too large: " + std::to_string(width) + " columns × " +
         std::to_string(height) + " rows = " + to_decimal(cells) +
         " character cells, more than the limit of " +
         std::to_string(kMaxCanvasCells) +
         "; set max_width (--width on the command line) to draw it narrower.";
}

std::string display(const RenderError& error) {
  return std::visit([](const auto& e) { return e.display(); }, error);
}

std::expected<std::string, RenderError> render_graph(
    std::string_view dot_source, const RenderOptions& options) {
  auto layout = layout_with_dot(dot_source);
  if (!layout) return std::unexpected(std::move(layout.error()));
  return render_layout(dot_source, std::move(*layout), options, layout_with_dot);
}

std::expected<Drawing, RenderError> draw_layout(std::string_view dot_source,
                                                LayoutGraph layout,
                                                const RenderOptions& options,
                                                const LayoutFunction& relayout) {
  std::vector<std::string> labels;
  labels.reserve(layout.nodes.size());
  for (const LayoutNode& node : layout.nodes) labels.push_back(node.label);

  apply_label_limit(layout.nodes, labels, options.max_label, options.trim);
  GridTransform transform = build_transform(layout.bb, layout.nodes, labels);
  fit_labels_to_width(dot_source, layout, labels, transform, options, relayout);

  const std::size_t paired = std::min(layout.nodes.size(), labels.size());
  std::vector<NodeBox> boxes;
  boxes.reserve(paired);
  for (std::size_t i = 0; i < paired; ++i) {
    boxes.push_back(node_box(transform, layout.nodes[i], labels[i]));
  }
  std::uint64_t drawn_width = transform.width;
  if (options.max_width) drawn_width = std::min(drawn_width, *options.max_width);
  if (drawn_width != 0 && transform.height > kMaxCanvasCells / drawn_width) {
    return std::unexpected(CanvasTooLarge{drawn_width, transform.height});
  }
  // Routes and labels are planned before the canvas exists: they decide
  // how large it must be.
  RoutePlan routes = plan_edge_drawing(layout, boxes, transform, options);
  const std::uint64_t width = routes.width;
  const std::uint64_t height = routes.height;
  if (width != 0 && height > kMaxCanvasCells / width) {
    return std::unexpected(CanvasTooLarge{width, height});
  }

  CharGrid grid(width, height);
  draw_clusters(grid, layout.clusters, transform);
  draw_nodes(grid, layout.nodes, labels, transform, options.color);
  draw_route_plan(grid, routes);
  return Drawing{std::move(layout), std::move(labels), transform,
                 std::move(boxes), std::move(routes), std::move(grid)};
}

std::expected<std::string, RenderError> render_layout(
    std::string_view dot_source, LayoutGraph layout,
    const RenderOptions& options, const LayoutFunction& relayout) {
  auto drawing = draw_layout(dot_source, std::move(layout), options, relayout);
  if (!drawing) return std::unexpected(std::move(drawing.error()));
  std::string text = drawing->grid.to_text();
  if (options.color == ColorMode::Ansi) {
    text = apply_ansi(text, drawing->layout.nodes, drawing->boxes);
  }
  return text;
}

}  // namespace vantri
