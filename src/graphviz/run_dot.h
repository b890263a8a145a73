// Running Graphviz `dot -Tjson0` as a child process and reading its layout.
//
// The child and every descriptor are gone before the call returns, on every
// path (see child_process.h for how the pipes are driven).
#ifndef VANTRI_GRAPHVIZ_RUN_DOT_H_
#define VANTRI_GRAPHVIZ_RUN_DOT_H_

#include <expected>
#include <functional>
#include <string_view>

#include "graphviz/layout_error.h"
#include "graphviz/layout_graph.h"

namespace vantri {

/// Lays out `dot_source` with `dot -Tjson0` found through PATH.
std::expected<LayoutGraph, LayoutError> layout_with_dot(
    std::string_view dot_source);

/// Lays out DOT text: `layout_with_dot` in production, a stand-in in tests
/// and benchmarks.
using LayoutFunction =
    std::function<std::expected<LayoutGraph, LayoutError>(std::string_view)>;

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_RUN_DOT_H_
