// The render pipeline, from DOT text to the finished drawing.
#include "render/render_graph.h"

#include <algorithm>
#include <vector>

#include "graphviz/html_label.h"
#include "graphviz/html_label_marks.h"
#include "graphviz/label_text.h"
#include "grid/cell_arith.h"
#include "messages/messages.h"
#include "render/build_transform.h"
#include "render/fit_width.h"
#include "render/graph_title.h"
#include "render/node_faces.h"
#include "render/paint_colours.h"
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
    if (edge.label) extra = std::max<std::uint64_t>(extra, label_width(*edge.label));
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
  place_boxes();
  if (sized.title && make_room_above(*sized.title, transform, sized.boxes, layout.clusters)) {
    place_boxes();
  }

  // The outermost columns drawn: boxes and cluster frames, and the loops
  // beside boxes, two columns out for each. Other edges are routed within
  // them (or beside them, as far as the width limit allows), so they do not
  // count here.
  std::vector<std::uint64_t> loops(sized.boxes.size(), 0);
  for (const LayoutEdge& edge : layout.edges) {
    if (edge.tail == edge.head && edge.tail < loops.size() && !edge.invisible) ++loops[edge.tail];
  }
  const auto reach = [&](std::size_t i) {
    return add_sat(add_sat(sized.boxes[i].right(), 1), 2 * loops[i]);
  };
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
      if (box.width != 0 && inside(layout.nodes[i], layout.bb)) take(box.left, reach(i) - 1);
    }
    for (const LayoutCluster& cluster : layout.clusters) {
      take(column_of(transform, cluster.bb.x0), column_of(transform, cluster.bb.x1));
    }
  };
  measure();
  if (trim_sides && left != kMaxCell) {
    if (left > 0) {
      // Moving the left edge of the box the columns are counted from by
      // whole columns moves every mapped column by as many, rows untouched.
      transform.bbox.x0 += static_cast<double>(left) * transform.column_scale;
      place_boxes();
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
        measure();
      }
    }
  }
  sized.width = std::max(transform.width, left == kMaxCell ? 0 : add_sat(right, 1));
  sized.reach.clear();
  for (std::size_t i = 0; i < sized.boxes.size(); ++i) sized.reach.push_back(reach(i));
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

RenderStopped why_stopped(const StopCheck& stop) {
  return RenderStopped{stop.reason(), stop.deadline() ? stop.deadline()->timeout_seconds : 0};
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
                            const GridTransform& transform, const RenderOptions& options,
                            StopCheck* stop) {
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
                                                options.trim, options.max_label, width, height,
                                                stop);
      if (must_stop(stop)) return original;
      const FaultScene scene{layout.edges, layout.nodes, boxes, layout.rankdir, frames, stop};
      if (find_route_faults(original, scene, 1).empty() || must_stop(stop)) return original;
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
  scene.stop = stop;
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
  const std::uint64_t narrowest = height == 0 ? kMaxCell : kMaxCanvasCells / height;
  return messages::drawing_too_large(
      width, height, to_decimal(cells), kMaxCanvasCells,
      narrowest < kSmallestUsefulWidth ? std::nullopt : std::optional(narrowest));
}

std::string RenderStopped::display() const {
  if (reason == StopCheck::Reason::TimedOut) {
    return messages::drawing_timed_out(timeout_seconds);
  }
  return std::string(messages::kInterrupted);
}

std::string DrawingCut::message(std::string_view width_setting) const {
  return messages::drawing_cut(columns, nodes_left_out, nodes, width_setting);
}

std::string display(const RenderError& error) {
  return std::visit([](const auto& e) { return e.display(); }, error);
}

std::expected<Rendering, RenderError> render_graph(std::string_view dot_source,
                                                   const RenderOptions& options) {
  return render_graph(dot_source, options, layout_with_dot);
}

std::expected<Rendering, RenderError> render_graph(std::string_view dot_source,
                                                   const RenderOptions& options,
                                                   const LayoutFunction& layout,
                                                   StopCheck* stop) {
  auto first = layout(dot_source, {});
  if (!first) return std::unexpected(std::move(first.error()));
  return render_layout(dot_source, std::move(*first), options, layout, stop);
}

std::expected<Drawing, RenderError> draw_layout(std::string_view dot_source,
                                                LayoutGraph layout,
                                                const RenderOptions& options,
                                                const LayoutFunction& relayout,
                                                StopCheck* stop) {
  const auto stopped = [stop] { return std::unexpected(why_stopped(*stop)); };
  mark_html_labels(dot_source, layout);
  // An HTML-like edge label shows its text, a table's cells parted by │;
  // the others their lines, as their escapes say.
  const auto expand = [](std::optional<std::string>& label, const std::string* name) {
    if (label) label = expand_label_escapes(*label, name);
  };
  for (LayoutEdge& edge : layout.edges) {
    if (edge.label_is_html) {
      edge.label = html_label_text(*edge.label);
    } else {
      expand(edge.label, nullptr);
    }
    expand(edge.head_label, nullptr);
    expand(edge.tail_label, nullptr);
    expand(edge.xlabel, nullptr);
  }
  for (LayoutNode& node : layout.nodes) expand(node.xlabel, node.name ? &*node.name : nullptr);
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
  if (must_stop(stop)) return stopped();

  // A drawing that still does not fit is cut at the limit, or drawn whole
  // when the caller would rather have that.
  RenderOptions whole = options;
  const bool widened =
      options.overflow == WidthOverflow::Widen && limit && sized.width > *limit;
  if (widened) whole.max_width.reset();
  const std::optional<std::uint64_t> cut_at = whole.max_width;

  // The drawing's own extent: its boxes, frames and title, within the limit.
  std::uint64_t width = sized.width;
  if (cut_at) width = std::min(width, *cut_at);
  std::uint64_t height = sized.transform.height;
  for (std::size_t i = 0; i < sized.boxes.size(); ++i) {
    const NodeBox& box = sized.boxes[i];
    if (box.height != 0 && inside(sized.layout.nodes[i], sized.layout.bb)) {
      height = std::max(height, add_sat(box.bottom(), 1));
    }
  }
  if (width != 0 && height > kMaxCanvasCells / width) {
    return std::unexpected(CanvasTooLarge{width, height});
  }

  // A node whose box does not fit wholly is left out, never cut in two;
  // its edges find no box to attach to and are left out with it.
  std::optional<DrawingCut> cut;
  std::vector<std::size_t> left_out;
  if (cut_at && sized.width > *cut_at) {
    cut = DrawingCut{*cut_at, 0, 0};
    for (std::size_t i = 0; i < sized.boxes.size(); ++i) {
      if (sized.layout.nodes[i].invisible) continue;
      ++cut->nodes;
      // A node whose loop would be cut is left out with it.
      if (sized.boxes[i].width != 0 && sized.reach[i] > width) left_out.push_back(i);
    }
    cut->nodes_left_out = left_out.size();
    // A loop goes with its node even where the node's box would fit: there
    // is nowhere else for the loop to go, so nothing is drawn of it.
    for (LayoutEdge& edge : sized.layout.edges) {
      if (edge.tail == edge.head && std::binary_search(left_out.begin(), left_out.end(), edge.tail)) {
        edge.invisible = true;
      }
    }
  }

  // Routes and labels are planned before the canvas exists: they decide
  // how large it must be (labels may widen it up to the limit, and add
  // rows below).
  GridTransform planned = sized.transform;
  planned.width = width;
  planned.height = height;
  RoutePlan routes =
      plan_edge_drawing(sized.layout, sized.boxes, sized.fields, planned, whole, stop);
  if (must_stop(stop)) return stopped();
  width = std::max(width, routes.width);
  if (cut_at) width = std::min(width, *cut_at);
  height = std::max(height, routes.height);
  if (sized.title) height = height_with_title(*sized.title, height);
  if (width != 0 && height > kMaxCanvasCells / width) {
    return std::unexpected(CanvasTooLarge{width, height});
  }

  Drawing drawing{std::move(sized.layout), std::move(sized.labels), std::move(sized.fields),
                  sized.transform,         std::move(sized.boxes),  std::move(routes),
                  CharGrid(width, height), cut,                     std::move(left_out),
                  widened};
  CharGrid& grid = drawing.grid;
  const GridTransform& transform = drawing.transform;
  const Paints paints = choose_paints(grid, drawing.layout, options.color);
  draw_clusters(grid, drawing.layout.clusters, transform, options.trim, paints.frames);
  if (drawing.left_out.empty()) {
    draw_nodes(grid, drawing.layout.nodes, drawing.labels, drawing.fields, transform,
               options.color, paints.node_text);
  } else {
    const ShownNodes shown = shown_nodes(drawing);
    std::vector<std::uint32_t> text_paints;
    if (!paints.node_text.empty()) {
      for (std::size_t i = 0, skip = 0; i < paints.node_text.size(); ++i) {
        if (skip < drawing.left_out.size() && drawing.left_out[skip] == i) {
          ++skip;
          continue;
        }
        text_paints.push_back(paints.node_text[i]);
      }
    }
    draw_nodes(grid, shown.nodes, shown.labels, shown.fields, transform, options.color,
               text_paints);
  }
  draw_route_plan(grid, drawing.plan, Pens{paints.edges, paints.node_text}, stop);
  if (must_stop(stop)) return stopped();
  if (sized.title) draw_title(grid, *sized.title, transform, paints.title);
  if (options.color == ColorMode::Ansi) {
    if (drawing.left_out.empty()) {
      paint_node_borders(grid, drawing.layout.nodes, drawing.boxes);
    } else {
      const ShownNodes shown = shown_nodes(drawing);
      paint_node_borders(grid, shown.nodes, shown.boxes);
    }
  }
  return drawing;
}

std::expected<Rendering, RenderError> render_layout(
    std::string_view dot_source, LayoutGraph layout,
    const RenderOptions& options, const LayoutFunction& relayout, StopCheck* stop) {
  auto drawing = draw_layout(dot_source, std::move(layout), options, relayout, stop);
  if (!drawing) return std::unexpected(std::move(drawing.error()));
  std::string text = drawing->grid.to_text(stop);
  if (must_stop(stop)) return std::unexpected(why_stopped(*stop));
  return Rendering{std::move(text), drawing->cut, drawing->widened};
}

}  // namespace vantri
