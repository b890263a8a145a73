// Running Graphviz `dot -Tjson0` as a child process.
//
// The DOT text goes to the child's standard input while its standard output
// and standard error are drained at the same time, so a child that writes a
// lot before reading all its input cannot deadlock us. The child and every
// descriptor are gone before the call returns, on every path.
#ifndef VANTRI_GRAPHVIZ_RUN_DOT_H_
#define VANTRI_GRAPHVIZ_RUN_DOT_H_

#include <expected>
#include <string_view>

#include "graphviz/layout_error.h"
#include "graphviz/layout_graph.h"

namespace vantri {

/// Lays out `dot_source` with `dot -Tjson0` found through PATH.
std::expected<LayoutGraph, LayoutError> layout_with_dot(
    std::string_view dot_source);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_RUN_DOT_H_
