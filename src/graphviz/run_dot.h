// Running Graphviz `dot -Tjson0` as a child process and reading its layout.
//
// The child and every descriptor are gone before the call returns, on every
// path (see child_process.h for how the pipes are driven).
#ifndef VANTRI_GRAPHVIZ_RUN_DOT_H_
#define VANTRI_GRAPHVIZ_RUN_DOT_H_

#include <expected>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "graphviz/layout_error.h"
#include "graphviz/layout_graph.h"

namespace vantri {

/// Lays out `dot_source` with `dot -Tjson0` found through PATH; `dot_args`
/// go on dot's command line after -Tjson0 (graph attributes such as
/// -Gnodesep=0.1 that override the ones the text sets).
std::expected<LayoutGraph, LayoutError> layout_with_dot(
    std::string_view dot_source, std::span<const std::string> dot_args = {});

/// Lays out DOT text with extra `dot` arguments: `layout_with_dot` in
/// production, a stand-in in tests and benchmarks.
using LayoutFunction = std::function<std::expected<LayoutGraph, LayoutError>(
    std::string_view, std::span<const std::string>)>;

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_RUN_DOT_H_
