// The render pipeline, from DOT text to the finished drawing.
#include "render/render_graph.h"

#include <algorithm>
#include <cmath>
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
#include "render_edges/box_room.h"
#include "render_edges/flat_plan.h"
#include "render_edges/gap_demand.h"
#include "render_edges/plan_routes.h"
#include "render_nodes/draw_clusters.h"
#include "render_nodes/draw_nodes.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// Whether `node` lies within the layout's bounding box, as every node `dot`
// places does; the canvas is made to hold the boxes of those.
bool inside(const LayoutNode& node, const BoundingBox& bb) {
  return node.pos.x >= bb.x0 && node.pos.x <= bb.x1 && node.pos.y >= bb.y0 &&
         node.pos.y <= bb.y1;
}

// Loops of one node from which some go round its left side.
constexpr std::uint64_t kManyLoops = 4;

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
  // A first rank holding many edges between its own boxes takes about
  // half of their tracks before it: top down, the drawing moves down as far
  // as it lacks; left to right, its boxes want room left of them (below).
  const Toward forward = forward_of(layout.rankdir);
  const std::uint64_t flat_room =
      flat_room_before(layout.edges, sized.boxes, forward, PlannerLimits{}.crowded_side);
  if (vertical(forward)) {
    const std::uint64_t room = flat_room;
    std::uint64_t first = kMaxCell;
    for (const NodeBox& box : sized.boxes) {
      if (box.width != 0 && box.height != 0) first = std::min(first, box.top);
    }
    if (room != 0 && first != kMaxCell && first < room + 2) {
      const std::uint64_t rows = room + 2 - first;
      transform.bbox.y1 += static_cast<double>(rows) * transform.row_scale;
      transform.height = add_sat(transform.height, rows);
      place_boxes();
    }
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
  // A node with many loops takes half of them round its left corners or
  // on its left side, and a node of a crowded first rank left to right
  // half of its rank's tracks, which needs room left of it: the drawing
  // moves right as far as the node lacks.
  std::uint64_t first_column = kMaxCell;
  for (const NodeBox& box : sized.boxes) {
    if (box.width != 0 && box.height != 0) first_column = std::min(first_column, box.left);
  }
  const auto left_room = [&](std::size_t i) -> std::uint64_t {
    const std::uint64_t tracks =
        !vertical(forward) && flat_room != 0 && sized.boxes[i].left == first_column
            ? flat_room + 2
            : 0;
    return std::max<std::uint64_t>(tracks, loops[i] >= kManyLoops ? 3 + 2 * loops[i] : 0);
  };
  std::uint64_t short_left = 0;
  for (std::size_t i = 0; i < sized.boxes.size(); ++i) {
    const NodeBox& box = sized.boxes[i];
    if (box.width != 0 && inside(layout.nodes[i], layout.bb) && left_room(i) > box.left) {
      short_left = std::max(short_left, left_room(i) - box.left);
    }
  }
  if (short_left != 0) {
    transform.margin += static_cast<std::int64_t>(short_left);
    transform.width = add_sat(transform.width, short_left);
    place_boxes();
  }
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
      if (box.width != 0 && inside(layout.nodes[i], layout.bb)) {
        take(sub_floor(box.left, left_room(i)), reach(i) - 1);
      }
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

// Where each edge's ends attach: the field its port names, when its node
// is divided into fields and has one of that name; empty when no end of
// any edge names a field.
std::vector<EndSpans> end_spans(const LayoutGraph& layout, std::span<const NodeBox> boxes,
                                std::span<const FieldLayout> fields) {
  std::vector<EndSpans> spans;
  if (fields.empty()) return spans;
  // Edges come to a field along the rank direction, as `dot` draws them:
  // a field deep inside its record is reached through the box's sides
  // across the ranks, at the field's columns (rows, left to right). Not at
  // the border lines it shares with its neighbours, though: there an edge
  // would seem to belong to both.
  const bool down_or_up =
      layout.rankdir == RankDir::TopToBottom || layout.rankdir == RankDir::BottomToTop;
  const auto inner = [](std::uint64_t lo, std::uint64_t hi) {
    return hi >= lo + 2 ? std::pair{lo + 1, hi - 1} : std::pair{lo, hi};
  };
  const auto span_of = [&](const std::optional<std::string>& port,
                           std::size_t node) -> std::optional<CellRect> {
    if (!port || node >= fields.size() || node >= boxes.size()) return std::nullopt;
    const NodeBox& box = boxes[node];
    const std::optional<CellRect> rect = field_rect(box, fields[node], *port);
    if (!rect) return std::nullopt;
    if (down_or_up) {
      const auto [left, right] = inner(rect->left, rect->right);
      return CellRect{.left = left, .top = box.top, .right = right, .bottom = box.bottom()};
    }
    const auto [top, bottom] = inner(rect->top, rect->bottom);
    return CellRect{.left = box.left, .top = top, .right = box.right(), .bottom = bottom};
  };
  bool any = false;
  spans.reserve(layout.edges.size());
  for (const LayoutEdge& e : layout.edges) {
    spans.push_back({span_of(e.tail_port, e.tail), span_of(e.head_port, e.head)});
    any = any || spans.back().tail || spans.back().head;
  }
  if (!any) spans.clear();
  return spans;
}

// How crowded the gaps between ranks may be before the ranks move apart:
// jogs that do not fit go to the search, which a few can afford, and lines
// share rows where they may. Graphviz's example graphs reach a gap that
// needs 3 times its tracks and lack 6 tracks in all; random graphs of a few
// hundred nodes with two edges each need 4 times or lack dozens.
constexpr double kMostGapCrowding = 3.5;
constexpr std::uint64_t kMostTracksMissing = 24;

// `cells` made `times` as many, rounded up, saturated.
std::uint64_t scaled_cells(std::uint64_t cells, double times) {
  return saturating_to_unsigned(std::ceil(static_cast<double>(cells) * times));
}

// Moves every box `times` as far from the layout's corner down the canvas
// (`rows`) or across it: the cells between boxes grow, the boxes keep their
// size, and the loops beside a box move with it.
void rescale(SizedLayout& sized, bool rows, double times) {
  GridTransform& t = sized.transform;
  const auto scaled = [times](std::uint64_t cells) { return scaled_cells(cells, times); };
  if (rows) {
    t.row_scale /= times;
    t.height = scaled(t.height);
  } else {
    t.column_scale /= times;
    t.width = scaled(t.width);
    sized.width = scaled(sized.width);
  }
  for (std::size_t i = 0; i < sized.boxes.size() && i < sized.labels.size(); ++i) {
    const std::uint64_t before = add_sat(sized.boxes[i].right(), 1);
    sized.boxes[i] = i < sized.fields.size()
                         ? node_box(t, sized.layout.nodes[i], sized.labels[i], sized.fields[i])
                         : node_box(t, sized.layout.nodes[i], sized.labels[i]);
    if (i < sized.reach.size()) {
      const std::uint64_t loops = sub_floor(sized.reach[i], before);
      sized.reach[i] = add_sat(add_sat(sized.boxes[i].right(), 1), loops);
    }
  }
}

// Whether the canvas stays within the largest there may be once `rescale`
// has moved the boxes `times` as far apart.
bool rescale_fits(const SizedLayout& sized, bool rows, double times) {
  const auto scaled = [times](std::uint64_t cells) { return scaled_cells(cells, times); };
  const std::uint64_t w = std::max<std::uint64_t>(
      1, rows ? std::max(sized.width, sized.transform.width)
              : scaled(std::max(sized.width, sized.transform.width)));
  const std::uint64_t h = rows ? scaled(sized.transform.height) : sized.transform.height;
  return h <= kMaxCanvasCells / w;
}

// Moves the ranks twice as far apart: the rows (columns, left to right)
// between them double.
void stretch_ranks(SizedLayout& sized, bool down_or_up) { rescale(sized, down_or_up, 2); }

// Every edge's route and label, planned on the canvas they need.
RoutePlan plan_edge_drawing(const LayoutGraph& layout, std::span<const NodeBox> boxes,
                            std::span<const EndSpans> spans, const EndGroups& groups,
                            const GridTransform& transform, const RenderOptions& options,
                            bool last_try, StopCheck* stop) {
  const std::vector<CellRect> frames = cluster_frame_cells(layout.clusters, transform);
  const std::vector<CellRect> closed = closed_frame_cells(layout.clusters, transform, options.trim);
  RouteScene scene;
  scene.edges = layout.edges;
  scene.nodes = layout.nodes;
  scene.boxes = boxes;
  scene.rankdir = layout.rankdir;
  scene.frames = frames;
  scene.closed = closed;
  scene.width = transform.width;
  scene.height = transform.height;
  scene.max_width = options.max_width;
  scene.max_cells = kMaxCanvasCells;
  if (options.max_width) scene.width = std::min(scene.width, *options.max_width);
  scene.trim = options.trim;
  scene.max_label = options.max_label;
  scene.end_spans = spans;
  scene.groups = &groups;
  scene.stop = stop;
  scene.last_try = last_try;
  std::vector<std::vector<GridPoint>> guides(layout.edges.size());
  for (std::size_t i = 0; i < layout.edges.size(); ++i) {
    for (const Point& p : layout.edges[i].points) {
      guides[i].push_back({row_of(transform, p.y), column_of(transform, p.x)});
    }
  }
  scene.guides = guides;
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
  if (edges_not_drawn == 0) {
    return messages::drawing_cut(columns, nodes_left_out, nodes, width_setting);
  }
  const std::string edges_text = messages::edges_not_drawn(edges_not_drawn, edges);
  if (columns == 0 && nodes == 0) return edges_text;
  return messages::drawing_cut(columns, nodes_left_out, nodes, width_setting) + "; " +
         edges_text;
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

  // Routes and labels are planned before the canvas exists: they decide
  // how large it must be (labels may widen it up to the limit, and add
  // rows below). Boxes grow where more lines must join a side than it has
  // cells for. When edges still find no route at all (a band between ranks
  // too crowded for its lines), the ranks move apart and the edges are
  // planned again, twice at most; the rank axis is stretched only where
  // no width limit holds it.
  const bool down_or_up = sized.layout.rankdir == RankDir::TopToBottom ||
                          sized.layout.rankdir == RankDir::BottomToTop;
  const bool can_stretch = down_or_up || !cut_at;
  std::vector<char> growable(sized.boxes.size(), 0);
  for (std::size_t i = 0; i < growable.size(); ++i) {
    growable[i] = sized.layout.nodes[i].shape != NodeShape::Point &&
                  (i >= sized.fields.size() || sized.fields[i].empty());
  }
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  std::optional<DrawingCut> cut;
  std::vector<std::size_t> left_out;
  RoutePlan routes;
  // Boxes short of cells for their lines even when grown across their
  // rank move apart along it first, once, where no width limit holds the
  // drawing.
  bool spread = false;
  const bool can_spread = !down_or_up || !cut_at;
  for (int stretched = 0;; ++stretched) {
    const std::vector<EndSpans> spans = end_spans(sized.layout, sized.boxes, sized.fields);
    // What the ends may share, for the boxes' room and the plan alike.
    const EndGroups groups = end_groups(sized.layout.edges, spans);
    RoomedBoxes room = boxes_with_room(sized.layout.edges, sized.boxes, groups.first, growable,
                                       sized.layout.rankdir);
    if (!spread && can_spread && room.spread > 1 &&
        rescale_fits(sized, !down_or_up, room.spread)) {
      spread = true;
      rescale(sized, !down_or_up, room.spread);
      --stretched;
      continue;
    }
    std::vector<NodeBox> boxes = std::move(room.boxes);
    // A gap between ranks with more stars of lines to carry across than
    // it has rows for would send its edges to the search: the ranks move
    // apart first, as they would for edges left out.
    const GapCrowding crowding = gap_crowding(sized.layout.edges, boxes, sized.layout.rankdir,
                                              PlannerLimits{}.crowded_side);
    // A gap whose jogs are planned track by track gets a row for each;
    // other gaps short of tracks move apart twice as far.
    if (stretched < 2 && can_stretch && crowding.dense_stretch > 1 &&
        rescale_fits(sized, down_or_up, crowding.dense_stretch)) {
      rescale(sized, down_or_up, crowding.dense_stretch);
      continue;
    }
    if (stretched < 2 && can_stretch && rescale_fits(sized, down_or_up, 2) &&
        (crowding.worst > kMostGapCrowding || crowding.missing > kMostTracksMissing)) {
      stretch_ranks(sized, down_or_up);
      continue;
    }
    // How far right each node's drawing reaches: its box, and its loops
    // beside it, moved with the box where the box grew.
    const auto reach = [&](std::size_t i) {
      const std::uint64_t grown = add_sat(boxes[i].right(), 1);
      const std::uint64_t before = add_sat(sized.boxes[i].right(), 1);
      const std::uint64_t loops = i < sized.reach.size() && sized.reach[i] > before
                                      ? sized.reach[i] - before
                                      : 0;
      return add_sat(grown, loops);
    };

    // The drawing's own extent: its boxes, frames and title, within the
    // limit.
    width = sized.width;
    height = sized.transform.height;
    std::uint64_t drawn_width = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const NodeBox& box = boxes[i];
      if (box.height != 0 && inside(sized.layout.nodes[i], sized.layout.bb)) {
        height = std::max(height, add_sat(box.bottom(), 1));
        drawn_width = std::max(drawn_width, reach(i));
      }
    }
    width = std::max(width, drawn_width);
    if (cut_at) width = std::min(width, *cut_at);
    if (width != 0 && height > kMaxCanvasCells / width) {
      return std::unexpected(CanvasTooLarge{width, height});
    }

    // A node whose box does not fit wholly is left out, never cut in two;
    // its edges find no box to attach to and are left out with it.
    cut.reset();
    left_out.clear();
    if (cut_at && std::max(sized.width, drawn_width) > *cut_at) {
      cut = DrawingCut{*cut_at, 0, 0};
      for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (sized.layout.nodes[i].invisible) continue;
        ++cut->nodes;
        // A node whose loop would be cut is left out with it.
        if (boxes[i].width != 0 && reach(i) > width) left_out.push_back(i);
      }
      cut->nodes_left_out = left_out.size();
      // A loop goes with its node even where the node's box would fit: there
      // is nowhere else for the loop to go, so nothing is drawn of it.
      for (LayoutEdge& edge : sized.layout.edges) {
        if (edge.tail == edge.head &&
            std::binary_search(left_out.begin(), left_out.end(), edge.tail)) {
          edge.invisible = true;
        }
      }
    }

    GridTransform planned = sized.transform;
    planned.width = width;
    planned.height = height;
    // The last plan tried: no more moving apart, or no room for it.
    const bool last_try = stretched == 2 || !can_stretch || !rescale_fits(sized, down_or_up, 4);
    routes = plan_edge_drawing(sized.layout, boxes, spans, groups, planned, whole, last_try, stop);
    if (must_stop(stop)) return stopped();
    if (routes.given_up) {
      rescale(sized, down_or_up, routes.stretch);
      continue;
    }
    if (routes.undrawn == 0 || last_try || routes.exhausted) {
      sized.boxes = std::move(boxes);
      break;
    }
    rescale(sized, down_or_up, std::max(2.0, routes.stretch));
  }
  if (routes.undrawn != 0) {
    if (!cut) cut = DrawingCut{};
    cut->edges_not_drawn = routes.undrawn;
    for (const LayoutEdge& e : sized.layout.edges) cut->edges += e.invisible ? 0 : 1;
  }
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
               options.color, paints.node_text, drawing.boxes);
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
               text_paints, shown.boxes);
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
  std::string text =
      drawing->grid.to_text(stop, options.ascii ? GlyphSet::Ascii : GlyphSet::Unicode);
  if (must_stop(stop)) return std::unexpected(why_stopped(*stop));
  return Rendering{std::move(text), drawing->cut, drawing->widened};
}

}  // namespace vantri
