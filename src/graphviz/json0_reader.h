// Reading `dot -Tjson0` output into a LayoutGraph.
//
// Picks the few attributes the drawing needs, converts Graphviz's text forms
// ("x,y" points, four-number boxes, splines, sizes in inches) into numbers
// and resolves edge ends from Graphviz ids to node indices. Every failure is
// a LayoutError of kind Parse whose message names the offending object.
#ifndef VANTRI_GRAPHVIZ_JSON0_READER_H_
#define VANTRI_GRAPHVIZ_JSON0_READER_H_

#include <expected>
#include <string_view>

#include "graphviz/layout_error.h"
#include "graphviz/layout_graph.h"

namespace vantri {

/// The whole json0 document to a layout graph.
///
/// Nodes are the "objects" elements that are not subgraphs; a subgraph is
/// an element with a "nodes" member or one of the first "_subgraph_cnt"
/// elements, and a subgraph with a "bb" string is a cluster. Node labels
/// have `\N` replaced by the node's "name" and `\n`, `\l`, `\r` turned into
/// line feeds; edge and cluster labels are kept verbatim. An absent
/// "objects" or "edges" means none.
std::expected<LayoutGraph, LayoutError> read_json0(std::string_view text);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_JSON0_READER_H_
