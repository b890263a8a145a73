// The graph's own label, its title, drawn centred above or below the
// drawing on rows of its own.
//
// Its room is planned before the canvas exists: a title above moves the
// drawing down when `dot` left too few rows above it (the transform's box
// grows upwards), a title below gets rows under the drawing, and a title
// wider than the drawing widens it, the drawing centred under it. With a width limit the lines are
// shortened to the limit instead. Once everything else is drawn, the title
// goes one blank row above the first row drawn on, or below the last.
#ifndef VANTRI_RENDER_GRAPH_TITLE_H_
#define VANTRI_RENDER_GRAPH_TITLE_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/char_grid.h"
#include "grid/grid_transform.h"
#include "grid/node_box.h"
#include "render/render_options.h"
#include "text/label_lines.h"

namespace vantri {

struct GraphTitle {
  std::vector<std::string> lines;
  /// How each line is set within the block of the widest.
  std::vector<LineAlign> aligns;
  bool at_top = false;
  /// Where `dot` put the label's centre, in layout points.
  std::optional<double> centre_x;
};

/// The title's lines, shortened with the render's strategy when a width
/// limit leaves less room than they need; nothing for a graph without one.
std::optional<GraphTitle> plan_title(const LayoutGraph& layout,
                                     const RenderOptions& options);

/// Makes the transform's canvas wide enough for the title, the drawing
/// centred under it. Everything the transform maps moves with it.
void make_room_for_title(const GraphTitle& title, GridTransform& transform);

/// For a title above: when the rows above the first box or cluster frame
/// cannot hold the title and a blank row, moves the drawing down until
/// they can. True when it moved, and the boxes must be placed again.
bool make_room_above(const GraphTitle& title, GridTransform& transform,
                     std::span<const NodeBox> boxes,
                     std::span<const LayoutCluster> clusters);

/// The canvas height once a title below a drawing of `height` rows has
/// rows of its own and a blank row before them.
std::uint64_t height_with_title(const GraphTitle& title, std::uint64_t height);

/// Writes the title's lines, a block centred on the title's column (the
/// drawing's middle without one) and kept on the canvas, one blank row
/// above what is drawn, or below it.
/// The text takes paint `paint`.
void draw_title(CharGrid& grid, const GraphTitle& title, const GridTransform& transform,
                std::uint32_t paint = 0);

}  // namespace vantri

#endif  // VANTRI_RENDER_GRAPH_TITLE_H_
