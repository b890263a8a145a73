// Reading `dot -Tjson0` output into a LayoutGraph.
//
// Picks the few attributes the drawing needs, converts Graphviz's text forms
// ("x,y" points, four-number boxes, splines, sizes in inches) into numbers
// and resolves edge ends from Graphviz ids to node indices. Every failure is
// a LayoutError of kind Parse whose message names the offending object.
#ifndef VANTRI_GRAPHVIZ_JSON0_READER_H_
#define VANTRI_GRAPHVIZ_JSON0_READER_H_

#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graphviz/layout_error.h"
#include "graphviz/layout_graph.h"

namespace vantri {

/// The whole json0 document to a layout graph.
std::expected<LayoutGraph, LayoutError> read_json0(std::string_view text);

/// One number of a json0 string: optional sign, then a decimal number or
/// inf/infinity/nan in any case, nothing else. The error is
/// "cannot parse float from empty string" or "invalid float literal".
std::expected<double, std::string> parse_float(std::string_view text);

/// "x0,y0,x1,y1"; the error is the reader's message.
std::expected<BoundingBox, std::string> parse_bb(std::string_view text);

/// "x,y"; the error is the reader's message.
std::expected<Point, std::string> parse_point(std::string_view text);

struct Spline {
  std::vector<Point> points;
  std::optional<Point> start_point;
  std::optional<Point> end_point;
};

/// An edge "pos": whitespace-separated points with optional "s,"/"e," ends.
std::expected<Spline, std::string> parse_spline(std::string_view text);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_JSON0_READER_H_
