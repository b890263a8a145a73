// Spreading the ranks of a top-down layout that are too wide for the width
// limit over more ranks.
//
// A rank of many nodes side by side (a fan-out of twenty leaves, say)
// cannot fit a terminal however short its labels are. `dot` can be asked
// to set some of them lower: an invisible edge into a node, with a minimum
// length, puts it that many ranks below the edge's tail. Across a rank too
// wide for the room, the nodes go down by 0, 1, ..., k-1 ranks in turn, so
// that each row keeps about a k-th of the boxes and edges still come from
// above. Left to right, ranks stand side by side and more of them would
// only widen the drawing; a strict graph would merge such an edge with an
// edge it already has.
#ifndef VANTRI_RENDER_STAGGER_RANKS_H_
#define VANTRI_RENDER_STAGGER_RANKS_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "graphviz/layout_graph.h"

namespace vantri {

/// The edges that stagger a layout's wide ranks.
struct Stagger {
  /// DOT edge statements, a line each, to go before the graph's last "}".
  std::string statements;
  /// How many edges they add.
  std::size_t edges = 0;
};

/// The invisible edges that stagger every rank of `layout` whose boxes
/// (node i's `box_columns[i]` columns, and one between neighbours) take
/// more than `columns`. None for a left-to-right layout, a strict graph,
/// or when every rank fits.
Stagger stagger_wide_ranks(const LayoutGraph& layout, std::span<const std::uint64_t> box_columns,
                           std::uint64_t columns);

/// Takes the edges a stagger added out of `staggered`, a layout of the
/// graph whose own edges are `own`: `dot` lists them among the graph's
/// edges, so every invisible edge between two nodes beyond as many as the
/// graph has between them goes.
void drop_stagger_edges(LayoutGraph& staggered, std::span<const LayoutEdge> own);

}  // namespace vantri

#endif  // VANTRI_RENDER_STAGGER_RANKS_H_
