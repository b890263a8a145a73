// Jogs planned a whole gap at a time, for gaps crowded with lines.
//
// Edge by edge, a forward edge takes the first simple shape that fits:
// the middle of its box's side, a jog half way across the gap. Where many
// lines cross one gap between two bands of boxes (every box of a rank
// joined to every box of the next), the first lines take the middles and
// the middle rows, and the rest find no simple shape left. Planned for the
// whole gap at once, each end gets its own place along its box's side, in
// the order of the boxes the lines go to, so that lines leaving one box
// do not cross each other; and each network of lines (one tail's fan-out,
// one head's merge, or one edge) gets a track of its own across the gap,
// tracks side by side where their stretches overlap, as a channel router
// gives them.
#ifndef VANTRI_RENDER_EDGES_GAP_JOGS_H_
#define VANTRI_RENDER_EDGES_GAP_JOGS_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/node_box.h"
#include "render_edges/edge_ports.h"
#include "render_edges/route_cells.h"

namespace vantri {

/// A stretch of the rank axis that boxes take, first and last cell.
struct Band {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
};

/// The stretches of the rank axis (rows, or columns left to right) that
/// `boxes` take, overlapping ones merged, in order.
std::vector<Band> bands_of(std::span<const NodeBox> boxes, Toward forward);

/// The planned shape of one forward edge: where it leaves its tail's side
/// and enters its head's (columns, or rows left to right), and the row
/// (column) of its jog.
struct GapJog {
  std::uint64_t tail_at = 0;
  std::uint64_t head_at = 0;
  std::uint64_t track = 0;
  /// The network it belongs to: edges of one network share its track.
  std::uint32_t net = 0;
};

/// A planned jog for each edge `planned` allows that runs forward from
/// one band to the next, in a gap where some box side joins at least
/// `crowded_side` lines of different networks; nothing for the others.
std::vector<std::optional<GapJog>> plan_gap_jogs(std::span<const LayoutEdge> edges,
                                                 std::span<const NodeBox> boxes,
                                                 std::span<const RouteGroups> groups,
                                                 std::span<const char> planned, Toward forward,
                                                 std::uint64_t crowded_side);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_GAP_JOGS_H_
