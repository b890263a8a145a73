// Colouring the borders of filled nodes with ANSI escape sequences.
//
// The grid holds no colour, so colour is added to the finished text: runs
// of border characters of the same colour are wrapped in one start sequence
// and a reset. Labels, box interiors and edges stay uncoloured.
#ifndef VANTRI_RENDER_APPLY_ANSI_H_
#define VANTRI_RENDER_APPLY_ANSI_H_

#include <span>
#include <string>
#include <string_view>

#include "graphviz/layout_graph.h"
#include "graphviz/stop_check.h"
#include "grid/node_box.h"

namespace vantri {

/// `text` with the border cells of every node whose fill colour has an ANSI
/// colour wrapped in that colour; later nodes win on shared cells. When
/// `stop` says so, the text ends early, unfinished.
std::string apply_ansi(std::string_view text, std::span<const LayoutNode> nodes,
                       std::span<const NodeBox> boxes, StopCheck* stop = nullptr);

}  // namespace vantri

#endif  // VANTRI_RENDER_APPLY_ANSI_H_
