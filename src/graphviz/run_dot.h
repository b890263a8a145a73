// Running Graphviz `dot -Tjson0` as a child process and reading its layout.
//
// `dot` is looked for in the absolute directories of PATH only (see
// find_program.h). The child and every descriptor are gone before the call
// returns, on every path (see child_process.h for how the pipes are driven,
// and how a deadline or an interrupt ends a run).
#ifndef VANTRI_GRAPHVIZ_RUN_DOT_H_
#define VANTRI_GRAPHVIZ_RUN_DOT_H_

#include <cstddef>
#include <expected>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graphviz/child_process.h"
#include "graphviz/layout_error.h"
#include "graphviz/layout_graph.h"

namespace vantri {

/// The most json0 text read from `dot`: far above any real graph (a
/// 2000-node layout is a few MiB), low enough that a runaway `dot` cannot
/// exhaust memory.
inline constexpr std::size_t kMaxDotOutput = std::size_t{1} << 30;
/// The most diagnostics read from `dot`'s standard error.
inline constexpr std::size_t kMaxDotDiagnostics = std::size_t{64} << 20;

/// How one `dot` run is watched: a deadline, an interrupt hook and a tick
/// (output limits above the ones here are lowered to them).
struct DotWatch {
  ChildControls controls;
  /// The timeout the deadline stands for, for the message when it passes.
  double timeout_seconds = 0;
};

/// Lays out `dot_source` with `dot -Tjson0`; `dot_args` go on dot's command
/// line after -Tjson0 (graph attributes such as -Gnodesep=0.1 that override
/// the ones the text sets).
std::expected<LayoutGraph, LayoutError> layout_with_dot(
    std::string_view dot_source, std::span<const std::string> dot_args = {});

/// `layout_with_dot` under `watch`. Of a text that holds several graphs,
/// the first one's layout; of one that holds none, the `NoGraph` error.
std::expected<LayoutGraph, LayoutError> watched_layout_with_dot(
    std::string_view dot_source, const DotWatch& watch,
    std::span<const std::string> dot_args = {});

/// The layout of every graph of `dot_source`, in order, from one `dot`
/// run under `watch`; the `NoGraph` error when it holds none.
std::expected<std::vector<LayoutGraph>, LayoutError> watched_layouts_with_dot(
    std::string_view dot_source, const DotWatch& watch,
    std::span<const std::string> dot_args = {});

/// Lays out DOT text with extra `dot` arguments: `layout_with_dot` in
/// production, a stand-in in tests and benchmarks.
using LayoutFunction = std::function<std::expected<LayoutGraph, LayoutError>(
    std::string_view, std::span<const std::string>)>;

/// Lays out every graph of a DOT text: `watched_layouts_with_dot` in
/// production.
using LayoutsFunction =
    std::function<std::expected<std::vector<LayoutGraph>, LayoutError>(std::string_view)>;

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_RUN_DOT_H_
