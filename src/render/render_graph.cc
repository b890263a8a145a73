// The render pipeline, from DOT text to the finished drawing.
#include "render/render_graph.h"

#include <algorithm>
#include <vector>

#include "graphviz/html_label.h"
#include "graphviz/html_label_marks.h"
#include "grid/cell_arith.h"
#include "render/apply_ansi.h"
#include "render/build_transform.h"
#include "render/graph_title.h"
#include "render/label_fit.h"
#include "render/node_faces.h"
#include "render_edges/draw_edges.h"
#include "render_edges/edge_plan.h"
#include "render_edges/plan_routes.h"
#include "render_edges/route_faults.h"
#include "render_nodes/draw_clusters.h"
#include "render_nodes/draw_nodes.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// Edge labels are placed beside their edges and may stick out to the right
// of the drawing; the canvas leaves room for up to 15 columns of them.
std::uint64_t edge_label_extra(std::span<const LayoutEdge> edges) {
  std::uint64_t extra = 0;
  for (const LayoutEdge& edge : edges) {
    if (edge.label) extra = std::max<std::uint64_t>(extra, text_width(*edge.label));
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

// What an edge end attaches to: the field its port names, when its node
// is divided into fields and has one of that name.
struct PortFields {
  std::span<const LayoutEdge> edges;
  std::span<const NodeBox> boxes;
  std::span<const FieldLayout> fields;
  RankDir rankdir;
};

std::optional<EndSpan> port_span(const void* context, std::size_t edge, bool head_end) {
  const PortFields& ports = *static_cast<const PortFields*>(context);
  const LayoutEdge& e = ports.edges[edge];
  const std::optional<std::string>& port = head_end ? e.head_port : e.tail_port;
  const std::size_t node = head_end ? e.head : e.tail;
  if (!port || node >= ports.fields.size() || node >= ports.boxes.size()) return std::nullopt;
  const NodeBox& box = ports.boxes[node];
  const std::optional<CellRect> rect = field_rect(box, ports.fields[node], *port);
  if (!rect) return std::nullopt;
  // Edges come to a field along the rank direction, as `dot` draws them:
  // a field deep inside its record is reached through the box's sides
  // across the ranks, at the field's columns (rows, left to right). Not at
  // the border lines it shares with its neighbours, though: there an edge
  // would seem to belong to both.
  const auto inner = [](std::uint64_t lo, std::uint64_t hi) {
    return hi >= lo + 2 ? std::pair{lo + 1, hi - 1} : std::pair{lo, hi};
  };
  if (ports.rankdir == RankDir::TopToBottom || ports.rankdir == RankDir::BottomToTop) {
    const auto [left, right] = inner(rect->left, rect->right);
    return EndSpan{box.top, box.bottom(), left, right};
  }
  const auto [top, bottom] = inner(rect->top, rect->bottom);
  return EndSpan{top, bottom, box.left, box.right()};
}

bool names_a_field(const LayoutGraph& layout, std::span<const FieldLayout> fields) {
  if (fields.empty()) return false;
  return std::any_of(layout.edges.begin(), layout.edges.end(), [&](const LayoutEdge& e) {
    return (e.tail_port && e.tail < fields.size() && !fields[e.tail].empty()) ||
           (e.head_port && e.head < fields.size() && !fields[e.head].empty());
  });
}

// The original drawing of a top-to-bottom graph when it shows every edge
// and label truthfully and no edge attaches to a field; otherwise the
// planner's. Both are made on the canvas they need.
RoutePlan plan_edge_drawing(const LayoutGraph& layout, std::span<const NodeBox> boxes,
                            std::span<const FieldLayout> fields,
                            const GridTransform& transform, const RenderOptions& options) {
  const std::vector<LabelRect> frames = cluster_frame_cells(layout.clusters, transform);
  const bool ports = names_a_field(layout, fields);
  if (layout.rankdir == RankDir::TopToBottom && !ports) {
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
  const PortFields port_fields{layout.edges, boxes, fields, layout.rankdir};
  if (ports) {
    scene.end_span = port_span;
    scene.end_span_context = &port_fields;
  }
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
  // An HTML-like edge label shows its text, a table's cells parted by │.
  for (LayoutEdge& edge : layout.edges) {
    if (edge.label_is_html) edge.label = html_label_text(*edge.label);
  }
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
  std::uint64_t drawn_width = transform.width;
  if (options.max_width) drawn_width = std::min(drawn_width, *options.max_width);
  if (drawn_width != 0 && transform.height > kMaxCanvasCells / drawn_width) {
    return std::unexpected(CanvasTooLarge{drawn_width, transform.height});
  }
  // Routes and labels are planned before the canvas exists: they decide
  // how large it must be.
  RoutePlan routes = plan_edge_drawing(layout, boxes, fields, transform, options);
  const std::uint64_t width = routes.width;
  std::uint64_t height = routes.height;
  if (title) height = height_with_title(*title, height);
  if (width != 0 && height > kMaxCanvasCells / width) {
    return std::unexpected(CanvasTooLarge{width, height});
  }

  CharGrid grid(width, height);
  draw_clusters(grid, layout.clusters, transform, options.trim);
  draw_nodes(grid, layout.nodes, labels, fields, transform, options.color);
  draw_route_plan(grid, routes);
  if (title) draw_title(grid, *title, transform);
  return Drawing{std::move(layout), std::move(labels), std::move(fields), transform,
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
