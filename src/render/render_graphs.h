// Rendering a DOT text that may hold several graphs.
//
// `dot` lays out every graph of its input in turn, so one run serves them
// all; each graph is then drawn on its own, as the only graph of a text
// would be, and is laid out again on its own when the width fitting asks.
#ifndef VANTRI_RENDER_RENDER_GRAPHS_H_
#define VANTRI_RENDER_RENDER_GRAPHS_H_

#include <expected>
#include <string_view>
#include <vector>

#include "graphviz/run_dot.h"
#include "graphviz/stop_check.h"
#include "render/render_graph.h"
#include "render/render_options.h"

namespace vantri {

/// One result per graph of a DOT text, in order.
using GraphRenderings = std::vector<std::expected<Rendering, RenderError>>;

/// Renders every graph of `dot_source` in turn: `layout_all` lays them
/// all out at once, `relayout` lays out the text of one graph again, and
/// `stop`, if given, watches the drawing. When `layout_all` fails (the
/// text holds no graph, say), the one result is its error; a render
/// stopped while drawing ends with the graph it stopped in. A text of one
/// graph renders exactly as `render_graph` renders it.
GraphRenderings render_graphs(std::string_view dot_source, const RenderOptions& options,
                              const LayoutsFunction& layout_all,
                              const LayoutFunction& relayout, StopCheck* stop = nullptr);

}  // namespace vantri

#endif  // VANTRI_RENDER_RENDER_GRAPHS_H_
