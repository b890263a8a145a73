// What colours the cells of a drawing take when colour is on (`Ansi`): the
// pen colours of edges, outlines and labels, and node borders in their fill
// colour. Edge line styles are structure, chosen in every colour mode.
//
// Every colour is one of the palette's ANSI colours (`ansi_for`, the first
// of a colour list); white and near-white stay uncoloured.
#ifndef VANTRI_RENDER_PAINT_COLOURS_H_
#define VANTRI_RENDER_PAINT_COLOURS_H_

#include <cstdint>
#include <span>
#include <vector>

#include "color/color.h"
#include "graphviz/layout_graph.h"
#include "grid/char_grid.h"
#include "grid/node_box.h"
#include "render_edges/edge_pens.h"
#include "render_nodes/draw_clusters.h"

namespace vantri {

struct Paints {
  /// One per edge: its line style; with colour on, its "color" for line
  /// and arrowheads and its "fontcolor" (else "color") for its labels.
  std::vector<EdgePen> edges;
  /// With colour on, one per node: the paint of its label text.
  std::vector<std::uint32_t> node_text;
  /// With colour on, one per cluster.
  std::vector<FramePaint> frames;
  /// The graph title's.
  std::uint32_t title = 0;
};

/// The pens and paints of `layout`'s drawing on `grid`.
Paints choose_paints(CharGrid& grid, const LayoutGraph& layout, ColorMode color);

/// Colours the border cells of every visible node in its fill colour, or
/// without one in its pen colour ("color"); later nodes win on shared
/// cells. Only cells on the grid are visited.
void paint_node_borders(CharGrid& grid, std::span<const LayoutNode> nodes,
                        std::span<const NodeBox> boxes);

}  // namespace vantri

#endif  // VANTRI_RENDER_PAINT_COLOURS_H_
