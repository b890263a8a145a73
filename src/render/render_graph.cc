// The render pipeline, from DOT text to the finished drawing.
#include "render/render_graph.h"

#include <algorithm>
#include <vector>

#include "graphviz/html_label_marks.h"
#include "grid/cell_arith.h"
#include "render/apply_ansi.h"
#include "render/build_transform.h"
#include "render/graph_title.h"
#include "render/label_fit.h"
#include "render/node_faces.h"
#include "render_edges/draw_edges.h"
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
  return render_graph(dot_source, options, layout_with_dot);
}

std::expected<std::string, RenderError> render_graph(
    std::string_view dot_source, const RenderOptions& options,
    const LayoutFunction& layout) {
  auto first = layout(dot_source);
  if (!first) return std::unexpected(std::move(first.error()));
  return render_layout(dot_source, std::move(*first), options, layout);
}

std::expected<Drawing, RenderError> draw_layout(std::string_view dot_source,
                                                LayoutGraph layout,
                                                const RenderOptions& options,
                                                const LayoutFunction& relayout) {
  mark_html_labels(dot_source, layout);
  NodeFaces faces = node_faces(layout, options.max_label, options.trim);
  std::vector<std::string> labels = std::move(faces.labels);
  std::vector<FieldLayout> fields = std::move(faces.fields);
  GridTransform transform = build_transform(layout.bb, layout.nodes, labels, fields);
  fit_labels_to_width(dot_source, layout, labels, fields, transform, options, relayout);
  const std::optional<GraphTitle> title = plan_title(layout, options);
  if (title) make_room_for_title(*title, transform);

  const auto place_boxes = [&] {
    const std::size_t paired = std::min(layout.nodes.size(), labels.size());
    std::vector<NodeBox> placed;
    placed.reserve(paired);
    for (std::size_t i = 0; i < paired; ++i) {
      placed.push_back(i < fields.size()
                           ? node_box(transform, layout.nodes[i], labels[i], fields[i])
                           : node_box(transform, layout.nodes[i], labels[i]));
    }
    return placed;
  };
  std::vector<NodeBox> boxes = place_boxes();
  if (title && make_room_above(*title, transform, boxes, layout.clusters)) {
    boxes = place_boxes();
  }
  // Routes are planned before the canvas exists: side edges run along lanes
  // right of every box, and the canvas must be wide enough to show them.
  EdgePlan plan = plan_edges(layout.edges, layout.nodes, boxes);

  std::uint64_t width = transform.width;
  if (plan.rightmost_right_lane) {
    width = std::max(width, add_sat(*plan.rightmost_right_lane, 1));
  }
  width = add_sat(width, edge_label_extra(layout.edges));
  if (options.max_width) width = std::min(width, *options.max_width);
  std::uint64_t height = transform.height;
  if (title) height = height_with_title(*title, height);
  if (width != 0 && height > kMaxCanvasCells / width) {
    return std::unexpected(CanvasTooLarge{width, height});
  }

  CharGrid grid(width, height);
  draw_clusters(grid, layout.clusters, transform, options.trim);
  draw_nodes(grid, layout.nodes, labels, fields, transform, options.color);
  draw_edges(grid, plan, layout.edges, boxes, transform, options.trim,
             options.max_label);
  if (title) draw_title(grid, *title, transform);
  return Drawing{std::move(layout), std::move(labels), std::move(fields), transform,
                 std::move(boxes), std::move(plan), std::move(grid)};
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
