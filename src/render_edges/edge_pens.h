// How each edge's line, arrowheads and labels look: the line style and the
// paints (`CharGrid::paint_id`) of the line and of the label text, and the
// paint of each node's external label.
#ifndef VANTRI_RENDER_EDGES_EDGE_PENS_H_
#define VANTRI_RENDER_EDGES_EDGE_PENS_H_

#include <cstdint>
#include <span>

#include "graphviz/layout_graph.h"

namespace vantri {

struct EdgePen {
  LineStyle style = LineStyle::Solid;
  /// The line cells and the arrowheads.
  std::uint32_t line = 0;
  /// The text of the edge's labels.
  std::uint32_t text = 0;
  friend bool operator==(const EdgePen&, const EdgePen&) = default;
};

/// One pen per edge and one text paint per node; an edge or node past the
/// end of its list is drawn solid and unpainted.
struct Pens {
  std::span<const EdgePen> edges;
  std::span<const std::uint32_t> node_text;

  EdgePen edge(std::size_t i) const { return i < edges.size() ? edges[i] : EdgePen{}; }
  std::uint32_t node(std::size_t i) const { return i < node_text.size() ? node_text[i] : 0; }
};

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_EDGE_PENS_H_
