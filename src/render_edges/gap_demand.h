// How crowded the gaps between ranks are: the tracks their jogs need
// against the rows (columns, left to right) they have.
#ifndef VANTRI_RENDER_EDGES_GAP_DEMAND_H_
#define VANTRI_RENDER_EDGES_GAP_DEMAND_H_

#include <cstdint>
#include <span>

#include "graphviz/layout_graph.h"
#include "grid/node_box.h"

namespace vantri {

/// How short of tracks the gaps between neighbouring bands of boxes are:
/// an edge between neighbouring ranks jogs across the gap between them,
/// and the edges of one star (one tail's, or one head's, whichever has
/// more) share a track.
struct GapCrowding {
  /// The most any gap needs against what it has, as a ratio (1 or less:
  /// it has room).
  double worst = 0;
  /// The tracks all gaps together lack.
  std::uint64_t missing = 0;
  /// How many times as many rows (columns) the most crowded gap where a
  /// box side joins `dense` stars or more needs, to give each of its tracks a row and
  /// keep the rows beside the bands free (1 or less: no such gap lacks
  /// any). The jogs of such gaps are planned a gap at a time, track by
  /// track (see `plan_gap_plan`).
  double dense_stretch = 1;
};

GapCrowding gap_crowding(std::span<const LayoutEdge> edges, std::span<const NodeBox> boxes,
                         RankDir rankdir, std::uint64_t dense);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_GAP_DEMAND_H_
