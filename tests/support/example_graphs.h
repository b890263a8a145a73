// Graphviz's own example graphs (Debian's graphviz-doc), read once for
// every test that sweeps them, and drawn the way the pipeline draws them.
#ifndef VANTRI_TESTS_SUPPORT_EXAMPLE_GRAPHS_H_
#define VANTRI_TESTS_SUPPORT_EXAMPLE_GRAPHS_H_

#include <expected>
#include <string>
#include <vector>

#include "render/render_graph.h"
#include "render/render_options.h"

namespace vantri::testing {

/// Where graphviz-doc installs them.
inline constexpr const char* kExampleGraphDir = "/usr/share/doc/graphviz/examples/graphs";

struct ExampleGraph {
  /// "directed/fsm.gv" and so on.
  std::string name;
  /// The DOT text, decompressed when the file is gzipped.
  std::string source;
};

/// Every example graph in name order; empty when graphviz-doc is missing.
const std::vector<ExampleGraph>& example_graphs();

/// The graph laid out by the installed `dot` and drawn with `options`;
/// `layouts`, when given, counts the runs of `dot`.
std::expected<Drawing, RenderError> draw_example(const ExampleGraph& graph,
                                                 const RenderOptions& options,
                                                 int* layouts = nullptr);

}  // namespace vantri::testing

#endif  // VANTRI_TESTS_SUPPORT_EXAMPLE_GRAPHS_H_
