// Choosing the paints of a drawing's cells.
#include "render/paint_colours.h"

#include <algorithm>

#include "color/classify.h"

namespace vantri {

Paints choose_paints(CharGrid& grid, const LayoutGraph& layout, ColorMode color) {
  Paints paints;
  const bool ansi = color == ColorMode::Ansi;
  const auto id = [&](const std::optional<std::string>& pen) {
    return ansi ? grid.paint_id(pen_sgr(pen)) : 0;
  };
  paints.edges.reserve(layout.edges.size());
  for (const LayoutEdge& edge : layout.edges) {
    EdgePen pen{edge.line_style, 0, 0};
    if (ansi && (edge.color || edge.fontcolor)) {
      pen.line = id(edge.color);
      pen.text = edge.fontcolor ? id(edge.fontcolor) : pen.line;
    }
    paints.edges.push_back(pen);
  }
  if (!ansi) return paints;
  paints.node_text.reserve(layout.nodes.size());
  for (const LayoutNode& node : layout.nodes) paints.node_text.push_back(id(node.fontcolor));
  paints.frames.reserve(layout.clusters.size());
  for (const LayoutCluster& cluster : layout.clusters) {
    paints.frames.push_back({id(cluster.color), id(cluster.fontcolor)});
  }
  paints.title = id(layout.fontcolor);
  return paints;
}

void paint_node_borders(CharGrid& grid, std::span<const LayoutNode> nodes,
                        std::span<const NodeBox> boxes) {
  const std::size_t count = std::min(nodes.size(), boxes.size());
  for (std::size_t i = 0; i < count; ++i) {
    const LayoutNode& node = nodes[i];
    if (node.invisible) continue;
    const std::uint32_t paint =
        grid.paint_id(node.fillcolor ? ansi_for(node.fillcolor).prefix : pen_sgr(node.color));
    if (paint == 0) continue;
    const NodeBox& b = boxes[i];
    if (b.width == 0 || b.height == 0 || b.top >= grid.height() || b.left >= grid.width()) {
      continue;
    }
    const std::uint64_t last_col = std::min(b.right(), grid.width() - 1);
    for (const std::uint64_t row : {b.top, b.bottom()}) {
      if (row >= grid.height()) continue;
      for (std::uint64_t col = b.left; col <= last_col; ++col) grid.paint(row, col, paint);
    }
    const std::uint64_t end_row = std::min(b.bottom(), grid.height());
    for (std::uint64_t row = b.top + 1; row < end_row; ++row) {
      grid.paint(row, b.left, paint);
      grid.paint(row, b.right(), paint);
    }
  }
}

}  // namespace vantri
