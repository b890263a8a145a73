// The render pipeline, from DOT text to the finished drawing.
#include "render/render_graph.h"

#include <algorithm>
#include <vector>

#include "graphviz/html_label_marks.h"
#include "grid/cell_arith.h"
#include "render/apply_ansi.h"
#include "render/build_transform.h"
#include "render/fit_width.h"
#include "render/graph_title.h"
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

// Whether `node` lies within the layout's bounding box, as every node `dot`
// places does; the canvas is made to hold the boxes of those.
bool inside(const LayoutNode& node, const BoundingBox& bb) {
  return node.pos.x >= bb.x0 && node.pos.x <= bb.x1 && node.pos.y >= bb.y0 &&
         node.pos.y <= bb.y1;
}

// Sizes a layout whose nodes show `faces`, with the graph's title: its
// scale, boxes and planned edges, and the columns they need. With
// `trim_sides`, blank columns left of everything drawn are dropped, and the
// width ends with the last column drawn (or the title's, when it is wider).
SizedLayout size_layout(LayoutGraph layout, NodeFaces faces, const RenderOptions& options,
                        bool trim_sides) {
  SizedLayout sized;
  sized.labels = std::move(faces.labels);
  sized.fields = std::move(faces.fields);
  sized.title = plan_title(layout, options);
  const std::vector<std::string>& labels = sized.labels;
  const std::vector<FieldLayout>& fields = sized.fields;
  GridTransform& transform = sized.transform;
  transform = build_transform(layout.bb, layout.nodes, labels, fields);
  if (sized.title && !trim_sides) make_room_for_title(*sized.title, transform);
  const auto place_boxes = [&] {
    const std::size_t paired = std::min(layout.nodes.size(), labels.size());
    sized.boxes.clear();
    sized.boxes.reserve(paired);
    for (std::size_t i = 0; i < paired; ++i) {
      sized.boxes.push_back(i < fields.size()
                                ? node_box(transform, layout.nodes[i], labels[i], fields[i])
                                : node_box(transform, layout.nodes[i], labels[i]));
    }
  };
  // Routes are planned before the canvas exists: side edges run along
  // lanes beside every box, and the canvas must be wide enough for them.
  const auto plan = [&] { sized.plan = plan_edges(layout.edges, layout.nodes, sized.boxes); };
  place_boxes();
  if (sized.title && make_room_above(*sized.title, transform, sized.boxes, layout.clusters)) {
    place_boxes();
  }
  plan();

  // The outermost columns drawn: boxes, cluster frames and lanes.
  std::uint64_t left = kMaxCell;
  std::uint64_t right = 0;
  const auto take = [&](std::uint64_t first, std::uint64_t last) {
    left = std::min(left, first);
    right = std::max(right, last);
  };
  const auto measure = [&] {
    left = kMaxCell;
    right = 0;
    for (std::size_t i = 0; i < sized.boxes.size(); ++i) {
      const NodeBox& box = sized.boxes[i];
      if (box.width != 0 && inside(layout.nodes[i], layout.bb)) take(box.left, box.right());
    }
    for (const LayoutCluster& cluster : layout.clusters) {
      take(column_of(transform, cluster.bb.x0), column_of(transform, cluster.bb.x1));
    }
    for (const PlannedEdge& edge : sized.plan.edges) {
      if (edge.kind == PlannedEdge::Kind::Side) take(edge.lane.column, edge.lane.column);
    }
  };
  measure();
  if (trim_sides && left != kMaxCell) {
    if (left > 0) {
      // Moving the left edge of the box the columns are counted from by
      // whole columns moves every mapped column by as many, rows untouched.
      transform.bbox.x0 += static_cast<double>(left) * transform.column_scale;
      place_boxes();
      plan();
      measure();
    }
    transform.width = add_sat(right, 1);
    if (sized.title) {
      // A title wider than what is drawn widens it, the drawing centred
      // under the title.
      const std::uint64_t drawn = transform.width;
      make_room_for_title(*sized.title, transform);
      if (transform.width != drawn) {
        place_boxes();
        plan();
        measure();
      }
    }
  }
  sized.width = std::max(transform.width, left == kMaxCell ? 0 : add_sat(right, 1));
  sized.layout = std::move(layout);
  return sized;
}

// The nodes a cut leaves in the drawing, with their boxes, labels and
// fields (none when no node has any).
struct ShownNodes {
  std::vector<LayoutNode> nodes;
  std::vector<NodeBox> boxes;
  std::vector<std::string> labels;
  std::vector<FieldLayout> fields;
};

ShownNodes shown_nodes(const Drawing& drawing) {
  ShownNodes shown;
  std::size_t skip = 0;
  const std::vector<std::size_t>& left_out = drawing.left_out;
  const std::size_t count = std::min(
      {drawing.layout.nodes.size(), drawing.boxes.size(), drawing.labels.size()});
  for (std::size_t i = 0; i < count; ++i) {
    if (skip < left_out.size() && left_out[skip] == i) {
      ++skip;
      continue;
    }
    shown.nodes.push_back(drawing.layout.nodes[i]);
    shown.boxes.push_back(drawing.boxes[i]);
    shown.labels.push_back(drawing.labels[i]);
    if (i < drawing.fields.size()) shown.fields.push_back(drawing.fields[i]);
  }
  return shown;
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
  std::string text = "Drawing too large: " + std::to_string(width) + " columns × " +
                     std::to_string(height) + " rows = " + to_decimal(cells) +
                     " character cells, more than the limit of " +
                     std::to_string(kMaxCanvasCells) + "; ";
  const std::uint64_t narrowest = height == 0 ? kMaxCell : kMaxCanvasCells / height;
  if (narrowest < kSmallestUsefulWidth) {
    return text + "it is too tall to draw at any width.";
  }
  return text + "a width limit of " + std::to_string(narrowest) +
         " columns or less draws it (max_width, --width on the command line).";
}

std::string DrawingCut::message(std::string_view width_setting) const {
  std::string text = "drawing cut at " + std::to_string(columns) + " columns: ";
  if (nodes_left_out == 0) {
    text += "edges right of it do not fit";
  } else {
    text += std::to_string(nodes_left_out) + " of " + std::to_string(nodes) +
            (nodes == 1 ? " node does" : " nodes do") + " not fit";
  }
  return text + "; a wider " + std::string(width_setting) + " shows them";
}

std::string display(const RenderError& error) {
  return std::visit([](const auto& e) { return e.display(); }, error);
}

std::expected<Rendering, RenderError> render_graph(std::string_view dot_source,
                                                   const RenderOptions& options) {
  auto layout = layout_with_dot(dot_source);
  if (!layout) return std::unexpected(std::move(layout.error()));
  return render_layout(dot_source, std::move(*layout), options, layout_with_dot);
}

std::expected<Drawing, RenderError> draw_layout(std::string_view dot_source,
                                                LayoutGraph layout,
                                                const RenderOptions& options,
                                                const LayoutFunction& relayout) {
  mark_html_labels(dot_source, layout);
  NodeFaces faces = node_faces(layout, options.max_label, options.trim);
  SizedLayout sized = size_layout(std::move(layout), std::move(faces), options, false);
  const std::optional<std::uint64_t> limit = options.max_width;
  if (limit && *limit >= kSmallestUsefulWidth && sized.width > *limit) {
    // First drop the blank columns beside the drawing, then shorten labels
    // and lay out again.
    const SizeFunction trimmed = [&options](LayoutGraph l, NodeFaces f) {
      return size_layout(std::move(l), std::move(f), options, true);
    };
    sized = trimmed(std::move(sized.layout), {std::move(sized.labels), std::move(sized.fields)});
    sized = fit_to_width(dot_source, std::move(sized), options, relayout, trimmed).sized;
  }

  // Edge labels are placed beside their edges and may stick out to the
  // right of the drawing; the canvas leaves room for them.
  std::uint64_t width = add_sat(sized.width, edge_label_extra(sized.layout.edges));
  if (limit) width = std::min(width, *limit);
  std::uint64_t height = sized.transform.height;
  for (std::size_t i = 0; i < sized.boxes.size(); ++i) {
    const NodeBox& box = sized.boxes[i];
    if (box.height != 0 && inside(sized.layout.nodes[i], sized.layout.bb)) {
      height = std::max(height, add_sat(box.bottom(), 1));
    }
  }
  if (sized.title) height = height_with_title(*sized.title, height);
  if (width != 0 && height > kMaxCanvasCells / width) {
    return std::unexpected(CanvasTooLarge{width, height});
  }

  // A node whose box does not fit wholly is left out, never cut in two.
  Drawing drawing{std::move(sized.layout), std::move(sized.labels), std::move(sized.fields),
                  sized.transform,         std::move(sized.boxes),  std::move(sized.plan),
                  CharGrid(width, height), std::nullopt,            {}};
  if (limit && sized.width > *limit) {
    drawing.cut = DrawingCut{*limit, 0, 0};
    for (std::size_t i = 0; i < drawing.boxes.size(); ++i) {
      if (drawing.layout.nodes[i].invisible) continue;
      ++drawing.cut->nodes;
      const NodeBox& box = drawing.boxes[i];
      if (box.width != 0 && box.right() >= width) drawing.left_out.push_back(i);
    }
    drawing.cut->nodes_left_out = drawing.left_out.size();
  }

  CharGrid& grid = drawing.grid;
  const GridTransform& transform = drawing.transform;
  draw_clusters(grid, drawing.layout.clusters, transform, options.trim);
  if (drawing.left_out.empty()) {
    draw_nodes(grid, drawing.layout.nodes, drawing.labels, drawing.fields, transform,
               options.color);
  } else {
    const ShownNodes shown = shown_nodes(drawing);
    draw_nodes(grid, shown.nodes, shown.labels, shown.fields, transform, options.color);
  }
  draw_edges(grid, drawing.plan, drawing.layout.edges, drawing.boxes, transform, options.trim,
             options.max_label);
  if (sized.title) draw_title(grid, *sized.title, transform);
  return drawing;
}

std::expected<Rendering, RenderError> render_layout(
    std::string_view dot_source, LayoutGraph layout,
    const RenderOptions& options, const LayoutFunction& relayout) {
  auto drawing = draw_layout(dot_source, std::move(layout), options, relayout);
  if (!drawing) return std::unexpected(std::move(drawing.error()));
  std::string text = drawing->grid.to_text();
  if (options.color == ColorMode::Ansi) {
    if (drawing->left_out.empty()) {
      text = apply_ansi(text, drawing->layout.nodes, drawing->boxes);
    } else {
      const ShownNodes shown = shown_nodes(*drawing);
      text = apply_ansi(text, shown.nodes, shown.boxes);
    }
  }
  return Rendering{std::move(text), drawing->cut};
}

}  // namespace vantri
