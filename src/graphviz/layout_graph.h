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

/// The only shape distinctions the drawing makes.
enum class NodeShape : std::uint8_t { Box = 0, DoubleCircle = 1, Other = 2 };

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
};

struct LayoutEdge {
  std::uint64_t gvid = 0;
  /// Indices into `LayoutGraph::nodes`; always valid.
  std::size_t tail = 0;
  std::size_t head = 0;
  /// Present only when the edge has a non-empty label; kept verbatim.
  std::optional<std::string> label;
  std::optional<Point> label_pos;
  /// Spline control points, from the tail end to the head end.
  std::vector<Point> points;
  std::optional<Point> start_point;
  std::optional<Point> end_point;
};

struct LayoutCluster {
  /// Kept verbatim.
  std::string label;
  BoundingBox bb;
};

struct LayoutGraph {
  std::vector<LayoutNode> nodes;
  std::vector<LayoutEdge> edges;
  std::vector<LayoutCluster> clusters;
  BoundingBox bb;
};

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_LAYOUT_GRAPH_H_
