// Graphviz's text forms of geometry inside json0 attribute strings.
//
// A bounding box is "x0,y0,x1,y1", a point "x,y" and an edge spline a
// whitespace-separated list of points with optional "s,"/"e," arrow tips.
// Each parser gives the value or the message the json0 reader reports.
#ifndef VANTRI_GRAPHVIZ_JSON0_VALUES_H_
#define VANTRI_GRAPHVIZ_JSON0_VALUES_H_

#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graphviz/layout_graph.h"

namespace vantri {

/// "x0,y0,x1,y1"; pieces are trimmed of white space before parsing.
std::expected<BoundingBox, std::string> parse_bb(std::string_view text);

/// "x,y"; pieces are trimmed of white space before parsing.
std::expected<Point, std::string> parse_point(std::string_view text);

struct Spline {
  std::vector<Point> points;
  std::optional<Point> start_point;
  std::optional<Point> end_point;
};

/// An edge "pos": whitespace-separated points with optional "s,"/"e," ends
/// anywhere among them (the last of each kind wins).
std::expected<Spline, std::string> parse_spline(std::string_view text);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_JSON0_VALUES_H_
