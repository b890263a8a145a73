// Counting the lines each box side must take, and growing boxes.
#include "render_edges/box_room.h"

#include <algorithm>
#include <unordered_set>

#include "grid/cell_arith.h"
#include "render_edges/edge_ports.h"

namespace vantri {

std::vector<NodeBox> boxes_with_room(std::span<const LayoutEdge> edges,
                                     std::span<const NodeBox> boxes,
                                     std::span<const EndSpans> spans,
                                     std::span<const char> growable, RankDir rankdir) {
  std::vector<NodeBox> out(boxes.begin(), boxes.end());
  const std::vector<RouteGroups> groups = end_groups(edges, spans);
  const Toward forward = forward_of(rankdir);
  // Per box: the distinct ends of forward edges leaving and entering it,
  // of other edges, and its loops.
  struct Ends {
    std::unordered_set<std::uint32_t> out, in, other;
    std::uint64_t loops = 0;
  };
  std::vector<Ends> ends(boxes.size());
  bool any = false;
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const LayoutEdge& e = edges[i];
    if (e.invisible || e.tail >= boxes.size() || e.head >= boxes.size()) continue;
    if (e.tail == e.head) {
      ++ends[e.tail].loops;
      any = true;
      continue;
    }
    const NodeBox& t = boxes[e.tail];
    const NodeBox& h = boxes[e.head];
    if (t.width == 0 || h.width == 0) continue;
    if (beyond(t, h, forward, 1)) {
      ends[e.tail].out.insert(groups[i].tail);
      ends[e.head].in.insert(groups[i].head);
    } else {
      ends[e.tail].other.insert(groups[i].tail);
      ends[e.head].other.insert(groups[i].head);
    }
    any = true;
  }
  if (!any) return out;
  const bool down_or_up = vertical(forward);
  for (std::size_t n = 0; n < out.size(); ++n) {
    NodeBox& b = out[n];
    if (n >= growable.size() || !growable[n] || b.width == 0 || b.height == 0) continue;
    const Ends& e = ends[n];
    const std::uint64_t along = std::max(e.out.size(), e.in.size());
    // Loops go round the corners: with room above the box, half of them
    // round the upper ones; each takes a cell of a left or right side and
    // one of the top or bottom.
    const std::uint64_t loops =
        e.loops >= 2 && b.top >= 3 + e.loops ? (e.loops + 1) / 2 : e.loops;
    // Cells between the corners needed on the top and bottom sides, and
    // on the left and right ones: forward edges use the sides facing along
    // the ranks, loops leave by the left or right side and come back by
    // the top or bottom.
    const std::uint64_t cols = down_or_up ? along + loops : loops;
    const std::uint64_t have_cols = b.width >= 3 ? b.width - 2 : 1;
    const std::uint64_t have_rows = b.height >= 3 ? b.height - 2 : 1;
    // Loops round the left corners need columns left of the box, two for
    // each: a box too near the canvas's left edge takes every loop on its
    // right side.
    const std::uint64_t grows_left = cols > have_cols ? (cols - have_cols + 1) / 2 : 0;
    const std::uint64_t side_loops =
        sub_floor(b.left, grows_left) < 3 + 2 * e.loops ? e.loops : loops;
    const std::uint64_t rows = down_or_up ? side_loops : along + side_loops;
    const std::uint64_t all = e.out.size() + e.in.size() + e.other.size() + 2 * e.loops;
    std::uint64_t want_cols = std::max(have_cols, cols);
    std::uint64_t want_rows = std::max(have_rows, rows);
    if (2 * (want_cols + want_rows) < all) {
      const std::uint64_t short_by = all - 2 * (want_cols + want_rows);
      if (down_or_up) {
        want_rows += (short_by + 1) / 2;
      } else {
        want_cols += (short_by + 1) / 2;
      }
    }
    if (want_cols == have_cols && want_rows == have_rows) continue;
    NodeBox grown = b;
    if (want_cols > have_cols) {
      const std::uint64_t grow = want_cols - have_cols;
      grown.left = sub_floor(b.left, grow / 2);
      grown.width += grow;
    }
    if (want_rows > have_rows) {
      const std::uint64_t grow = want_rows - have_rows;
      grown.top = sub_floor(b.top, grow / 2);
      grown.height += grow;
    }
    // A box grows only into free space, a cell clear of every other box.
    const CellRect room{sub_floor(grown.left, 1), sub_floor(grown.top, 1),
                        add_sat(grown.right(), 1), add_sat(grown.bottom(), 1)};
    const bool clear = std::none_of(boxes.begin(), boxes.end(), [&](const NodeBox& o) {
      return &o != &boxes[n] && o.width != 0 && o.height != 0 &&
             room.overlaps(CellRect{o.left, o.top, o.right(), o.bottom()});
    });
    if (clear) b = grown;
  }
  return out;
}

}  // namespace vantri
