// Drawing node boxes with their labels centred inside.
#ifndef VANTRI_RENDER_NODES_DRAW_NODES_H_
#define VANTRI_RENDER_NODES_DRAW_NODES_H_

#include <cstdint>
#include <span>
#include <string>

#include "color/color.h"
#include "graphviz/layout_graph.h"
#include "grid/char_grid.h"
#include "grid/field_layout.h"
#include "grid/grid_transform.h"
#include "grid/node_box.h"

namespace vantri {

/// Draws node i with display label i, for the first min(nodes, labels)
/// nodes; a node with fields (`fields[i]` not empty, when there is one) is
/// a box divided into them instead. With `ColorMode::BoxStyles` each box is
/// drawn in the line style of its fill colour; in the other modes every
/// box is light. A double circle is a box with a double frame, an Mrecord
/// has round corners (so has a light box with style rounded), a point is a
/// single ●, a plaintext, plain or none node its label alone; invisible
/// nodes are not drawn. Node i's text takes paint `text_paints[i]`, when
/// there is one. `boxes`, when not empty, gives node i's box (one grown
/// beyond what its label needs keeps the label centred); otherwise each box
/// is the one `node_box` maps.
void draw_nodes(CharGrid& grid, std::span<const LayoutNode> nodes,
                std::span<const std::string> labels, std::span<const FieldLayout> fields,
                const GridTransform& transform, ColorMode color,
                std::span<const std::uint32_t> text_paints = {},
                std::span<const NodeBox> boxes = {});

}  // namespace vantri

#endif  // VANTRI_RENDER_NODES_DRAW_NODES_H_
