// The laid-out graph as Graphviz `dot` reports it, in layout points.
//
// Built whole by the json0 reader and read-only afterwards. Coordinates are
// Graphviz points (1/72 inch) with y growing upwards; node sizes, which
// json0 gives in inches, are stored in points like everything else.
#ifndef VANTRI_GRAPHVIZ_LAYOUT_GRAPH_H_
#define VANTRI_GRAPHVIZ_LAYOUT_GRAPH_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantri {

struct Point {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const Point&, const Point&) = default;
};

/// Four numbers in the order of a json0 "bb": lower-left, then upper-right.
struct BoundingBox {
  double x0 = 0.0;
  double y0 = 0.0;
  double x1 = 0.0;
  double y1 = 0.0;
  friend bool operator==(const BoundingBox&, const BoundingBox&) = default;
};

/// The shape distinctions the drawing makes.
enum class NodeShape : std::uint8_t {
  Box = 0,
  DoubleCircle = 1,
  /// Every shape not named below, Graphviz's default ellipse among them.
  Other = 2,
  Point = 3,
  /// "record", whose label is divided into fields.
  Record = 4,
  /// "Mrecord": a record with rounded corners.
  MRecord = 5,
  /// "plaintext", "plain" and "none": the label alone, without an outline.
  Plain = 6,
};

/// How an edge's line is drawn: "style" dashed, dotted or bold ("penwidth"
/// of 2 or more counts as bold).
enum class LineStyle : std::uint8_t {
  Solid = 0,
  Dashed = 1,
  Dotted = 2,
  Bold = 3,
};

/// The direction in which `dot` laid out the ranks: the way edges point
/// when they follow the graph's order.
enum class RankDir : std::uint8_t {
  TopToBottom = 0,
  LeftToRight = 1,
  BottomToTop = 2,
  RightToLeft = 3,
};

struct LayoutNode {
  /// Display label with real line feeds (placeholders already expanded).
  std::string label;
  /// The node's "fillcolor" when it is a string (possibly empty).
  std::optional<std::string> fillcolor;
  std::uint64_t gvid = 0;
  /// Centre of the node.
  Point pos;
  /// Size in points.
  double width = 0.0;
  double height = 0.0;
  NodeShape shape = NodeShape::Other;
  /// The node's json0 "name" when it is a string; the width fitting uses it
  /// to give nodes without a literal label attribute their shortened label.
  std::optional<std::string> name;
  /// The "label" exactly as json0 gives it, before placeholders and line
  /// ends are expanded: the source of a record's fields.
  std::string raw_label;
  /// The label was written as an HTML-like label (`label=<...>`), which
  /// json0 cannot tell; set from the DOT text (`mark_html_labels`).
  bool label_is_html = false;
  /// The rectangles of a record's fields ("rects"), in label order.
  std::vector<BoundingBox> rects;
  /// "style" includes "invis": the node takes space but is not drawn.
  bool invisible = false;
  /// The external label ("xlabel") and where `dot` put its centre ("xlp").
  std::optional<std::string> xlabel;
  std::optional<Point> xlabel_pos;
  /// The pen colour of the outline ("color") and of the label text
  /// ("fontcolor"), as written.
  std::optional<std::string> color{};
  std::optional<std::string> fontcolor{};
  /// "style" includes "rounded": the outline has round corners.
  bool rounded = false;
};

struct LayoutEdge {
  std::uint64_t gvid = 0;
  /// Indices into `LayoutGraph::nodes`; always valid.
  std::size_t tail = 0;
  std::size_t head = 0;
  /// Present only when the edge has a non-empty label; kept verbatim.
  std::optional<std::string> label;
  /// The label was written as an HTML-like label (`mark_html_labels`).
  bool label_is_html = false;
  std::optional<Point> label_pos;
  /// Spline control points, from the tail end to the head end.
  std::vector<Point> points;
  std::optional<Point> start_point;
  std::optional<Point> end_point;
  /// Which ends carry an arrowhead, from the graph's kind, "dir",
  /// "arrowhead" and "arrowtail": a directed graph's edges point at their
  /// head, an undirected graph's nowhere.
  bool arrow_at_head = true;
  bool arrow_at_tail = false;
  /// "style" includes "invis".
  bool invisible = false;
  /// The ports named in the DOT text ("tailport", "headport"): a record
  /// field's port name, a compass point, or both as "field:compass".
  std::optional<std::string> tail_port;
  std::optional<std::string> head_port;
  /// Labels at the head and tail ends and the external label, each with the
  /// centre `dot` gave it ("head_lp", "tail_lp", "xlp"); kept verbatim.
  std::optional<std::string> head_label;
  std::optional<Point> head_label_pos;
  std::optional<std::string> tail_label;
  std::optional<Point> tail_label_pos;
  std::optional<std::string> xlabel;
  std::optional<Point> xlabel_pos;
  LineStyle line_style = LineStyle::Solid;
  /// The pen colour of the line and arrowheads ("color") and of the
  /// labels' text ("fontcolor"), as written.
  std::optional<std::string> color{};
  std::optional<std::string> fontcolor{};
};

struct LayoutCluster {
  /// Kept verbatim.
  std::string label;
  BoundingBox bb;
  /// The label was written as an HTML-like label (`mark_html_labels`).
  bool label_is_html = false;
  /// The frame's colour ("pencolor", else "color") and the title's
  /// ("fontcolor"), as written.
  std::optional<std::string> color{};
  std::optional<std::string> fontcolor{};
};

struct LayoutGraph {
  std::vector<LayoutNode> nodes;
  std::vector<LayoutEdge> edges;
  std::vector<LayoutCluster> clusters;
  BoundingBox bb;
  /// "directed": false for a `graph`, whose edges have no direction.
  bool directed = true;
  /// "strict": a `strict` graph merges edges between the same two nodes.
  bool strict = false;
  RankDir rankdir = RankDir::TopToBottom;
  /// The graph's own label (its title), kept verbatim, with the centre
  /// `dot` gave it and whether it goes above the drawing ("labelloc" t)
  /// rather than below.
  std::optional<std::string> label;
  std::optional<Point> label_pos;
  bool label_at_top = false;
  /// The title was written as an HTML-like label (`mark_html_labels`).
  bool label_is_html = false;
  /// The title's colour ("fontcolor"), as written.
  std::optional<std::string> fontcolor{};
};

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_LAYOUT_GRAPH_H_
